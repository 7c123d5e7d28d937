// Fixed-size least-recently-used cache of item dictionaries; see OVCacheHandler.h.
#include "core/OVCacheHandler.h"

#include "platform/OVLog.h"

namespace {
const char *const NilKeyMessage = "[OVCacheHandler itemWithKey: stringValue:] Error:  Key is nil.";
const char *const NilStringMessage =
    "[OVCacheHandler itemWithKey: stringValue:] Error:  String Value is nil.";
} // namespace

OVCacheHandler::OVCacheHandler(int64_t count)
{
    setNumSlots(count);
}

void OVCacheHandler::setNumSlots(int64_t count)
{
    OVDebugLog(QStringLiteral(" Set num count: %1").arg(count));
    count = std::max<int64_t>(count, 1);
    std::lock_guard lock(mAccessLock);
    const qsizetype current = mCachedObjects.size();
    if (count == current)
        return;
    if (count > current) {
        mCachedObjects.resize(count);
        mCacheCounters.resize(count, 0);
        return;
    }
    mCachedObjects = QList<std::optional<QVariantMap>>(count);
    mCacheCounters = QList<uint64_t>(count, 0);
}

int64_t OVCacheHandler::numCachedObjects() const
{
    std::lock_guard lock(mAccessLock);
    return mCachedObjects.size();
}

void OVCacheHandler::cacheItem(const QVariantMap &item)
{
    std::lock_guard lock(mAccessLock);
    const int64_t index = oldestIndexLocked();
    mCachedObjects[index] = item;
    resetIndexLocked(index);
}

bool OVCacheHandler::matchesString(const QVariantMap &item, const QString &key, const QString &value)
{
    const auto found = item.constFind(key);
    return found != item.constEnd() && found->toString() == value;
}

void OVCacheHandler::logNilValue(const char *message)
{
    OVDebugLog(QLatin1String(message));
}

std::optional<QVariantMap> OVCacheHandler::itemWithKey(const QString &key, const QString &stringValue)
{
    if (stringValue.isNull()) {
        if (key.isNull())
            logNilValue(NilKeyMessage);
        logNilValue(NilStringMessage);
        return std::nullopt;
    }
    return findAndTouch(key, NilKeyMessage, [&](const QVariant &stored) {
        return stored.toString() == stringValue;
    });
}

std::optional<QVariantMap> OVCacheHandler::findAndTouch(const QString &key,
                                                        const char *nilKeyMessage,
                                                        const Match &match)
{
    if (key.isNull()) {
        logNilValue(nilKeyMessage);
        return std::nullopt;
    }
    std::lock_guard lock(mAccessLock);
    for (qsizetype i = 0; i < mCachedObjects.size(); ++i) {
        const std::optional<QVariantMap> &item = mCachedObjects[i];
        if (!item)
            continue;
        const auto found = item->constFind(key);
        if (found != item->constEnd() && match(*found)) {
            resetIndexLocked(i);
            return item;
        }
    }
    return std::nullopt;
}

void OVCacheHandler::removeItemWithKey(const QString &key, const QString &stringValue)
{
    if (key.isNull() || stringValue.isNull()) {
        if (key.isNull())
            logNilValue(NilKeyMessage);
        if (stringValue.isNull())
            logNilValue(NilStringMessage);
        return;
    }
    std::lock_guard lock(mAccessLock);
    for (qsizetype i = 0; i < mCachedObjects.size(); ++i) {
        if (mCachedObjects[i] && matchesString(*mCachedObjects[i], key, stringValue)) {
            mCachedObjects[i].reset();
            mCacheCounters[i] = 0;
        }
    }
}

void OVCacheHandler::removeAllItems()
{
    OVDebugLog("Remove all Items");
    std::lock_guard lock(mAccessLock);
    for (qsizetype i = 0; i < mCachedObjects.size(); ++i) {
        mCachedObjects[i].reset();
        mCacheCounters[i] = 0;
    }
}

QList<QVariantMap> OVCacheHandler::objects() const
{
    std::lock_guard lock(mAccessLock);
    QList<QVariantMap> items;
    for (const std::optional<QVariantMap> &item : mCachedObjects) {
        if (item)
            items.append(*item);
    }
    return items;
}

int64_t OVCacheHandler::oldestIndex() const
{
    std::lock_guard lock(mAccessLock);
    return oldestIndexLocked();
}

int64_t OVCacheHandler::oldestIndexLocked() const
{
    for (qsizetype i = 0; i < mCachedObjects.size(); ++i) {
        if (!mCachedObjects[i])
            return i;
    }
    int64_t oldest = 0;
    for (qsizetype i = 1; i < mCacheCounters.size(); ++i) {
        if (mCacheCounters[i] > mCacheCounters[oldest])
            oldest = i;
    }
    return oldest;
}

void OVCacheHandler::resetIndex(int64_t index)
{
    std::lock_guard lock(mAccessLock);
    resetIndexLocked(index);
}

void OVCacheHandler::resetIndexLocked(int64_t index)
{
    if (index < 0 || index >= mCacheCounters.size()) {
        OVLog(QStringLiteral("[OVCacheHandler resetIndex] Error:  Index %1 is out of bounds (%2).")
                  .arg(index)
                  .arg(mCacheCounters.size()));
        return;
    }
    for (qsizetype i = 0; i < mCacheCounters.size(); ++i)
        mCacheCounters[i] = i == index ? 0 : mCacheCounters[i] + 1;
}

QList<uint64_t> OVCacheHandler::cacheCounters() const
{
    std::lock_guard lock(mAccessLock);
    return mCacheCounters;
}
