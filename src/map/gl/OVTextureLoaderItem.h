// One registered texture: its loader, key, GL name, the bytes it is charged and when it was last
// used. Releasing the last reference asks its loader to delete the texture, unless the loader
// detached it first (the loader's teardown deletes its textures itself).
#pragma once

#include "platform/OVClock.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class OVTextureLoader;

class OVTextureLoaderItem
{
public:
    static constexpr uint32_t kNoTexture = 0xFFFFFFFFu;

    OVTextureLoaderItem(OVTextureLoader *loader, const QString &key, const OVClock &clock = OVClock::system());
    ~OVTextureLoaderItem();
    OVTextureLoaderItem(const OVTextureLoaderItem &) = delete;
    OVTextureLoaderItem &operator=(const OVTextureLoaderItem &) = delete;

    QString description() const;
    /// Marks the item used now.
    void ping();
    /// Unused for more than `expirationInterval` seconds.
    bool hasExpired() const;

    OVTextureLoader *loader() const { return mLoader.load(); }
    void setLoader(OVTextureLoader *loader) { mLoader.store(loader); }
    QString key() const { return mKey; }
    QDateTime creationTime() const;
    void setCreationTime(const QDateTime &time);
    uint32_t textureNumber() const { return mTextureNumber.load(); }
    void setTextureNumber(uint32_t number) { mTextureNumber.store(number); }
    uint64_t size() const { return mSize.load(); }
    void setSize(uint64_t size) { mSize.store(size); }
    double expirationInterval() const { return mExpirationInterval.load(); }
    void setExpirationInterval(double seconds) { mExpirationInterval.store(seconds); }

private:
    std::atomic<OVTextureLoader *> mLoader;
    const QString mKey;
    const OVClock &mClock;
    mutable std::mutex mTimeMutex;
    QDateTime mCreationTime;
    std::atomic<uint32_t> mTextureNumber{0};
    std::atomic<uint64_t> mSize{0};
    std::atomic<double> mExpirationInterval{1800.0};
};

using OVTextureLoaderItemPtr = std::shared_ptr<OVTextureLoaderItem>;
