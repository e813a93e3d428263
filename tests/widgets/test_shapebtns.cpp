// The shape buttons as a person uses them: clicks that keep to the shape,
// the window mask, dialog results, the windowless button's accelerator and
// transparency, and the faces of the shape-button variants.
#include "widgets/Std2BitmapButtons.h"
#include "widgets/Std2Labels.h"
#include "widgets/Std2ShapeBtns.h"
#include "widgets/zAnimate.h"
#include "widgets/zAnimateColorBtns.h"
#include "widgets/zAnimateNWColorBtns.h"
#include "widgets/zAnimateShapeBtn.h"

#include "ButtonRig.h"
#include "app/XSession.h"

#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>

#include <functional>
#include <memory>

namespace {

using namespace testrig;
using ShapeColorBtn = ButtonRig<TzcShapeColorBtn>;
using ShapeBtn = ButtonRig<TzShapeBtn>;

TEST_F(ShapeColorBtn, ClicksKeepToTheShape)
{
    btn->resize(50, 50);
    btn->SetShape(sbUpTriangle);
    show();
    QSignalSpy clicks(btn, &TzcShapeColorBtn::OnClick);
    press({25, 40});
    ASSERT_TRUE(btn->Down());
    // The cut-off corner raises the face, and releasing there is no click.
    move({2, 2});
    EXPECT_FALSE(btn->Down());
    move({25, 35});
    EXPECT_TRUE(btn->Down());
    move({2, 2});
    release({2, 2});
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(btn->Down());
    press({25, 40});
    release({25, 30});
    EXPECT_EQ(clicks.count(), 1);
    // A press in the corner is not the button's.
    press({2, 2});
    EXPECT_FALSE(btn->Down());
    EXPECT_FALSE(btn->Tracking());
}

TEST_F(ShapeColorBtn, MaskFollowsShapeAndSize)
{
    show(); // a hidden widget hears of its new size only when shown
    btn->resize(50, 50);
    EXPECT_EQ(btn->mask(), QRegion(0, 0, 50, 50));
    // A circle is cut along the ring it draws.
    btn->SetShape(sbCircle);
    EXPECT_EQ(btn->mask(), widgets::CircleRingRegion(50, 50));
    btn->resize(40, 20);
    EXPECT_EQ(btn->mask(), widgets::CircleRingRegion(40, 20));
    btn->SetShape(sbOwnerDraw);
    btn->SetOnGetRegion([](QObject *, QRegion &, int, int) {});
    EXPECT_EQ(btn->mask(), QRegion(0, 0, 40, 20));
    btn->SetOnGetRegion([](QObject *, QRegion &r, int, int) { r = QRegion(2, 2, 5, 5); });
    EXPECT_EQ(btn->mask(), QRegion(2, 2, 5, 5));
    // Painting leaves the mask alone.
    (void)image();
    EXPECT_EQ(btn->mask(), QRegion(2, 2, 5, 5));
    // A region handed over is held until the next paint; the window keeps its shape.
    btn->SetRgn(QRegion(20, 0, 5, 5));
    EXPECT_EQ(btn->mask(), QRegion(2, 2, 5, 5));
    EXPECT_TRUE(btn->HitTest({3, 3}));
    EXPECT_FALSE(btn->HitTest({21, 1}));
    (void)image();
    EXPECT_EQ(btn->Rgn(), QRegion(2, 2, 5, 5));
}

// OnGetRegion is asked at every paint; a new region cuts the window once
// the paint is over, never inside it.
TEST_F(ShapeColorBtn, PaintAsksForTheRegionAgain)
{
    btn->resize(40, 40);
    show();
    QRegion wanted(0, 0, 30, 30);
    int asked = 0;
    btn->SetShape(sbOwnerDraw);
    btn->SetOnGetRegion([&](QObject *, QRegion &r, int, int) {
        ++asked;
        r = wanted;
    });
    ASSERT_EQ(btn->mask(), wanted);
    const struct
    {
        QRegion region;
        int asks; // by the paint and by the cut after it
    } rows[] = {{QRegion(0, 0, 30, 30), 1},
                {QRegion(5, 5, 20, 10), 2},
                {QRegion(), 2}, // nothing given: the whole rectangle
                {QRegion(0, 0, 40, 40), 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.region.boundingRect().width());
        const QRegion before = btn->mask();
        wanted = row.region;
        asked = 0;
        (void)image();
        EXPECT_EQ(btn->mask(), before);
        QCoreApplication::sendPostedEvents(btn, QEvent::MetaCall);
        EXPECT_EQ(btn->mask(), row.region.isEmpty() ? QRegion(0, 0, 40, 40) : row.region);
        EXPECT_EQ(asked, row.asks);
    }
}

// The caption's letter alone clicks while the focus is on a button, which
// takes no text; Alt with the letter clicks wherever the focus is.
TEST_F(ShapeColorBtn, PlainAcceleratorWhileTheFocusIsOnAButton)
{
    auto *colour = new TzColorBtn(form.get());
    colour->setGeometry(60, 10, 30, 20);
    auto *push = new QPushButton(QStringLiteral("OK"), form.get());
    push->setGeometry(100, 10, 40, 20);
    btn->SetCaption(QStringLiteral("&Go"));
    show();
    QSignalSpy clicks(btn, &TzcShapeColorBtn::OnClick);
    const struct
    {
        QWidget *focus;
        Qt::KeyboardModifiers modifiers;
        int clicks;
    } rows[] = {{other, Qt::NoModifier, 0},  {colour, Qt::NoModifier, 1},
                {push, Qt::NoModifier, 1},   {btn, Qt::NoModifier, 1},
                {other, Qt::AltModifier, 1}, {colour, Qt::AltModifier, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.focus->metaObject()->className());
        row.focus->setFocus();
        clicks.clear();
        QTest::keyClick(row.focus, Qt::Key_G, row.modifiers);
        EXPECT_EQ(clicks.count(), row.clicks);
    }
    // The text field kept its letter.
    EXPECT_EQ(other->text(), QStringLiteral("g"));
    // Other letters, and a disabled button, click nothing.
    colour->setFocus();
    clicks.clear();
    QTest::keyClick(colour, Qt::Key_O);
    btn->setEnabled(false);
    QTest::keyClick(colour, Qt::Key_G);
    EXPECT_EQ(clicks.count(), 0);
}

// A letter of any alphabet answers in either case (Shift types its capital);
// a key without cases answers only as it is.
TEST_F(ShapeColorBtn, AcceleratorLettersOfEveryAlphabetInEitherCase)
{
    auto *push = new QPushButton(QStringLiteral("OK"), form.get());
    push->setGeometry(100, 10, 40, 20);
    show();
    QSignalSpy clicks(btn, &TzcShapeColorBtn::OnClick);
    const struct
    {
        const char *caption;
        int key;
        Qt::KeyboardModifiers modifiers;
        int clicks;
    } rows[] = {
        {"&Go", Qt::Key_G, Qt::ShiftModifier, 1},
        {"&\u00e4rger", Qt::Key_Adiaeresis, Qt::NoModifier, 1},
        {"&\u00e4rger", Qt::Key_Adiaeresis, Qt::ShiftModifier, 1},
        {"&\u00d6l", Qt::Key_Odiaeresis, Qt::ShiftModifier, 1},
        {"&\u00d6l", Qt::Key_Odiaeresis, Qt::AltModifier | Qt::ShiftModifier, 1},
        {"&\u0436", 0x416, Qt::ShiftModifier, 1}, // Cyrillic zhe
        // Shift+1 types "!", not the accelerator "1".
        {"&1st", Qt::Key_1, Qt::ShiftModifier, 0},
        {"&1st", Qt::Key_1, Qt::NoModifier, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.caption) + " " + std::to_string(row.modifiers.toInt()));
        btn->SetCaption(QString::fromUtf8(row.caption));
        push->setFocus();
        clicks.clear();
        // The text a keyboard gives: the capital with Shift.
        const QChar letter = QChar(char16_t(row.key));
        const QString text = row.modifiers & Qt::ShiftModifier ? QString(letter.toUpper())
                                                                : QString(letter.toLower());
        QTest::sendKeyEvent(QTest::Click, push, Qt::Key(row.key), text, row.modifiers);
        EXPECT_EQ(clicks.count(), row.clicks);
    }
}

