// Current calibration: the ratio computation, the frames byte by byte, and the
// window's handling of the unit's answers (its sender captured, its timer
// slots called directly).
#include "link/DeviceCommands.h"
#include "platform/vcl/TestDialogs.h"
#include "tools/Calibration.h"
#include "tools/CalibrationUnit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

using namespace calibration;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bytes(const devlink::DeviceFrame &f)
{
    return Bytes(f.data(), f.data() + f.length());
}

// --- the computation ---

struct RatioCase
{
    const char *why;
    const char *current, *ad, *offset;
    RatioError error;
    int ratio;
};

const RatioCase RatioCases[] = {
    {"10 A over 980 counts is 982, raised to the lower limit", "10.0", "1000", "20",
     RatioError::None, 5000},
    {"1 A over 10 counts: 1e6 / 103.9 = 9624.6, truncated", "1.0", "15", "5", RatioError::None,
     9624},
    {"a comma is the decimal point", "1,0", "0015", "05", RatioError::None, 9624},
    {"5 A over 95 counts: 5065.6", "5", "0100", "05", RatioError::None, 5065},
    {"2.6 A over 10 counts: 25024, lowered to the upper limit", "2.6", "15", "5", RatioError::None,
     25000},
    {"a current beyond int range still clamps", "1e300", "15", "5", RatioError::None, 25000},
    // No number is 0 A, which gives the lower limit.
    {"no current typed", "", "15", "5", RatioError::None, 5000},
    {"no number", "abc", "15", "5", RatioError::None, 5000},
    {"the number in front of other text", "1A", "15", "5", RatioError::None, 9624},
    {"zero current", "0", "15", "5", RatioError::None, 5000},
    {"negative current", "-1.5", "15", "5", RatioError::None, 5000},
    {"A/D below the offset: a negative ratio", "1.0", "4", "5", RatioError::None, 5000},
    {"zero current below the offset", "0", "4", "5", RatioError::None, 5000},
    {"channel not read yet", "1.0", "--", "--", RatioError::NotRead, 0},
    {"A/D equal to the offset: divisor 0", "1.0", "5", "5", RatioError::NoAdSignal, 0},
};

TEST(CalibrationRatio, Table)
{
    for (const RatioCase &c : RatioCases) {
        const RatioResult r = NewRatio(QString::fromUtf8(c.current), c.ad, c.offset);
        EXPECT_EQ(r.error, c.error) << c.why;
        if (c.error == RatioError::None) {
            EXPECT_EQ(r.ratio, c.ratio) << c.why;
        }
    }
}

TEST(CalibrationRatio, TypedRatiosThatFitTheField)
{
    const struct
    {
        const char *text;
        std::optional<int> value;
    } cases[] = {{"", 0},      {"  ", 0},     {"30000", 30000},   {"65535", 65535},
                 {"1", 1},     {"65536", {}}, {"0", 0},           {"-5", {}},
                 {"12.5", {}}, {"abc", {}},   {"99999999999", {}}};
    for (const auto &c : cases)
        EXPECT_EQ(StoredRatio(c.text), c.value) << c.text;
}

// --- frames ---

Bytes reading(std::uint8_t channel, std::uint8_t offset, std::uint16_t ratio, std::uint16_t tenths,
              std::uint16_t ad)
{
    devlink::DeviceFrame f(1, devlink::CAL_CHANNEL_READ_CFM, 12);
    f.set(4, channel).set(5, offset).setU16BE(6, ratio).setU16BE(8, tenths).setU16BE(10, ad);
    f.finish();
    return bytes(f);
}

TEST(CalibrationFrames, ByteExact)
{
    // Checksums: XOR of bytes 1.. worked by hand.
    EXPECT_EQ(bytes(ModeRequest(2)), (Bytes{0x25, 5, 1, 0x23, 2}));
    EXPECT_EQ(bytes(ChannelReadRequest(7)), (Bytes{0x40, 5, 1, 0x43, 7}));
    EXPECT_EQ(bytes(RatioWriteRequest(3, 9624)), (Bytes{0xFA, 7, 1, 0x42, 3, 0x25, 0x98}));
    EXPECT_EQ(bytes(SwitchesRequest(true, true, 5)), (Bytes{0x40, 6, 1, 0x44, 0x06, 5}));
    EXPECT_EQ(bytes(SwitchesRequest(true, false, 0)), (Bytes{0x41, 6, 1, 0x44, 0x02, 0}));
    EXPECT_EQ(bytes(SwitchesRequest(false, false, 99)), (Bytes{0x20, 6, 1, 0x44, 0, 99}));
    EXPECT_EQ(bytes(OffsetStoreRequest()), (Bytes{0x40, 4, 1, 0x45}));
    const Bytes r = reading(5, 7, 10000, 105, 0x0169);
    EXPECT_TRUE(DecodeChannelReading(r.data(), r.size()));
    EXPECT_FALSE(DecodeChannelReading(r.data(), 11)); // cut short
}

