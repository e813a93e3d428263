// The simulated unit's diagnostic counters and its CAN monitor.
#include "sim/SimulatedUnit.h"

#include "link/DeviceCommands.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

using namespace devlink;
using namespace simtest;
using sim::SimulatedUnit;
using std::chrono::milliseconds;

namespace {

Bytes monitorRequest(std::uint8_t selector)
{
    DeviceFrame f(NodeApplication, CAN_MONITOR_REQ, 4);
    f.set(FrameDataAt, selector).finish();
    return SlipEncode(f.data(), 5);
}

// The reports the unit sends behind its answer to a version request.
std::vector<Bytes> reportsAfter(SimulatedUnit &unit, milliseconds wait)
{
    unit.advance(wait);
    std::vector<Bytes> reports;
    for (const Bytes &f : unit.feed(request(1, VERSION_REQ, 4)))
        if (f[FrameCommandAt] == CAN_MONITOR_IND)
            reports.push_back(f);
    return reports;
}

} // namespace

// New faults count per output as the diagnostic reads lay them out.
TEST(SimulatedUnitDiagnostics, FaultsCountAndClear)
{
    SimulatedUnit unit;
    unit.setChannelLoad(2, 101); // 10.1 A: 25 steps of 0.4 A
    unit.setChannelFault(1, sim::FaultNegativeShort);
    unit.setChannelFault(1, sim::FaultNone);
    unit.setChannelFault(1, sim::FaultPositiveShort);
    unit.setChannelFault(2, sim::FaultOverload);
    unit.setChannelFault(3, sim::FaultOpenLoad);
    unit.setChannelFault(19, sim::FaultPositiveShort);
    unit.setChannelFault(20, sim::FaultOverload); // no trips on low-power outputs
    sim::DiagnosticState d = unit.diagnostics();
    d.channels[17].shortCircuits = 200; // output 18: shown as fifteen or more
    d.channels[33].shortCircuits = 16;
    unit.setDiagnostics(d);

    auto answers = unit.feed(request(1, DIAGNOSTIC_READ_REQ, 4));
    ASSERT_EQ(answers.size(), 1u);
    Bytes high = answers[0];
    ASSERT_EQ(high.size(), 58u);
    EXPECT_TRUE(IsValidFrame(high.data(), high.size()));
    EXPECT_EQ(high[FrameCommandAt], DIAGNOSTIC_READ_CFM);
    EXPECT_EQ(high[4], 0x02);      // output 1: two shorts
    EXPECT_EQ(high[5], 0x10);      // output 2: one trip
    EXPECT_EQ(high[22 + 1], 25);   // at 10.0 A
    EXPECT_EQ(high[40 + 2], 1);    // output 3: one low current
    EXPECT_EQ(high[4 + 17], 0x0F); // output 18
    EXPECT_EQ(high[22], 0);

    answers = unit.feed(request(1, LP_DIAGNOSTIC_READ_REQ, 4));
    ASSERT_EQ(answers.size(), 1u);
    const Bytes low = answers[0];
    ASSERT_EQ(low.size(), 20u);
    EXPECT_EQ(low[FrameCommandAt], LP_DIAGNOSTIC_READ_CFM);
    EXPECT_EQ(low[4], 1);     // output 19
    EXPECT_EQ(low[5], 0);     // output 20
    EXPECT_EQ(low[19], 0x0F); // output 34

    answers = unit.feed(request(1, DIAGNOSTIC_CLEAR_REQ, 4));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Bytes{0xD4, 0x04, 0x01, 0xD1}));
    EXPECT_EQ(unit.diagnostics().channels, sim::DiagnosticState{}.channels);
}

// Each choice reports the messages it names, in valid frames of 7 + n bytes;
// "Off" stops them at once, even those not yet sent; a full buffer loses
// reports instead of growing; a choice the unit does not have is ignored.
TEST(SimulatedUnitCanMonitor, ChoiceFiltersTheBus)
{
    // The factory settings listen to 0x0CF, 0x3A1, ...; other devices send
    // 0x100, 0x18F and 0x7E8.
    const struct
    {
        std::uint8_t selector;
        std::set<unsigned> ids;
    } cases[] = {{2, {0x0CF, 0x3A1, 0x100, 0x18F, 0x7E8}}, {1, {0x0CF, 0x3A1}}, {4, {0x3A1}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.selector));
        SimulatedUnit unit;
        EXPECT_TRUE(unit.feed(monitorRequest(c.selector)).empty());
        std::set<unsigned> seen;
        const auto reports = reportsAfter(unit, milliseconds(2000));
        for (const Bytes &f : reports) {
            ASSERT_TRUE(IsValidFrame(f.data(), f.size()));
            EXPECT_EQ(f.size(), 7u + f[6]);
            seen.insert(f[4] | f[5] << 8);
        }
        for (unsigned id : c.ids)
            EXPECT_TRUE(seen.count(id)) << std::hex << id;
        if (c.selector == 4) {
            EXPECT_EQ(seen, c.ids);
        } else if (c.selector == 1) {
            EXPECT_FALSE(seen.count(0x100));
        }
        EXPECT_EQ(unit.canMonitorReports(), reports.size());
    }

    SimulatedUnit unit;
    unit.feed(monitorRequest(2));
    EXPECT_EQ(reportsAfter(unit, milliseconds(60000)).size(), sim::CanMonitorState::MaxPending);
    unit.feed(monitorRequest(200));
    EXPECT_EQ(unit.canMonitorSelector(), 2);
    unit.advance(milliseconds(1000));
    EXPECT_TRUE(unit.feed(monitorRequest(0)).empty());
    EXPECT_TRUE(reportsAfter(unit, milliseconds(5000)).empty());
}
