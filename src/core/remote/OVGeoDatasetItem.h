// A grid of doubles of one geo dataset (a wind component, a temperature field, an image
// channel) covering the whole globe, with a latitude/longitude lookup.
//
// Rows run from -90 (row 0) to +90 latitude, or the other way when `dataIsFlipped`; columns from
// -180 eastwards. Lookups outside the grid answer -1000 (OVNoValue).
#pragma once

#include "core/OVGeoTypes.h"

#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

class OVGeoDatasetItem
{
public:
    enum DataType : uint64_t {
        UWind = 0,
        VWind = 1,
        TmpC = 2,
        IRSatelliteImage = 3,
        NexradRadarImage = 4,
        NoType = std::numeric_limits<uint64_t>::max(),
    };

    /// Copies `count` doubles (none for a count of 0 or less).
    void setData(const double *values, int64_t count);
    const double *data() const { return mData.empty() ? nullptr : mData.data(); }

    /// Index of the cell holding the point; -1 without data.
    int64_t gridIndexForLatitude(double latitude, double longitude) const;
    /// The value at the point; -1000 without data or outside the grid.
    double dataForGeoPoint(const OVGeoPoint &point) const;

    /// "U Wind Dataset", "V Wind Dataset", "TmpC Dataset", "IR Satellite Image",
    /// "NEXRAD Radar Image" or "Generic Dataset".
    QString name() const;

    int64_t numPoints() const { return int64_t(mData.size()); }
    int64_t dataWidth() const { return mDataWidth; }
    void setDataWidth(int64_t width) { mDataWidth = width; }
    int64_t dataHeight() const { return mDataHeight; }
    void setDataHeight(int64_t height) { mDataHeight = height; }
    uint64_t dataType() const { return mDataType; }
    void setDataType(uint64_t type) { mDataType = type; }
    bool dataIsFlipped() const { return mDataIsFlipped; }
    void setDataIsFlipped(bool flipped) { mDataIsFlipped = flipped; }
    double longitudeShift() const { return mLongitudeShift; }
    void setLongitudeShift(double degrees) { mLongitudeShift = degrees; }

private:
    std::vector<double> mData;
    int64_t mDataWidth = 0;
    int64_t mDataHeight = 0;
    uint64_t mDataType = NoType;
    bool mDataIsFlipped = false;
    double mLongitudeShift = 0;
};