// --- the window ---

Bytes answer(std::uint8_t code, Bytes data = {})
{
    devlink::DeviceFrame f(1, code, static_cast<std::uint8_t>(4 + data.size()));
    for (std::size_t i = 0; i < data.size(); ++i)
        f.set(4 + i, data[i]);
    f.finish();
    return bytes(f);
}

struct Window
{
    vcl::ScriptedDialogs dialogs;
    std::vector<Bytes> sent;
    TCalibrationForm form{
        nullptr, [this](const std::uint8_t *f, std::uint8_t n) {
            sent.emplace_back(f, f + n);
            return devlink::TxOutcome{};
        }};

    void receive(const Bytes &frame)
    {
        form.HandleFrame(frame.data(), frame.size());
        vcl::ScriptedDialogs::deliverPosted();
    }
    Bytes take()
    {
        if (sent.empty())
            return {};
        Bytes f = sent.front();
        sent.erase(sent.begin());
        return f;
    }
    QString text(const char *name, int channel)
    {
        const QString n = QString::fromLatin1(name) + QString::number(channel);
        if (auto *l = form.findChild<QLabel *>(n))
            return l->text();
        if (auto *e = form.findChild<QLineEdit *>(n))
            return e->text();
        return "<missing " + n + ">";
    }
};

TEST(CalibrationWindow, PollsTheChannelsRoundRobin)
{
    Window w;
    EXPECT_EQ(w.take(), bytes(ModeRequest(2)));
    w.receive(answer(devlink::MODE_CFM));
    EXPECT_EQ(w.dialogs.texts(), QStringList{"Tessaron in Calibration mode"});
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(1)));

    w.receive(reading(1, 5, 10000, 114, 15));
    EXPECT_EQ(w.text("Label_AD_Offset_", 1), "05");
    EXPECT_EQ(w.text("Label_Ratio_", 1), "10000");
    EXPECT_EQ(w.text("Label_Amp_ch_", 1), "11.4 A");
    EXPECT_EQ(w.text("Label_AD_", 1), "0015");
    EXPECT_EQ(w.text("ChannelUpdateLabel", 1), " ");
    // The row's own texts feed the computation.
    w.form.Edit_Current[0]->setText("1,0");
    w.form.Btn_NewRation[0]->click();
    EXPECT_EQ(w.text("EditNewRation_", 1), "9624");
    w.form.Edit_Current[1]->setText("1.0");
    w.form.Btn_NewRation[1]->click(); // channel 2 not read yet: "--"
    EXPECT_EQ(w.dialogs.last().text, "Channel 2 has not been read from the unit yet.");
    EXPECT_EQ(w.text("EditNewRation_", 2), "");
    EXPECT_TRUE(w.form.TimerRefres->isActive());
    w.form.TimerRefresTimer();
    EXPECT_FALSE(w.form.TimerRefres->isActive());
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(2)));

    // Whatever channel it names, a reading answers the request awaited and the
    // poll goes on: a channel the unit has not changes no label. A damaged
    // frame leaves it waiting.
    struct Stray
    {
        Bytes frame;
        const char *why;
        bool moves;
    };
    Bytes damaged = reading(2, 1, 1, 1, 1);
    damaged[0] ^= 0xFF;
    for (const Stray &stray :
         {Stray{reading(0, 1, 1, 1, 1), "channel 0", true},
          Stray{reading(19, 1, 1, 1, 1), "channel 19", true},
          Stray{reading(5, 1, 1, 1, 7), "another channel", true},
          Stray{damaged, "damaged", false}}) {
        const int before = CurrentChannel;
        if (w.form.AwaitedReadChannel == 0) {
            w.form.TimerRefresTimer();
            EXPECT_EQ(w.take(), bytes(ChannelReadRequest(static_cast<std::uint8_t>(before))));
        }
        w.receive(stray.frame);
        EXPECT_EQ(+CurrentChannel, stray.moves ? before + 1 : before) << stray.why;
        EXPECT_EQ(w.form.TimerRefres->isActive(), stray.moves) << stray.why;
        if (stray.moves) // the next request comes from the pause, not at once
            w.form.TimerRefres->stop();
        EXPECT_TRUE(w.sent.empty()) << stray.why;
    }
    EXPECT_EQ(w.text("Label_AD_", 18), "--");
    EXPECT_EQ(w.text("Label_AD_", 5), "0007");
    EXPECT_EQ(w.text("Label_AD_", 2), "--");
    EXPECT_EQ(+CurrentChannel, 5);
    // The damaged frame left channel 5's request waiting: the reading that is
    // lost is asked for again.
    EXPECT_EQ(w.form.AwaitedReadChannel, 5);
    EXPECT_TRUE(w.form.ReadTimeoutTimer->isActive());
    w.form.ReadTimeout();
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(5)));
    EXPECT_TRUE(w.form.ReadTimeoutTimer->isActive());
    // A further mode confirmation asks at once, not in addition to the poll.
    w.receive(answer(devlink::MODE_CFM));
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(5)));
    EXPECT_TRUE(w.sent.empty());
    w.receive(reading(5, 1, 1, 1, 1));
    w.receive(reading(5, 1, 1, 1, 1)); // a repeat, or the answer to the request made twice
    EXPECT_EQ(+CurrentChannel, 6);
    EXPECT_TRUE(w.form.TimerRefres->isActive());
    EXPECT_FALSE(w.form.ReadTimeoutTimer->isActive());
    w.receive(answer(devlink::MODE_CFM)); // during the pause: one request, no pause after it
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(6)));
    EXPECT_FALSE(w.form.TimerRefres->isActive());
    w.receive(reading(6, 1, 1, 1, 1));
    w.form.TimerRefres->stop();

    // A channel typed in the window is the only one polled; a second reply flips the mark.
    w.form.CalibrateChannelEdit->setText("1");
    w.form.TimerRefresTimer();
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(1)));
    w.receive(reading(1, 5, 10000, 114, 15));
    EXPECT_EQ(w.text("ChannelUpdateLabel", 1), "*");
}