// How a control answers its accelerator: a count of clicks since it was last
// asked, or of times the focus moved to it and it was checked.
using Acted = std::function<int()>;

template <class Btn> Acted countClicks(Btn *b)
{
    auto clicks = std::make_shared<int>(0);
    QObject::connect(b, &Btn::OnClick, b, [clicks] { ++*clicks; });
    return [clicks] { return std::exchange(*clicks, 0); };
}

template <class Btn> std::pair<QWidget *, Acted> captioned(QWidget *form)
{
    auto *b = new Btn(form);
    b->SetCaption(QStringLiteral("&Go"));
    return {b, countClicks(b)};
}

struct AcceleratorClass
{
    const char *name;
    std::function<std::pair<QWidget *, Acted>(QWidget *form)> make;
};

const AcceleratorClass acceleratorClasses[] = {
    {"TzColorBtn", captioned<TzColorBtn>},
    {"TzGradBtn", captioned<TzGradBtn>},
    {"TzBitColBtn", captioned<TzBitColBtn>},
    {"TzIconColBtn", captioned<TzIconColBtn>},
    {"TzNWColorBtn", captioned<TzNWColorBtn>},
    {"TzNWBitColBtn", captioned<TzNWBitColBtn>},
    {"TzNWIconColBtn", captioned<TzNWIconColBtn>},
    {"TzcShapeColorBtn", captioned<TzcShapeColorBtn>},
    {"TzcShapeGradBtn", captioned<TzcShapeGradBtn>},
    {"TzcFancyButton", captioned<TzcFancyButton>},
    {"TzcURLLabel",
     [](QWidget *form) -> std::pair<QWidget *, Acted> {
         auto *label = new TzcURLLabel(form);
         label->SetURL(QString()); // a click opens nothing
         label->SetCaption(QStringLiteral("&Go"));
         return {label, countClicks(label)};
     }},
    {"TzShapeBtn",
     [](QWidget *form) -> std::pair<QWidget *, Acted> {
         auto *b = new TzShapeBtn(form);
         b->SetAcceleratorKey(u'g');
         return {b, countClicks(b)};
     }},
    // The check box takes the focus and toggles; the radio button takes the
    // focus, which checks it.
    {"TzcFancyCheckBox",
     [](QWidget *form) -> std::pair<QWidget *, Acted> {
         auto *box = new TzcFancyCheckBox(form);
         box->SetCaption(QStringLiteral("&Go"));
         const Acted clicks = countClicks(box);
         return {box, [box, clicks] {
                     const int n = clicks();
                     return n > 0 && !box->hasFocus() ? -1 : n;
                 }};
     }},
    {"TzcFancyRadioButton",
     [](QWidget *form) -> std::pair<QWidget *, Acted> {
         auto *radio = new TzcFancyRadioButton(form);
         radio->SetCaption(QStringLiteral("&Go"));
         return {radio, [radio] {
                     const int n = radio->hasFocus() && radio->Checked() ? 1 : 0;
                     radio->SetChecked(false);
                     return n;
                 }};
     }},
};

