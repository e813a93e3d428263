// The wait dialog and the software-version check.
#include "modal_watchdog.h"

#include "config/Transfer.h"
#include "link/DeviceCommands.h"
#include "platform/vcl/TestDialogs.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <string>
#include <vector>

namespace {

using namespace devlink;
using Bytes = std::vector<std::uint8_t>;

// ---- wait dialog -----------------------------------------------------------------

struct WaitDialog : ::testing::Test
{
    vcl::ScriptedDialogs dialogs;
    TUpdateForm form;
    int cancels = 0;
    WaitDialog()
    {
        UpdateForm = &form;
        form.CancelTransfer = [this] {
            ++cancels;
            form.FormDeactivate();
        };
    }
    ~WaitDialog() override { UpdateForm = nullptr; }
};

TEST_F(WaitDialog, BarRunsToOneHundredAndStartsAgain)
{
    form.FormActivate();
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 100);
    const struct
    {
        int ticks, bar;
    } steps[] = {{1, 1}, {100, 100}, {101, 0}, {102, 1}};
    int done = 0;
    for (const auto &step : steps) {
        for (; done < step.ticks; ++done)
            form.Timer1Timer();
        EXPECT_EQ(form.ProgressBar1->value(), step.bar) << step.ticks;
        EXPECT_EQ(UpdateProgress, step.bar);
    }
    EXPECT_EQ(dialogs.count(), 0);
    form.FormDeactivate();
}

TEST_F(WaitDialog, GivesUpOnThe652ndTickAndLeavesTheTransferAlone)
{
    TransferState = tsRequestFlash;
    ModalWatchdog watchdog;
    form.Timer1->setInterval(0);
    form.ShowModal({});
    EXPECT_EQ(UpdateTicks, 652);
    ASSERT_EQ(dialogs.texts(), QStringList{" Update timeout "});
    EXPECT_EQ(dialogs.last().parent, &form);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(TransferState, tsRequestFlash);

    // Shown again: from position 0 with a fresh time-out.
    dialogs.clear();
    form.Timer1->setInterval(100);
    QTimer::singleShot(0, &form, [this] {
        EXPECT_EQ(UpdateTicks, 0);
        EXPECT_EQ(form.ProgressBar1->value(), 0);
        form.Timer1Timer();
        EXPECT_EQ(form.ProgressBar1->value(), 1);
        form.FormDeactivate();
    });
    form.ShowModal({});
    EXPECT_EQ(dialogs.count(), 0);
    TransferState = tsIdle;
}

TEST_F(WaitDialog, CancelCloseBoxAndEscapeCancelTheTransfer)
{
    ModalWatchdog watchdog;
    const std::vector<std::function<void()>> ways = {
        [this] { form.BtnCancel->click(); },
        [this] { form.close(); },
        [this] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&form, &escape);
        },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        QTimer::singleShot(0, &form, ways[i]);
        form.ShowModal({});
        EXPECT_EQ(cancels, int(i) + 1);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_F(WaitDialog, TransferThatEndsBeforeTheShowShowsNothing)
{
    bool shown = false;
    QTimer::singleShot(0, &form, [&] { shown = form.isVisible(); });
    form.ShowModal([this] { form.FormDeactivate(); });
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer1->isActive());
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
}

// ---- version check -------------------------------------------------------------

TEST(VersionCheck, NumberFromTheTextAroundThePoint)
{
    const struct
    {
        const char *text;
        std::optional<int> number;
        bool accepted;
    } cases[] = {
        {"8.00", 800, true},
        {"9.99", 999, true},
        {"8.52", 852, true},
        {"7.99", 799, false},
        {"10.00", 0, false},
        {"V8.5", 85, false},
        {"8.", 8, false},
        {".52", std::nullopt, false},
        {"852", std::nullopt, false},
        {"8.5x", std::nullopt, false},
        {"x.52", std::nullopt, false},
        {"", std::nullopt, false},
        {"V9.1", 91, false},
        {"9.1.2", std::nullopt, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VersionNumber(c.text), c.number);
        EXPECT_EQ(IsAcceptedVersion(c.text), c.accepted);
    }
}

Bytes versionFrame(const std::string &text, std::uint8_t node = NodeApplication)
{
    DeviceFrame f(node, VERSION_CFM, 24);
    for (std::size_t i = 0; i < text.size() && i < 20; ++i)
        f.set(4 + i, static_cast<std::uint8_t>(text[i]));
    f.finish();
    return Bytes(f.data(), f.data() + 24);
}

