// The graph types that draw bars (precipitation, snowfall) and directions (the flat wind
// direction graph and the cylinder).
#include "core/OVConstants.h"
#include "graphs/NBGraphSeries.h"
#include "graphs/NBGraphTypeStrategies.h"
#include "graphs/NBGraphTypeSupport.h"
#include "graphs/OVCylindricalGraphLegendView.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "platform/OVLocalize.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnitConversions.h"
#include "weather/OVUnits.h"
#include "weather/OVWeatherConditions.h"

#include <QLabel>

#include <cmath>

using namespace NBGraphTypeSupport;

namespace {

// Precipitation (observed and forecast) and snowfall (forecast): amounts in inches as bars over
// their intervals, an axis that reaches at least a floor, and the window's total.
class AmountGraph final : public NBGraphTypeStrategy
{
public:
    explicit AmountGraph(bool snow)
        : mSnow(snow)
    {
    }

    void setup(NBMultiGraphPart &part) override
    {
        OVGraphView &graph = *part.graph();
        graph.setForegroundColor(mSnow ? QColor::fromRgbF(0.5f, 0.0f, 0.5f) : QColor::fromRgbF(1.0f, 0.0f, 1.0f));
        graph.setGraphYMode(OVGraphYMode::Bars);
        graph.setSmoothed(false);
        setLegendUnits(part);
        part.rightLabel()->setText(OVLocalizedString(mSnow ? "Snowfall Amount" : "Precipitation Amount"));
        part.setLeftText(QStringLiteral("Total:"));
    }

    void updateData(NBMultiGraphPart &part) override
    {
        const QDateTime now = part.now();
        if (mSnow) {
            part.graph()->setDataPoints(
                NBGraphSeries::futureBars(forecast(part, OVForecastKey::snowPrecip), OVForecastKey::snowPrecip, now));
            return;
        }
        part.graph()->setDataPoints(NBGraphSeries::mergeBars(
            NBGraphSeries::pastPrecipitationBars(pastRecords(part)),
            NBGraphSeries::futureBars(forecast(part, OVForecastKey::liquidPrecip), OVForecastKey::liquidPrecip, now),
            now));
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        const OVHeightUnit unit = OVUnits::heightSetting();
        const bool metric = unit == OVHeightUnit::Metric;
        OVGraphView &graph = *part.graph();
        const double floor = mSnow ? (metric ? double(inchesFromCentimeters(8.0f)) : 3.0)
                                   : (metric ? double(inchesFromCentimeters(1.0f)) : 0.3);
        const double top =
            std::max(OVGraphView::graphScaleForData(graph.dataPoints(), graph.minDate(), graph.maxDate()).max, floor);
        double legendTop = top;
        if (metric && top != OVGraphNoDataRange.max)
            legendTop = mSnow ? centimetersFromInches(float(top)) : millimetersFromInches(float(top));
        setRanges(part, OVGraphRangeMake(0.0, top), OVGraphRangeMake(0.0, legendTop));

        const double total = NBGraphSeries::totalOfBars(graph.dataPoints(), graph.minDate(), graph.maxDate());
        if (total == 0.0)
            part.setLeftText(OVLocalizedString("Total: none"));
        else if (metric && mSnow)
            part.setLeftText(QString::asprintf(OVLocalizedString("Total: %.0f cm").toUtf8().constData(),
                                               double(centimetersFromInches(float(total)))));
        else if (metric)
            part.setLeftText(QString::asprintf(OVLocalizedString("Total: %.0f mm").toUtf8().constData(),
                                               double(millimetersFromInches(float(total)))));
        else
            part.setLeftText(QString::asprintf(OVLocalizedString("Total: %.2f").toUtf8().constData(), total)
                             + kInchMark);
        if (OVUnits::isNamed(unit)) {
            setLegendUnits(part);
            graph.setHoverUnits(part.legend()->units());
        }
    }

