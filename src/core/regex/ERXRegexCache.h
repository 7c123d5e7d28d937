// The process-wide cache of compiled patterns: 52 entries in 13 sets of 4 ways with LRU order
// inside each set, a shortcut to the entry used last and a 64-byte lookaside table from the
// pattern's storage address and options to an entry.
//
// One mutex guards all of it. Callers hold it (through a std::unique_lock they pass in) for the
// whole lookup, set-to, search and result building, and never while user code runs; exceptions
// thrown under it leave the locked scope before anything handles them.
#pragma once

#include "core/regex/ERXCachedRegex.h"
#include "core/regex/ERXLruWord.h"
#include "core/regex/RegexError.h"

#include <QString>

#include <array>
#include <cstdint>
#include <mutex>

class ERXRegexCache
{
public:
    static constexpr int kSets = 13;
    static constexpr int kWays = ERXLruWord::kWays;
    static constexpr int kEntries = kSets * kWays;
    static constexpr int kLookasideSize = 64;

    /// The one cache of the process, made on first use.
    static ERXRegexCache &shared();

    std::mutex &mutex() { return mMutex; }

    /// The compiled entry for `pattern` and `options`, compiling it into its set's least recently
    /// used way when it is not cached. Null when it does not compile (`error` then holds why).
    /// `lock` must hold this cache's mutex.
    ERXCachedRegex *lookup(const std::unique_lock<std::mutex> &lock, const QString &pattern,
                           ERXRegexOptions options, RegexError *error);
    /// Empties every entry (patterns closed) and the shortcuts.
    void clear(const std::unique_lock<std::mutex> &lock);
    /// Forgets `subject` wherever an entry is set to it or to an equal text.
    void flush(const std::unique_lock<std::mutex> &lock, const QString &subject);
    /// Entry number (set * 4 + way) holding `pattern` compiled with `options`, or -1. Changes no
    /// LRU order; for inspection.
    int entryIndexOf(const std::unique_lock<std::mutex> &lock, const QString &pattern,
                     ERXRegexOptions options) const;
    /// The set a pattern with these options goes to.
    static int setIndexFor(const QString &pattern, ERXRegexOptions options);

private:
    ERXRegexCache();
    void requireLock(const std::unique_lock<std::mutex> &lock, const char *function) const;
    static int lookasideIndexFor(const QString &pattern, ERXRegexOptions options);
    bool holds(int index, const QString &pattern, ERXRegexOptions options) const;
    void use(int index, int lookasideIndex);

    static constexpr uint8_t kNoEntry = 0xFF;

    std::mutex mMutex;
    std::array<ERXCachedRegex, kEntries> mEntries;
    std::array<ERXLruWord, kSets> mLru;
    std::array<uint8_t, kLookasideSize> mLookaside;
    ERXCachedRegex *mLastCachedRegex = nullptr;
};
