// The EEPROM image readers on any bytes: text and binary images read
// without touching memory outside the image, and whatever a text image put
// into the image is written and read back to the same image.
#include "fuzz/FuzzSupport.h"
#include "tools/EepromImage.h"

#include <string_view>

using fuzzsupport::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const eeprom::ReadResult bin = eeprom::ReadBinImage({data, size});
    for (const eeprom::ImageRow &row : bin.rows)
        check(row.address % eeprom::RowBytes == 0 && row.address < eeprom::ImageSize,
              "binary rows inside the image");

    const eeprom::ReadResult text =
        eeprom::ReadTextImage(std::string_view(reinterpret_cast<const char *>(data), size));
    for (const eeprom::ImageRow &row : text.rows)
        check(row.address % eeprom::RowBytes == 0 && row.address < eeprom::ImageSize,
              "text rows inside the image");
    if (!text.isValid())
        return 0;

    eeprom::Image image{};
    eeprom::Apply(image, text.rows);
    const std::string written = eeprom::WriteTextImage(image, 0, eeprom::ImageSize);
    const eeprom::ReadResult again = eeprom::ReadTextImage(written);
    check(again.isValid(), "a written image reads");
    eeprom::Image back{};
    eeprom::Apply(back, again.rows);
    check(back == image, "a written image reads back the same");
    return 0;
}
