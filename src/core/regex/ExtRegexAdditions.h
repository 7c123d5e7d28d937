// Regular-expression operations on strings: matching, ranges and substrings, splitting,
// collecting every match with its groups, dictionaries of (key, capture) pairs, replacement with
// ICU templates (into a new string or in place) and block enumeration.
//
// Patterns use ICU's syntax and options (ERXRegexOptions are ICU's UREGEX_* flags). They compile
// once into a process-wide cache and stay set to the last text they searched. Positions and
// lengths count UTF-16 units. A subject comes first; a null subject is the empty string.
//
// Any thread may call. Blocks run without the engine's lock, so a block may use these functions.
//
// Failures:
// - a pattern that does not compile: a false, empty or null answer (-1 for counts) and, when
//   `error` is given, a RegexError in "ERXICURegexErrorDomain" with ICU's error name, line,
//   offset and context;
// - misuse (null pattern, range past the end, capture beyond the groups, bad enumeration
//   options) and ICU failures while searching or replacing: an ERXException whose reason reads
//   "*** -[QString <operation>]: <message>".
#pragma once

#include "core/regex/ERXException.h"
#include "core/regex/ERXTypes.h"
#include "core/regex/RegexError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <initializer_list>

namespace ExtRegexAdditions {

// --- Matching -------------------------------------------------------------------------------

/// True when `regex` matches somewhere in `range` of `subject`.
bool isMatchedByRegex(const QString &subject, const QString &regex);
bool isMatchedByRegex(const QString &subject, const QString &regex, ERXRange range);
bool isMatchedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                      RegexError *error = nullptr);

/// The range of the first match, or of its group `capture` (0: the whole match); ERXNotFoundRange
/// when nothing matched or the group took no part.
ERXRange rangeOfRegex(const QString &subject, const QString &regex);
ERXRange rangeOfRegex(const QString &subject, const QString &regex, int64_t capture);
ERXRange rangeOfRegex(const QString &subject, const QString &regex, ERXRange range);
ERXRange rangeOfRegex(const QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                      int64_t capture, RegexError *error = nullptr);

/// The text of that range: null when nothing matched, empty when the group took no part.
QString stringByMatching(const QString &subject, const QString &regex);
QString stringByMatching(const QString &subject, const QString &regex, int64_t capture);
QString stringByMatching(const QString &subject, const QString &regex, ERXRange range);
QString stringByMatching(const QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                         int64_t capture, RegexError *error = nullptr);

// --- Splitting and collecting ---------------------------------------------------------------

/// The pieces of `range` between matches, each followed by the texts of the separator's groups.
/// Empty pieces at the end are dropped; text without a match is one piece; "" gives no pieces.
QStringList componentsSeparatedByRegex(const QString &subject, const QString &regex);
QStringList componentsSeparatedByRegex(const QString &subject, const QString &regex, ERXRange range);
QStringList componentsSeparatedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                       ERXRange range, RegexError *error = nullptr);

/// The text of every match (or of its group `capture`).
QStringList componentsMatchedByRegex(const QString &subject, const QString &regex);
QStringList componentsMatchedByRegex(const QString &subject, const QString &regex, int64_t capture);
QStringList componentsMatchedByRegex(const QString &subject, const QString &regex, ERXRange range);
QStringList componentsMatchedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                     ERXRange range, int64_t capture, RegexError *error = nullptr);

/// The first match's text followed by the text of each group (captureCount + 1 strings); empty
/// when nothing matched.
QStringList captureComponentsMatchedByRegex(const QString &subject, const QString &regex);
QStringList captureComponentsMatchedByRegex(const QString &subject, const QString &regex, ERXRange range);
QStringList captureComponentsMatchedByRegex(const QString &subject, const QString &regex,
                                            ERXRegexOptions options, ERXRange range, RegexError *error = nullptr);

/// One such list per match.
QList<QStringList> arrayOfCaptureComponentsMatchedByRegex(const QString &subject, const QString &regex);
QList<QStringList> arrayOfCaptureComponentsMatchedByRegex(const QString &subject, const QString &regex,
                                                          ERXRange range);
QList<QStringList> arrayOfCaptureComponentsMatchedByRegex(const QString &subject, const QString &regex,
                                                          ERXRegexOptions options, ERXRange range,
                                                          RegexError *error = nullptr);

