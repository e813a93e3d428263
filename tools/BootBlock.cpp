#include "tools/BootBlock.h"

#include "tools/HexFile.h"

#include <algorithm>

std::vector<std::uint8_t> BuildBootBlock(const HEXFile &image, std::int32_t address,
                                         std::int32_t pageSize)
{
    if (pageSize < 1 || pageSize > BootDefaultPageSize || address < 0 || address % pageSize != 0 ||
        address > image.getSize() - pageSize)
        return {};
    std::vector<std::uint8_t> block;
    block.reserve(static_cast<std::size_t>(pageSize + BootBlockOverhead));
    block.push_back(static_cast<std::uint8_t>((address >> 16) & 0xFF));
    block.push_back(static_cast<std::uint8_t>((address >> 8) & 0xFF));
    std::uint8_t sum = 0;
    for (std::int32_t i = 0; i < pageSize; ++i) {
        const std::uint8_t b = image.getData(address + i);
        block.push_back(b);
        sum = static_cast<std::uint8_t>(sum + b);
    }
    block.push_back(sum);
    return block;
}

int BootProgress(std::int32_t offset, std::int32_t start, std::int32_t end)
{
    const std::int64_t range = static_cast<std::int64_t>(end) - start;
    if (range <= 0 || offset <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>(100, std::int64_t{offset} * 100 / range));
}