// A lost mode confirmation is asked for again after a reading's time, as
// often as it takes; once it came the poll runs and nothing more is asked.
TEST(CalibrationWindow, LostModeConfirmationIsAskedAgain)
{
    Window w;
    EXPECT_EQ(w.take(), bytes(ModeRequest(2)));
    EXPECT_EQ(w.form.ModeTimeoutTimer->interval(), TCalibrationForm::ReadTimeoutMs);
    for (int lost = 0; lost < 2; ++lost) {
        ASSERT_TRUE(w.form.ModeTimeoutTimer->isActive());
        w.form.ModeTimeout();
        EXPECT_EQ(w.take(), bytes(ModeRequest(2))) << lost;
        EXPECT_TRUE(w.sent.empty());
    }
    EXPECT_TRUE(w.dialogs.texts().isEmpty());
    w.receive(answer(devlink::MODE_CFM));
    EXPECT_EQ(w.dialogs.texts(), QStringList{"Tessaron in Calibration mode"});
    EXPECT_EQ(w.take(), bytes(ChannelReadRequest(1)));
    EXPECT_FALSE(w.form.ModeTimeoutTimer->isActive());
    w.form.ModeTimeout(); // a time-out already on its way asks nothing
    EXPECT_TRUE(w.sent.empty());
    w.receive(reading(1, 5, 10000, 114, 15));
    EXPECT_EQ(+CurrentChannel, 2);
}

TEST(CalibrationWindow, StoresRatiosOneAfterTheOther)
{
    Window w;
    w.take();
    w.form.EditNewRation[2]->setText("9624");
    w.form.EditNewRation[16]->setText("30000"); // typed, so not clamped
    // One ratio that would wrap in the u16 field stops them all.
    w.form.EditNewRation[4]->setText("70000");
    w.form.BtnStoreRation->click();
    EXPECT_TRUE(w.sent.empty());
    EXPECT_EQ(w.dialogs.texts(), QStringList{"The new ratio of channel 5 must be a whole number "
                                             "from 0 to 65535. Nothing was stored."});
    w.form.EditNewRation[4]->setText("0"); // nothing to store for channel 5
    w.dialogs.clear();
    w.form.BtnStoreRation->click();
    EXPECT_EQ(w.take(), bytes(RatioWriteRequest(3, 9624)));
    EXPECT_TRUE(w.sent.empty());
    w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {3}));
    EXPECT_EQ(w.take(), bytes(RatioWriteRequest(17, 30000)));
    EXPECT_TRUE(w.form.StoreCalibrationOKlabel->isHidden());
    w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {17}));
    EXPECT_FALSE(w.form.StoreCalibrationOKlabel->isHidden());
    EXPECT_FALSE(w.form.RatioConfirmTimer->isActive());
    EXPECT_EQ(w.dialogs.count(), 0);
}

