// The bootloader's byte exchange: its characters and the blocks the host
// sends, one page of the firmware image each. Plain C++, main thread only.
#pragma once

#include <cstdint>
#include <vector>

class HEXFile;

inline constexpr std::uint8_t BL_START = '>';
inline constexpr std::uint8_t BL_START_ACK = '<';
inline constexpr std::uint8_t BL_DEVICE = 'D';
inline constexpr std::uint8_t BL_PAGESIZE = 'T';
inline constexpr std::uint8_t BL_READY = '!';
inline constexpr std::uint8_t BL_ERROR = '@';
inline constexpr std::uint8_t BL_END[2] = {0xFF, 0xFF};

// The page size the bootloader announces with BL_PAGESIZE.
inline constexpr std::int32_t BootDefaultPageSize = 256;
// Address high, address middle, the page's bytes, their 8-bit sum.
inline constexpr std::int32_t BootBlockOverhead = 3;

// The block for the page at `address`: bits 23..16 and 15..8 of the
// address, `pageSize` image bytes from the address on, their 8-bit sum.
// Empty when the page does not lie wholly inside the image, when the
// address is not a multiple of the page size or the page size is not 1..256.
std::vector<std::uint8_t> BuildBootBlock(const HEXFile &image, std::int32_t address,
                                         std::int32_t pageSize);

// Progress 0..100 of a download that has sent `offset` bytes of the used
// range start..end (end inclusive); short ranges count as well.
int BootProgress(std::int32_t offset, std::int32_t start, std::int32_t end);
