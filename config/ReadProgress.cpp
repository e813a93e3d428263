#include "config/ReadProgress.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int BlockCounts[ReadPartCount] = {11, 34, 1, 1, 32, 1, 1, 20, 1, 5, 1, 1, 1, 1, 3};

std::size_t row(ReadPart part)
{
    return static_cast<std::size_t>(part);
}

} // namespace

int ReadProgress::blocks(ReadPart part)
{
    return row(part) < std::size(BlockCounts) ? BlockCounts[row(part)] : 0;
}

bool ReadProgress::askedAsOne(ReadPart part)
{
    return part == ReadPart::Inputs || part == ReadPart::Outputs;
}

void ReadProgress::reset()
{
    stored_ = {};
    asks_ = {};
}

void ReadProgress::store(ReadPart part, int block)
{
    if (block >= 0 && block < blocks(part))
        stored_[row(part)][static_cast<std::size_t>(block)] = 1;
}

bool ReadProgress::stored(ReadPart part, int block) const
{
    return block >= 0 && block < blocks(part) &&
           stored_[row(part)][static_cast<std::size_t>(block)];
}

bool ReadProgress::complete(ReadPart part) const
{
    return !nextMissing(part).has_value();
}

bool ReadProgress::complete() const
{
    for (int p = 0; p < ReadPartCount; ++p)
        if (!complete(static_cast<ReadPart>(p)))
            return false;
    return true;
}

std::optional<int> ReadProgress::nextMissing(ReadPart part, int after) const
{
    const int n = blocks(part);
    for (int b = std::max(after + 1, 0); b < n; ++b)
        if (!stored(part, b))
            return b;
    for (int b = 0; b < n && b <= after; ++b)
        if (!stored(part, b))
            return b;
    return std::nullopt;
}

bool ReadProgress::ask(ReadPart part, int block)
{
    if (askedAsOne(part))
        block = 0;
    if (block < 0 || block >= blocks(part))
        return false;
    std::uint8_t &asks = asks_[row(part)][static_cast<std::size_t>(block)];
    if (asks >= MaxAsks)
        return false;
    ++asks;
    return true;
}

std::vector<std::pair<ReadPart, std::vector<int>>> ReadProgress::missing() const
{
    std::vector<std::pair<ReadPart, std::vector<int>>> out;
    for (int p = 0; p < ReadPartCount; ++p) {
        const auto part = static_cast<ReadPart>(p);
        std::vector<int> gaps;
        for (int b = 0; b < blocks(part); ++b)
            if (!stored(part, b))
                gaps.push_back(b);
        if (!gaps.empty())
            out.emplace_back(part, std::move(gaps));
    }
    return out;
}
