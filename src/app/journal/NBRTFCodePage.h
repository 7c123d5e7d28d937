// Windows code page 1252, the single-byte code page the journal's RTF declares (\ansicpg1252):
// the byte written after each \uN for readers without Unicode, and the meaning of \'hh when a
// file brings such bytes. Pure; any thread.
#pragma once

#include <QChar>

#include <optional>

namespace NBRTFCodePage {

/// The cp1252 byte of a UTF-16 unit; none for units the code page lacks (surrogates included).
std::optional<unsigned char> byteForUnit(char16_t unit);
/// The character of a cp1252 byte; the five bytes cp1252 leaves undefined map to U+FFFD.
char16_t unitForByte(unsigned char byte);

} // namespace NBRTFCodePage
