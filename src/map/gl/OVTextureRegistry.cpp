#include "map/gl/OVTextureRegistry.h"

#include "map/gl/OVTextureLoader.h"

#include "platform/OVLog.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>
#include <GL/glext.h>

OVTextureRegistry::OVTextureRegistry(const OVClock &clock, IsTexture isTexture)
    : mClock(clock)
    , mIsTexture(isTexture ? std::move(isTexture) : IsTexture(&OVTextureRegistry::currentContextIsTexture))
{
}

OVTextureRegistry &OVTextureRegistry::shared()
{
    static OVTextureRegistry registry;
    return registry;
}

bool OVTextureRegistry::currentContextIsTexture(uint32_t textureNumber)
{
    const std::lock_guard glLock(OVTextureLoader::sharedGLMutex());
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context && context->functions()->glIsTexture(textureNumber) == GL_TRUE;
}

QString OVTextureRegistry::descriptionOfAllLoadedTextures() const
{
    std::lock_guard lock(mMutex);
    QString text;
    for (const auto &[loader, items] : mItems) {
        text += QStringLiteral("Texture Loader (%1):\n").arg(QString::number(reinterpret_cast<quintptr>(loader), 16));
        for (const OVTextureLoaderItemPtr &item : items)
            text += QStringLiteral("  %1\n").arg(item->key());
    }
    return text;
}

void OVTextureRegistry::addItem(const OVTextureLoaderItemPtr &item, OVTextureLoader *loader, const QString &key)
{
    if (!item || !loader || key.isEmpty())
        return;
    makeSpaceForNewTextureWithSize(item->size());
    OVTextureLoaderItemPtr replaced;
    {
        std::lock_guard lock(mMutex);
        OVTextureLoaderItemPtr &slot = mItems[loader][key];
        replaced = std::exchange(slot, item);
    }
    logChange("TEX Add", key);
}

OVTextureLoaderItemPtr OVTextureRegistry::extremeItemLocked(bool oldest) const
{
    OVTextureLoaderItemPtr found;
    QDateTime foundTime;
    for (const auto &entry : mItems) {
        for (const OVTextureLoaderItemPtr &item : entry.second) {
            const QDateTime time = item->creationTime();
            if (!found || (oldest ? time < foundTime : time > foundTime)) {
                found = item;
                foundTime = time;
            }
        }
    }
    return found;
}

OVTextureLoaderItemPtr OVTextureRegistry::oldestItem() const
{
    std::lock_guard lock(mMutex);
    return extremeItemLocked(true);
}

OVTextureLoaderItemPtr OVTextureRegistry::newestItem() const
{
    std::lock_guard lock(mMutex);
    return extremeItemLocked(false);
}

QList<OVTextureLoaderItemPtr> OVTextureRegistry::expiredItems() const
{
    std::lock_guard lock(mMutex);
    QList<OVTextureLoaderItemPtr> expired;
    for (const auto &entry : mItems) {
        for (const OVTextureLoaderItemPtr &item : entry.second) {
            if (item->hasExpired())
                expired.append(item);
        }
    }
    return expired;
}

OVTextureLoaderItemPtr OVTextureRegistry::itemForLoader(const OVTextureLoader *loader, const QString &key)
{
    if (!loader || key.isEmpty())
        return nullptr;
    std::lock_guard lock(mMutex);
    const auto entry = mItems.find(loader);
    if (entry == mItems.end())
        return nullptr;
    OVTextureLoaderItemPtr item = entry->second.value(key);
    if (item)
        item->ping();
    return item;
}

QList<OVTextureLoaderItemPtr> OVTextureRegistry::allItemsForLoader(const OVTextureLoader *loader) const
{
    std::lock_guard lock(mMutex);
    const auto entry = mItems.find(loader);
    return entry == mItems.end() ? QList<OVTextureLoaderItemPtr>() : entry->second.values();
}

uint64_t OVTextureRegistry::usedLocked() const
{
    uint64_t used = 0;
    for (const auto &entry : mItems) {
        for (const OVTextureLoaderItemPtr &item : entry.second)
            used += item->size();
    }
    return used;
}

void OVTextureRegistry::eraseLocked(const OVTextureLoaderItemPtr &item)
{
    for (auto &entry : mItems) {
        for (auto it = entry.second.begin(); it != entry.second.end();) {
            if (it.value() == item)
                it = entry.second.erase(it);
            else
                ++it;
        }
    }
}

void OVTextureRegistry::makeSpaceForNewTextureWithSize(uint64_t bytes)
{
    QList<OVTextureLoaderItemPtr> dropped; // released after the lock
    {
        std::lock_guard lock(mMutex);
        uint64_t used = usedLocked();
        for (auto &entry : mItems) {
            for (auto it = entry.second.begin(); it != entry.second.end();) {
                if (it.value()->hasExpired()) {
                    OVDebugLog(QStringLiteral("Expired item: %1").arg(it.value()->key()));
                    used -= it.value()->size();
                    dropped.append(it.value());
                    it = entry.second.erase(it);
                } else {
                    ++it;
                }
            }
        }
        while (mMaxTextureMemory < used + bytes) {
            OVTextureLoaderItemPtr oldest = extremeItemLocked(true);
            if (!oldest)
                break;
            eraseLocked(oldest);
            used -= oldest->size();
            dropped.append(oldest);
        }
    }
    for (const OVTextureLoaderItemPtr &item : dropped)
        logChange("TEX Del", item->key());
}

