#include "map/layers/OVMapOverlay.h"

#include "map/OVMapNotifications.h"
#include "platform/OVNotificationCenter.h"

QByteArray OVMapOverlay::data()
{
    reloadDataIfNeeded();
    return dataReady() ? OVGeoDataset::data() : QByteArray();
}

QImage OVMapOverlay::image()
{
    if (!mCachedImage.isNull())
        return mCachedImage;
    const QByteArray bytes = data();
    if (!bytes.isEmpty())
        mCachedImage = QImage::fromData(bytes);
    return mCachedImage;
}

void OVMapOverlay::clearData()
{
    OVGeoDataset::clearData();
    mCachedImage = QImage();
    mDecodeFailed = false;
    mTextureLoadQueued = false;
}

void OVMapOverlay::processDownloadedData(const QByteArray &data)
{
    setData(data);
    setDataReady(true);
    // New bytes deserve a decode of their own.
    mDecodeFailed = false;
    mTextureLoadQueued = false;
    mCachedImage = QImage();
    if (!data.isEmpty())
        OVNotificationCenter::defaultCenter().post(OVGeographyGeoDatasetLoaded, QVariant::fromValue(weak_from_this().lock()));
}
