// The process-wide cache of compiled patterns.
#include "core/regex/ERXRegexCache.h"

#include "core/regex/ERXException.h"

#include <QHash>

#include <cstdint>

ERXRegexCache &ERXRegexCache::shared()
{
    // Never destroyed: operations may still run while static objects are torn down at exit.
    static ERXRegexCache *cache = new ERXRegexCache();
    return *cache;
}

ERXRegexCache::ERXRegexCache()
{
    mLookaside.fill(kNoEntry);
}

void ERXRegexCache::requireLock(const std::unique_lock<std::mutex> &lock, const char *function) const
{
    if (!lock.owns_lock() || lock.mutex() != &mMutex)
        throw ERXException::internalInconsistency("lock.owns_lock() && lock.mutex() == &mMutex", function,
                                                  __FILE__, __LINE__);
}

int ERXRegexCache::setIndexFor(const QString &pattern, ERXRegexOptions options)
{
    const size_t hash = qHash(pattern, 0);
    return static_cast<int>((static_cast<size_t>(options) ^ hash) % kSets);
}

int ERXRegexCache::lookasideIndexFor(const QString &pattern, ERXRegexOptions options)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(pattern.constData());
    return static_cast<int>(((address >> 4) + options + (options >> 4)) & (kLookasideSize - 1));
}

bool ERXRegexCache::holds(int index, const QString &pattern, ERXRegexOptions options) const
{
    const ERXCachedRegex &entry = mEntries[index];
    return entry.isCompiled() && entry.options() == options
           && (entry.hasSamePatternObject(pattern) || entry.regexString() == pattern);
}

void ERXRegexCache::use(int index, int lookasideIndex)
{
    mLastCachedRegex = &mEntries[index];
    mLookaside[lookasideIndex] = static_cast<uint8_t>(index);
    mLru[index / kWays].touch(index % kWays);
}

ERXCachedRegex *ERXRegexCache::lookup(const std::unique_lock<std::mutex> &lock, const QString &pattern,
                                      ERXRegexOptions options, RegexError *error)
{
    requireLock(lock, "ERXRegexCache::lookup");
    if (mLastCachedRegex && mLastCachedRegex->isCompiled() && mLastCachedRegex->options() == options
        && mLastCachedRegex->hasSamePatternObject(pattern))
        return mLastCachedRegex;

    const int lookasideIndex = lookasideIndexFor(pattern, options);
    const uint8_t remembered = mLookaside[lookasideIndex];
    if (remembered != kNoEntry && holds(remembered, pattern, options)) {
        use(remembered, lookasideIndex);
        return &mEntries[remembered];
    }

    const size_t hash = qHash(pattern, 0);
    const int set = static_cast<int>((static_cast<size_t>(options) ^ hash) % kSets);
    for (int way = kWays - 1; way >= 0; --way) {
        const int index = set * kWays + way;
        if (mEntries[index].regexHash() == hash && holds(index, pattern, options)) {
            use(index, lookasideIndex);
            return &mEntries[index];
        }
    }

    const int index = set * kWays + mLru[set].victim();
    ERXCachedRegex &entry = mEntries[index];
    if (mLastCachedRegex == &entry)
        mLastCachedRegex = nullptr;
    if (!entry.compile(pattern, hash, options, error)) {
        mLastCachedRegex = nullptr;
        return nullptr;
    }
    use(index, lookasideIndex);
    return &entry;
}

void ERXRegexCache::clear(const std::unique_lock<std::mutex> &lock)
{
    requireLock(lock, "ERXRegexCache::clear");
    mLastCachedRegex = nullptr;
    for (ERXCachedRegex &entry : mEntries)
        entry.evict();
    for (ERXLruWord &word : mLru)
        word.reset();
    mLookaside.fill(kNoEntry);
}

void ERXRegexCache::flush(const std::unique_lock<std::mutex> &lock, const QString &subject)
{
    requireLock(lock, "ERXRegexCache::flush");
    for (ERXCachedRegex &entry : mEntries) {
        if (entry.isSetTo(subject) || (!entry.setToString().isNull() && entry.setToString() == subject))
            entry.clearSetToState();
    }
}

int ERXRegexCache::entryIndexOf(const std::unique_lock<std::mutex> &lock, const QString &pattern,
                                ERXRegexOptions options) const
{
    requireLock(lock, "ERXRegexCache::entryIndexOf");
    for (int index = 0; index < kEntries; ++index) {
        if (holds(index, pattern, options))
            return index;
    }
    return -1;
}