    QString hoverText(NBMultiGraphPart &, const OVGraphDataPoint &point) override
    {
        if (OVUnits::heightSetting() == OVHeightUnit::Metric) {
            return mSnow ? QString::asprintf("%.0f cm", double(centimetersFromInches(float(point.y))))
                         : QString::asprintf("%.1f mm", double(millimetersFromInches(float(point.y))));
        }
        return QString::asprintf("%.2f", point.y) + kInchMark;
    }

private:
    void setLegendUnits(NBMultiGraphPart &part) const
    {
        const OVHeightUnit unit = OVUnits::heightSetting();
        if (unit == OVHeightUnit::InchesAndFeet)
            part.legend()->setUnits(kInchMark);
        else if (unit == OVHeightUnit::Metric)
            part.legend()->setUnits(mSnow ? QStringLiteral("cm") : QStringLiteral("mm"));
    }

    bool mSnow;
};

// Wind direction in degrees. A reported "variable" direction (-1) shows the direction before it.
class DirectionGraph : public NBGraphTypeStrategy
{
public:
    void setup(NBMultiGraphPart &part) override
    {
        OVGraphView &graph = *part.graph();
        graph.setStroke(true);
        graph.setStrokeWidth(3.0);
        graph.setStrokeColor(settingColor("OVNimbrelColorBlue"));
        graph.setForegroundColor(QColor());
        part.legend()->setCustomYLegend(OVCustomYLegend{
            {-360.0f, QStringLiteral("N")}, {-270.0f, QStringLiteral("E")}, {-180.0f, QStringLiteral("S")},
            {-90.0f, QStringLiteral("W")},  {0.0f, QStringLiteral("N")},    {90.0f, QStringLiteral("E")},
            {180.0f, QStringLiteral("S")},  {270.0f, QStringLiteral("W")},  {360.0f, QStringLiteral("N")},
            {450.0f, QStringLiteral("E")},  {540.0f, QStringLiteral("S")},  {630.0f, QStringLiteral("W")},
            {720.0f, QStringLiteral("N")}});
        setLabels(part);
    }

    void updateData(NBMultiGraphPart &part) override
    {
        std::vector<OVGraphDataPoint> past;
        double previous = 0.0;
        for (const OVWeatherConditions &record : pastRecords(part)) {
            double direction = record.windDirection();
            if (direction == OVNoValue)
                continue;
            if (direction == -1.0)
                direction = previous;
            previous = direction;
            past.push_back(OVGraphDataPoint::dataPointWithX(0.0, direction, record.date(), direction));
        }
        setMergedPoints(part, std::move(past),
                        futureLinePoints(forecast(part, OVForecastKey::windDirection), OVForecastKey::windDirection));
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        OVGraphView &graph = *part.graph();
        const double mean = windowMean(part);
        std::vector<OVGraphDataPoint> points = graph.dataPoints();
        NBGraphSeries::wrapDirections(points, mean);
        graph.setDataPoints(std::move(points));
        setRanges(part, OVGraphRangeMake(mean - 180.0, mean + 180.0), OVGraphRangeMake(mean - 180.0, mean + 180.0));
        setMeanLabel(part, mean);
    }

