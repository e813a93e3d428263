// The editor rules without windows: entry limits, trigger descriptions, the
// CAN input and virtual input conversions and the byte-position picks.
// Expected values come from the page editors' documented limits.
#include "config/PageEditorRules.h"

#include <gtest/gtest.h>

namespace {

struct LimitCase
{
    EntryLimit limit;
    const char *text;
    const char *shown; // nullptr: the text stays
};

TEST(PageEditorRules, EntryLimitsRewriteTheTextWithTheLimit)
{
    const LimitCase cases[] = {
        {EntryLimit::MaxCurrent, "95", "90.0"},
        {EntryLimit::MaxCurrent, "90.9", nullptr}, // fractions below the next integer pass
        {EntryLimit::MaxCurrent, "90", nullptr},
        {EntryLimit::MaxCurrent, "abc", nullptr}, // no number reads as 0
        {EntryLimit::OnTime, "26", "25.0"},
        {EntryLimit::OnTime, "25.9", nullptr},
        {EntryLimit::Delay, "10", "10.0"},
        {EntryLimit::Delay, "9.9", nullptr},
        {EntryLimit::Delay, "10.0", nullptr}, // already the limit: no second rewrite
        {EntryLimit::PeakTime, "10.5", "10.0"},
        {EntryLimit::PeakTime, "10,5", "10.0"}, // a comma counts as the point
        {EntryLimit::PeakTime, "10.0", nullptr},
        {EntryLimit::LowVoltage, "17", "12.0"},
        {EntryLimit::LowVoltage, "16.9", nullptr},
        {EntryLimit::UpperVoltage, "17", "12.3"},
        {EntryLimit::MaxCurrent, "99999999999999999999", "90.0"}, // no overflow
    };
    for (const LimitCase &c : cases) {
        const std::optional<QString> shown = LimitedEntryText(c.limit, QString::fromLatin1(c.text));
        if (c.shown)
            EXPECT_EQ(shown.value_or("<none>"), QLatin1String(c.shown)) << c.text;
        else
            EXPECT_FALSE(shown) << c.text << " -> " << shown->toStdString();
    }
}

TEST(PageEditorRules, TriggerSourceDescriptions)
{
    const std::array<QString, 4> names = {QStringLiteral("Lights"), QString(), QString(),
                                          QStringLiteral("Horn")};
    const std::pair<int, const char *> cases[] = {
        {-1, ""},
        {0, ""},
        {1, ""},
        {2, "( Con. B, Pin 13 )"}, // input 1
        {12, "( Con. B, Pin 23 )"},
        {13, "( CAN input 1 )"},
        {44, "( CAN input 32 )"},
        {45, "( Virtual input 1 )"},
        {64, "( Virtual input 20 )"},
        {65, "( Wiper Low speed )"},
        {66, "( Wiper High speed )"},
        {67, "( Lights.A )"},
        {74, "( Sequence 3.B )"}, // unnamed sequence 3, step B
        {72, "( Sequence 2.C )"},
        {78, "( Horn.C )"},
        {79, ""},
    };
    for (const auto &[index, text] : cases)
        EXPECT_EQ(TriggerSourceDescription(index, names), QLatin1String(text)) << index;
}

TEST(PageEditorRules, SequencePatternsAndListMessages)
{
    EXPECT_EQ(SequenceStepPattern(0), QString());
    EXPECT_EQ(SequenceStepPattern(1), QLatin1String("Off -> A -> Off"));
    EXPECT_EQ(SequenceStepPattern(3), QLatin1String("Off -> A -> B -> C -> Off"));
    EXPECT_EQ(SequenceStepPattern(-1), QString());
    EXPECT_EQ(CheckListLimitMessage(LowBatteryListLimit),
              QLatin1String("Max 12 in low battery list!"));
    EXPECT_EQ(CheckListLimitMessage(FlashOutputListLimit), QLatin1String("Max 4 in output list!"));
}

TEST(PageEditorRules, FlashTimesInStepsOfAHundredMilliseconds)
{
    const std::tuple<const char *, int, const char *> cases[] = {
        {"30000", 250, "25000"}, {"1250", 12, nullptr}, {"99", 0, nullptr},
        {"250", 2, nullptr},     {"", 0, nullptr},      {"25000", 250, nullptr},
    };
    for (const auto &[text, stored, shown] : cases) {
        const EditedValue<std::uint8_t> time = FlashTimeFromText(QString::fromLatin1(text));
        EXPECT_EQ(time.value, stored) << text;
        EXPECT_EQ(time.shown.value_or("<none>"), QLatin1String(shown ? shown : "<none>")) << text;
    }
}

TEST(PageEditorRules, CanInputFieldsAreHeldToTheirRange)
{
    struct Case
    {
        const char *text;
        std::uint8_t type;
        std::optional<std::uint32_t> stored;
        const char *shown;
    };
    const Case compare[] = {
        {"40000", 1, 32767, "32767"},
        {"-40000", 1, 0x8001, "-32767"},
        {"-5", 1, 0xFFFB, nullptr},
        {"70000", 0, 65535, "65535"},
        {"-5", 0, 0, "0"}, // no wrap into another value
        {"1234", 0, 1234, nullptr},
        {"", 0, std::nullopt, nullptr},
        {"-", 1, std::nullopt, nullptr},
        {"12a", 0, std::nullopt, nullptr},
    };
    for (const Case &c : compare) {
        const auto value = CompareValueFromText(QString::fromLatin1(c.text), c.type);
        ASSERT_EQ(value.has_value(), c.stored.has_value()) << c.text;
        if (!value)
            continue;
        EXPECT_EQ(value->value, *c.stored) << c.text;
        EXPECT_EQ(value->shown.value_or("<none>"), QLatin1String(c.shown ? c.shown : "<none>"));
    }
    EXPECT_EQ(CompareValueText(0x8001, 1), QLatin1String("-32767"));
    EXPECT_EQ(CompareValueText(0x8001, 0), QLatin1String("32769"));

    EXPECT_EQ(RowFieldFromText("9", 7)->value, 7);
    EXPECT_EQ(RowFieldFromText("9", 7)->shown.value_or(""), QLatin1String("7"));
    EXPECT_EQ(RowFieldFromText("300", 255)->value, 255);
    EXPECT_FALSE(RowFieldFromText("x", 7));
    EXPECT_FALSE(RowFieldFromText("", 7));

    EXPECT_EQ(CalOffsetFromText("200"), 127);
    EXPECT_EQ(CalOffsetFromText("-200"), -127);
    EXPECT_EQ(CalOffsetFromText("12.7"), 12);
    EXPECT_EQ(CalOffsetFromText("-12,7"), -12);
    EXPECT_FALSE(CalOffsetFromText(""));

    EXPECT_EQ(CanIdFromText("1aB"), 0x1AB);
    EXPECT_FALSE(CanIdFromText(""));
    EXPECT_FALSE(CanIdFromText("xyz"));
    EXPECT_EQ(CanIdText(0x1a), QLatin1String("01A"));
    EXPECT_EQ(CanIdText(0x12345), QLatin1String("12345"));
}

TEST(PageEditorRules, VirtualDelays)
{
    EXPECT_EQ(VirtualDelayFromText("12.5")->value, 100);
    EXPECT_EQ(VirtualDelayFromText("12.5")->shown.value_or(""), QLatin1String("10.0"));
    EXPECT_EQ(VirtualDelayFromText("3.45")->value, 34);
    EXPECT_FALSE(VirtualDelayFromText("3.45")->shown);
    EXPECT_EQ(VirtualDelayFromText("3,5")->value, 35);
    EXPECT_FALSE(VirtualDelayFromText(""));
    EXPECT_EQ(TenthsFromText("-4"), 0);
    EXPECT_EQ(TenthsFromText("99"), 255);
}

TEST(PageEditorRules, BytePositionPicks)
{
    EXPECT_EQ(BytePositionColumn(0, 200), 1);
    EXPECT_EQ(BytePositionColumn(74, 200), 3); // columns 25 pixels wide
    EXPECT_EQ(BytePositionColumn(199, 200), 8);
    EXPECT_EQ(BytePositionColumn(-1, 200), 0);
    EXPECT_EQ(BytePositionColumn(3, 7), 0); // an image narrower than 8 pixels

    struct Step
    {
        int column;
        int lo, hi;
        bool refused;
    };
    // Clicks in order, each starting from the result of the one before.
    const Step steps[] = {
        {3, 3, 0, false}, {4, 3, 4, false}, {6, 3, 4, false}, {4, 3, 0, false},
        {3, 0, 0, false}, {4, 4, 0, false}, {2, 4, 0, true},  {3, 4, 3, false},
    };
    std::uint8_t lo = 0, hi = 0;
    for (const Step &s : steps) {
        const BytePositionPick pick = SelectBytePosition(s.column, lo, hi);
        EXPECT_EQ(pick.lo, s.lo) << s.column;
        EXPECT_EQ(pick.hi, s.hi) << s.column;
        EXPECT_EQ(pick.refused, s.refused) << s.column;
        lo = pick.lo;
        hi = pick.hi;
    }
    const BytePositionPick stale = SelectBytePosition(5, 200, 9); // positions from the unit
    EXPECT_EQ(stale.lo, 5);
    EXPECT_EQ(stale.hi, 0);
}

} // namespace
