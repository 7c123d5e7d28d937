// A downloadable piece of geographic data (a radar or satellite frame, a model field).
//
// Its address is a fixed URL, a date formatted into a URL pattern (in UTC), or the inventory's
// time closest to now formatted into the pattern. It loads through the download manager and hands
// the bytes to `processDownloadedData`, which subclasses (the map's overlays) override. The cycle:
// needed -> loading -> processed; `clearData`, a new address, a new inventory or the inventory's
// update mark it needed again. A failed download is not retried until then. Main thread only.
#pragma once

#include "core/remote/OVGeoDatasetItem.h"
#include "core/remote/OVInventory.h"
#include "core/remote/OVURL.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <limits>
#include <memory>

inline const QString OVEnvironmentNotifyDatasetLoaded = QStringLiteral("OVEnvironmentNotifyDatasetLoaded");

class OVGeoDataset
{
public:
    enum DownloadType : uint64_t {
        RGImage = 0,
        TwoBin = 1,
        Image = 2,
        GRIB2 = 3,
        NoType = std::numeric_limits<uint64_t>::max(),
    };

    OVGeoDataset();
    virtual ~OVGeoDataset();
    OVGeoDataset(const OVGeoDataset &) = delete;
    OVGeoDataset &operator=(const OVGeoDataset &) = delete;

    /// "RG Image Dataset", "2Bin Dataset", "Image Dataset", "GRIB2 Dataset" or "Generic Dataset".
    QString name() const;

    void clearData();
    /// A different URL (or pattern, with an inventory) marks the data needed and drops it.
    void setUrlString(const QString &urlString);
    /// The URL becomes the date formatted with the pattern in UTC; marks the data needed.
    void setURLStringFormat(const QString &format, const QDateTime &date);
    void setInventory(const OVInventoryPtr &inventory);
    void updateDataset();
    /// Starts a download (or reprocesses held data) when the data is needed and none runs.
    void reloadDataIfNeeded();
    void urlLoaded(const OVNotification &notification);
    void inventoryUpdated(const OVNotification &notification);

    /// The hook for downloaded bytes: stores them; images (type 2) are decoded too.
    virtual void processDownloadedData(const QByteArray &data);
    void processDownloadedImageData(const QByteArray &data);
    std::shared_ptr<OVGeoDatasetItem> firstDatasetItemWithType(uint64_t type) const;

    QString urlString() const { return mUrlString; }
    OVURLPtr url() const { return mUrl; }
    QString urlStringDateFormat() const { return mUrlStringDateFormat; }
    QDateTime urlStringDate() const { return mUrlStringDate; }
    OVInventoryPtr inventory() const { return mInventory; }
    QString localStorageDirectory() const { return mLocalStorageDirectory; }
    void setLocalStorageDirectory(const QString &folder) { mLocalStorageDirectory = folder; }
    QList<std::shared_ptr<OVGeoDatasetItem>> datasetItems() const { return mDatasetItems; }
    void setDatasetItems(const QList<std::shared_ptr<OVGeoDatasetItem>> &items) { mDatasetItems = items; }
    uint64_t downloadType() const { return mDownloadType; }
    void setDownloadType(uint64_t type) { mDownloadType = type; }
    QImage image() const { return mImage; }
    void setImage(const QImage &image) { mImage = image; }
    QByteArray data() const { return mData; }
    void setData(const QByteArray &data) { mData = data; }
    bool dataReady() const { return mDataReady; }
    void setDataReady(bool ready) { mDataReady = ready; }
    bool dataLoading() const { return mDataLoading; }
    void setDataLoading(bool loading) { mDataLoading = loading; }
    bool dataNeeded() const { return mDataNeeded; }

private:
    void markNeeded();

    QString mUrlString;
    bool mUrlStringDerived = false; // made from the pattern and date, not given
    OVURLPtr mUrl;
    QString mUrlStringDateFormat;
    QDateTime mUrlStringDate;
    OVInventoryPtr mInventory;
    QString mLocalStorageDirectory;
    QList<std::shared_ptr<OVGeoDatasetItem>> mDatasetItems;
    uint64_t mDownloadType = NoType;
    QImage mImage;
    QByteArray mData;
    bool mDataReady = false;
    bool mDataLoading = false;
    bool mDataNeeded = true;
};