void PrintTo(const AcceleratorClass &c, std::ostream *os)
{
    *os << c.name;
}

class PlainAccelerator : public testing::TestWithParam<AcceleratorClass>
{
};

// Every class with a caption accelerator: its letter, in either case, acts
// alone while the focus is on a control that takes no characters (a button,
// a slider) and with Alt wherever the focus is; typed into a text field, a
// list, a combo box or a spin box it stays typing, and on the menu bar Alt
// gave the focus to it picks a menu. A twin of the control later in tab
// order holds the same letter: the first answers every time.
TEST_P(PlainAccelerator, ActsWhileTheFocusTakesNoCharacters)
{
    QWidget form;
    form.resize(240, 220);
    auto *edit = new QLineEdit(&form);
    edit->setGeometry(10, 80, 80, 20);
    auto *push = new QPushButton(QStringLiteral("OK"), &form);
    push->setGeometry(100, 80, 40, 20);
    auto *slider = new QSlider(Qt::Horizontal, &form);
    slider->setGeometry(150, 80, 80, 20);
    auto *combo = new QComboBox(&form);
    combo->addItems({QStringLiteral("apple"), QStringLiteral("go")});
    combo->setGeometry(10, 110, 80, 20);
    auto *list = new QListWidget(&form);
    list->addItems({QStringLiteral("apple"), QStringLiteral("go")});
    list->setGeometry(100, 110, 80, 60);
    auto *spin = new QSpinBox(&form);
    spin->setGeometry(10, 180, 80, 20);
    auto *menus = new QMenuBar(&form);
    menus->addMenu(QStringLiteral("&File"));
    menus->setGeometry(100, 180, 80, 20);
    const auto [control, acted] = GetParam().make(&form);
    control->setGeometry(10, 10, 60, 30);
    const auto [twin, twinActed] = GetParam().make(&form);
    twin->setGeometry(80, 10, 60, 30);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const auto press = [&](QWidget *focus, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        focus->setFocus();
        (void)acted();
        (void)twinActed();
        QTest::keyClick(focus, key, modifiers);
        return std::pair{acted(), twinActed()};
    };
    const struct
    {
        QWidget *focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int acts;
    } rows[] = {
        {edit, Qt::Key_G, Qt::NoModifier, 0},
        {edit, Qt::Key_G, Qt::ShiftModifier, 0},
        {push, Qt::Key_G, Qt::NoModifier, 1},
        {push, Qt::Key_G, Qt::ShiftModifier, 1},
        {slider, Qt::Key_G, Qt::NoModifier, 1},
        {combo, Qt::Key_G, Qt::NoModifier, 0},
        {list, Qt::Key_G, Qt::NoModifier, 0},
        {spin, Qt::Key_G, Qt::NoModifier, 0},
        {menus, Qt::Key_G, Qt::NoModifier, 0},
        {push, Qt::Key_O, Qt::NoModifier, 0},
        {edit, Qt::Key_G, Qt::AltModifier, 1},
        {edit, Qt::Key_G, Qt::AltModifier | Qt::ShiftModifier, 1},
        {combo, Qt::Key_G, Qt::AltModifier, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.focus->metaObject()->className()) + " " +
                     std::to_string(row.modifiers.toInt()) + " " + std::to_string(row.key));
        // Twice: Qt hands a key two controls hold to each in turn.
        for (int time = 0; time < 2; ++time)
            EXPECT_EQ(press(row.focus, row.key, row.modifiers), std::pair(row.acts, 0));
    }
    // The letters went into the text (the test's Shift adds no capital); the
    // combo box and the list went to their item.
    EXPECT_EQ(edit->text().toLower(), QStringLiteral("gggg"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("go"));
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("go"));
    // The next holder in tab order answers when the first cannot; a control
    // that takes the focus can be put first, a windowless one keeps its place.
    const struct
    {
        const char *state;
        std::function<void()> change;
        std::pair<int, int> acts;
    } order[] = {
        {"hidden", [&] { control->hide(); }, {0, 1}},
        {"disabled",
         [&] {
             control->show();
             control->setEnabled(false);
         },
         {0, 1}},
        {"both disabled", [&] { twin->setEnabled(false); }, {0, 0}},
        {"twin first",
         [&] {
             control->setEnabled(true);
             twin->setEnabled(true);
             QWidget::setTabOrder(twin, control);
         },
         control->focusPolicy() == Qt::NoFocus ? std::pair(1, 0) : std::pair(0, 1)},
    };
    for (const auto &row : order) {
        SCOPED_TRACE(row.state);
        row.change();
        for (const Qt::KeyboardModifiers modifiers :
             {Qt::NoModifier, Qt::NoModifier, Qt::AltModifier, Qt::AltModifier})
            EXPECT_EQ(press(push, Qt::Key_G, modifiers), row.acts);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryClass, PlainAccelerator, testing::ValuesIn(acceleratorClasses),
                         [](const testing::TestParamInfo<AcceleratorClass> &info) {
                             return std::string(info.param.name);
                         });

