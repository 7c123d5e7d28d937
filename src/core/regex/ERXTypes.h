// Value types shared by the regular-expression engine and its string operations: ranges in
// UTF-16 units, pattern options, enumeration options and the callback shapes of the block forms.
#pragma once

#include "core/OVConstants.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

/// A part of a string in UTF-16 units: where it starts and how many units it covers.
struct ERXRange
{
    uint64_t location = 0;
    uint64_t length = 0;

    uint64_t end() const { return location + length; }
    bool isNotFound() const { return location == static_cast<uint64_t>(OVNotFound); }
    friend bool operator==(const ERXRange &, const ERXRange &) = default;
};
Q_DECLARE_METATYPE(ERXRange)

/// A range length meaning "to the end of the string": {0, ERXRangeToEnd} is the whole string.
inline constexpr uint64_t ERXRangeToEnd = UINT64_MAX;
/// The whole string, the default range of every operation.
inline constexpr ERXRange ERXWholeRange{0, ERXRangeToEnd};
/// The range reported when nothing matched, or a group took no part in the match.
inline constexpr ERXRange ERXNotFoundRange{static_cast<uint64_t>(OVNotFound), 0};

/// Pattern options: ICU's own flag bits (UREGEX_CASE_INSENSITIVE, UREGEX_MULTILINE, ...), handed
/// to the pattern compiler unchanged.
using ERXRegexOptions = uint32_t;

/// Options of the block forms.
using ERXRegexEnumerationOptions = uint32_t;
inline constexpr ERXRegexEnumerationOptions ERXRegexEnumerationNoOptions = 0;
/// The block receives no captured strings (a null list), only the ranges.
inline constexpr ERXRegexEnumerationOptions ERXRegexEnumerationCapturedStringsNotRequired = 512;
/// Accepted for the replacement form only; each returned string is owned by value here anyway.
inline constexpr ERXRegexEnumerationOptions ERXRegexEnumerationReleaseReplacementStrings = 1024;
/// Accepted (not with 512); the captured strings are valid for the call of the block only.
inline constexpr ERXRegexEnumerationOptions ERXRegexEnumerationTransientCapturedStrings = 2048;

/// One (dictionary key, capture number) pair of the dictionary forms.
struct ERXKeyCapture
{
    QString key;
    int64_t capture = 0;
};

/// Called once per match (or per piece of a split). `count` is the number of valid entries of
/// `capturedRanges` (and of `capturedStrings`, which is null with 512); setting `stop` ends the
/// enumeration after this call.
using ERXEnumerationBlock = std::function<void(qsizetype count, const QStringList *capturedStrings,
                                               const ERXRange *capturedRanges, bool &stop)>;
/// Like ERXEnumerationBlock, and answers the text put in place of the match (empty optional:
/// nothing).
using ERXReplacementBlock = std::function<std::optional<QString>(
    qsizetype count, const QStringList *capturedStrings, const ERXRange *capturedRanges, bool &stop)>;
