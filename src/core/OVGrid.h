// A latitude/longitude grid of doubles: the form in which gridded model fields (wind components,
// temperature) travel from the model-data clients to the map's particle layer.
//
// Values are row-major (index = column + xResolution * row). Columns run from the minimum to the
// maximum longitude with the first and last column on the edges; for the latitude/longitude
// lookup row 0 lies on the maximum latitude. A grid is written only while it is built or by
// `setValuesFromData`; once handed to other threads it is read without a lock.
#pragma once

#include "core/OVGeoTypes.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class OVGrid
{
public:
    /// Makes a grid of `xResolution` columns and `yResolution` rows over `geoRect`. Values are
    /// copied from `values` when it is not empty (it must hold at least one value per cell), else
    /// zero. Gives nothing, with a log line, for a count of 0, counts whose cell count or byte
    /// size overflows, or too few values.
    static std::shared_ptr<OVGrid> make(std::span<const double> values, const OVGeoRect &geoRect,
                                        uint64_t xResolution, uint64_t yResolution);
    /// The same, but the grid takes `values` over instead of copying them: for a grid built in a
    /// vector of its own, which would otherwise be copied whole once more.
    static std::shared_ptr<OVGrid> makeTakingValues(std::vector<double> values, const OVGeoRect &geoRect,
                                                    uint64_t xResolution, uint64_t yResolution);

    /// Index of the cell at a position, row 0 on the maximum latitude. Always a valid index:
    /// positions beyond the last column or row, and those one cell or more before the first,
    /// land on the last column or row; those less than one cell before the first land on 0.
    uint64_t indexForLatitude(double latitude, double longitude) const;
    /// The same, but rows counted from the minimum latitude.
    uint64_t indexForGeoPoint(const OVGeoPoint &point) const;
    double valueForLatitude(double latitude, double longitude) const;
    double valueForGeoPoint(const OVGeoPoint &point) const;

    /// Same counts, and corners equal to a thousandth of a degree (heights ignored). A null
    /// `other` counts as a grid of zeros.
    bool isGeographicallyEquivalent(const OVGrid *other) const;

    /// The values as native doubles, xResolution * yResolution * 8 bytes.
    QByteArray dataForValues() const;
    /// Copies a block of exactly the grid's byte size over the values; otherwise logs, keeps
    /// the values and returns false.
    bool setValuesFromData(const QByteArray &data);

    const std::vector<double> &values() const { return mValues; }
    const OVGeoRect &geoRect() const { return mGeoRect; }
    uint64_t xResolution() const { return mXResolution; }
    uint64_t yResolution() const { return mYResolution; }
    double cachedXScale() const { return mCachedXScale; }
    double cachedYScale() const { return mCachedYScale; }

private:
    OVGrid(std::vector<double> values, const OVGeoRect &geoRect, uint64_t xResolution, uint64_t yResolution);
    uint64_t indexForOffsets(double columnOffset, double rowOffset) const;

    std::vector<double> mValues;
    OVGeoRect mGeoRect;
    uint64_t mXResolution;
    uint64_t mYResolution;
    double mCachedXScale;
    double mCachedYScale;
};
