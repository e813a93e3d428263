#include "platform/vcl/Dialogs.h"
#include "platform/vcl/MainThreadCall.h"
#include "platform/vcl/TestDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <atomic>
#include <thread>

namespace {

using namespace vcl;

TEST(Dialogs, ScriptedProviderRecordsAndAnswers)
{
    QGuiApplication::setApplicationDisplayName("QM5230 Tessaron");
    ScriptedDialogs dialogs;
    dialogs.answer(MsgButton::No);
    QWidget window;

    ShowMessage("Data stored in Tessaron", &window); // scripted No is used here
    EXPECT_EQ(MessageDlg("Reboot Target to use new settings?", MsgType::Confirmation,
                         MsgButton::Yes | MsgButton::No),
              MsgButton::Yes); // script empty: first button
    EXPECT_EQ(MessageBox("x", "Own caption", MsgType::Error, MsgButton::No | MsgButton::Cancel,
                         nullptr, MsgButton::Cancel),
              MsgButton::No);

    ASSERT_EQ(dialogs.count(), 3);
    EXPECT_EQ(dialogs.shown()[1].defaultButton, MsgButton::None) << "the box's own choice";
    EXPECT_EQ(dialogs.shown()[2].defaultButton, MsgButton::Cancel);
    const auto &shown = dialogs.shown();
    EXPECT_EQ(shown[0].caption, "QM5230 Tessaron");
    EXPECT_EQ(shown[0].type, MsgType::Information);
    EXPECT_EQ(shown[0].buttons, MsgButtons(MsgButton::Ok));
    EXPECT_EQ(shown[0].parent, &window);
    EXPECT_EQ(shown[0].answer, MsgButton::No);
    EXPECT_EQ(shown[1].caption, "Confirmation");
    EXPECT_EQ(shown[2].caption, "Own caption");
    EXPECT_EQ(dialogs.texts(),
              (QStringList{"Data stored in Tessaron", "Reboot Target to use new settings?", "x"}));
    EXPECT_EQ(dialogs.unusedAnswers(), 0);

    const struct
    {
        MsgType type;
        const char *caption;
    } captions[] = {{MsgType::Information, "Information"},
                    {MsgType::Warning, "Warning"},
                    {MsgType::Error, "Error"},
                    {MsgType::Confirmation, "Confirmation"}};
    for (const auto &row : captions) {
        MessageDlg("t", row.type, MsgButton::Ok);
        EXPECT_EQ(dialogs.last().caption, row.caption);
    }
}

TEST(Dialogs, ScriptedProvidersNest)
{
    DialogProvider *const before = &dialogProvider();
    {
        ScriptedDialogs outer;
        {
            ScriptedDialogs inner;
            ShowMessage("inner");
            EXPECT_EQ(&dialogProvider(), &inner);
        }
        EXPECT_EQ(&dialogProvider(), &outer);
        ShowMessage("outer");
        EXPECT_EQ(outer.texts(), QStringList{"outer"});
    }
    EXPECT_EQ(&dialogProvider(), before);
}

TEST(Dialogs, DeferredBoxWaitsForTheEventLoop)
{
    ScriptedDialogs dialogs;
    dialogs.answer(MsgButton::Cancel);
    MsgButton answered = MsgButton::None;
    auto parent = std::make_unique<QWidget>();

    // As a frame handler would: post, then finish without a box.
    ShowMessageLater("Tessaron in Calibration mode");
    PostMessageBox("Overwrite ?", "Warning", MsgType::Warning,
                   MsgButton::Yes | MsgButton::No | MsgButton::Cancel, parent.get(),
                   [&](MsgButton b) { answered = b; });
    EXPECT_EQ(dialogs.count(), 0);
    parent.reset(); // the window went away before the box came

    ScriptedDialogs::deliverPosted();
    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_EQ(dialogs.shown()[0].text, "Tessaron in Calibration mode");
    EXPECT_EQ(dialogs.shown()[0].answer, MsgButton::Cancel);
    EXPECT_EQ(dialogs.shown()[1].parent, nullptr);
    EXPECT_EQ(answered, MsgButton::Yes);
}

TEST(Dialogs, BoxPostedFromAWorkerShowsOnTheMainThread)
{
    ScriptedDialogs dialogs;
    QThread *shownOn = nullptr;
    dialogs.setOnShow([&](const ScriptedDialogs::Shown &) { shownOn = QThread::currentThread(); });
    std::thread worker([] { ShowMessageLater("No contact to target"); });
    worker.join();
    EXPECT_EQ(dialogs.count(), 0);
    ScriptedDialogs::deliverPosted();
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(shownOn, qApp->thread());
}

// The default provider, answered through the real box.
MsgButton answerRealBox(MsgButtons buttons, const std::function<void(QMessageBox *)> &press,
                        MsgButton defaultButton = MsgButton::None)
{
    QTimer::singleShot(0, qApp, [press] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        press(box);
    });
    return MessageDlg("Question?", MsgType::Confirmation, buttons, nullptr, defaultButton);
}