void OVTextureRegistry::removeItem(const OVTextureLoaderItemPtr &item)
{
    if (!item)
        return;
    {
        std::lock_guard lock(mMutex);
        eraseLocked(item);
    }
    logChange("TEX Del", item->key());
}

bool OVTextureRegistry::queueKey(const QString &key)
{
    std::lock_guard lock(mMutex);
    if (mPendingKeys.contains(key))
        return false;
    mPendingKeys.insert(key);
    return true;
}

void OVTextureRegistry::dequeueKey(const QString &key)
{
    std::lock_guard lock(mMutex);
    mPendingKeys.remove(key);
}

bool OVTextureRegistry::isKeyPending(const QString &key) const
{
    std::lock_guard lock(mMutex);
    return mPendingKeys.contains(key);
}

uint64_t OVTextureRegistry::pixelSizeOfFormat(uint32_t internalFormat)
{
    switch (internalFormat) {
    case GL_ALPHA: case GL_LUMINANCE: case GL_R3_G3_B2: case GL_ALPHA4: case GL_ALPHA8:
    case GL_LUMINANCE4: case GL_LUMINANCE8: case GL_LUMINANCE4_ALPHA4: case GL_LUMINANCE6_ALPHA2:
    case GL_INTENSITY: case GL_INTENSITY4: case GL_INTENSITY8: case GL_RGBA2:
        return 1;
    case GL_LUMINANCE_ALPHA: case GL_ALPHA12: case GL_ALPHA16: case GL_LUMINANCE12: case GL_LUMINANCE16:
    case GL_LUMINANCE8_ALPHA8: case GL_LUMINANCE12_ALPHA4: case GL_INTENSITY12: case GL_INTENSITY16:
    case GL_RGB4: case GL_RGB5: case GL_RGBA4: case GL_RGB5_A1: case GL_COMPRESSED_RGB: case GL_COMPRESSED_RGBA:
        return 2;
    case GL_RGB: case GL_LUMINANCE12_ALPHA12: case GL_RGB8:
        return 3;
    case GL_RGBA: case GL_LUMINANCE16_ALPHA16: case GL_RGB10: case GL_RGB12: case GL_RGBA8: case GL_RGB10_A2:
        return 4;
    case GL_RGB16: case GL_RGBA12:
        return 6;
    case GL_RGBA16:
        return 8;
    default:
        return 0;
    }
}

uint64_t OVTextureRegistry::textureMemoryUsed() const
{
    std::lock_guard lock(mMutex);
    return usedLocked();
}

uint64_t OVTextureRegistry::maxTextureMemory() const
{
    std::lock_guard lock(mMutex);
    return mMaxTextureMemory;
}

void OVTextureRegistry::setMaxTextureMemory(uint64_t bytes)
{
    {
        std::lock_guard lock(mMutex);
        mMaxTextureMemory = bytes;
    }
    makeSpaceForNewTextureWithSize(0);
}

void OVTextureRegistry::logMemoryUsage() const
{
    OVLog(QStringLiteral("Texture Loader now using: %1MB").arg(double(textureMemoryUsed()) / 1024.0 / 1024.0, 0, 'f', 1));
}

void OVTextureRegistry::logChange(const char *what, const QString &key) const
{
    if (!OVDebugLoggingEnabled())
        return;
    OVDebugLog(QStringLiteral("%1: %2").arg(QLatin1String(what), key));
    logMemoryUsage();
}

uint32_t OVTextureRegistry::textureNumberForKey(const OVTextureLoader *loader, const QString &key)
{
    const OVTextureLoaderItemPtr item = itemForLoader(loader, key);
    if (!item)
        return OVTextureLoaderItem::kNoTexture;
    const uint32_t number = item->textureNumber();
    if (number != OVTextureLoaderItem::kNoTexture && mIsTexture(number))
        return number;
    removeItem(item);
    return OVTextureLoaderItem::kNoTexture;
}

void OVTextureRegistry::deleteAllTextures(const OVTextureLoader *loader)
{
    for (const OVTextureLoaderItemPtr &item : allItemsForLoader(loader))
        removeItem(item);
}

void OVTextureRegistry::deleteTexturesWithKeyMatchingPattern(const OVTextureLoader *loader,
                                                             const std::optional<QString> &pattern,
                                                             double graceInterval)
{
    QList<OVTextureLoaderItemPtr> dropped;
    {
        std::lock_guard lock(mMutex);
        const OVTextureLoaderItemPtr newest = extremeItemLocked(false);
        const auto entry = mItems.find(loader);
        if (!newest || entry == mItems.end())
            return;
        const QDateTime cutoff = newest->creationTime().addMSecs(qint64(-graceInterval * 1000.0));
        for (auto it = entry->second.begin(); it != entry->second.end();) {
            const bool matches = !pattern || it.key().contains(*pattern, Qt::CaseSensitive);
            if (matches && it.value()->creationTime() < cutoff) {
                dropped.append(it.value());
                it = entry->second.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const OVTextureLoaderItemPtr &item : dropped)
        logChange("TEX Del", item->key());
}

QList<OVTextureLoaderItemPtr> OVTextureRegistry::detachAllItemsForLoader(const OVTextureLoader *loader)
{
    QList<OVTextureLoaderItemPtr> items;
    {
        std::lock_guard lock(mMutex);
        const auto entry = mItems.find(loader);
        if (entry == mItems.end())
            return items;
        items = entry->second.values();
        mItems.erase(entry);
    }
    for (const OVTextureLoaderItemPtr &item : items)
        item->setLoader(nullptr);
    return items;
}
