// Windows code page 1252: ASCII and Latin-1 except for 0x80..0x9F, which hold typographic
// characters instead of C1 controls.
#include "app/journal/NBRTFCodePage.h"

#include <array>

namespace {

// 0x80..0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

namespace NBRTFCodePage {

std::optional<unsigned char> byteForUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<unsigned char>(unit);
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == unit)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

char16_t unitForByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t unit = kHighControls[byte - 0x80];
        return unit != 0 ? unit : char16_t(0xFFFD);
    }
    return char16_t(byte);
}

} // namespace NBRTFCodePage
