// The driver facade over fake backends: listing, open by description, the
// handle table and the calls on handles that are not open.
#include "platform/d2xx/d2xx.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// What a fake device was told; outlives the device to show its closing.
struct DeviceLog
{
    std::vector<int> settings; // baud, data bits, stop bits, parity, read ms, write ms
    std::string written;
    bool closed = false;
};

class FakeDevice : public d2xx::Device
{
public:
    FakeDevice(std::shared_ptr<DeviceLog> log, std::string rx) : log_(std::move(log)), rx_(rx) {}
    ~FakeDevice() override { log_->closed = true; }
    void setBaudRate(int baud) override { log_->settings.push_back(baud); }
    void setDataCharacteristics(int dataBits, int stopBits, int parity) override
    {
        log_->settings.insert(log_->settings.end(), {dataBits, stopBits, parity});
    }
    void setTimeouts(int readMs, int writeMs) override
    {
        log_->settings.insert(log_->settings.end(), {readMs, writeMs});
    }
    bool read(std::uint8_t *buffer, std::uint32_t size, std::uint32_t &got,
              d2xx::ReadPause) override
    {
        got = std::uint32_t(std::min<std::size_t>(size, rx_.size()));
        rx_.copy(reinterpret_cast<char *>(buffer), got);
        rx_.erase(0, got);
        return true;
    }
    bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
    {
        log_->written.append(reinterpret_cast<const char *>(data), size);
        written = size;
        return true;
    }
    void cutPause() override {}
    std::uint32_t lastError() const override { return 77; }

private:
    std::shared_ptr<DeviceLog> log_;
    std::string rx_;
};

// Lists `names`, opens every name not `refused`, each device receiving `rx`.
class FakeBackend : public d2xx::Backend
{
public:
    explicit FakeBackend(std::vector<std::string> names, std::string rx = {})
        : names(std::move(names)), rx(std::move(rx))
    {
    }
    std::vector<std::string> descriptions() override { return names; }
    std::unique_ptr<d2xx::Device> open(const std::string &description) override
    {
        opened.push_back(description);
        if (refused.count(description))
            return nullptr;
        logs.push_back(std::make_shared<DeviceLog>());
        return std::make_unique<FakeDevice>(logs.back(), rx);
    }

    std::vector<std::string> names;
    std::string rx;
    std::set<std::string> refused;
    std::vector<std::string> opened;
    std::vector<std::shared_ptr<DeviceLog>> logs;
};

std::vector<std::string> listAll(d2xx::Driver &driver)
{
    std::uint32_t count = 99;
    EXPECT_EQ(driver.CreateDeviceInfoList(count), d2xx::StatusOk);
    std::vector<std::string> names(count);
    for (std::uint32_t i = 0; i < count; ++i)
        EXPECT_EQ(driver.GetDeviceInfoDetail(i, names[i]), d2xx::StatusOk);
    return names;
}

TEST(DriverTest, ListsEveryBackendInOrderAndKeepsTheSnapshot)
{
    d2xx::Driver driver;
    auto first = std::make_shared<FakeBackend>(std::vector<std::string>{"Unit A", "Unit B"});
    driver.addBackend(first);
    driver.addBackend(std::make_shared<FakeBackend>(std::vector<std::string>{"Unit A"}));
    EXPECT_EQ(listAll(driver), (std::vector<std::string>{"Unit A", "Unit B", "Unit A"}));

    // Details come from the last listing until the next one.
    first->names = {"Unit C"};
    std::string description;
    EXPECT_EQ(driver.GetDeviceInfoDetail(1, description), d2xx::StatusOk);
    EXPECT_EQ(description, "Unit B");
    EXPECT_EQ(driver.GetDeviceInfoDetail(3, description), d2xx::StatusError);
    EXPECT_EQ(listAll(driver), (std::vector<std::string>{"Unit C", "Unit A"}));

    driver.clearBackends();
    EXPECT_TRUE(listAll(driver).empty());
    EXPECT_EQ(driver.GetDeviceInfoDetail(0, description), d2xx::StatusError);
}

