#include "core/remote/OVGeoDatasetItem.h"

#include "core/OVConstants.h"
#include "platform/OVLog.h"

#include <cmath>

void OVGeoDatasetItem::setData(const double *values, int64_t count)
{
    if (!values || count <= 0) {
        mData.clear();
        return;
    }
    mData.assign(values, values + count);
}

int64_t OVGeoDatasetItem::gridIndexForLatitude(double latitude, double longitude) const
{
    if (mData.empty())
        return -1;
    longitude += mLongitudeShift;
    while (longitude > 180)
        longitude -= 360;
    while (longitude < -180)
        longitude += 360;

    int64_t row = int64_t(std::round(double(mDataHeight) * (latitude + 90.0) / 180.0));
    if (mDataIsFlipped) {
        row = row == 0 ? mDataHeight - 1 : mDataHeight - row;
        row = std::max<int64_t>(row, 0);
    } else if (row == mDataHeight) {
        row = mDataHeight - 1;
    }
    // Longitude 180 (and the last half-cell) is the same meridian as -180: wrap the column
    // instead of running into the next row.
    int64_t column = int64_t(std::round(double(mDataWidth) * (longitude + 180.0) / 360.0));
    if (mDataWidth > 0)
        column %= mDataWidth;
    return column + row * mDataWidth;
}

double OVGeoDatasetItem::dataForGeoPoint(const OVGeoPoint &point) const
{
    if (mData.empty())
        return OVNoValue;
    const int64_t index = gridIndexForLatitude(point.latitude, point.longitude);
    if (index >= 0 && index < numPoints())
        return mData[size_t(index)];
    OVDebugLog(QStringLiteral("fail"));
    return OVNoValue;
}

QString OVGeoDatasetItem::name() const
{
    switch (mDataType) {
    case UWind: return QStringLiteral("U Wind Dataset");
    case VWind: return QStringLiteral("V Wind Dataset");
    case TmpC: return QStringLiteral("TmpC Dataset");
    case IRSatelliteImage: return QStringLiteral("IR Satellite Image");
    case NexradRadarImage: return QStringLiteral("NEXRAD Radar Image");
    default: return QStringLiteral("Generic Dataset");
    }
}
