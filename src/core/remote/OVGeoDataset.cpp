#include "core/remote/OVGeoDataset.h"

#include "core/NSDateUtil.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QTimeZone>

OVGeoDataset::OVGeoDataset()
{
    OVNotificationCenter::defaultCenter().addObserver(this, OVInventoryUpdatedNotification,
                                                      [this](const OVNotification &n) { inventoryUpdated(n); });
}

OVGeoDataset::~OVGeoDataset()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

QString OVGeoDataset::name() const
{
    switch (mDownloadType) {
    case RGImage: return QStringLiteral("RG Image Dataset");
    case TwoBin: return QStringLiteral("2Bin Dataset");
    case Image: return QStringLiteral("Image Dataset");
    case GRIB2: return QStringLiteral("GRIB2 Dataset");
    default: return QStringLiteral("Generic Dataset");
    }
}

void OVGeoDataset::markNeeded()
{
    mDataNeeded = true;
    mDataReady = false;
    mData.clear();
}

void OVGeoDataset::clearData()
{
    markNeeded();
}

void OVGeoDataset::setUrlString(const QString &urlString)
{
    if (urlString == mUrlString)
        return;
    mUrlString = urlString;
    mUrlStringDerived = false;
    markNeeded();
}

void OVGeoDataset::setURLStringFormat(const QString &format, const QDateTime &date)
{
    // A URL made from the previous pattern and date must not outlive them.
    if (mUrlStringDerived && (format != mUrlStringDateFormat || date != mUrlStringDate)) {
        mUrlString.clear();
        mUrlStringDerived = false;
    }
    mUrlStringDateFormat = format;
    mUrlStringDate = date;
    markNeeded();
}

void OVGeoDataset::setInventory(const OVInventoryPtr &inventory)
{
    if (inventory == mInventory)
        return;
    mInventory = inventory;
    mDataNeeded = true;
}

void OVGeoDataset::updateDataset()
{
    if (!mUrlString.isEmpty() && mInventory && mInventory->urlString().isEmpty()) {
        mDataNeeded = true;
        mDataReady = false;
    }
}

void OVGeoDataset::reloadDataIfNeeded()
{
    if (!mDataNeeded || mDataLoading)
        return;
    if (mInventory && !mInventory->urlString().isEmpty()) {
        if (mInventory->inventoryLoading())
            return;
        if (!mInventory->dataReady()) {
            mInventory->update();
            return;
        }
    }
    if (mUrlString.isEmpty() && !mUrlStringDateFormat.isEmpty() && mUrlStringDate.isValid()) {
        mUrlString = NSDateUtil::stringValueWithFormat(mUrlStringDate, mUrlStringDateFormat, QTimeZone::utc());
        mUrlStringDerived = true;
    }
    mDataReady = false;
    mDataNeeded = false;

    QString address = mUrlString;
    if (mInventory) {
        const QDateTime closest = mInventory->closestInventory();
        if (closest.isValid())
            address = NSDateUtil::stringValueWithFormat(closest, mUrlString, QTimeZone::utc());
    }
    if (address.isEmpty())
        return;
    if (!mUrl) {
        mUrl = OVURL::create();
        mUrl->setCacheMode(OVURL::ReturnCacheElseLoad);
    }
    mUrl->setUrlString(address);
    mDataLoading = true;

    if (!mData.isEmpty()) {
        processDownloadedData(mData);
        mDataLoading = false; // reprocessing is done; the next reload may run
        return;
    }
    OVNotificationCenter::defaultCenter().addObserver(this, OVEnvironmentNotifyDatasetLoaded,
                                                      [this](const OVNotification &n) { urlLoaded(n); });
    OVURLManager::sharedURLManager().loadURL(mUrl, name(), OVEnvironmentNotifyDatasetLoaded);
}

void OVGeoDataset::urlLoaded(const OVNotification &notification)
{
    const OVURLPtr finished = notification.object.value<OVURLPtr>();
    if (!finished || finished != mUrl)
        return;
    OVNotificationCenter::defaultCenter().removeObserver(this, OVEnvironmentNotifyDatasetLoaded);
    if (!finished->errorOccurred())
        processDownloadedData(finished->getData());
    finished->cancelLoading();
    mUrl.reset();
    mDataLoading = false;
}

void OVGeoDataset::inventoryUpdated(const OVNotification &notification)
{
    if (mInventory && notification.object.value<OVInventoryPtr>() == mInventory)
        mDataNeeded = true;
}

void OVGeoDataset::processDownloadedData(const QByteArray &data)
{
    mData = data;
    if (mDownloadType == Image)
        processDownloadedImageData(data);
    else if (mDownloadType == GRIB2)
        OVLog(QStringLiteral("Use OVGribGeoDataset instead."));
}

void OVGeoDataset::processDownloadedImageData(const QByteArray &data)
{
    mImage = QImage::fromData(data);
}

std::shared_ptr<OVGeoDatasetItem> OVGeoDataset::firstDatasetItemWithType(uint64_t type) const
{
    for (const auto &item : mDatasetItems)
        if (item && item->dataType() == type)
            return item;
    return nullptr;
}
