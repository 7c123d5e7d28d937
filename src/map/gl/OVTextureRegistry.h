// The textures of every texture loader under one memory budget, and the keys whose load is
// pending.
//
// One mutex guards the items, the pending keys and the budget; any thread may call. Items leave
// the registry under the lock but are released after it is dropped, because releasing an item
// queues a delete on its loader, which takes the loader's job lock: the two locks are never
// held together. `shared()` is the process-wide registry every loader uses unless given one;
// tests make their own with a fake clock and a fake "is this a texture" test.
#pragma once

#include "map/gl/OVTextureLoaderItem.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

class OVTextureLoader;

class OVTextureRegistry
{
public:
    /// Whether a GL name is a live texture, asked on the calling thread.
    using IsTexture = std::function<bool(uint32_t textureNumber)>;

    static constexpr uint64_t kDefaultMaxTextureMemory = 104857600; // 100 MiB

    explicit OVTextureRegistry(const OVClock &clock = OVClock::system(), IsTexture isTexture = {});
    OVTextureRegistry(const OVTextureRegistry &) = delete;
    OVTextureRegistry &operator=(const OVTextureRegistry &) = delete;

    static OVTextureRegistry &shared();
    /// glIsTexture in the calling thread's current context (false without one).
    static bool currentContextIsTexture(uint32_t textureNumber);
    const OVClock &clock() const { return mClock; }

    QString descriptionOfAllLoadedTextures() const;
    /// Makes room for the item's size, then stores it (replacing, and so releasing, an item
    /// already stored under the key). Does nothing when any argument is missing.
    void addItem(const OVTextureLoaderItemPtr &item, OVTextureLoader *loader, const QString &key);
    OVTextureLoaderItemPtr oldestItem() const;
    OVTextureLoaderItemPtr newestItem() const;
    QList<OVTextureLoaderItemPtr> expiredItems() const;
    /// The item, marked used; nothing when the loader or key is unknown.
    OVTextureLoaderItemPtr itemForLoader(const OVTextureLoader *loader, const QString &key);
    QList<OVTextureLoaderItemPtr> allItemsForLoader(const OVTextureLoader *loader) const;
    /// Drops expired items, then the least recently used ones, until `bytes` more fit.
    void makeSpaceForNewTextureWithSize(uint64_t bytes);
    void removeItem(const OVTextureLoaderItemPtr &item);
    /// Marks a key pending; false when it already was.
    bool queueKey(const QString &key);
    void dequeueKey(const QString &key);
    /// Whether a load of the key is pending (queued and not yet registered or failed).
    bool isKeyPending(const QString &key) const;
    /// Bytes per pixel charged for an internal format; 0 for a format outside the table.
    static uint64_t pixelSizeOfFormat(uint32_t internalFormat);
    uint64_t textureMemoryUsed() const;
    uint64_t maxTextureMemory() const;
    /// Sets the budget and evicts at once down to it.
    void setMaxTextureMemory(uint64_t bytes);
    void logMemoryUsage() const;

    // A loader's own entries.
    /// The texture for the key (marked used), or 0xFFFFFFFF; an item whose texture is gone
    /// from GL is removed.
    uint32_t textureNumberForKey(const OVTextureLoader *loader, const QString &key);
    void deleteAllTextures(const OVTextureLoader *loader);
    /// Removes the loader's items whose key contains `pattern` (every item for no pattern) and
    /// that were last used more than `graceInterval` seconds before the newest use of any item.
    void deleteTexturesWithKeyMatchingPattern(const OVTextureLoader *loader, const std::optional<QString> &pattern,
                                              double graceInterval);
    /// Takes all of the loader's items out, detached (their release deletes nothing): the
    /// loader deletes them itself when it is torn down.
    QList<OVTextureLoaderItemPtr> detachAllItemsForLoader(const OVTextureLoader *loader);

private:
    using Items = std::map<const OVTextureLoader *, QHash<QString, OVTextureLoaderItemPtr>>;

    uint64_t usedLocked() const;
    OVTextureLoaderItemPtr extremeItemLocked(bool oldest) const;
    void eraseLocked(const OVTextureLoaderItemPtr &item);
    void logChange(const char *what, const QString &key) const;

    const OVClock &mClock;
    const IsTexture mIsTexture;
    mutable std::mutex mMutex;
    Items mItems;
    QSet<QString> mPendingKeys;
    uint64_t mMaxTextureMemory = kDefaultMaxTextureMemory;
};
