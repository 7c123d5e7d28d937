#include "map/layers/OVMapOverlaySet.h"

#include "platform/OVNotificationCenter.h"

OVMapOverlaySet::OVMapOverlaySet()
{
    OVNotificationCenter::defaultCenter().addObserver(this, OVInventoryUpdatedNotification,
                                                      [this](const OVNotification &notification) {
                                                          inventoryUpdated(notification.object.value<OVInventoryPtr>());
                                                      });
}

OVMapOverlaySet::~OVMapOverlaySet()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void OVMapOverlaySet::unloadImages()
{
    for (const OVMapOverlayPtr &overlay : std::as_const(mOverlays))
        overlay->clearImage();
}

void OVMapOverlaySet::unloadData()
{
    for (const OVMapOverlayPtr &overlay : std::as_const(mOverlays))
        overlay->clearData();
}

QImage OVMapOverlaySet::closestImageToTime(const QDateTime &date)
{
    const OVMapOverlayPtr overlay = closestOverlayToTime(date);
    return overlay ? overlay->image() : QImage();
}

OVMapOverlayPtr OVMapOverlaySet::closestOverlayToTime(const QDateTime &date)
{
    return mInventory ? overlayForTime(mInventory->closestInventoryToDate(date)) : nullptr;
}

OVMapOverlayPtr OVMapOverlaySet::overlayForTime(const QDateTime &date)
{
    if (!date.isValid())
        return nullptr;
    if (const auto found = mOverlays.constFind(date); found != mOverlays.cend())
        return *found;
    auto overlay = std::make_shared<OVMapOverlay>();
    overlay->setURLStringFormat(mUrlString, date);
    overlay->setDownloadType(OVGeoDataset::Image);
    overlay->setGeoRect(mGeoRect);
    mOverlays.insert(date, overlay);
    return overlay;
}

void OVMapOverlaySet::inventoryUpdated(const OVInventoryPtr &inventory)
{
    if (!inventory || inventory != mInventory)
        return;
    const QList<QDateTime> listed = mInventory->inventoryDates();
    for (auto it = mOverlays.begin(); it != mOverlays.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = mOverlays.erase(it);
    }
}
