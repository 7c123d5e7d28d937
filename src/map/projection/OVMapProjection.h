// Map projections: geographic positions to the cartesian plane the layers draw in, and back, and
// the tile of a regular grid that covers a position.
//
// The plane is in degree-sized units, y northwards; with the default rectangle the
// equirectangular projection maps (longitude, latitude) onto themselves. Nothing is clamped:
// latitudes outside the valid range project anyway (Mercator's poles go to infinity) and tile
// indices outside 0..total-1 are the caller's to test. A projection is set up once and then only
// read, from any thread.
#pragma once

#include "core/OVGeoTypes.h"

#include <QPointF>
#include <QRectF>
#include <QVariantList>

#include <cstdint>
#include <mutex>
#include <optional>

class OVMapProjection
{
public:
    OVMapProjection();
    virtual ~OVMapProjection() = default;

    void setCartesianRect(const QRectF &rect);
    QRectF cartesianRect() const { return mCartesianRect; }
    OVGeoRect validGeoRect() const;
    void setValidGeoRect(const OVGeoRect &rect);

    QPointF pointForLatitude(double latitude, double longitude) const;
    virtual QPointF pointForGeoPoint(const OVGeoPoint &point) const;
    /// Origin at the projected minimum corner, size max - min (negative when max lies west or south).
    QRectF rectForGeoRect(const OVGeoRect &rect) const;
    /// Projects every QPointF of `points` (others are skipped); which member carries the
    /// latitude depends on the projection. Nothing for nothing.
    virtual std::optional<QVariantList> pointsForGeoNSPoints(const std::optional<QVariantList> &points) const;
    virtual OVGeoPoint geoPointForPoint(const QPointF &point) const;

    /// Column of a grid of `totalXTiles` over the cartesian rectangle; 0 is the west edge.
    int64_t xTileForLatitude(double latitude, double longitude, int64_t totalXTiles) const;
    /// Row of a grid of `totalYTiles`; 0 is the north edge, rows count southwards.
    int64_t yTileForLatitude(double latitude, double longitude, int64_t totalYTiles) const;
    int64_t xTileForGeoPoint(const OVGeoPoint &point, int64_t totalXTiles) const;
    int64_t yTileForGeoPoint(const OVGeoPoint &point, int64_t totalYTiles) const;

protected:
    QRectF mCartesianRect;
    double mInverseCartesianRectWidth = 0.0;
    double mInverseCartesianRectHeight = 0.0;

private:
    mutable std::mutex mValidGeoRectMutex;
    OVGeoRect mValidGeoRect;
};

/// Plate carrée: the map's projection.
class OVEquirectangularMapProjection : public OVMapProjection
{
public:
    QPointF pointForGeoPoint(const OVGeoPoint &point) const override;
    /// Each input point carries the latitude in x and the longitude in y.
    std::optional<QVariantList> pointsForGeoNSPoints(const std::optional<QVariantList> &points) const override;
    OVGeoPoint geoPointForPoint(const QPointF &point) const override;
};

class OVMercatorMapProjection : public OVMapProjection
{
public:
    OVMercatorMapProjection();
    QPointF pointForGeoPoint(const OVGeoPoint &point) const override;
    /// Each input point carries the longitude in x and the latitude in y.
    std::optional<QVariantList> pointsForGeoNSPoints(const std::optional<QVariantList> &points) const override;
    OVGeoPoint geoPointForPoint(const QPointF &point) const override;

private:
    double yForLatitude(double latitude) const;
};