TEST(VersionCheck, AnswerFromTheUnit)
{
    const struct
    {
        std::string text;
        bool accepted;
        const char *shown;
    } cases[] = {
        {"8.52", true, "8.52"},
        {"7.99", false, "7.99"},
        {"10.00", false, "10.00"},
        {".52", false, ".52"},
        // 20 characters without a NUL are taken whole.
        {"9.01-ABCDEFGHIJKLMNO", true, "9.01-ABCDEFGHIJKLMNO"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        TVersionForm form;
        EXPECT_EQ(VersionForm, &form);
        EXPECT_TRUE(form.Timer1->isActive());
        const Bytes f = versionFrame(c.text);
        form.HandleFrame(f.data(), f.size());
        EXPECT_FALSE(form.Timer1->isActive());
        EXPECT_TRUE(form.Timer2->isActive()) << "the window closes after showing the version";
        EXPECT_EQ(form.VersionAccepted, c.accepted);
        EXPECT_EQ(form.TimedOut, 0);
        EXPECT_EQ(form.Label1->text(), c.shown);
    }
    EXPECT_EQ(VersionForm, nullptr);
}

TEST(VersionCheck, OnlyValidVersionAnswersCount)
{
    TVersionForm form;
    Bytes bad = versionFrame("8.52");
    bad[0] ^= 1;
    Bytes node0 = versionFrame("8.52", NodeSystem);
    Bytes otherCode = versionFrame("8.52");
    otherCode[3] = STATISTICS_CFM;
    otherCode[0] ^= VERSION_CFM ^ STATISTICS_CFM;
    const Bytes truncated = versionFrame("8.52");
    for (const Bytes *f : {&bad, &node0, &otherCode})
        form.HandleFrame(f->data(), f->size());
    form.HandleFrame(truncated.data(), 10); // Length 24 but only 10 bytes came
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.VersionAccepted, 0);
    EXPECT_EQ(form.Label1->text(), "Version ");
}

TEST(VersionCheck, NoAnswerTimesOut)
{
    TVersionForm form;
    form.Timer1Timer();
    EXPECT_EQ(form.TimedOut, 1);
    EXPECT_EQ(form.VersionAccepted, 0);
    // A late answer after the check was over changes nothing, and the show returns at once.
    const Bytes f = versionFrame("8.52");
    form.HandleFrame(f.data(), f.size());
    EXPECT_EQ(form.VersionAccepted, 0);
    form.ShowModal();
    EXPECT_FALSE(form.isVisible());
}

TEST(VersionCheck, ModalRunWithShortTimers)
{
    struct Intervals
    {
        int answer = TVersionForm::AnswerTimeoutMs, show = TVersionForm::ShowVersionMs;
        ~Intervals()
        {
            TVersionForm::AnswerTimeoutMs = answer;
            TVersionForm::ShowVersionMs = show;
        }
    } restore;
    ModalWatchdog watchdog;

    // No answer: the time-out ends the check.
    TVersionForm::AnswerTimeoutMs = 0;
    {
        TVersionForm form;
        form.ShowModal();
        EXPECT_EQ(form.TimedOut, 1);
    }
    // An answer while shown: the version is accepted and the window closes.
    TVersionForm::AnswerTimeoutMs = 60000;
    TVersionForm::ShowVersionMs = 0;
    {
        TVersionForm form;
        const Bytes f = versionFrame("9.10");
        QTimer::singleShot(0, &form, [&] { form.HandleFrame(f.data(), f.size()); });
        form.ShowModal();
        EXPECT_EQ(form.VersionAccepted, 1);
        EXPECT_EQ(form.ClosedByUser, 0);
    }
    // Answers that keep coming faster than the window's time do not keep it open.
    TVersionForm::ShowVersionMs = 20;
    {
        TVersionForm form;
        const Bytes f = versionFrame("9.10");
        QTimer answers;
        answers.setInterval(0);
        QObject::connect(&answers, &QTimer::timeout, &form,
                         [&] { form.HandleFrame(f.data(), f.size()); });
        answers.start();
        form.ShowModal();
        EXPECT_EQ(form.VersionAccepted, 1);
    }
    // Closed by the user: not passed, whatever comes later.
    {
        TVersionForm form;
        QTimer::singleShot(0, &form, [&] { form.close(); });
        form.ShowModal();
        EXPECT_EQ(form.ClosedByUser, 1);
        const Bytes f = versionFrame("9.10");
        form.HandleFrame(f.data(), f.size());
        EXPECT_EQ(form.VersionAccepted, 0);
    }
    EXPECT_FALSE(watchdog.fired);
}

} // namespace
