// A scripted driver backend for tests: reads, writes, loss and return of a device.
#pragma once

#include "platform/d2xx/d2xx.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// A device whose reads and writes the test scripts.
struct FakeState
{
    std::mutex m;
    std::deque<Bytes> reads;
    bool gone = false;
    std::uint32_t writeLimit = 0xFFFFFFFF; // bytes accepted per write
    bool failWrites = false;
    std::vector<Bytes> written;
    // Each read's pause in ms: how long, and how much of it a cut may end.
    std::vector<std::pair<int, int>> readPauses;
    std::function<void()> duringRead; // runs once, in the next read, unlocked
    bool cutPending = false;          // a cut waiting for the read in its pause
    int cutReads = 0;                 // reads whose pause was cut short
    int baud = 0, dataBits = 0, stopBits = 0, parity = -1, readTimeout = 0, writeTimeout = 0;
};

class FakeDevice : public d2xx::Device
{
public:
    explicit FakeDevice(std::shared_ptr<FakeState> s) : s_(std::move(s)) {}
    void setBaudRate(int baud) override { s_->baud = baud; }
    void setDataCharacteristics(int d, int st, int p) override
    {
        s_->dataBits = d;
        s_->stopBits = st;
        s_->parity = p;
    }
    void setTimeouts(int r, int w) override
    {
        s_->readTimeout = r;
        s_->writeTimeout = w;
    }
    bool read(std::uint8_t *buf, std::uint32_t size, std::uint32_t &got,
              d2xx::ReadPause pause) override
    {
        std::function<void()> during;
        {
            std::lock_guard l(s_->m);
            during = std::exchange(s_->duringRead, nullptr);
        }
        if (during)
            during();
        std::lock_guard l(s_->m);
        got = 0;
        s_->readPauses.emplace_back(static_cast<int>(pause.length.count()),
                                    static_cast<int>(pause.cuttable.count()));
        const bool cut = std::exchange(s_->cutPending, false) && pause.cuttable.count() > 0;
        if (s_->gone)
            return false;
        if (cut) {
            ++s_->cutReads;
            return true;
        }
        if (s_->reads.empty())
            return true;
        Bytes b = std::move(s_->reads.front());
        s_->reads.pop_front();
        got = std::min<std::uint32_t>(size, static_cast<std::uint32_t>(b.size()));
        std::copy_n(b.begin(), got, buf);
        return true;
    }
    bool write(const std::uint8_t *data, std::uint32_t size, std::uint32_t &written) override
    {
        std::lock_guard l(s_->m);
        written = 0;
        if (s_->gone || s_->failWrites)
            return false;
        written = std::min(size, s_->writeLimit);
        s_->written.emplace_back(data, data + written);
        return true;
    }
    void cutPause() override
    {
        std::lock_guard l(s_->m);
        s_->cutPending = true;
    }
    std::uint32_t lastError() const override { return s_->gone ? d2xx::ErrorDeviceGone : 0; }

private:
    std::shared_ptr<FakeState> s_;
};

class FakeBackend : public d2xx::Backend
{
public:
    std::vector<std::string> names{"Unit A", "", "Unit B"};
    std::shared_ptr<FakeState> state = std::make_shared<FakeState>();
    bool present = true;
    int opens = 0;
    std::vector<std::string> descriptions() override
    {
        if (!present)
            return {};
        return names;
    }
    std::unique_ptr<d2xx::Device> open(const std::string &) override
    {
        ++opens;
        std::lock_guard l(state->m);
        state->gone = false;
        return std::make_unique<FakeDevice>(state);
    }
};

inline Bytes AllWritten(FakeState &s)
{
    std::lock_guard l(s.m);
    Bytes all;
    for (const auto &w : s.written)
        all.insert(all.end(), w.begin(), w.end());
    return all;
}

} // namespace testsupport
