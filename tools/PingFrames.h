// The ping exchange with node 0: the request with its random payload, and
// the check of the unit's echo. Plain data; any thread.
#pragma once

#include <QString>
#include <QTime>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t PingBufferSize = 100;
inline constexpr std::uint8_t PingRequestLength = 21;
inline constexpr std::uint8_t MaxPingData = 15;
inline constexpr std::size_t PingCountAt = 4; // n, then n data bytes
inline constexpr std::size_t PingDataAt = 5;

using PingBuffer = std::array<std::uint8_t, PingBufferSize>;

// Fills `buffer` with PING_REQ carrying `data` (at most MaxPingData bytes;
// more are cut), zeros after it and the checksum.
void BuildPingRequest(PingBuffer &buffer, std::span<const std::uint8_t> data);

enum class PingEcho {
    Match,
    WrongCount, // the echo carries another number of bytes than was sent, and some
    WrongData,  // same number, different bytes
    Truncated,  // its count says more bytes than the frame holds
};

// Compares the echo in `answer` (a PING_CFM whose checksum was tested;
// `count` bytes decoded) with the request in `sent`, byte for byte. Reads
// no byte beyond the answer's Length.
PingEcho CheckPingEcho(const PingBuffer &sent, const std::uint8_t *answer, std::size_t count);

// The echoed bytes the answer really holds, at most its count.
std::span<const std::uint8_t> PingEchoData(const std::uint8_t *answer, std::size_t count);

// "<second>:<millisecond>: <what> - Data: " and each byte as "XX:".
QString PingLogLine(QTime at, const char *what, std::span<const std::uint8_t> data);