    QString hoverText(NBMultiGraphPart &, const OVGraphDataPoint &point) override
    {
        return QString::asprintf("%.0f\u00B0", point.displayValue);
    }

protected:
    /// The mean of the window's directions.
    static double windowMean(NBMultiGraphPart &part)
    {
        return NBGraphSeries::meanDirection(part.graph()->dataPoints(), part.startDate(), part.endDate());
    }
    static void setLabels(NBMultiGraphPart &part)
    {
        part.rightLabel()->setText(OVLocalizedString("Wind Direction"));
        part.setLeftText(OVLocalizedString("Average Direction:"));
    }
    static void setMeanLabel(NBMultiGraphPart &part, double mean)
    {
        part.setLeftText(
            QString::asprintf(OVLocalizedString("Average Direction: %.0f\u00B0").toUtf8().constData(), mean));
    }
};

// The same directions on the cylinder: no wrapping (the cylinder unwraps the series itself),
// the legend labels one turn, and the cylinder turns so that the mean faces the viewer.
class CylindricalDirectionGraph final : public DirectionGraph
{
public:
    void setup(NBMultiGraphPart &part) override
    {
        OVGraphView &old = *part.graph();
        auto *graph = new OVCylindricalGraphView;
        graph->setGeometry(old.geometry());
        NBMultiGraphPart::applySharedGraphSettings(*graph, part.legend());
        graph->setStroke(true);
        graph->setForegroundColor(QColor());
        graph->setSmoothed(true);
        graph->setStrokeColor(settingColor("OVNimbrelColorBlue"));
        graph->setCylinderColor(settingColor("backgroundColor"));
        graph->setGraphXMode(OVGraphXMode::Dates);
        graph->setStrokeWidth(3.0);

        OVGraphLegendView &oldLegend = *part.legend();
        auto *legend = new OVCylindricalGraphLegendView;
        legend->setGeometry(oldLegend.geometry());
        legend->setYBorderColor(QColor());
        legend->setBorderWidth(oldLegend.borderWidth());
        legend->setYGridColor(oldLegend.yGridColor());
        legend->setDrawYLegend(oldLegend.drawYLegend());
        legend->setMinYLegendWidth(oldLegend.minYLegendWidth());
        legend->setGraphXMode(OVGraphXMode::Dates);
        legend->setXBorderColor(QColor());
        legend->setXGridColor(oldLegend.xGridColor());
        legend->setMinDate(oldLegend.minDate());
        legend->setMaxDate(oldLegend.maxDate());
        legend->setDrawXLegend(true);
        legend->setCustomYLegend(OVCustomYLegend{
            {0.0f, QStringLiteral("N")},    {45.0f, QStringLiteral("NE")}, {90.0f, QStringLiteral("E")},
            {135.0f, QStringLiteral("SE")}, {180.0f, QStringLiteral("S")}, {225.0f, QStringLiteral("SW")},
            {270.0f, QStringLiteral("W")},  {315.0f, QStringLiteral("NW")}});

        part.replaceGraph(graph);
        part.replaceLegend(legend);
        legend->setGeometryFromGraphView(graph);
        setLabels(part);
    }

    void updateData(NBMultiGraphPart &part) override
    {
        DirectionGraph::updateData(part);
        copyGeometry(part);
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        const double mean = windowMean(part);
        setRanges(part, OVGraphRangeMake(mean - 180.0, mean + 180.0), OVGraphRangeMake(-0.1, 360.1));
        setMeanLabel(part, mean);
        if (part.type() != NBGraphTypeCylindricalWindDirection)
            return;
        const double offset = std::fmod(part.delegate()->verticalOffset() + mean, 360.0);
        if (auto *graph = qobject_cast<OVCylindricalGraphView *>(part.graph()))
            graph->setVerticalOffset(offset);
        if (auto *legend = qobject_cast<OVCylindricalGraphLegendView *>(part.legend()))
            legend->setVerticalOffset(offset);
    }

private:
    static void copyGeometry(NBMultiGraphPart &part)
    {
        auto *legend = qobject_cast<OVCylindricalGraphLegendView *>(part.legend());
        if (legend)
            legend->setGeometryFromGraphView(qobject_cast<OVCylindricalGraphView *>(part.graph()));
    }
};

} // namespace

namespace NBGraphTypes {

std::unique_ptr<NBGraphTypeStrategy> precipitation()
{
    return std::make_unique<AmountGraph>(false);
}
std::unique_ptr<NBGraphTypeStrategy> snowfall()
{
    return std::make_unique<AmountGraph>(true);
}
std::unique_ptr<NBGraphTypeStrategy> windDirection()
{
    return std::make_unique<DirectionGraph>();
}
std::unique_ptr<NBGraphTypeStrategy> cylindricalWindDirection()
{
    return std::make_unique<CylindricalDirectionGraph>();
}

} // namespace NBGraphTypes
