// The picture buttons: state pictures and shapes, the check box's and radio
// button's clicks and groups, and the push button's press, dialog keys and
// pointer tracking.
#include "widgets/Std2BitmapButtons.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

namespace {

using vcl::TColor;

QImage solid(int w, int h, TColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(vcl::ToQColor(color));
    return image;
}

TColor at(const QImage &image, int x, int y)
{
    return vcl::FromQColor(image.pixelColor(x, y));
}

QImage shot(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A region of the rectangle (x, y, w, h) inside a white picture of the
// rectangle's right and bottom size.
std::unique_ptr<TzcRgn> region(int x, int y, int w, int h)
{
    QImage picture = solid(x + w, y + h, vcl::clWhite);
    for (int py = y; py < y + h; ++py)
        for (int px = x; px < x + w; ++px)
            picture.setPixel(px, py, qRgb(0, 0, 0));
    auto rgn = std::make_unique<TzcRgn>();
    rgn->SerRgnFromBmp(picture, vcl::clWhite);
    return rgn;
}

void send(QWidget *w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void click(QWidget *w, QPoint p)
{
    send(w, QEvent::MouseButtonPress, p);
    send(w, QEvent::MouseButtonRelease, p);
}

void key(QWidget *w, QEvent::Type type, int k)
{
    QKeyEvent e(type, k, Qt::NoModifier, k == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(w, &e);
}

class Form : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        form->resize(300, 200);
        other = new QLineEdit(form.get());
        other->setGeometry(200, 150, 80, 20);
    }

    void show()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        other->setFocus();
    }

    std::unique_ptr<QWidget> form;
    QLineEdit *other = nullptr;
};

// The caption's accelerator: the check box takes the focus and toggles, the
// radio button takes the focus (which checks it), the push button clicks.
TEST_F(Form, CaptionAcceleratorActs)
{
    show();
    auto *box = new TzcFancyCheckBox(form.get());
    auto *radio = new TzcFancyRadioButton(form.get());
    auto *push = new TzcFancyButton(form.get());
    radio->move(0, 40);
    push->move(100, 0);
    box->SetCaption(QStringLiteral("&Box"));
    radio->SetCaption(QStringLiteral("&Radio"));
    push->SetCaption(QStringLiteral("&Push"));
    for (TzcFancyBase *b : std::initializer_list<TzcFancyBase *>{box, radio, push}) {
        b->Loaded();
        b->show();
    }
    QSignalSpy pushes(push, &TzcFancyBase::OnClick);
    QTest::keyClick(other, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(radio->Checked());
    EXPECT_TRUE(radio->hasFocus());
    QTest::keyClick(radio, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(pushes.count(), 1);
    // A caption without an accelerator lets the key go.
    push->SetCaption(QStringLiteral("Push"));
    QTest::keyClick(radio, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(pushes.count(), 1);
}

using CheckBox = Form;

TEST_F(CheckBox, ClicksCycleTheState)
{
    struct Case
    {
        bool allowGrayed;
        std::vector<TCheckBoxState> states;
    };
    const Case cases[] = {{false, {cbChecked, cbUnchecked, cbChecked}},
                          {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}}};
    for (const Case &c : cases) {
        auto *box = new TzcFancyCheckBox(form.get());
        box->SetAllowGrayed(c.allowGrayed);
        box->Loaded();
        QSignalSpy clicks(box, &TzcFancyBase::OnClick);
        QSignalSpy changes(box, &TzcFancyCustomBtn::CMChanged);
        for (std::size_t i = 0; i < c.states.size(); ++i) {
            if (i % 2 == 0) {
                click(box, QPoint(5, 5));
            } else {
                key(box, QEvent::KeyPress, Qt::Key_Space);
                key(box, QEvent::KeyRelease, Qt::Key_Space);
            }
            EXPECT_EQ(box->State(), c.states[i]) << "grayed " << c.allowGrayed << " step " << i;
        }
        EXPECT_EQ(clicks.count(), int(c.states.size()));
        // Setting what it already holds clicks nothing.
        box->SetState(box->State());
        EXPECT_EQ(clicks.count(), int(c.states.size()));
        const bool wasChecked = box->Checked();
        box->SetChecked(true);
        box->SetChecked(true);
        EXPECT_EQ(clicks.count(), int(c.states.size()) + (wasChecked ? 0 : 1));
        EXPECT_EQ(changes.count(), clicks.count()) << "each change is reported once";
        delete box;
    }
}

TEST_F(CheckBox, DoubleClickAndReleasesOutsideTheShape)
{
    auto *box = new TzcFancyCheckBox(form.get());
    box->SetURgn(region(10, 0, 20, 20).get());
    box->Loaded();
    EXPECT_EQ(box->size(), QSize(30, 20)); // to the region's right and bottom edges
    QSignalSpy downs(box, &TzcFancyBase::OnMouseDown);
    QSignalSpy moves(box, &TzcFancyBase::OnMouseMove);
    std::vector<TCheckBoxState> statesAtMouseUp;
    QObject::connect(box, &TzcFancyBase::OnMouseUp, box,
                     [&] { statesAtMouseUp.push_back(box->State()); });
    send(box, QEvent::MouseButtonPress, QPoint(15, 5));
    send(box, QEvent::MouseMove, QPoint(2, 5));
    send(box, QEvent::MouseButtonRelease, QPoint(2, 5)); // in the rectangle, not the shape
    EXPECT_EQ(box->State(), cbUnchecked);
    send(box, QEvent::MouseButtonPress, QPoint(15, 5));
    send(box, QEvent::MouseButtonRelease, QPoint(15, 5));
    send(box, QEvent::MouseButtonDblClick, QPoint(15, 5));
    send(box, QEvent::MouseButtonRelease, QPoint(15, 5));
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(downs.count(), 3);
    EXPECT_EQ(moves.count(), 1);
    // The click comes first, then OnMouseUp.
    EXPECT_EQ(statesAtMouseUp, (std::vector<TCheckBoxState>{cbUnchecked, cbChecked, cbChecked}));
}

TEST_F(CheckBox, RightClickOpensThePopupMenu)
{
    show();
    auto *box = new TzcFancyCheckBox(form.get());
    box->show();
    auto *menu = new QMenu(form.get());
    menu->addAction(QStringLiteral("Item"));
    box->SetPopupMenu(menu);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(3, 3), box->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(box, &e);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    delete menu;
    EXPECT_EQ(box->PopupMenu(), nullptr) << "a freed menu is forgotten";
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(3, 3), box->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(box, &again);
    EXPECT_FALSE(again.isAccepted()) << "left to the parent";
}

TEST_F(CheckBox, StatesTakeTheirOwnOrTheFirstPictureAndShape)
{
    show();
    auto *box = new TzcFancyCheckBox(form.get());
    box->setGeometry(10, 10, 60, 40);
    box->show();
    box->SetColor(vcl::clBlue);
    box->SetUBmp(solid(6, 6, vcl::clRed));
    TzcBmpOffset offset(20, 10);
    box->SetCOs(offset);
    box->SetCRgn(region(0, 0, 40, 30).get());
    box->SetChecked(true);
    // Before Loaded: the plain picture in the full rectangle.
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::sPlain);
    EXPECT_EQ(box->size(), QSize(60, 40));
    box->Loaded();
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::sChecked);
    EXPECT_EQ(box->size(), QSize(40, 30));
    EXPECT_EQ(box->mask(), QRegion(0, 0, 40, 30));
    QImage face = shot(*box);
    EXPECT_EQ(at(face, 20, 10), vcl::clRed) << "the first glyph at the state's offset";
    EXPECT_EQ(at(face, 0, 0), vcl::clBlue);

    // Grayed has neither region nor glyph of its own; the plain state has a region.
    box->SetURgn(region(0, 0, 50, 20).get());
    box->SetAllowGrayed(true);
    box->SetState(cbGrayed);
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::sGrayed);
    EXPECT_EQ(box->size(), QSize(50, 20));
    face = shot(*box);
    EXPECT_EQ(at(face, 0, 0), vcl::clRed);

