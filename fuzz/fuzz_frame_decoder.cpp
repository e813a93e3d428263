// The receive decoder on any byte stream: it never reads or writes outside
// its buffer, delivers only what it decoded, and a valid frame it delivers
// goes through the encoder and the decoder again unchanged.
#include "fuzz/FuzzSupport.h"
#include "link/FrameCodec.h"

#include <cstring>
#include <vector>

using fuzzsupport::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::vector<std::uint8_t>> valid;
    devlink::RxFrameDecoder decoder([&](const std::uint8_t *frame, std::size_t count) {
        check(count <= devlink::RxFrameDecoder::BufferSize, "decoded count in range");
        // Handlers read fixed offsets up to 255: all of it must be readable and,
        // past the count, zero.
        for (std::size_t i = count; i < 256; ++i)
            check(frame[i] == 0, "buffer zero behind the frame");
        if (devlink::IsValidFrame(frame, count))
            valid.emplace_back(frame, frame + frame[devlink::FrameLengthAt]);
    });
    for (std::size_t i = 0; i < size; ++i)
        decoder.PutByte(data[i]);

    for (const auto &frame : valid) {
        const std::vector<std::uint8_t> wire = devlink::SlipEncode(frame.data(), frame.size());
        std::vector<std::uint8_t> again;
        std::size_t frames = 0;
        devlink::RxFrameDecoder second([&](const std::uint8_t *f, std::size_t count) {
            ++frames;
            again.assign(f, f + count);
        });
        for (std::uint8_t byte : wire)
            second.PutByte(byte);
        check(frames == 1 && again == frame, "a valid frame survives encode and decode");
    }
    return 0;
}
