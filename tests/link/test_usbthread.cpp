#include "link/USB_Unit.h"

#include "support/FakeDriver.h"

#include "platform/vcl/MainThreadCall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <thread>

using namespace devlink;
using Bytes = std::vector<std::uint8_t>;
using testsupport::FakeBackend;
using testsupport::FakeState;

namespace {

struct Client : UsbThreadClient
{
    Bytes frameBytes, bootBytes;
    int removed = 0, arrived = 0, closed = 0;
    bool tracing = true;
    std::vector<std::pair<std::string, std::uint32_t>> trace;
    void RxFrameByte(std::uint8_t b) override { frameBytes.push_back(b); }
    void RxBootByte(std::uint8_t b) override { bootBytes.push_back(b); }
    void DeviceRemoved() override { ++removed; }
    void DeviceArrived() override { ++arrived; }
    void DeviceClosed() override { ++closed; }
    void TraceLine(const std::string &t, std::uint32_t c) override { trace.emplace_back(t, c); }
    bool Tracing() const override { return tracing; }
};

struct Rig
{
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    d2xx::Driver driver;
    Client client;
    // Driven one pass at a time from the test: hand-overs run inline, no sleeps.
    UsbThread usb{driver, client, [](std::function<void()> fn) {
                      fn();
                      return true;
                  }};
    Rig()
    {
        driver.addBackend(backend);
        usb.setSleeper([](std::uint32_t) {});
        usb.setAutoStart(false);
    }
    void send(std::uint8_t tag, std::size_t len = 6)
    {
        Bytes b(len, tag);
        usb.Send(b.data(), static_cast<std::uint32_t>(b.size()));
    }
    std::vector<Bytes> written() const
    {
        std::lock_guard l(backend->state->m);
        return backend->state->written;
    }
};

} // namespace

TEST(UsbThreadDevices, ListSkipsEmptyDescriptionsAndOpenConfiguresTheLine)
{
    Rig r;
    QStringList list;
    EXPECT_EQ(UsbThread::ListDevices(r.driver, list), 2);
    EXPECT_EQ(list, (QStringList{"Unit A", "Unit B"}));

    EXPECT_EQ(r.usb.Open("nobody"), 0);
    EXPECT_EQ(r.usb.linkState(), LinkClosed);
    ASSERT_EQ(r.usb.Open("Unit B"), 1);
    EXPECT_EQ(r.usb.linkState(), LinkOpen);
    EXPECT_EQ(r.usb.deviceDescription(), "Unit B");
    const FakeState &s = *r.backend->state;
    EXPECT_EQ(s.baud, 38400);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.stopBits, 2);
    EXPECT_EQ(s.parity, 0);
    EXPECT_EQ(s.readTimeout, 5);
    EXPECT_EQ(s.writeTimeout, 100);
    r.usb.Close();
    r.usb.Close(); // harmless twice
    EXPECT_EQ(r.usb.linkState(), LinkClosed);
    EXPECT_EQ(r.client.closed, 1) << "told once, when a link was ended";
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.usb.Terminate();
    EXPECT_EQ(r.client.closed, 1) << "the thread's end tells nothing";
}

// A full queue refuses the new frame out loud and keeps the 25 it holds.
TEST(UsbThreadQueue, FullQueueRefusesTheNewFrameAndKeepsTheBacklog)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    for (int i = 1; i <= 25; ++i)
        r.send(static_cast<std::uint8_t>(i));
    EXPECT_TRUE(r.usb.QueueFull());
    const Bytes extra(6, 26);
    EXPECT_EQ(r.usb.Send(extra.data(), 6), TxOutcome{TxRefusal::QueueFull});
    ASSERT_FALSE(r.client.trace.empty());
    EXPECT_EQ(r.client.trace.back(),
              std::make_pair(std::string("Tx buffer full, frame not sent: 26 26 26 26 26 26 "),
                             TraceRed));
    for (int i = 0; i < 30; ++i)
        r.usb.Pass();
    ASSERT_EQ(r.written().size(), 25u);
    for (std::size_t i = 0; i < 25; ++i)
        EXPECT_EQ(r.written()[i], Bytes(6, static_cast<std::uint8_t>(i + 1)));
    EXPECT_TRUE(r.usb.Send(extra.data(), 6)) << "room again once written";
}