    box->setEnabled(false);
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::sDisabled);
    box->setEnabled(true);
    box->setFocus();
    EXPECT_EQ(box->CurrentState(), TzcFancyCustomBtn::sFocusedGrayed);
}

using RadioButton = Form;

TEST_F(RadioButton, CheckingUnchecksItsGroupOnly)
{
    QWidget *otherParent = new QWidget(form.get());
    TzcFancyRadioButton *a = new TzcFancyRadioButton(form.get());
    TzcFancyRadioButton *b = new TzcFancyRadioButton(form.get());
    TzcFancyRadioButton *c = new TzcFancyRadioButton(form.get());
    TzcFancyRadioButton *d = new TzcFancyRadioButton(otherParent);
    c->SetGroupIndex(1);
    for (TzcFancyRadioButton *r : {a, b, c, d})
        r->SetChecked(true);
    QSignalSpy clicksA(a, &TzcFancyBase::OnClick);
    QSignalSpy clicksB(b, &TzcFancyBase::OnClick);
    QSignalSpy changesB(b, &TzcFancyCustomBtn::CMChanged);
    // The change is reported once the group has been unchecked, before OnClick.
    std::vector<const char *> reports;
    QObject::connect(a, &TzcFancyCustomBtn::CMChanged, a, [&] {
        EXPECT_FALSE(b->Checked());
        reports.push_back("changed");
    });
    QObject::connect(a, &TzcFancyBase::OnClick, a, [&] { reports.push_back("click"); });
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(d->Checked());
    a->SetChecked(true);
    EXPECT_FALSE(b->Checked());
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(d->Checked());
    EXPECT_EQ(clicksA.count(), 1);
    EXPECT_EQ(clicksB.count(), 0) << "unchecking clicks nothing";
    EXPECT_EQ(changesB.count(), 0);
    EXPECT_EQ(reports, (std::vector<const char *>{"changed", "click"}));
    EXPECT_TRUE(a->TabStop());
    EXPECT_FALSE(b->TabStop());

    // A button without a parent has no group.
    TzcFancyRadioButton alone;
    alone.SetChecked(true);
    EXPECT_TRUE(alone.Checked());
}

