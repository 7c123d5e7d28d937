// One compiled pattern of the regular-expression engine, "set to" the subject text it last
// searched so that a following search on the same text keeps ICU's state.
//
// An entry holds its own QString copies of the pattern and of the subject. The copy keeps the
// characters that ICU points into alive; a caller who changes the string afterwards detaches from
// the copy, so the entry never searches stale text. A string over foreign characters
// (QString::fromRawData, string literals) is deep-copied, since its characters may go away.
// Not thread-safe: the cache's entries are used under the engine's lock, a clone by one thread.
#pragma once

#include "core/regex/ERXTypes.h"
#include "core/regex/RegexError.h"

#include <QString>

#include <unicode/uregex.h>

#include <cstddef>
#include <cstdint>
#include <optional>

class ERXCachedRegex
{
public:
    ERXCachedRegex() = default;
    ~ERXCachedRegex();
    ERXCachedRegex(const ERXCachedRegex &) = delete;
    ERXCachedRegex &operator=(const ERXCachedRegex &) = delete;
    ERXCachedRegex(ERXCachedRegex &&other) noexcept;
    ERXCachedRegex &operator=(ERXCachedRegex &&other) noexcept;

    /// Compiles `pattern` into this entry, which is evicted first. False, with `error` filled
    /// when given, when it does not compile. Raises ERXException for a pattern of 2^31-1 units
    /// or more.
    bool compile(const QString &pattern, size_t hash, ERXRegexOptions options, RegexError *error);
    /// A private copy with its own ICU matcher and no text, for work outside the engine's lock.
    ERXCachedRegex clone() const;
    /// Back to empty: pattern closed, capture count -1.
    void evict();
    /// Forgets the subject: ICU keeps no pointer into it and the copy is released.
    void clearSetToState();

    bool isCompiled() const { return mRegex != nullptr; }
    const QString &regexString() const { return mRegexString; }
    size_t regexHash() const { return mRegexHash; }
    ERXRegexOptions options() const { return mOptions; }
    int64_t captureCount() const { return mCaptureCount; }
    const QString &setToString() const { return mSetToString; }
    ERXRange setToRange() const { return mSetToRange; }

    /// True when `subject` is the copy this entry holds: the same storage and length.
    bool isSetTo(const QString &subject) const;
    /// True when `pattern` shares its storage with this entry's pattern (the cheap identity).
    bool hasSamePatternObject(const QString &pattern) const;

    /// Sets the entry to `range` of `subject` (a range inside it, below 2^31 units). The set-to
    /// state is kept when the subject and range are the ones ICU already holds.
    void setTo(const QString &subject, ERXRange range);

    /// Searches from the absolute `location` inside the set-to range. Continues ICU's previous
    /// search when it starts where that one left off. Raises ERXException on an ICU failure.
    std::optional<ERXRange> search(uint64_t location);
    /// The absolute range of `capture` in the last match, or ERXNotFoundRange.
    ERXRange captureRange(int64_t capture) const;
    /// Where a find-all continues after `match`: its end, one character further after an empty
    /// match. Past the set-to range's end when the search is over.
    uint64_t nextSearchLocation(ERXRange match) const;
    /// ICU's position is no longer the last match (it was reset or ran on).
    void forgetLastMatch() { mLastMatchRange = ERXNotFoundRange; }

    /// The text of an absolute range of the subject; the empty string for an empty or
    /// not-found range.
    QString text(ERXRange range) const;
    /// The subject's characters of the set-to range, as ICU sees them.
    const UChar *setToCharacters() const;
    URegularExpression *icu() const { return mRegex; }

    /// What an ICU exception raised while searching this entry tells.
    ERXErrorDetails errorDetails(int status) const;

    /// `subject` itself when its storage is its own, else a deep copy of it.
    static QString ownedCopy(const QString &subject);

private:
    void setICUText(const UChar *characters, int32_t length);

    QString mRegexString;
    size_t mRegexHash = 0;
    ERXRegexOptions mOptions = 0;
    URegularExpression *mRegex = nullptr;
    int64_t mCaptureCount = -1;
    QString mSetToString;
    ERXRange mSetToRange = ERXNotFoundRange;
    ERXRange mLastMatchRange = ERXNotFoundRange;
};