// The output lines of a program, as they come.
class Lines
{
public:
    explicit Lines(QProcess &p) : m_p(p) {}
    // The next line, or empty when none comes within the deadline.
    std::string next(int deadlineMs = 10000)
    {
        while (m_buffer.indexOf('\n') < 0) {
            if (!m_p.waitForReadyRead(deadlineMs))
                return {};
            m_buffer += m_p.readAllStandardOutput();
        }
        const qsizetype end = m_buffer.indexOf('\n');
        const std::string line = m_buffer.left(end).toStdString();
        m_buffer.remove(0, end + 1);
        return line;
    }

private:
    QProcess &m_p;
    QByteArray m_buffer;
};

// The same rule for keys typed on a keyboard of a real X server with a
// window manager: a program with two controls of every class, each class
// with a letter both hold, a menu bar, and a tool window the form owns.
// Each key is typed once the answer to the one before has come, as a person
// types.
TEST(PlainAcceleratorUnderX, TypedLettersActInEveryClass)
{
    xtest::XSession session;
    std::string xdotoolPath;
    if (!xtest::SessionReady(&session, &xdotoolPath))
        return;
    const QString xdotool = QString::fromStdString(xdotoolPath);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(WIDGET_KEY_PROBE));
    Lines out(probe);
    ASSERT_EQ(out.next(20000), "ready");
    const auto type = [&](const QString &key) {
        QProcess x;
        x.setProcessEnvironment(env);
        x.start(xdotool, QStringList{QStringLiteral("key"), key});
        return x.waitForFinished(20000) && x.exitCode() == 0;
    };
    // The answer to `key`; one with no answer of its own is followed by
    // F12, whose "mark" comes once the probe has handled both.
    const auto press = [&](const QString &key, bool answered = true) {
        return type(key) && (answered || type(QStringLiteral("F12"))) ? out.next()
                                                                       : std::string();
    };
    const auto ask = [&](const char *command) {
        probe.write(QByteArray(command) + '\n');
        return out.next();
    };
    const auto focus = [&](const char *command) {
        probe.write(QByteArray("focus ") + command + '\n');
        return out.next() == "focused";
    };
    const struct
    {
        const char *letter;
        const char *acted;
    } rows[] = {{"a", "TzColorBtn acted"},       {"b", "TzGradBtn acted"},
                {"c", "TzBitColBtn acted"},      {"d", "TzIconColBtn acted"},
                {"e", "TzNWColorBtn acted"},     {"f", "TzNWBitColBtn acted"},
                {"g", "TzNWIconColBtn acted"},   {"h", "TzcShapeColorBtn acted"},
                {"i", "TzcShapeGradBtn acted"},  {"j", "TzcFancyButton acted"},
                {"k", "TzcFancyCheckBox acted"}, {"l", "TzcFancyRadioButton acted"},
                {"m", "TzcURLLabel acted"},      {"n", "TzShapeBtn acted"}};
    // With the focus on a button (F11 gives it back): each letter alone and
    // with Alt, in either case; the first of the two controls holding it
    // answers every time, where Qt would take turns.
    const char *const modifiers[] = {"", "", "shift+", "alt+", "alt+", "alt+shift+"};
    for (const auto &row : rows)
        for (const char *typed : modifiers) {
            SCOPED_TRACE(std::string(typed) + row.letter);
            ASSERT_EQ(press(QString::fromLatin1(typed) + row.letter), row.acted);
            ASSERT_EQ(press(QStringLiteral("F11")), "back");
        }
    // The letter of a menu of the menu bar that a button holds too: with
    // Alt the menu opens every time, where Qt would take turns; alone it
    // clicks the button, as it does with Alt while the menu cannot open.
    // Escape closes the menu, then leaves the menu bar; each key waits until
    // the menu is open, or closed, with the keyboard where it should be.
    const struct
    {
        const char *command; // to the probe first, if any
        const char *typed;
        const char *answer;
    } menuRows[] = {{nullptr, "alt+o", "menu"},
                    {nullptr, "alt+o", "menu"},
                    {nullptr, "o", "Over acted"},
                    {nullptr, "alt+o", "menu"},
                    {"menu disabled", "alt+o", "Over acted"},
                    {nullptr, "alt+o", "Over acted"},
                    {"menu hidden", "alt+o", "Over acted"},
                    {nullptr, "alt+o", "Over acted"},
                    {"menu shown", "alt+o", "menu"}};
    for (const auto &row : menuRows) {
        SCOPED_TRACE(row.typed);
        ASSERT_EQ(row.command ? ask(row.command) : "changed", "changed");
        ASSERT_EQ(press(QString::fromLatin1(row.typed)), row.answer);
        if (std::string(row.answer) == "menu") {
            ASSERT_EQ(press(QStringLiteral("Escape")), "closed");
            ASSERT_EQ(press(QStringLiteral("Escape"), false), "mark");
        }
        ASSERT_EQ(press(QStringLiteral("F11")), "back");
    }
    // Typed into a text field, letters stay text; Alt still acts.
    ASSERT_TRUE(focus("edit"));
    ASSERT_EQ(press(QStringLiteral("a"), false), "mark");
    ASSERT_EQ(press(QStringLiteral("shift+b"), false), "mark");
    EXPECT_EQ(press(QStringLiteral("alt+c")), "TzBitColBtn acted");
    probe.write("text\n");
    EXPECT_EQ(out.next(), "text=aB");
    // Alt alone hands the keyboard to the menu bar: a letter typed there picks
    // a menu, or nothing, and clicks no control, not even one holding it.
    ASSERT_TRUE(focus("button"));
    ASSERT_EQ(press(QStringLiteral("alt"), false), "mark");
    ASSERT_EQ(press(QStringLiteral("h"), false), "mark");
    EXPECT_EQ(press(QStringLiteral("o")), "menu");
    ASSERT_EQ(press(QStringLiteral("Escape")), "closed");
    ASSERT_EQ(press(QStringLiteral("Escape"), false), "mark");

    // In the tool window the form owns, a closed combo box and a list jump
    // to the item typed, and no letter of any class acts on the form, whose
    // focus was last on a button.
    ASSERT_TRUE(focus("button"));
    for (const char *control : {"combo", "list"}) {
        SCOPED_TRACE(control);
        ASSERT_TRUE(focus(control));
        ASSERT_EQ(press(QStringLiteral("h"), false), "mark");
    }
    probe.write("tool\n");
    EXPECT_EQ(out.next(), "combo=hello");
    EXPECT_EQ(out.next(), "list=hello");
    EXPECT_EQ(out.next(), "edit=");
    QStringList letters;
    for (const auto &row : rows)
        letters << QString::fromLatin1(row.letter) << QStringLiteral("shift+") + row.letter;
    for (const char *control : {"combo", "list", "tool button", "tool edit"}) {
        SCOPED_TRACE(control);
        ASSERT_TRUE(focus(control));
        for (const QString &key : letters)
            ASSERT_EQ(press(key, false), "mark") << key.toStdString();
    }
    probe.write("tool\n");
    (void)out.next();
    (void)out.next();
    EXPECT_EQ(out.next(), "edit=aAbBcCdDeEfFgGhHiIjJkKlLmMnN");
    // There, Alt and a letter of the form's menu that a button of the tool
    // window holds click the button every time: a menu bar is its window's.
    for (const char *control : {"tool edit", "tool button"}) {
        SCOPED_TRACE(control);
        ASSERT_TRUE(focus(control));
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(press(QStringLiteral("alt+o")), "Oil acted");
    }
    // Back on the form, the letter acts again.
    ASSERT_TRUE(focus("button"));
    EXPECT_EQ(press(QStringLiteral("h")), "TzcShapeColorBtn acted");

    probe.write("quit\n");
    EXPECT_TRUE(probe.waitForFinished(10000));
}

