// The runtime error log window behind the main window's dispatcher: the entry
// chain, answers it did not ask for, and entries cut short.
#include "tests/main/MainRig.h"

#include "link/DeviceCommands.h"
#include "tools/RuntimeErrorUnit.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace devlink;
using testsupport::Bytes;
using testsupport::MainRig;

namespace {

// Node-0 requests among the frames sent, as (command, byte 4 or -1).
std::vector<std::pair<int, int>> ErrorLogRequests(const std::vector<Bytes> &frames)
{
    std::vector<std::pair<int, int>> out;
    for (const Bytes &f : frames)
        if (f.size() >= 4 && f[2] == NodeSystem)
            out.emplace_back(f[3], f.size() > 4 ? f[4] : -1);
    return out;
}

Bytes Entry(std::uint8_t index, std::uint8_t dataLength, Bytes data)
{
    Bytes d(17, 0);
    d[0] = index;
    d[1] = 'm';
    d[2] = '.';
    d[3] = 'c';
    d[13] = 0x34;
    d[14] = 0x12;
    d[15] = 1;
    d[16] = dataLength;
    d.insert(d.end(), data.begin(), data.end());
    return MainRig::frame(NodeSystem, ERROR_LOG_ENTRY_CFM, d);
}

} // namespace

TEST(RunTimeErrorWindow, ReadsEachEntryAfterThePreviousAnswer)
{
    MainRig rig({"KeeperEntry"});
    rig.connect();
    rig.sent();
    TRunTimeErrorForm &form = *RunTimeErrorForm; // the hidden one from start-up
    using R = std::vector<std::pair<int, int>>;

    form.FormActivate();
    EXPECT_EQ(ErrorLogRequests(rig.sent()), (R{{ERROR_LOG_COUNT_REQ, -1}}));
    rig.receive(MainRig::frame(NodeSystem, ERROR_LOG_COUNT_CFM, {3}));
    EXPECT_EQ(ErrorLogRequests(rig.sent()), (R{{ERROR_LOG_ENTRY_REQ, 1}}));
    // The count repeated does not start the entries over.
    rig.receive(MainRig::frame(NodeSystem, ERROR_LOG_COUNT_CFM, {3}));
    EXPECT_TRUE(ErrorLogRequests(rig.sent()).empty());

    // An answer for an entry not asked for is shown but does not move the read.
    rig.receive(Entry(2, 0, {}));
    EXPECT_TRUE(ErrorLogRequests(rig.sent()).empty());
    rig.receive(Entry(1, 2, {0x1A, 0x05}));
    EXPECT_EQ(ErrorLogRequests(rig.sent()), (R{{ERROR_LOG_ENTRY_REQ, 2}}));
    rig.receive(Entry(2, 0, {}));
    EXPECT_EQ(ErrorLogRequests(rig.sent()), (R{{ERROR_LOG_ENTRY_REQ, 3}}));
    // The last one: its data length runs past the frame.
    rig.receive(Entry(3, 9, {0xAB, 0xCD}));
    EXPECT_TRUE(ErrorLogRequests(rig.sent()).empty());

    const QString memo = form.MemoErrorLog->toPlainText();
    EXPECT_TRUE(memo.startsWith(" Error list count 3\n Error list count 3\n"))
        << memo.toStdString();
    EXPECT_EQ(memo.count("File name   : m.c\nLine number : 4660\nCount       : 1\n"), 4);
    EXPECT_TRUE(memo.contains("Data len    : 2\nData        : 0x1A:0x05:\n"));
    EXPECT_TRUE(memo.endsWith("Data len    : 9 (2 received)\nData        : 0xAB:0xCD:"));

    // A corrupted count, then a count of 0: nothing asked for.
    Bytes bad = MainRig::frame(NodeSystem, ERROR_LOG_COUNT_CFM, {3});
    bad[0] ^= 1;
    rig.receive(bad);
    rig.receive(MainRig::frame(NodeSystem, ERROR_LOG_COUNT_CFM, {0}));
    EXPECT_TRUE(ErrorLogRequests(rig.sent()).empty());
    EXPECT_TRUE(form.MemoErrorLog->toPlainText().endsWith("\n Error list count 0"));
}