TEST(Dialogs, DefaultProviderUsesAMessageBox)
{
    EXPECT_EQ(answerRealBox(MsgButton::Yes | MsgButton::No,
                            [](QMessageBox *box) {
                                EXPECT_EQ(box->windowTitle(), "Confirmation");
                                EXPECT_EQ(box->text(), "Question?");
                                EXPECT_EQ(box->buttons().size(), 2);
                                box->button(QMessageBox::No)->click();
                            }),
              MsgButton::No);
    // Escape answers No without Cancel, and Cancel when there is one.
    const auto escape = [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); };
    EXPECT_EQ(answerRealBox(MsgButton::Yes | MsgButton::No, escape), MsgButton::No);
    EXPECT_EQ(answerRealBox(MsgButton::Ok | MsgButton::Cancel, escape), MsgButton::Cancel);
    EXPECT_EQ(answerRealBox(MsgButton::Ok, escape), MsgButton::Ok);
    // Enter presses the default button: the box's first of Yes and Ok unless
    // the caller names another.
    const auto enter = [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); };
    EXPECT_EQ(answerRealBox(MsgButton::Yes | MsgButton::No, enter), MsgButton::Yes);
    EXPECT_EQ(answerRealBox(MsgButton::Yes | MsgButton::No, enter, MsgButton::No), MsgButton::No);
    EXPECT_EQ(answerRealBox(MsgButton::Yes | MsgButton::No, enter, MsgButton::Yes), MsgButton::Yes);
}

// A window manager draws the caption in a bold font beside a window icon and
// three buttons, and shortens a caption that does not fit ("QM5...aron"):
// every box leaves room for its whole caption. Under openbox the buttons and
// gaps take some 90 pixels at a 14-pixel font; 7 font heights cover them.
TEST(Dialogs, DefaultBoxIsWideEnoughForItsCaption)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const struct
    {
        const char *caption;
        const char *text;
    } cases[] = {
        {"QM5230 Tessaron", "Unexpected error"},
        {"QM5230 Tessaron", "Data stored in Tessaron"},
        {"Confirmation", "OK?"},
        {"Error", "Wrong password.\n\nUnable to read or write data!"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        int width = 0;
        QTimer::singleShot(0, qApp, [&width] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            width = box->width();
            box->button(QMessageBox::Ok)->click();
        });
        MessageBox(c.text, c.caption, MsgType::Information, MsgButton::Ok);
        EXPECT_GE(width, metrics.horizontalAdvance(c.caption) + 7 * metrics.height());
    }
}

} // namespace

// A box raised while a frame is handled must not hold the link: the worker's
// hand-over, already waiting behind the box's call, still runs while the box
// is open.
TEST(Dialogs, OpenPostedBoxDoesNotHoldBackTheWorker)
{
    QObject context;
    MainThreadCall call(&context);
    std::atomic<int> handedOver{0};
    int duringBox = -1;
    ScriptedDialogs dialogs;
    dialogs.setOnShow([&](const ScriptedDialogs::Shown &) {
        QEventLoop modal; // stands for the box's own loop
        QTimer::singleShot(100, &modal, &QEventLoop::quit);
        modal.exec();
        duringBox = handedOver;
    });
    PostMessageBox("Wrong password.", "Error", MsgType::Error, MsgButton::Ok);
    std::thread worker([&] { call.Run([&] { ++handedOver; }); });
    QThread::msleep(20); // the hand-over is queued behind the box's call
    for (int i = 0; i < 50 && duringBox < 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    call.Shutdown();
    worker.join();
    EXPECT_EQ(duringBox, 1);
}
