// Graph points: makers, midpoints and group averages, screen positions, date order and the log
// text.
#include "graphs/OVGraphDataPoint.h"

#include "graphs/OVGraphView.h"

#include <algorithm>

namespace {

QString dateText(const QDateTime &date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000"));
}

// A running sum of one field over a group, remembering whether any point had it set.
struct FieldSum
{
    double sum = 0.0;
    bool any = false;

    void add(double value)
    {
        if (OVGraphDataPoint::isSet(value)) {
            sum += value;
            any = true;
        }
    }
    double averageOver(double factor) const { return any ? sum * factor : OVGraphDataPoint::Unset; }
};

} // namespace

OVGraphDataPoint OVGraphDataPoint::dataPointWithX(double x, double y, const QDateTime &date)
{
    return dataPointWithX(x, y, date, y);
}

OVGraphDataPoint OVGraphDataPoint::dataPointWithX(double x, double y, const QDateTime &date, double displayValue)
{
    OVGraphDataPoint point;
    point.x = x;
    point.y = y;
    point.displayValue = displayValue;
    point.date = date;
    return point;
}

OVGraphDataPoint OVGraphDataPoint::dataPointWithXYMin(double x, double yMin, double yMax, const QDateTime &date)
{
    OVGraphDataPoint point;
    point.x = x;
    point.y = point.displayValue = (yMin + yMax) * 0.5;
    point.yMin = point.minDisplayValue = yMin;
    point.yMax = point.maxDisplayValue = yMax;
    point.date = date;
    return point;
}

OVGraphDataPoint OVGraphDataPoint::midPointOfPointA(const OVGraphDataPoint &a, const OVGraphDataPoint &b)
{
    // A field missing in either point is missing in the midpoint: the mean of a value and the
    // marker would be a huge number that draws far off the view.
    auto mean = [](double u, double v) {
        if (!isDrawable(u))
            return u;
        if (!isDrawable(v))
            return v;
        return (u + v) * 0.5;
    };
    OVGraphDataPoint m;
    m.x = mean(a.x, b.x);
    m.xMin = mean(a.xMin, b.xMin);
    m.xMax = mean(a.xMax, b.xMax);
    m.graphAdjustedX = mean(a.graphAdjustedX, b.graphAdjustedX);
    m.graphAdjustedXMin = mean(a.graphAdjustedXMin, b.graphAdjustedXMin);
    m.graphAdjustedXMax = mean(a.graphAdjustedXMax, b.graphAdjustedXMax);
    m.y = mean(a.y, b.y);
    m.yMin = mean(a.yMin, b.yMin);
    m.yMax = mean(a.yMax, b.yMax);
    m.secondaryY = mean(a.secondaryY, b.secondaryY);
    m.displayValue = mean(a.displayValue, b.displayValue);
    m.minDisplayValue = mean(a.minDisplayValue, b.minDisplayValue);
    m.maxDisplayValue = mean(a.maxDisplayValue, b.maxDisplayValue);
    return m;
}

OVGraphDataPoint OVGraphDataPoint::averagePointOfPoints(std::span<const OVGraphDataPoint> points)
{
    OVGraphDataPoint result;
    if (points.empty())
        return result;
    FieldSum x, adjustedX, y, secondaryY, displayValue;
    for (const OVGraphDataPoint &p : points) {
        if (isSet(p.x)) {
            x.add(p.x);
            result.xMin = std::min(result.xMin, p.xMin);
            result.xMax = std::max(result.xMax, p.xMax);
        }
        if (isSet(p.graphAdjustedX)) {
            adjustedX.add(p.graphAdjustedX);
            result.graphAdjustedXMin = std::min(result.graphAdjustedXMin, p.graphAdjustedXMin);
            result.graphAdjustedXMax = std::max(result.graphAdjustedXMax, p.graphAdjustedXMax);
        }
        if (isSet(p.y)) {
            y.add(p.y);
            result.yMin = std::min(result.yMin, p.yMin);
            result.yMax = std::max(result.yMax, p.yMax);
        }
        secondaryY.add(p.secondaryY);
        displayValue.add(p.displayValue);
        if (isSet(p.minDisplayValue))
            result.minDisplayValue = std::min(result.minDisplayValue, p.minDisplayValue);
        if (isSet(p.maxDisplayValue))
            result.maxDisplayValue = std::max(result.maxDisplayValue, p.maxDisplayValue);
    }
    // Divided by the whole count, so a series missing in some points is averaged over all of
    // them; a field that no point had stays unset rather than becoming 0.
    const double f = 1.0 / double(points.size());
    result.x = x.averageOver(f);
    result.graphAdjustedX = adjustedX.averageOver(f);
    result.y = y.averageOver(f);
    result.secondaryY = secondaryY.averageOver(f);
    result.displayValue = displayValue.averageOver(f);
    return result;
}

void OVGraphDataPoint::calculateXValuesForGraph(const OVGraphView &graph)
{
    switch (graph.graphXMode()) {
    case OVGraphXMode::Dates:
        if (minDate.isValid())
            graphAdjustedXMin = graph.xForDate(minDate);
        if (maxDate.isValid())
            graphAdjustedXMax = graph.xForDate(maxDate);
        graphAdjustedX = date.isValid() ? graph.xForDate(date) : (graphAdjustedXMin + graphAdjustedXMax) * 0.5;
        break;
    case OVGraphXMode::Values:
        graphAdjustedX = graph.xForValue(x);
        graphAdjustedXMin = graph.xForValue(xMin);
        graphAdjustedXMax = graph.xForValue(xMax);
        break;
    default:
        break;
    }
}

int OVGraphDataPoint::dateComparator(const OVGraphDataPoint &other) const
{
    const bool byDate = date.isValid() && other.date.isValid();
    const QDateTime &a = byDate ? date : minDate;
    const QDateTime &b = byDate ? other.date : other.minDate;
    if (!a.isValid() || !b.isValid())
        return 0;
    return a < b ? -1 : (b < a ? 1 : 0);
}

QString OVGraphDataPoint::description() const
{
    auto piece = [](const char *axis, double value, double low, double high) {
        if (isSet(low) && high != -Unset)
            return QString::asprintf("%s:[%.2f - %.2f]", axis, low, high);
        return QString::asprintf("%s:[%.2f]", axis, value);
    };
    const QString secondary = isSet(secondaryY) ? QString::asprintf("y2:[%.2f]", secondaryY) : QString();
    QString dates;
    if (minDate.isValid() && maxDate.isValid())
        dates = QStringLiteral("date range:[%1 - %2]").arg(dateText(minDate), dateText(maxDate));
    else
        dates = QStringLiteral("date:[%1]").arg(date.isValid() ? dateText(date) : QStringLiteral("nil"));
    return QStringLiteral("<OVGraphDataPoint: %1  %2  %3  %4>")
        .arg(piece("x", x, xMin, xMax), piece("y", y, yMin, yMax), secondary, dates);
}