// --- Dictionaries ---------------------------------------------------------------------------

/// For the first match: each key mapped to the text of its capture; a key whose group took no
/// part is left out. Empty when nothing matched.
QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex,
                                      std::initializer_list<ERXKeyCapture> keysAndCaptures);
QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex, ERXRange range,
                                      std::initializer_list<ERXKeyCapture> keysAndCaptures);
QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                      ERXRange range, RegexError *error,
                                      std::initializer_list<ERXKeyCapture> keysAndCaptures);
/// `keys[i]` takes capture `captures[i]`; the lists have one entry per pair.
QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                      ERXRange range, RegexError *error, const QStringList &keys,
                                      const QList<int64_t> &captures);

/// One such dictionary per match.
QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      std::initializer_list<ERXKeyCapture> keysAndCaptures);
QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      ERXRange range,
                                                      std::initializer_list<ERXKeyCapture> keysAndCaptures);
QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      ERXRegexOptions options, ERXRange range, RegexError *error,
                                                      std::initializer_list<ERXKeyCapture> keysAndCaptures);
QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      ERXRegexOptions options, ERXRange range, RegexError *error,
                                                      const QStringList &keys, const QList<int64_t> &captures);

// --- Replacement ----------------------------------------------------------------------------

/// The text of `range` with every match replaced by the ICU template `replacement` ("$1": the
/// first group's text). Null when the pattern does not compile.
QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const QString &replacement);
QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const QString &replacement, ERXRange range);
QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const QString &replacement, ERXRegexOptions options, ERXRange range,
                                            RegexError *error = nullptr);

/// In place: replaces `range` of `subject` by its replaced text when anything was replaced.
/// Answers the number of replacements (0 leaves `subject` unchanged), -1 when the pattern does
/// not compile.
int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const QString &replacement);
int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const QString &replacement,
                                  ERXRange range);
int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const QString &replacement,
                                  ERXRegexOptions options, ERXRange range, RegexError *error = nullptr);

// --- Blocks ---------------------------------------------------------------------------------

/// Calls `block` for each match with the match and its groups (captureCount + 1 entries).
/// True when no error occurred.
bool enumerateStringsMatchedByRegex(const QString &subject, const QString &regex, const ERXEnumerationBlock &block);
bool enumerateStringsMatchedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                    ERXRange range, RegexError *error,
                                    ERXRegexEnumerationOptions enumerationOptions, const ERXEnumerationBlock &block);

/// Calls `block` for each piece of the split, with the separator's groups after it (the last
/// piece alone); the same pieces as componentsSeparatedByRegex.
bool enumerateStringsSeparatedByRegex(const QString &subject, const QString &regex,
                                      const ERXEnumerationBlock &block);
bool enumerateStringsSeparatedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                      ERXRange range, RegexError *error,
                                      ERXRegexEnumerationOptions enumerationOptions, const ERXEnumerationBlock &block);

/// The text of `range` with each match replaced by what `block` answers for it. After the block
/// sets `stop`, the rest is kept as it is. Null when the pattern does not compile.
QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const ERXReplacementBlock &block);
QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                            ERXRange range, RegexError *error,
                                            ERXRegexEnumerationOptions enumerationOptions,
                                            const ERXReplacementBlock &block);

/// In place, with a block: answers the number of replacements, -1 when the pattern does not
/// compile.
int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const ERXReplacementBlock &block);
int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                                  RegexError *error, ERXRegexEnumerationOptions enumerationOptions,
                                  const ERXReplacementBlock &block);

// --- The pattern itself and the cache -------------------------------------------------------

/// Number of capture groups of `regex`; -1 when it does not compile.
int64_t captureCountForRegex(const QString &regex, ERXRegexOptions options = 0, RegexError *error = nullptr);
int64_t captureCount(const QString &regex);
int64_t captureCountWithOptions(const QString &regex, ERXRegexOptions options, RegexError *error = nullptr);
/// True when `regex` compiles.
bool isRegexValid(const QString &regex);
bool isRegexValidWithOptions(const QString &regex, ERXRegexOptions options, RegexError *error = nullptr);

/// Empties the cache: every pattern is compiled again on its next use.
void clearStringCache();
/// Makes the engine forget `subject` (and any equal text) as a searched text.
void flushCachedRegexData(const QString &subject);

} // namespace ExtRegexAdditions