TEST(CalibrationWindow, UnconfirmedWritesAreReportedNotShownAsDone)
{
    Window w;
    w.take();
    w.form.EditNewRation[2]->setText("9624");
    w.form.EditNewRation[16]->setText("9000");

    // No answer at all.
    w.form.BtnStoreRation->click();
    w.take();
    w.form.RatioConfirmTimeout();
    vcl::ScriptedDialogs::deliverPosted();
    EXPECT_TRUE(w.dialogs.last().text.contains("did not confirm the ratio of channel 3"));
    w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {3})); // too late: nothing follows
    EXPECT_TRUE(w.sent.empty());
    EXPECT_TRUE(w.form.StoreCalibrationOKlabel->isHidden());

    // The answer names another channel, or one the unit cannot have: it is
    // not the confirmation awaited, so the write waits on for its own.
    for (std::uint8_t wrong : {17, 0, 200}) {
        w.form.BtnStoreRation->click();
        w.take();
        w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {wrong}));
        EXPECT_EQ(w.form.AwaitedRatioChannel, 3) << int(wrong);
        EXPECT_TRUE(w.form.RatioConfirmTimer->isActive());
        EXPECT_TRUE(w.sent.empty());
        EXPECT_TRUE(w.form.StoreCalibrationOKlabel->isHidden());
    }
    // A repeated confirmation does not pass for the next channel's.
    w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {3}));
    EXPECT_EQ(w.take(), bytes(RatioWriteRequest(17, 9000)));
    w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {3}));
    EXPECT_TRUE(w.form.StoreCalibrationOKlabel->isHidden());
    EXPECT_EQ(w.form.AwaitedRatioChannel, 17);
    w.receive(answer(devlink::CAL_RATIO_WRITE_CFM, {17}));
    EXPECT_FALSE(w.form.StoreCalibrationOKlabel->isHidden());

    // The offsets likewise.
    w.form.BtnUpload_AD_Offset->click();
    EXPECT_EQ(w.take(), bytes(OffsetStoreRequest()));
    w.form.OffsetConfirmTimeout();
    vcl::ScriptedDialogs::deliverPosted();
    EXPECT_TRUE(w.dialogs.last().text.contains("did not confirm the A/D offsets"));
    EXPECT_TRUE(w.form.UploadADoffsetOKlabel->isHidden());
    w.form.BtnUpload_AD_Offset->click();
    w.receive(answer(devlink::CAL_OFFSET_STORE_CFM));
    EXPECT_FALSE(w.form.UploadADoffsetOKlabel->isHidden());
    EXPECT_FALSE(w.form.OffsetConfirmTimer->isActive());
}

TEST(CalibrationWindow, SwitchesCarryTheTypedChannel)
{
    Window w;
    w.take();
    w.form.ChannelUpBtn->click();
    EXPECT_EQ(w.take(), bytes(SwitchesRequest(true, true, 1)));
    w.form.CheckBoxOffset->click(); // unchecks
    EXPECT_EQ(w.take(), bytes(SwitchesRequest(false, true, 1)));
    // The number goes as typed while it fits the unit's byte; "+" counts to 99.
    struct Typed
    {
        const char *text;
        bool up; // "+", else "Update"
        std::uint8_t sent;
    };
    const Typed typed[] = {
        {"150", false, 150}, {"255", false, 255}, {"300", false, 255},
        {"-4", false, 0},    {"99", true, 99},    {"150", true, 150},
    };
    for (const Typed &t : typed) {
        w.form.CalibrateChannelEdit->setText(t.text);
        (t.up ? w.form.ChannelUpBtn : w.form.ChannelUpdateBtn)->click();
        EXPECT_EQ(w.take(), bytes(SwitchesRequest(false, true, t.sent))) << t.text;
        EXPECT_EQ(w.form.CalibrateChannelEdit->text(), QString::number(t.sent)) << t.text;
    }
    w.form.CalibrateChannelEdit->setText("150");
    w.form.ChannelDownBtn->click();
    EXPECT_EQ(w.take(), bytes(SwitchesRequest(false, true, 149)));
}

} // namespace
