// A latitude/longitude grid of doubles with bounds-safe lookups.
#include "core/OVGrid.h"

#include "platform/OVLog.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

/// Cells per degree; a rectangle of no extent (or a non-finite one) gives 0, so every position
/// then reads the first cell instead of dividing by zero.
double cellsPerDegree(uint64_t count, double minDegrees, double maxDegrees)
{
    const double span = maxDegrees - minDegrees;
    if (span == 0.0)
        return 0.0;
    const double scale = double(count - 1) / span;
    return std::isfinite(scale) ? scale : 0.0;
}

/// Truncates an offset to a cell number within 0..count-1. An offset of -1 or less (or past the
/// end) lands on the last cell, as the grid's readers have always seen; one between -1 and 0
/// truncates to 0. Computed without converting out-of-range doubles, which C++ leaves undefined.
uint64_t cellForOffset(double offset, uint64_t count)
{
    const uint64_t last = count - 1;
    if (std::isnan(offset))
        return 0;
    if (offset <= -1.0 || offset >= double(last))
        return last;
    if (offset < 0.0)
        return 0;
    return uint64_t(offset);
}

int64_t roundedThousandths(double degrees)
{
    const float scaled = float(degrees * 1000.0);
    if (!std::isfinite(scaled))
        return 0;
    return int64_t(std::llround(double(scaled)));
}

/// The cell count of a grid of the given shape filled from `valueCount` values (none: zeros), or
/// nothing, with a log line, for a count of 0, counts whose cell count or byte size overflows,
/// or too few values.
std::optional<uint64_t> checkedCellCount(uint64_t xResolution, uint64_t yResolution, size_t valueCount)
{
    if (xResolution == 0) {
        OVLog(QStringLiteral("[OVGrid initWithValues] xResolution cannot be 0."));
        return std::nullopt;
    }
    if (yResolution == 0) {
        OVLog(QStringLiteral("[OVGrid initWithValues] yResolution cannot be 0."));
        return std::nullopt;
    }
    constexpr uint64_t maxCells = uint64_t(std::numeric_limits<qsizetype>::max()) / sizeof(double);
    if (xResolution > maxCells / yResolution) {
        OVLog(QStringLiteral("[OVGrid initWithValues] %1 x %2 cells is too large.").arg(xResolution).arg(yResolution));
        return std::nullopt;
    }
    const uint64_t cells = xResolution * yResolution;
    if (valueCount != 0 && valueCount < cells) {
        OVLog(QStringLiteral("[OVGrid initWithValues] %1 values given for %2 cells.").arg(valueCount).arg(cells));
        return std::nullopt;
    }
    return cells;
}

} // namespace

std::shared_ptr<OVGrid> OVGrid::make(std::span<const double> values, const OVGeoRect &geoRect,
                                     uint64_t xResolution, uint64_t yResolution)
{
    const std::optional<uint64_t> cells = checkedCellCount(xResolution, yResolution, values.size());
    if (!cells)
        return nullptr;
    std::vector<double> storage;
    if (values.empty())
        storage.assign(*cells, 0.0);
    else
        storage.assign(values.begin(), values.begin() + qsizetype(*cells));
    return std::shared_ptr<OVGrid>(new OVGrid(std::move(storage), geoRect, xResolution, yResolution));
}

std::shared_ptr<OVGrid> OVGrid::makeTakingValues(std::vector<double> values, const OVGeoRect &geoRect,
                                                 uint64_t xResolution, uint64_t yResolution)
{
    const std::optional<uint64_t> cells = checkedCellCount(xResolution, yResolution, values.size());
    if (!cells)
        return nullptr;
    if (values.empty())
        values.assign(*cells, 0.0);
    else
        values.resize(*cells);
    return std::shared_ptr<OVGrid>(new OVGrid(std::move(values), geoRect, xResolution, yResolution));
}

OVGrid::OVGrid(std::vector<double> values, const OVGeoRect &geoRect, uint64_t xResolution, uint64_t yResolution)
    : mValues(std::move(values))
    , mGeoRect(geoRect)
    , mXResolution(xResolution)
    , mYResolution(yResolution)
    , mCachedXScale(cellsPerDegree(xResolution, geoRect.minPoint.longitude, geoRect.maxPoint.longitude))
    , mCachedYScale(cellsPerDegree(yResolution, geoRect.minPoint.latitude, geoRect.maxPoint.latitude))
{
}

uint64_t OVGrid::indexForOffsets(double columnOffset, double rowOffset) const
{
    const uint64_t column = cellForOffset(columnOffset, mXResolution);
    const uint64_t row = cellForOffset(rowOffset, mYResolution);
    return column + mXResolution * row;
}

uint64_t OVGrid::indexForLatitude(double latitude, double longitude) const
{
    return indexForOffsets((longitude - mGeoRect.minPoint.longitude) * mCachedXScale,
                           (mGeoRect.maxPoint.latitude - latitude) * mCachedYScale);
}

uint64_t OVGrid::indexForGeoPoint(const OVGeoPoint &point) const
{
    return indexForOffsets((point.longitude - mGeoRect.minPoint.longitude) * mCachedXScale,
                           (point.latitude - mGeoRect.minPoint.latitude) * mCachedYScale);
}

double OVGrid::valueForLatitude(double latitude, double longitude) const
{
    return mValues[indexForLatitude(latitude, longitude)];
}

double OVGrid::valueForGeoPoint(const OVGeoPoint &point) const
{
    return mValues[indexForGeoPoint(point)];
}

bool OVGrid::isGeographicallyEquivalent(const OVGrid *other) const
{
    const OVGeoRect otherRect = other ? other->mGeoRect : OVGeoRect{};
    const uint64_t otherX = other ? other->mXResolution : 0;
    const uint64_t otherY = other ? other->mYResolution : 0;
    const auto same = [](double a, double b) { return roundedThousandths(a) == roundedThousandths(b); };
    return same(mGeoRect.minPoint.latitude, otherRect.minPoint.latitude)
        && same(mGeoRect.minPoint.longitude, otherRect.minPoint.longitude)
        && same(mGeoRect.maxPoint.latitude, otherRect.maxPoint.latitude)
        && same(mGeoRect.maxPoint.longitude, otherRect.maxPoint.longitude)
        && mXResolution == otherX && mYResolution == otherY;
}

QByteArray OVGrid::dataForValues() const
{
    return QByteArray(reinterpret_cast<const char *>(mValues.data()), qsizetype(mValues.size() * sizeof(double)));
}

bool OVGrid::setValuesFromData(const QByteArray &data)
{
    if (uint64_t(data.size()) != mValues.size() * sizeof(double)) {
        OVLog(QStringLiteral("[OVGrid setValuesFromData] Can't set data because size doesn't match."));
        return false;
    }
    std::memcpy(mValues.data(), data.constData(), size_t(data.size()));
    return true;
}