// Frames leave in the order they were queued, whichever slot each took: a
// frame in a higher slot never waits behind a later one in a lower slot,
// nor behind one that fails to go out after it.
TEST(UsbThreadQueue, FramesLeaveInTheOrderQueued)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.send(1);
    r.send(2);
    r.send(3);
    r.usb.Pass(); // writes slot 0
    r.send(4);    // takes slot 0 again
    r.backend->state->failWrites = true;
    r.usb.Pass();
    r.backend->state->failWrites = false;
    for (int i = 0; i < 4; ++i) {
        r.usb.Pass();
        r.send(static_cast<std::uint8_t>(5 + i)); // the status poll refilling the low slots
    }
    for (int i = 0; i < 8; ++i)
        r.usb.Pass();
    std::vector<int> order;
    for (const auto &w : r.written())
        order.push_back(w[0]);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(UsbThreadQueue, ResendRepeatsTheLastFrameOnce)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.send(7);
    r.usb.ResendLast();
    r.usb.ResendLast();
    for (int i = 0; i < 5; ++i)
        r.usb.Pass();
    EXPECT_EQ(r.written().size(), 2u);
}

// A partly written frame goes on with its rest, through a failed write too,
// and is finished before any other starts, one queued in a lower slot
// meanwhile too (row 2): a frame written into another breaks both.
TEST(UsbThreadQueue, PartialWriteGoesOnWithTheRestAndFailedWritesKeepTheFrame)
{
    for (const bool lowerSlotQueued : {false, true}) {
        SCOPED_TRACE(lowerSlotQueued ? "a frame queued below it" : "alone");
        Rig r;
        ASSERT_EQ(r.usb.Open("Unit A"), 1);
        r.send(1); // slot 0
        r.send(2); // slot 1
        r.usb.Pass();
        r.backend->state->writeLimit = 3;
        r.usb.Pass(); // 2 goes out in part
        if (lowerSlotQueued)
            r.send(3); // slot 0
        r.backend->state->failWrites = true;
        r.usb.Pass();
        r.backend->state->failWrites = false;
        r.backend->state->writeLimit = 0xFFFFFFFF;
        for (int pass = 0; pass < 3; ++pass)
            r.usb.Pass();
        Bytes joined;
        for (const auto &w : r.written())
            joined.insert(joined.end(), w.begin(), w.end());
        Bytes expected;
        for (const std::uint8_t tag : {1, 2, 3})
            if (tag < 3 || lowerSlotQueued)
                expected.resize(expected.size() + 6, tag);
        EXPECT_EQ(joined, expected);
    }
}

// Emptying the queue drops every frame, a partly written one too.
TEST(UsbThreadQueue, ClearingDropsEveryFrame)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.send(1); // slot 0
    r.send(2); // slot 1
    r.usb.Pass();
    r.send(3); // slot 0 again: behind 2
    r.usb.Pass();
    EXPECT_EQ(r.written(), (std::vector<Bytes>{Bytes(6, 1), Bytes(6, 2)}));
    r.usb.Pass();

    r.backend->state->writeLimit = 2;
    r.send(4);
    r.usb.Pass(); // 4 goes out in part
    r.usb.ClearQueue();
    for (const auto &s : r.usb.queueSnapshot())
        EXPECT_EQ(s.Used, 0);
    r.backend->state->writeLimit = 0xFFFFFFFF;
    r.usb.Pass();
    r.usb.Pass();
    EXPECT_EQ(r.written().size(), 4u) << "nothing after the clearing";
}