TEST_F(ShapeColorBtn, OwnerDrawGetsShadowBeforeHighlight)
{
    btn->SetShape(sbOwnerDraw);
    std::vector<TColor> seen;
    btn->SetOnOwnerDraw([&](QObject *, widgets::TCanvas &canvas, bool, int w, int h, TColor s,
                            TColor l) {
        seen = {s, l};
        canvas.Brush.Color = vcl::clRed;
        canvas.FillRect({0, 0, w, h});
    });
    EXPECT_EQ(at(image(), 10, 10), vcl::clRed);
    EXPECT_EQ(seen, (std::vector<TColor>{Shadow, Light}));
}

void setModalResult(TzColorBtn *b, int r)
{
    b->SetModalresult(r);
}
void setModalResult(TzcShapeColorBtn *b, int r)
{
    b->SetModalResult(r);
}

// Both dialog buttons hand their result over before OnClick and close the
// dialog only after it, so the handler may still change the result.
template <class Btn>
void expectModalResultAfterOnClick()
{
    const struct
    {
        int result;
        int changedTo; // by OnClick, -1 for no change
        bool open;
        int final;
    } rows[] = {{2, -1, false, 2}, {0, -1, true, 0}, {2, 0, true, 0}, {0, 3, false, 3}};
    for (const auto &row : rows) {
        QDialog dialog;
        auto *ok = new Btn(&dialog);
        setModalResult(ok, row.result);
        bool ran = false;
        bool openInHandler = false;
        QObject::connect(ok, &Btn::OnClick, &dialog, [&] {
            ran = true;
            openInHandler = dialog.isVisible();
            if (row.changedTo >= 0)
                dialog.setResult(row.changedTo);
        });
        dialog.open();
        ok->Click();
        EXPECT_TRUE(ran);
        EXPECT_TRUE(openInHandler) << row.result;
        EXPECT_EQ(dialog.isVisible(), row.open) << row.result;
        EXPECT_EQ(dialog.result(), row.final) << row.result;
    }
}

