// The frames of one radar or satellite tile: one overlay per listed time, made when the time is
// first shown and forgotten when the time leaves the inventory.
//
// GUI thread only (the frame's plan and the inventory's notices are made there).
#pragma once

#include "core/OVGeoTypes.h"
#include "core/remote/OVInventory.h"
#include "map/layers/OVMapOverlay.h"

#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QString>

#include <cstdint>

class OVMapOverlaySet
{
public:
    /// Observes the inventory notices; the set gets its inventory, pattern and rectangle after.
    OVMapOverlaySet();
    ~OVMapOverlaySet();
    OVMapOverlaySet(const OVMapOverlaySet &) = delete;
    OVMapOverlaySet &operator=(const OVMapOverlaySet &) = delete;

    /// Drops every overlay's decoded image.
    void unloadImages();
    /// Drops every overlay's bytes (and with them its image and decode mark).
    void unloadData();
    /// The image of the listed time nearest `date`; null without one.
    QImage closestImageToTime(const QDateTime &date);
    /// The overlay of the listed time nearest `date` (the first listed of equals); nothing
    /// while the inventory lists no time.
    OVMapOverlayPtr closestOverlayToTime(const QDateTime &date);
    /// The stored overlay of this time, or a new one (image download, the set's pattern and
    /// rectangle, nothing downloaded yet); nothing for an invalid time.
    OVMapOverlayPtr overlayForTime(const QDateTime &date);
    /// Forgets the overlays whose time the set's own inventory no longer lists.
    void inventoryUpdated(const OVInventoryPtr &inventory);

    /// The stored overlays, by time.
    QMap<QDateTime, OVMapOverlayPtr> overlays() const { return mOverlays; }

    OVGeoRect geoRect() const { return mGeoRect; }
    void setGeoRect(const OVGeoRect &rect) { mGeoRect = rect; }
    int64_t fullResolution() const { return mFullResolution; }
    void setFullResolution(int64_t resolution) { mFullResolution = resolution; }
    /// The tile's address pattern: column and row filled in, the time still a date pattern.
    QString urlString() const { return mUrlString; }
    void setUrlString(const QString &pattern) { mUrlString = pattern; }
    OVInventoryPtr inventory() const { return mInventory; }
    void setInventory(const OVInventoryPtr &inventory) { mInventory = inventory; }
    bool inventoryNeeded() const { return mInventoryNeeded; }

private:
    OVGeoRect mGeoRect{};
    int64_t mFullResolution = 0;
    QString mUrlString;
    QMap<QDateTime, OVMapOverlayPtr> mOverlays;
    bool mInventoryNeeded = true;
    OVInventoryPtr mInventory;
};
