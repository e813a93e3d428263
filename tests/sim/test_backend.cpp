#include "sim/SimBackend.h"

#include "link/DeviceCommands.h"
#include "sim/SimLine.h"
#include "sim/SimulatedUnit.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>

using namespace devlink;
using namespace simtest;
using namespace std::chrono_literals;

namespace {

// Reads through the driver until a frame arrives; bounded by `attempts`
// reads of at most the device's read time-out each.
std::vector<Bytes> readFrames(d2xx::Driver &driver, d2xx::Handle h, int attempts = 2000)
{
    Bytes stream;
    std::array<std::uint8_t, 4096> buffer{};
    for (int i = 0; i < attempts; ++i) {
        std::uint32_t got = 0;
        if (!driver.ReadFile(h, buffer.data(), buffer.size(), got))
            break;
        stream.insert(stream.end(), buffer.begin(), buffer.begin() + got);
        if (auto f = frames(stream); !f.empty())
            return f;
    }
    return frames(stream);
}

bool writeAll(d2xx::Driver &driver, d2xx::Handle h, const Bytes &bytes)
{
    std::uint32_t written = 0;
    return driver.WriteFile(h, bytes.data(), std::uint32_t(bytes.size()), written) &&
           written == bytes.size();
}

} // namespace

TEST(SimBackend, ListsAndOpensOneDevice)
{
    auto backend = sim::makeUnpacedBackend();
    EXPECT_EQ(backend->descriptions(), std::vector<std::string>{"QM5230 Simulator"});
    EXPECT_EQ(backend->open("QM5230"), nullptr);
    EXPECT_NE(backend->open("QM5230 Simulator"), nullptr);
    EXPECT_FALSE(backend->line().pacing());

    backend->unplug();
    EXPECT_TRUE(backend->descriptions().empty());
    EXPECT_EQ(backend->open("QM5230 Simulator"), nullptr);
    backend->replug();
    EXPECT_EQ(backend->descriptions().size(), 1u);

    auto registered = sim::makeBackend();
    auto *sim = dynamic_cast<sim::SimBackend *>(registered.get());
    ASSERT_NE(sim, nullptr);
    EXPECT_TRUE(sim->line().pacing());
    EXPECT_EQ(sim->unit().versionText(), "8.52");
    sim::SimOptions options;
    options.versionText = "T-1.0";
    EXPECT_EQ(sim::makeSimBackend(options)->unit().versionText(), "T-1.0");
}

// The whole road through the driver facade, as the worker thread uses it.
TEST(SimBackend, ExchangeThroughTheDriverAndPullThePlug)
{
    auto backend = sim::makeUnpacedBackend();
    d2xx::Driver driver;
    driver.addBackend(backend);

    std::uint32_t count = 0;
    ASSERT_EQ(driver.CreateDeviceInfoList(count), d2xx::StatusOk);
    ASSERT_EQ(count, 1u);
    std::string description;
    ASSERT_EQ(driver.GetDeviceInfoDetail(0, description), d2xx::StatusOk);
    EXPECT_EQ(description, "QM5230 Simulator");

    const d2xx::Handle h = driver.CreateFile(description);
    ASSERT_NE(h, d2xx::InvalidHandle);
    driver.SetBaudRate(h, 38400);
    driver.SetDataCharacteristics(h, 8, d2xx::StopBits2, d2xx::ParityNone);
    driver.SetTimeouts(h, 5, 100);

    ASSERT_TRUE(writeAll(driver, h, request(1, VERSION_REQ, 4)));
    auto got = readFrames(driver, h);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][FrameCommandAt], VERSION_CFM);

    // Reads are cut to the hook's size.
    backend->line().setMaxBytesPerRead(3);
    ASSERT_TRUE(writeAll(driver, h, request(1, VERSION_REQ, 4)));
    std::array<std::uint8_t, 64> buffer{};
    std::uint32_t n = 0;
    ASSERT_TRUE(driver.ReadFile(h, buffer.data(), buffer.size(), n));
    EXPECT_EQ(n, 3u);
    backend->line().setMaxBytesPerRead(0);

    backend->unplug();
    EXPECT_FALSE(driver.ReadFile(h, buffer.data(), buffer.size(), n));
    EXPECT_EQ(driver.GetLastError(h), d2xx::ErrorDeviceGone);
    std::uint32_t written = 0;
    EXPECT_FALSE(driver.WriteFile(h, buffer.data(), 4, written));
    ASSERT_EQ(driver.CreateDeviceInfoList(count), d2xx::StatusOk);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(driver.CreateFile(description), d2xx::InvalidHandle);
    driver.Close(h);

    backend->replug();
    ASSERT_EQ(driver.CreateDeviceInfoList(count), d2xx::StatusOk);
    EXPECT_EQ(count, 1u);
    const d2xx::Handle again = driver.CreateFile(description);
    ASSERT_NE(again, d2xx::InvalidHandle);
    driver.SetTimeouts(again, 5, 100);
    ASSERT_TRUE(writeAll(driver, again, request(1, PASSWORD_READ_REQ, 4)));
    got = readFrames(driver, again);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][FrameCommandAt], PASSWORD_READ_CFM);
    driver.Close(again);
}