TEST_F(ShapeColorBtn, ModalResultAfterOnClick)
{
    expectModalResultAfterOnClick<TzcShapeColorBtn>();
    expectModalResultAfterOnClick<TzColorBtn>();
}

TEST_F(ShapeColorBtn, DisabledPaintsUp)
{
    btn->SetCaption("");
    btn->SetShowFocus(false);
    show();
    const QImage up = image();
    press({5, 5});
    ASSERT_TRUE(btn->Down());
    EXPECT_NE(image(), up);
    btn->setEnabled(false);
    EXPECT_EQ(image(), up);
    EXPECT_FALSE(btn->Down());
    EXPECT_FALSE(btn->Tracking());
}

TEST_F(ShapeColorBtn, BoldOnlyWithTheBoldLook)
{
    btn->resize(50, 50);
    btn->SetCaption("Go");
    const auto changesWithDefault = [&] {
        btn->SetDefault(false);
        const QImage plain = image();
        btn->SetDefault(true);
        return image() != plain;
    };
    EXPECT_TRUE(changesWithDefault());
    btn->SetDefaultLook(dlfNone);
    EXPECT_FALSE(changesWithDefault());
}

TEST_F(ShapeColorBtn, CaptionInItsRectangle)
{
    btn->resize(50, 50);
    btn->SetCaption("W");
    btn->TextSize().Assign(TzcTextSize(2, 30, 20, 18));
    const TRect ink = bounds(pixelsOf(image(), {Black}, {2, 2, 48, 48}));
    EXPECT_GE(ink.Left, 2);
    EXPECT_LE(ink.Right, 22);
    EXPECT_GE(ink.Top, 30);
    EXPECT_LE(ink.Bottom, 48);
}