// A numbered frame counts as written once the driver took all of it: not
// while it waits, goes out in part or fails, and never when it was dropped.
// Until then it waits in the queue, unless it was dropped.
TEST(UsbThreadQueue, NumberedFrameCountsAsWrittenOnceWhole)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    FakeState &s = *r.backend->state;
    const Bytes frame(8, 9);
    std::uint64_t number = 99;
    r.send(1); // not numbered
    EXPECT_FALSE(r.usb.Waiting(0, 0)) << "a frame without a number is none of them";
    ASSERT_TRUE(r.usb.Send(frame.data(), 8, &number));
    EXPECT_EQ(number, 1u);
    EXPECT_TRUE(r.usb.Waiting(1, 1));
    EXPECT_FALSE(r.usb.Waiting(2, 9));
    r.usb.Pass(); // the frame before it
    EXPECT_EQ(r.usb.lastWrittenNumber(), 0u);
    s.writeLimit = 3;
    r.usb.Pass();
    EXPECT_EQ(r.usb.lastWrittenNumber(), 0u) << "in part";
    EXPECT_TRUE(r.usb.Waiting(0, 1)) << "its rest waits";
    s.failWrites = true;
    r.usb.Pass();
    EXPECT_EQ(r.usb.lastWrittenNumber(), 0u) << "failed";
    s.failWrites = false;
    s.writeLimit = 0xFFFFFFFF;
    r.usb.Pass();
    EXPECT_EQ(r.usb.lastWrittenNumber(), 1u);
    EXPECT_FALSE(r.usb.Waiting(1, 1));
    EXPECT_EQ(r.usb.Fate(1), TxFate::Written);

    ASSERT_TRUE(r.usb.Send(frame.data(), 8, &number));
    EXPECT_EQ(number, 2u);
    EXPECT_TRUE(r.usb.Waiting(1, 2));
    EXPECT_EQ(r.usb.Fate(2), TxFate::Waiting);
    r.usb.ClearQueue();
    EXPECT_FALSE(r.usb.Waiting(1, 2)) << "dropped";
    EXPECT_EQ(r.usb.Fate(2), TxFate::Dropped);
    r.usb.Pass();
    EXPECT_EQ(r.usb.lastWrittenNumber(), 1u) << "dropped, not written";
    r.usb.ResendLast(); // a repeat is not numbered
    EXPECT_TRUE(r.usb.Waiting(2, 2)) << "a repeat waits as the frame it repeats";
    EXPECT_FALSE(r.usb.Waiting(3, 9));
    r.usb.Pass();
    EXPECT_EQ(r.usb.lastWrittenNumber(), 1u);
    EXPECT_FALSE(r.usb.Waiting(1, 2));
    EXPECT_EQ(r.usb.Fate(2), TxFate::Written) << "its repeat reached the unit";

    const Bytes big(301, 0);
    EXPECT_FALSE(r.usb.Send(big.data(), 301, &number));
    EXPECT_EQ(number, 0u);
    ASSERT_TRUE(r.usb.Send(frame.data(), 8, &number));
    EXPECT_EQ(number, 3u);
    r.usb.Pass();
    EXPECT_EQ(r.usb.lastWrittenNumber(), 3u);
}

TEST(UsbThreadQueue, OversizeDataIsRefusedAndTraced)
{
    Rig r;
    Bytes big(301, 1);
    EXPECT_FALSE(r.usb.Send(big.data(), 301));
    for (const auto &s : r.usb.queueSnapshot())
        EXPECT_EQ(s.Used, 0);
    ASSERT_FALSE(r.client.trace.empty());
    EXPECT_EQ(r.client.trace.back().second, TraceRed);
}

TEST(UsbThreadQueue, TraceLineOfAQueuedFrame)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    Bytes f{0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0};
    r.usb.Send(f.data(), 6);
    ASSERT_EQ(r.client.trace.size(), 1u);
    EXPECT_EQ(r.client.trace[0].first, "-> Tx;add to Tx buffer: 192 3 4 1 6 192 ");
    EXPECT_EQ(r.client.trace[0].second, 0x008000u);

    // With the trace off, frames go out and come in as before, untraced.
    r.client.tracing = false;
    r.client.trace.clear();
    r.backend->state->written.clear();
    ASSERT_TRUE(r.usb.Send(f.data(), 6));
    r.backend->state->reads.push_back({4, 5});
    r.usb.Pass();
    EXPECT_EQ(r.written(), std::vector<Bytes>{f});
    EXPECT_EQ(r.client.frameBytes, (Bytes{4, 5}));
    EXPECT_TRUE(r.client.trace.empty());
}

