#include "map/gl/OVTextureLoaderItem.h"

#include "map/gl/OVTextureLoader.h"

OVTextureLoaderItem::OVTextureLoaderItem(OVTextureLoader *loader, const QString &key, const OVClock &clock)
    : mLoader(loader)
    , mKey(key)
    , mClock(clock)
    , mCreationTime(clock.now())
{
}

OVTextureLoaderItem::~OVTextureLoaderItem()
{
    if (OVTextureLoader *owner = mLoader.exchange(nullptr))
        owner->unmanagedDeleteTextureID(mTextureNumber.load(), true);
}

QString OVTextureLoaderItem::description() const
{
    return QStringLiteral("OVTextureLoaderItem: Loader:%1  Key:%2  Creation Time:%3  Texture Number:%4")
        .arg(QString::number(reinterpret_cast<quintptr>(loader()), 16), mKey,
             creationTime().toString(Qt::ISODateWithMs), QString::number(int32_t(textureNumber())));
}

void OVTextureLoaderItem::ping()
{
    setCreationTime(mClock.now());
}

bool OVTextureLoaderItem::hasExpired() const
{
    const qint64 ageMs = creationTime().msecsTo(mClock.now());
    return double(ageMs) / 1000.0 > expirationInterval();
}

QDateTime OVTextureLoaderItem::creationTime() const
{
    std::lock_guard lock(mTimeMutex);
    return mCreationTime;
}

void OVTextureLoaderItem::setCreationTime(const QDateTime &time)
{
    std::lock_guard lock(mTimeMutex);
    mCreationTime = time;
}