TEST_F(RadioButton, FocusChecksAndDoubleClickIsReported)
{
    show();
    auto *a = new TzcFancyRadioButton(form.get());
    auto *b = new TzcFancyRadioButton(form.get());
    b->move(0, 40);
    a->show();
    b->show();
    a->SetChecked(true);
    b->setFocus();
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    QSignalSpy doubles(a, &TzcFancyRadioButton::OnDblClick);
    send(a, QEvent::MouseButtonDblClick, QPoint(3, 3));
    EXPECT_EQ(doubles.count(), 1);
}

using PushButton = Form;

// Shows which style the button is given.
class StyleProbe : public TzcFancyButton
{
public:
    using TzcFancyButton::DefaultStyle;
    using TzcFancyButton::TzcFancyButton;
    std::vector<bool> styles;

protected:
    void SetButtonStyle(bool makeDefault) override
    {
        styles.push_back(makeDefault);
        TzcFancyButton::SetButtonStyle(makeDefault);
    }
};

TEST_F(PushButton, PressFollowsTheShapeAndOnlyAReleaseInsideClicks)
{
    auto *btn = new TzcFancyButton(form.get());
    btn->SetUpRgn(region(0, 0, 30, 20).get());
    btn->SetDownRgn(region(0, 0, 30, 10).get());
    btn->Loaded();
    QSignalSpy clicks(btn, &TzcFancyBase::OnClick);
    QSignalSpy downs(btn, &TzcFancyBase::OnMouseDown);
    QSignalSpy ups(btn, &TzcFancyBase::OnMouseUp);
    EXPECT_EQ(btn->size(), QSize(30, 20));

    send(btn, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_TRUE(btn->Down());
    EXPECT_EQ(btn->size(), QSize(30, 10)) << "the down state's shape";
    send(btn, QEvent::MouseMove, QPoint(5, 15)); // out of the down shape
    EXPECT_FALSE(btn->Down());
    EXPECT_EQ(btn->CurrentState(), TzcFancyButton::sUp); // the form is not shown: no focus
    EXPECT_EQ(btn->size(), QSize(30, 20));
    send(btn, QEvent::MouseMove, QPoint(5, 5));
    EXPECT_TRUE(btn->Down());
    send(btn, QEvent::MouseMove, QPoint(40, 5));
    send(btn, QEvent::MouseButtonRelease, QPoint(40, 5));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(btn->Tracking());

    click(btn, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(btn->Down());
    EXPECT_EQ(downs.count(), 2);
    EXPECT_EQ(ups.count(), 2);
}

TEST_F(PushButton, SpaceClicksOnReleaseUnlessAMouseSPressIsHeld)
{
    auto *btn = new TzcFancyButton(form.get());
    btn->Loaded();
    QSignalSpy clicks(btn, &TzcFancyBase::OnClick);
    key(btn, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(btn->Down());
    EXPECT_EQ(clicks.count(), 0);
    key(btn, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(btn->Down());

    send(btn, QEvent::MouseButtonPress, QPoint(5, 5));
    key(btn, QEvent::KeyPress, Qt::Key_Space);
    key(btn, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    send(btn, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(PushButton, ShapesOfTheStates)
{
    auto *plain = new TzcFancyButton(form.get());
    plain->resize(50, 30);
    plain->Loaded();
    EXPECT_EQ(plain->mask(), QRegion(0, 0, 50, 30));

    auto *shaped = new TzcFancyButton(form.get());
    shaped->SetUpRgn(region(5, 5, 20, 10).get());
    shaped->Loaded();
    EXPECT_EQ(shaped->size(), QSize(25, 15));
    send(shaped, QEvent::MouseButtonPress, QPoint(10, 10));
    EXPECT_EQ(shaped->mask(), QRegion(5, 5, 20, 10)) << "down uses the up shape";
    send(shaped, QEvent::MouseButtonRelease, QPoint(10, 10));
    shaped->setEnabled(false);
    EXPECT_EQ(shaped->CurrentState(), TzcFancyButton::sDisabled);
    EXPECT_EQ(shaped->mask(), QRegion(5, 5, 20, 10));

    // Bytes that are no region count as none: the whole rectangle.
    auto *broken = new TzcFancyButton(form.get());
    TzcRgn junk;
    junk.SetRgn("not a region at all, no", 24);
    broken->resize(40, 20);
    broken->SetUpRgn(&junk);
    broken->Loaded();
    EXPECT_EQ(broken->mask(), QRegion(0, 0, 40, 20));
}

TEST_F(PushButton, BeforeLoadedShowsTheFocusedPicture)
{
    auto *btn = new TzcFancyButton(form.get());
    btn->SetFocusedBmp(solid(4, 4, vcl::clRed));
    btn->SetUpRgn(region(0, 0, 10, 10).get());
    EXPECT_EQ(btn->CurrentState(), TzcFancyButton::sFocused);
    EXPECT_EQ(btn->size(), QSize(89, 33));
    TzcBmpOffset offset(0, 0);
    btn->SetFocusedOs(offset);
    EXPECT_EQ(at(shot(*btn), 2, 2), vcl::clRed);
    EXPECT_EQ(at(shot(*btn), 2, 2), vcl::clRed);
}

TEST_F(PushButton, DialogKeysAndModalResult)
{
    QDialog dialog;
    dialog.resize(200, 100);
    auto *edit = new QLineEdit(&dialog);
    edit->setGeometry(0, 60, 80, 20);
    auto *ok = new StyleProbe(&dialog);
    auto *cancel = new StyleProbe(&dialog);
    cancel->move(100, 0);
    ok->SetModalResult(1);
    cancel->SetModalResult(2);
    ok->SetDefault(true);
    EXPECT_EQ(ok->styles, std::vector<bool>{true}) << "asked, though not yet shown";
    EXPECT_FALSE(ok->DefaultStyle());
    cancel->SetCancel(true);
    ok->Loaded();
    cancel->Loaded();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QSignalSpy okClicks(ok, &TzcFancyBase::OnClick);
    QSignalSpy cancelClicks(cancel, &TzcFancyBase::OnClick);
    EXPECT_TRUE(ok->Active());
    EXPECT_TRUE(ok->DefaultStyle());
    EXPECT_FALSE(cancel->DefaultStyle());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    EXPECT_EQ(dialog.result(), 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    EXPECT_EQ(dialog.result(), 2);
    // Return goes to the focused picture button, not the default one.
    cancel->setFocus();
    EXPECT_FALSE(ok->Active());
    EXPECT_FALSE(ok->DefaultStyle());
    EXPECT_FALSE(ok->styles.back());
    EXPECT_TRUE(cancel->DefaultStyle());
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_EQ(cancelClicks.count(), 2);
    EXPECT_EQ(okClicks.count(), 1);

    // A modal dialog closes only after OnClick, which may still keep it open.
    dialog.open();
    bool keepOpen = true;
    QObject::connect(ok, &TzcFancyBase::OnClick, &dialog, [&] {
        if (keepOpen)
            dialog.setResult(0);
    });
    ok->Click();
    EXPECT_TRUE(dialog.isVisible());
    keepOpen = false;
    ok->Click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);

    EXPECT_EQ(ok->HelpContext(), 0);
    ok->SetHelpContext(42);
    EXPECT_EQ(ok->HelpContext(), 42);

    // Without a parent there is no form to tell.
    TzcFancyButton alone;
    alone.SetDefault(true);
    alone.Click();
    EXPECT_TRUE(alone.Active());
}

TEST_F(PushButton, MouseEnterAndLeaveOncePerCrossing)
{
    show();
    auto *btn = new TzcFancyButton(form.get());
    btn->setGeometry(10, 10, 40, 20);
    btn->show();
    QSignalSpy enters(btn, &TzcFancyButton::OnMouseEnter);
    QSignalSpy leaves(btn, &TzcFancyButton::OnMouseLeave);
    QCursor::setPos(btn->mapToGlobal(QPoint(5, 5)));
    btn->Loaded();
    EXPECT_TRUE(btn->MouseIn());
    EXPECT_EQ(enters.count(), 1);
    btn->Click();
    btn->setEnabled(false);
    btn->setEnabled(true);
    send(btn, QEvent::MouseMove, QPoint(6, 6));
    EXPECT_EQ(enters.count(), 1) << "no crossing, no event";
    EXPECT_EQ(leaves.count(), 0);
    QCursor::setPos(form->mapToGlobal(QPoint(150, 100)));
    QApplication::processEvents();
    btn->setEnabled(false);
    EXPECT_FALSE(btn->MouseIn());
    EXPECT_EQ(leaves.count(), 1);
}

} // namespace