// Nothing is queued while no device is open, before the first open, after
// a close or while the device is lost: the caller hears so at once, and a
// frame numbered before the link went is told as dropped, never written.
TEST(UsbThreadQueue, NothingIsQueuedOnALinkThatIsNotOpen)
{
    const struct
    {
        const char *how;
        std::function<void(Rig &)> end; // ends an open link with a frame waiting
    } cases[] = {
        {"never opened", nullptr},
        {"closed", [](Rig &r) { r.usb.Close(); }},
        {"lost",
         [](Rig &r) {
             r.backend->state->gone = true;
             r.backend->present = false;
             r.usb.Pass();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.how);
        Rig r;
        const Bytes frame(8, 9);
        std::uint64_t waiting = 0, number = 0;
        if (c.end) {
            ASSERT_EQ(r.usb.Open("Unit A"), 1);
            ASSERT_TRUE(r.usb.Send(frame.data(), 8, &waiting));
            c.end(r);
            EXPECT_EQ(r.usb.Fate(waiting), TxFate::Dropped);
        }
        r.client.trace.clear();
        EXPECT_EQ(r.usb.Send(frame.data(), 8, &number), TxOutcome{TxRefusal::LinkNotOpen});
        EXPECT_EQ(number, 0u);
        for (const auto &s : r.usb.queueSnapshot())
            EXPECT_EQ(s.Used, 0);
        ASSERT_EQ(r.client.trace.size(), 1u);
        EXPECT_EQ(r.client.trace[0],
                  std::make_pair(std::string("USB not open, frame not sent: 9 9 9 9 9 9 9 9 "),
                                 TraceRed));
        r.backend->state->gone = false;
        r.backend->present = true;
        ASSERT_EQ(r.usb.Open("Unit A"), 1);
        r.usb.ResendLast();
        for (int i = 0; i < 3; ++i)
            r.usb.Pass();
        EXPECT_TRUE(r.written().empty());
    }
}

// Each pass waits 10 ms before its read, 5 ms after bytes came, 2 ms after a
// frame went out whole and 5 ms after a partial or failed write. The pauses
// that only the next read can follow are taken inside that read's wait: the
// 5 ms after bytes too when no frame waits, and a frame queued within them
// cuts the read's pause short so that it still goes out at their end.
TEST(UsbThreadPacing, PausesOfEachPass)
{
    Rig r;
    std::vector<std::uint32_t> slept;
    r.usb.setSleeper([&](std::uint32_t ms) { slept.push_back(ms); }, true);
    // The 5 ms after bytes pass on this clock alone, however slow the machine.
    std::atomic<std::int64_t> nowMs{0};
    r.usb.setClock([&] { return UsbThread::Time(std::chrono::milliseconds(nowMs.load())); });
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    FakeState &s = *r.backend->state;
    const Bytes frame{0xC0, 1, 2, 3, 4, 5, 6, 0xC0};
    using Pauses = std::vector<std::pair<int, int>>; // {ms, of which a cut may end}
    // A frame queued while the worker reads comes from another thread, which
    // holds none of the worker's locks.
    const auto fromMainThread = [](const std::function<void()> &fn) { std::thread(fn).join(); };
    struct Step
    {
        const char *name;
        std::function<void()> before;
        Pauses readPauses;
        std::vector<std::uint32_t> slept;
        int cutReads;
        std::size_t writes;
    };
    const Step steps[] = {
        {"a quiet pass", [] {}, {{10, 0}}, {}, 0, 0},
        {"a frame goes out", [&] { r.send(1); }, {{10, 0}}, {}, 0, 1},
        {"the read after it", [] {}, {{12, 0}}, {}, 0, 0},
        {"bytes come, nothing waits", [&] { s.reads.push_back({1, 2}); }, {{10, 0}}, {}, 0, 0},
        {"a frame queued within the 5 ms after them",
         [&] { s.duringRead = [&] { fromMainThread([&] { r.send(2); }); }; }, {{15, 5}}, {}, 1, 1},
        {"the read after it", [] {}, {{12, 0}}, {}, 0, 0},
        {"bytes come again", [&] { s.reads.push_back({3}); }, {{10, 0}}, {}, 0, 0},
        {"a frame queued after those 5 ms",
         [&] {
             s.duringRead = [&] {
                 nowMs += 6;
                 fromMainThread([&] { r.send(3); });
             };
         },
         {{15, 5}}, {}, 0, 1},
        {"bytes come while a frame waits",
         [&] {
             r.send(4);
             s.reads.push_back({4});
         },
         {{12, 0}}, {5}, 0, 1},
        {"a partial write",
         [&] {
             s.writeLimit = 3;
             r.usb.Send(frame.data(), 8);
         },
         {{12, 0}}, {5}, 0, 1},
        {"a failed write", [&] { s.failWrites = true; }, {{10, 0}}, {5}, 0, 0},
        {"the rest goes out",
         [&] {
             s.failWrites = false;
             s.writeLimit = 0xFFFFFFFF;
         },
         {{10, 0}}, {}, 0, 1},
        {"the device is gone",
         [&] {
             s.gone = true;
             r.backend->present = false;
         },
         {{12, 0}}, {}, 0, 0},
        {"a retry to reopen it", [] {}, {}, {250}, 0, 0},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.before();
        s.readPauses.clear();
        s.cutReads = 0;
        slept.clear();
        const std::size_t writesBefore = r.written().size();
        r.usb.Pass();
        EXPECT_EQ(s.readPauses, step.readPauses);
        EXPECT_EQ(slept, step.slept);
        EXPECT_EQ(s.cutReads, step.cutReads);
        EXPECT_EQ(r.written().size() - writesBefore, step.writes);
    }
}

TEST(UsbThreadReceive, BytesGoToFramesOrBootloader)
{
    Rig r;
    EXPECT_FALSE(r.usb.SetRxMode(RxModeBootloader)); // closed, but stored
    EXPECT_EQ(r.usb.rxMode(), RxModeBootloader);
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.backend->state->reads.push_back({1, 2, 3});
    r.usb.Pass();
    EXPECT_EQ(r.client.bootBytes, (Bytes{1, 2, 3}));
    EXPECT_TRUE(r.usb.SetRxMode(RxModeFrames));
    r.backend->state->reads.push_back({4, 5});
    r.usb.Pass();
    EXPECT_EQ(r.client.frameBytes, (Bytes{4, 5}));
    bool sawRx = false;
    for (const auto &[text, colour] : r.client.trace)
        sawRx = sawRx || (text == "<- Rx buffer: 4 5 " && colour == TraceBlue);
    EXPECT_TRUE(sawRx);
}

TEST(UsbThreadLink, LossIsReportedOnceAndTheDeviceIsReopened)
{
    Rig r;
    ASSERT_EQ(r.usb.Open("Unit A"), 1);
    r.send(1);
    r.backend->state->gone = true;
    r.backend->present = false;
    r.usb.Pass();
    EXPECT_EQ(r.client.removed, 1);
    EXPECT_EQ(r.usb.linkState(), LinkLost);
    EXPECT_TRUE(r.written().empty()) << "nothing is written on a port that is gone";
    r.usb.Pass();
    r.usb.Pass();
    EXPECT_EQ(r.client.removed, 1);
    EXPECT_EQ(r.client.arrived, 0);
    EXPECT_EQ(r.usb.linkState(), LinkLost);

    r.backend->present = true;
    r.usb.Pass();
    EXPECT_EQ(r.client.arrived, 1);
    EXPECT_EQ(r.usb.linkState(), LinkOpen);
    EXPECT_EQ(r.usb.deviceDescription(), "Unit A");
    r.usb.Pass();
    EXPECT_TRUE(r.written().empty()) << "a frame queued before the loss must not be sent later";
}

// The real thread with the real hand-over: bytes arrive on the main thread
// and the thread ends cleanly even while a hand-over is pending.
TEST(UsbThreadLive, HandOverRunsOnTheMainThreadAndShutdownJoins)
{
    auto backend = std::make_shared<FakeBackend>();
    d2xx::Driver driver;
    driver.addBackend(backend);
    Client client;
    QObject context;
    vcl::MainThreadCall call(&context);
    UsbThread usb(driver, client,
                  [&](std::function<void()> fn) { return call.Run(std::move(fn)); });
    ASSERT_EQ(usb.Open("Unit A"), 1);
    {
        std::lock_guard l(backend->state->m);
        backend->state->reads.push_back({0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0});
    }
    // Sleeps until the hand-over is posted; the bound only keeps a broken run finite.
    QElapsedTimer t;
    t.start();
    QTimer wake;
    wake.start(20);
    while (client.frameBytes.size() < 6 && t.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(client.frameBytes.size(), 6u);
    {
        std::lock_guard l(backend->state->m);
        backend->state->reads.push_back({1, 2, 3});
    }
    // Do not serve the hand-over: shutting down must still release the worker.
    call.Shutdown();
    EXPECT_TRUE(usb.Terminate(5000));
    EXPECT_EQ(usb.linkState(), LinkClosed);
}
