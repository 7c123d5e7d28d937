// A small fixed-size cache of item dictionaries with least-recently-used replacement. An item
// carries its own identifying entries (a station code under "icao", say); callers find it again
// by the value of one of its keys. Objects inside items are QVariants of std::shared_ptr, so an
// item handed out stays valid after its slot is reused. Every operation is thread-safe.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class OVCacheHandler
{
public:
    static constexpr int64_t DefaultSlots = 10;

    explicit OVCacheHandler(int64_t count = DefaultSlots);

    /// Number of slots; fewer than 1 becomes 1. Growing keeps the stored items; shrinking empties
    /// every slot.
    void setNumSlots(int64_t count);
    int64_t numCachedObjects() const;

    /// Stores the item in the least recently used slot (an empty one first) and touches it.
    void cacheItem(const QVariantMap &item);

    /// The first item whose value under `key` equals `stringValue` as text; touches its slot.
    /// A null key or value answers nullopt without touching anything.
    std::optional<QVariantMap> itemWithKey(const QString &key, const QString &stringValue);

    /// The first item holding this very object (the same pointer) under `key`; touches its slot.
    template <class T>
    std::optional<QVariantMap> itemWithKey(const QString &key, const std::shared_ptr<T> &value)
    {
        if (!value) {
            logNilValue("[OVCacheHandler itemWithKey] Error:  Value is nil.");
            return std::nullopt;
        }
        return findAndTouch(key, "[OVCacheHandler itemWithKey] Error:  Key is nil.",
                            [&](const QVariant &stored) {
                                return stored.metaType() == QMetaType::fromType<std::shared_ptr<T>>()
                                       && stored.value<std::shared_ptr<T>>().get() == value.get();
                            });
    }

    /// Empties every slot whose item matches as in itemWithKey(key, stringValue); other ages stay.
    void removeItemWithKey(const QString &key, const QString &stringValue);
    void removeAllItems();

    /// All items in slot order, empty slots left out.
    QList<QVariantMap> objects() const;
    /// The slot the next item goes into: the first empty one, else the oldest (lowest index on a tie).
    int64_t oldestIndex() const;
    /// Touches slot `index`: its age becomes 0, every other slot ages by 1.
    void resetIndex(int64_t index);
    /// Age of each slot, in slot order.
    QList<uint64_t> cacheCounters() const;

private:
    using Match = std::function<bool(const QVariant &storedValue)>;

    std::optional<QVariantMap> findAndTouch(const QString &key, const char *nilKeyMessage,
                                            const Match &match);
    static void logNilValue(const char *message);
    static bool matchesString(const QVariantMap &item, const QString &key, const QString &value);
    int64_t oldestIndexLocked() const;
    void resetIndexLocked(int64_t index);

    mutable std::mutex mAccessLock;
    QList<uint64_t> mCacheCounters;
    QList<std::optional<QVariantMap>> mCachedObjects;
};