TEST(DriverTest, OpensByDescriptionAndForwardsTheCalls)
{
    d2xx::Driver driver;
    auto backend = std::make_shared<FakeBackend>(std::vector<std::string>{"Unit A", "Unit B"},
                                                 std::string("\xC0\x03", 2));
    driver.addBackend(backend);

    const d2xx::Handle h = driver.CreateFile("Unit B");
    ASSERT_NE(h, d2xx::InvalidHandle);
    EXPECT_EQ(backend->opened, std::vector<std::string>{"Unit B"});
    const DeviceLog &log = *backend->logs.at(0);
    EXPECT_EQ(driver.SetBaudRate(h, 38400), d2xx::StatusOk);
    EXPECT_EQ(driver.SetDataCharacteristics(h, 8, d2xx::StopBits2, d2xx::ParityNone),
              d2xx::StatusOk);
    EXPECT_EQ(driver.SetTimeouts(h, 5, 100), d2xx::StatusOk);
    EXPECT_EQ(log.settings, (std::vector<int>{38400, 8, 2, 0, 5, 100}));

    std::uint8_t buffer[4096];
    std::uint32_t got = 0;
    EXPECT_TRUE(driver.ReadFile(h, buffer, sizeof buffer, got));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), got), "\xC0\x03");
    EXPECT_TRUE(driver.ReadFile(h, buffer, sizeof buffer, got));
    EXPECT_EQ(got, 0u);

    const std::uint8_t frame[] = {0xC0, 0x03, 0x04, 0x01, 0x06, 0xC0};
    std::uint32_t written = 0;
    EXPECT_TRUE(driver.WriteFile(h, frame, sizeof frame, written));
    EXPECT_EQ(written, sizeof frame);
    EXPECT_EQ(log.written, std::string(reinterpret_cast<const char *>(frame), sizeof frame));
    EXPECT_EQ(driver.GetLastError(h), 77u);

    EXPECT_EQ(driver.Close(h), d2xx::StatusOk);
    EXPECT_TRUE(log.closed);
}

TEST(DriverTest, OpenFallsThroughRefusingBackendsAndGivesEachOpenItsHandle)
{
    d2xx::Driver driver;
    auto refusing = std::make_shared<FakeBackend>(std::vector<std::string>{"Unit A", "Busy"});
    refusing->refused = {"Unit A", "Busy"};
    auto fallback = std::make_shared<FakeBackend>(std::vector<std::string>{"Unit A"});
    driver.addBackend(refusing);
    driver.addBackend(fallback);

    EXPECT_EQ(driver.CreateFile("Unit Z"), d2xx::InvalidHandle);
    EXPECT_EQ(driver.CreateFile(""), d2xx::InvalidHandle);
    EXPECT_EQ(driver.CreateFile("Busy"), d2xx::InvalidHandle);
    EXPECT_TRUE(fallback->opened.empty()) << "unlisted names reach no backend";

    // Two adapters with one description: both open by it, each with its own handle.
    const d2xx::Handle a = driver.CreateFile("Unit A");
    const d2xx::Handle b = driver.CreateFile("Unit A");
    ASSERT_NE(a, d2xx::InvalidHandle);
    ASSERT_NE(b, d2xx::InvalidHandle);
    EXPECT_NE(a, b);
    EXPECT_EQ(fallback->opened.size(), 2u);

    EXPECT_EQ(driver.Close(a), d2xx::StatusOk);
    EXPECT_FALSE(fallback->logs[1]->closed);
    std::uint32_t written = 0;
    EXPECT_TRUE(driver.WriteFile(b, reinterpret_cast<const std::uint8_t *>("U"), 1, written));
}

// Calls on a handle that is not open fail, and the handle reads as a device
// that is gone, so the worker treats it as a lost link.
TEST(DriverTest, CallsOnHandlesThatAreNotOpenFail)
{
    d2xx::Driver driver;
    driver.addBackend(std::make_shared<FakeBackend>(std::vector<std::string>{"Unit A"}, "data"));
    const d2xx::Handle closed = driver.CreateFile("Unit A");
    ASSERT_EQ(driver.Close(closed), d2xx::StatusOk);

    for (const d2xx::Handle h : {closed, d2xx::InvalidHandle, d2xx::Handle(12345)}) {
        SCOPED_TRACE(h);
        std::uint8_t buffer[16];
        std::uint32_t count = 99;
        EXPECT_FALSE(driver.ReadFile(h, buffer, sizeof buffer, count));
        EXPECT_EQ(count, 0u);
        count = 99;
        EXPECT_FALSE(driver.WriteFile(h, buffer, 1, count));
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(driver.GetLastError(h), d2xx::ErrorDeviceGone);
        EXPECT_EQ(driver.SetBaudRate(h, 38400), d2xx::StatusError);
        EXPECT_EQ(driver.SetDataCharacteristics(h, 8, 2, 0), d2xx::StatusError);
        EXPECT_EQ(driver.SetTimeouts(h, 5, 100), d2xx::StatusError);
        EXPECT_EQ(driver.Close(h), d2xx::StatusError);
    }
}

} // namespace
