// Where each field of the unit's settings blocks goes when all settings are
// read: into the controls of the configuration pages (through the settings
// accessors where there is one) and into the three settings tables.
//
// Names on the wire are fixed fields padded with NUL bytes (a name that fills
// its field has none); numbers are little-endian except the output maximum
// current. Every item number from the unit is checked before it indexes a
// table or a control: a number out of range stores nothing.
//
// Main thread only, like the pages and tables they write.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

class QComboBox;

// A received frame read at fixed offsets. Bytes beyond the frame's Length
// or beyond the bytes decoded read as 0.
class ReadBlock
{
public:
    ReadBlock(const std::uint8_t *frame, std::size_t count);

    std::uint8_t code() const { return at(3); }
    // The usable length: the Length byte, held to the bytes decoded.
    std::size_t length() const { return length_; }
    bool has(std::size_t length) const { return length_ >= length; }

    std::uint8_t at(std::size_t offset) const;
    std::uint16_t u16le(std::size_t offset) const;
    std::uint16_t u16be(std::size_t offset) const;
    // The field's bytes up to the first NUL, at most `width` (Latin-1).
    QString name(std::size_t offset, std::size_t width) const;

private:
    const std::uint8_t *frame_;
    std::size_t length_;
};

// The length a read-data event needs before any of it is used; 0 for codes
// that are no read-data event. The CAN setup block is usable from the bit
// rate on (a shorter form carries nothing else).
std::size_t ReadBlockLength(std::uint8_t code);
inline constexpr std::size_t CanSetupFullLength = 17;

// Each returns whether it stored the block. The item stores return the item
// number they stored (inputs 1..11, channels 1..34), 0 when they stored none.
int StoreInputConfig(const ReadBlock &block);
int StoreOutputConfig(const ReadBlock &block);
bool StoreLowBattery(const ReadBlock &block);
bool StoreCanSetup(const ReadBlock &block);
bool StoreCanInput(const ReadBlock &block); // record byte 4, 0..31
bool StoreCanInputEnable(const ReadBlock &block);
bool StoreBoxName(const ReadBlock &block);
bool StoreVirtualInput(const ReadBlock &block); // record byte 4, 0..19
bool StoreStartKill(const ReadBlock &block);
bool StoreFlash(const ReadBlock &block); // record byte 4, 0..4
bool StoreWiper(const ReadBlock &block);
bool StoreSequences(const ReadBlock &block);
// The same, each type followed by `typeChanged` for its combo, before the names.
bool StoreSequences(const ReadBlock &block, const std::function<void(QComboBox *)> &typeChanged);
bool StorePwm(const ReadBlock &block);
bool StoreCanExport1(const ReadBlock &block);
bool StoreCanExport(const ReadBlock &block); // export byte 4: 0..2 for exports 2..4