TEST_F(ShapeBtn, AcceleratorFollowsTheShape)
{
    EXPECT_EQ(btn->size(), QSize(30, 20)); // the rig's; 25 x 25 by default
    EXPECT_EQ(TzShapeBtn().size(), QSize(25, 25));
    EXPECT_EQ(btn->AcceleratorKey(), u' ');
    btn->SetAcceleratorKey(u'x');
    EXPECT_EQ(btn->AcceleratorKey(), u'x');
    btn->SetAcceleratorKey(u' ');
    EXPECT_EQ(btn->AcceleratorKey(), u' ');
    btn->SetShape(sbPlus);
    EXPECT_EQ(btn->AcceleratorKey(), u'+');
    btn->SetShape(sbMinus);
    EXPECT_EQ(btn->AcceleratorKey(), u'-');
    btn->SetAcceleratorKey(u'q');
    btn->SetShape(sbCircle);
    EXPECT_EQ(btn->AcceleratorKey(), u' ');
    // The sign clicks a plus button.
    btn->SetShape(sbPlus);
    show();
    QSignalSpy clicks(btn, &TzShapeBtn::OnClick);
    QTest::keyClick(other, Qt::Key_Plus, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ShapeBtn, TransparentDrawsNothingButClicks)
{
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    form->setPalette(pal);
    form->setAutoFillBackground(true);
    btn->SetColor(vcl::clRed);
    show();
    const auto parentAt = [&](int x, int y) {
        return form->grab().toImage().pixelColor(btn->x() + x, btn->y() + y);
    };
    EXPECT_EQ(parentAt(10, 10), QColor(Qt::red));
    btn->SetTransparent(true);
    EXPECT_EQ(parentAt(10, 10), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(parentAt(0, 0), QColor(0x12, 0x34, 0x56));
    QSignalSpy clicks(btn, &TzShapeBtn::OnClick);
    press({10, 10});
    release({10, 10});
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ShapeBtn, PressesOutsideTheShapeAreNotItsOwn)
{
    btn->resize(25, 25);
    show();
    // The last column lies outside a rectangle button's region.
    press({24, 5});
    EXPECT_FALSE(btn->Tracking());
    btn->SetShape(sbUpTriangle);
    press({1, 1});
    EXPECT_FALSE(btn->Tracking());
    QSignalSpy clicks(btn, &TzShapeBtn::OnClick);
    press({12, 20});
    EXPECT_TRUE(btn->Down());
    release({1, 1});
    EXPECT_EQ(clicks.count(), 0);
    btn->setEnabled(false);
    press({12, 20});
    EXPECT_FALSE(btn->Down());
}

TEST_F(ShapeBtn, EnterAndLeaveFollowTheShape)
{
    btn->resize(50, 50);
    btn->SetShape(sbUpTriangle);
    show();
    QSignalSpy enters(btn, &TzShapeBtn::OnMouseEnter);
    QSignalSpy leaves(btn, &TzShapeBtn::OnMouseLeave);
    QSignalSpy moves(btn, &TzShapeBtn::OnMouseMove);
    const auto hover = [&](QPoint p) { mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); };
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(btn->mapToGlobal(QPoint(2, 2))));
    QApplication::sendEvent(btn, &enter);
    hover({3, 3});
    // The corner cut off is the parent's, moves and all.
    EXPECT_EQ(enters.count(), 0);
    EXPECT_EQ(moves.count(), 0);
    hover({25, 40});
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(moves.count(), 1);
    hover({47, 3});
    EXPECT_EQ(leaves.count(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(btn, &leave);
    EXPECT_EQ(leaves.count(), 1);
    EXPECT_EQ(enters.count(), 1);
}

TEST_F(ShapeBtn, PaintBuildsTheRegionAgain)
{
    btn->SetRgn(QRegion(0, 0, 3, 3));
    EXPECT_FALSE(btn->Rgn().contains(QPoint(10, 10)));
    (void)image();
    EXPECT_EQ(btn->Rgn(), QRegion(0, 0, 29, 19));
}

TEST_F(ShapeBtn, DisabledPaintsUp)
{
    btn->SetColor(vcl::clSilver);
    show();
    const QImage up = image();
    press({5, 5});
    EXPECT_NE(image(), up);
    btn->setEnabled(false);
    EXPECT_EQ(image(), up);
}

class ShapeVariants : public ButtonRig<TzcShapeColorBtn>
{
};

TEST_F(ShapeVariants, EqualGradientColoursPaintPlain)
{
    auto *grad = new TzcShapeGradBtn(form.get());
    grad->setGeometry(btn->geometry());
    grad->setFont(btn->font());
    grad->SetColor(Green);
    grad->SetShadow(Shadow);
    grad->SetHigh(Light);
    grad->SetEndColor(Green);
    EXPECT_EQ(grad->grab().toImage(), btn->grab().toImage());
    grad->SetEndColor(vcl::clBlue);
    EXPECT_NE(grad->grab().toImage(), btn->grab().toImage());
    grad->SetGrad(gCenter);
    grad->resize(30, 2); // no room for rings: plain
    btn->resize(30, 2);
    EXPECT_EQ(grad->grab().toImage(), btn->grab().toImage());
}

TEST_F(ShapeVariants, DisabledGlyphIsEmbossed)
{
    QImage glyph(8, 8, QImage::Format_RGB32);
    glyph.fill(Qt::magenta);
    glyph.setPixel(3, 3, qRgb(0, 0, 0));
    auto *b = new TzcShapeBitColBtn(form.get());
    b->resize(30, 30);
    b->SetColor(vcl::clSilver);
    b->SetBitmap(glyph);
    b->SetTransColor(vcl::clFuchsia);
    const auto px = [&](int x, int y) { return b->grab().toImage().pixel(x, y); };
    // At OffsetGlyph (2, 2): the black pixel, the transparent colour as the face.
    EXPECT_EQ(px(2 + 3, 2 + 3), qRgb(0, 0, 0));
    EXPECT_EQ(px(2 + 1, 2 + 1), vcl::ToQColor(vcl::clSilver).rgb());
    b->setEnabled(false);
    EXPECT_EQ(px(2 + 3, 2 + 3), vcl::ToQColor(vcl::clBtnShadow).rgb());
    EXPECT_EQ(px(2 + 4, 2 + 4), vcl::ToQColor(vcl::clBtnHighlight).rgb());
    b->SetAuto(true);
    b->SetTransColor(vcl::clBlack);
    EXPECT_FALSE(b->AutoBackColor());
    b->SetNumberOfBitmaps(7);
    EXPECT_EQ(b->NumGlyphs(), 1);
}

TEST_F(ShapeVariants, IconButtonDefaultsAndFill)
{
    auto *b = new TzcShapeIconColBtn(form.get());
    EXPECT_EQ(b->size(), QSize(140, 140));
    EXPECT_EQ(b->TextSize().Rect(), (TRect{36, 36, 132, 132}));
    QPixmap icon(6, 6);
    icon.fill(Qt::magenta);
    b->SetDownIcon(icon);
    EXPECT_EQ(b->GlyphEnabled().cacheKey(), icon.cacheKey());
    EXPECT_EQ(b->GlyphDisabled().cacheKey(), icon.cacheKey());
    EXPECT_EQ(b->grab().toImage().pixelColor(4, 4), QColor(Qt::magenta));
}

} // namespace
