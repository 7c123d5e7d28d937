// Graph panels over fake weather sources: joining observations with forecasts, the status
// overlay, the hover texts, and each graph type's data, scale, summary and read-out.
#include "graph_panel_fakes.h"

#include "core/NBPrefController.h"
#include "core/OVConstants.h"
#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVGraphHoverView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "core/views/OVAttributedString.h"

#include <gtest/gtest.h>

#include "support/ImageCompare.h"
#include "support/TestHelpers.h"
#include "support/draw_test_util.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPropertyAnimation>

namespace {

OVWeatherConditions observation(const QDateTime &date)
{
    OVWeatherConditions c;
    c.setDate(date);
    return c;
}

OVWeatherConditions temperatureReport(const QDateTime &date, double celsius, double dewpointC = OVNoValue)
{
    OVWeatherConditions c = observation(date);
    c.setTemperatureC(celsius);
    c.setDewpointC(dewpointC);
    return c;
}

class GraphPartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NBPrefController::resetStore();
        NBPrefController::initSettings();
        // Stored settings outlive a store: every case starts from the default units.
        for (const char *key : {"temperatureUnits", "windSpeedUnits", "pressureUnits", "heightUnits"})
            NBPrefController::setSetting(0, QLatin1String(key));
        NBPrefController::setStatusMessage(QString());
        sources = std::make_shared<FakeGraphSources>();
        container.location = fakeLocation(sources);
    }

    std::unique_ptr<NBMultiGraphPart> makePart(int type) { return loadedPanel(container, type); }

    static std::vector<double> ys(const NBMultiGraphPart &part)
    {
        std::vector<double> values;
        for (const OVGraphDataPoint &p : part.graph()->dataPoints())
            values.push_back(p.y);
        return values;
    }

    std::shared_ptr<FakeGraphSources> sources;
    FakeGraphContainer container;
};

} // namespace

TEST_F(GraphPartTest, AWindowEndingBeforeNowShowsObservationsOnly)
{
    sources->history = {temperatureReport(utcAt(9, 20), 10.0), temperatureReport(utcAt(10, 1), 12.0)};
    sources->series[QStringLiteral("hourlyt")] = {period(QStringLiteral("hourlyt"), 50.0, utcAt(10, 13)),
                                                  period(QStringLiteral("hourlyt"), 53.6, utcAt(10, 14))};
    container.end = utcAt(10, 11);
    EXPECT_EQ(ys(*makePart(NBGraphTypeTemperature)), (std::vector<double>{10.0, 12.0}));

    container.end = utcAt(11, 12);
    EXPECT_EQ(makePart(NBGraphTypeTemperature)->graph()->dataPoints().size(), 4u);
}

TEST_F(GraphPartTest, AForecastAtTheLastObservationIsDroppedAndOneSecondLaterKept)
{
    sources->fakeClock.set(utcAt(10, 11));
    sources->history = {temperatureReport(utcAt(10, 11), 10.0)};
    for (int lateBy : {0, 1}) {
        SCOPED_TRACE(lateBy);
        sources->series[QStringLiteral("hourlyt")] = {
            QVariantMap{{QStringLiteral("hourlyt"), 59.0}, {QStringLiteral("date"), utcAt(10, 11, 0, lateBy)}}};
        const auto part = makePart(NBGraphTypeTemperature);
        ASSERT_EQ(part->graph()->dataPoints().size(), size_t(1 + lateBy));
        if (lateBy)
            EXPECT_NEAR(part->graph()->dataPoints().back().y, 15.0, 1e-5);
    }
}

TEST_F(GraphPartTest, StatusOverlayNamesTheMissingLocationOverTheOldPointsAndIsReused)
{
    sources->history = {temperatureReport(utcAt(10, 1), 12.0), temperatureReport(utcAt(10, 2), 13.0)};
    const auto part = makePart(NBGraphTypeTemperature);
    EXPECT_EQ(part->statusOverlay(), nullptr);

    container.location = nullptr;
    part->updateGraphData();
    ASSERT_NE(part->statusOverlay(), nullptr);
    EXPECT_EQ(part->statusOverlay()->centeredText()->string(), QStringLiteral("No Location Selected\u2026"));
    EXPECT_EQ(part->graph()->dataPoints().size(), 2u) << "the old points stay under the overlay";
    EXPECT_FALSE(part->statusOverlay()->centeredImage().isNull()) << "the alert icon";
    EXPECT_EQ(part->statusOverlay()->geometry(), part->graph()->geometry().adjusted(-1, 0, 0, 0));

    OVFilledView *overlay = part->statusOverlay();
    part->updateStatusOverlay(QStringLiteral("Updating weather"));
    EXPECT_EQ(part->statusOverlay(), overlay);
    EXPECT_EQ(part->findChildren<OVFilledView *>().size(), 1);
    EXPECT_EQ(overlay->centeredText()->string(), QStringLiteral("Updating weather"));

    container.location = fakeLocation(sources);
    part->updateGraphData();
    EXPECT_EQ(part->statusOverlay(), nullptr);
}

TEST_F(GraphPartTest, StatusSaysUnavailableWhenThePlaceHasOtherDataAndShowsTheStatusOtherwise)
{
    OVWeatherConditions noWaves = temperatureReport(sources->fakeClock.now().addSecs(-3600), 10.0);
    sources->history = {noWaves};
    EXPECT_EQ(makePart(NBGraphTypePressure)->statusOverlay()->centeredText()->string(),
              QStringLiteral("Unavailable at this location."));

    sources->history.clear();
    NBPrefController::setStatusMessage(QStringLiteral("Loading forecasts"));
    EXPECT_EQ(makePart(NBGraphTypePressure)->statusOverlay()->centeredText()->string(),
              QStringLiteral("Loading forecasts"));
    NBPrefController::setStatusMessage(QString());
    EXPECT_EQ(makePart(NBGraphTypePressure)->statusOverlay(), nullptr);

    // Wave height asks for a forecast rather than for observations.
    sources->series[QStringLiteral("hourlyt")] = {period(QStringLiteral("hourlyt"), 50.0, utcAt(10, 13))};
    EXPECT_EQ(makePart(NBGraphTypeWaveHeight)->statusOverlay()->centeredText()->string(),
              QStringLiteral("Unavailable at this location."));
}

TEST_F(GraphPartTest, HoverShowsARangeForAmountsAndNoDataAwayFromPoints)
{
    sources->series[QStringLiteral("liquidPrecip")] = {period(QStringLiteral("liquidPrecip"), 0.25, utcAt(10, 12), 6)};
    sources->series[QStringLiteral("snowPrecip")] = {period(QStringLiteral("snowPrecip"), 1.5, utcAt(10, 12), 6)};
    sources->history = {temperatureReport(utcAt(10, 1), 12.0)};
    struct Case
    {
        int type;
        QString label;
        QString time;
    };
    for (const Case &c : {Case{NBGraphTypePrecipitation, QStringLiteral("0.25\""), QStringLiteral("\u2013")},
                          Case{NBGraphTypeSnowfall, QStringLiteral("1.50\""), QStringLiteral("\u2013")},
                          Case{NBGraphTypeTemperature, QStringLiteral("53.6\u00B0"), QString()}}) {
        SCOPED_TRACE(c.type);
        const auto part = makePart(c.type);
        const OVGraphDataPoint &p = part->graph()->dataPoints().back();
        OVGraphHoverView hover;
        const double x = part->graph()->xForDate(p.date.isValid() ? p.date : p.minDate.addSecs(3600));
        part->updateHover(hover, x);
        EXPECT_EQ(hover.label()->string(), c.label);
        const QString time = hover.timeString()->string();
        EXPECT_FALSE(time.isEmpty());
        const bool isRange = time.contains(QLatin1String(" - ")) || time.contains(QChar(0x2013));
        EXPECT_EQ(isRange, !c.time.isNull()) << time.toStdString();

        hover.timeString()->setString(QStringLiteral("kept"));
        part->updateHover(hover, part->graph()->width() - 1.0);
        if (c.type == NBGraphTypeTemperature) {
            part->graph()->setDataPoints({});
            part->updateHover(hover, x);
            EXPECT_EQ(hover.label()->string(), QStringLiteral("No Data"));
            EXPECT_EQ(hover.timeString()->string(), QStringLiteral("kept"));
        }
    }
}

TEST_F(GraphPartTest, TemperatureCarriesTheDewPointAndLabelsInTheChosenUnit)
{
    sources->history = {temperatureReport(utcAt(10, 1), 10.0, 2.0), temperatureReport(utcAt(10, 2), OVNoValue, 3.0),
                        temperatureReport(utcAt(10, 3), 20.0)};
    struct Case
    {
        int units;
        const char *label;
        const char *legendUnits;
    };
    for (const Case &c : {Case{0, "High: 68.0\u00B0     Low: 50.0\u00B0", "\u00B0"},
                          Case{1, "High: 20.0\u00B0     Low: 10.0\u00B0", "\u00B0"},
                          Case{2, "High: 293.1K     Low: 283.1K", "K"}}) {
        NBPrefController::setSetting(c.units, QStringLiteral("temperatureUnits"));
        const auto part = makePart(NBGraphTypeTemperature);
        EXPECT_EQ(part->leftLabel()->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(part->legend()->units(), QString::fromUtf8(c.legendUnits));
        EXPECT_EQ(part->graph()->hoverUnits(), QString::fromUtf8(c.legendUnits));
        ASSERT_EQ(part->graph()->dataPoints().size(), 2u);
        EXPECT_EQ(part->graph()->dataPoints()[1].secondaryY, 3.0) << "the dew point of the report in between";
    }
}

TEST_F(GraphPartTest, WindSpeedLabelsPeakPerUnitAndAMissingForecastGustIsTheSpeed)
{
    sources->fakeClock.set(utcAt(10, 12));
    OVWeatherConditions windy = observation(utcAt(10, 10));
    windy.setWindSpeedKnots(20.0);
    windy.setWindDirection(315.0);
    sources->history = {windy};
    sources->series[QStringLiteral("windSpeed")] = {period(QStringLiteral("windSpeed"), 12.0, utcAt(10, 13)),
                                                    period(QStringLiteral("windSpeed"), 8.0, utcAt(10, 14))};
    sources->series[QStringLiteral("windDirection")] = {period(QStringLiteral("windDirection"), 300.0, utcAt(10, 13)),
                                                        period(QStringLiteral("windDirection"), 0.0, utcAt(10, 14))};
    // The first gust period lies before the second speed: periods are inclusive at both ends.
    QVariantMap missingGust = period(QStringLiteral("gustSpeed"), OVNoValue, utcAt(10, 12, 30));
    sources->series[QStringLiteral("gustSpeed")] = {missingGust, period(QStringLiteral("gustSpeed"), 18.0, utcAt(10, 14))};
    const std::vector<std::pair<int, const char *>> labels{
        {0, "Peak Wind: 23 mph"}, {1, "Peak Wind: 37 km/h"}, {2, "Peak Wind: 20 kts"}, {3, "Peak Wind: 10 m/s"}};
    for (const auto &[units, label] : labels) {
        NBPrefController::setSetting(units, QStringLiteral("windSpeedUnits"));
        const auto part = makePart(NBGraphTypeWindSpeed);
        EXPECT_EQ(part->leftLabel()->text(), QString::fromLatin1(label));
        const auto &points = part->graph()->dataPoints();
        ASSERT_EQ(points.size(), 3u);
        EXPECT_EQ(points[0].secondaryY, 20.0) << "an observation without gust plots the wind";
        EXPECT_EQ(points[1].secondaryY, 12.0) << "a missing forecast gust plots the wind, not -1000";
        EXPECT_EQ(points[2].secondaryY, 18.0);
        EXPECT_EQ(points[1].displayValue, 300.0);
        EXPECT_EQ(part->graph()->yRange().min, 0.0);
    }
    NBPrefController::setSetting(2, QStringLiteral("windSpeedUnits"));
    const auto part = makePart(NBGraphTypeWindSpeed);
    EXPECT_EQ(part->graph()->hoverText(part->graph()->dataPoints()[2]).isEmpty(), false);
}

TEST_F(GraphPartTest, AForecastDewPointOrDirectionIsPairedOnlyWithASeriesOfTheSameLength)
{
    // Forecast hours at 13:00 and 14:00. A second series of another length cannot be matched
    // period by period: its values are left out rather than shifted onto the wrong hours.
    const QDateTime hours[] = {utcAt(10, 11), utcAt(10, 13), utcAt(10, 14)};
    struct Case
    {
        const char *name;
        int type;
        const char *key;
        const char *secondKey;
        QList<double> secondValues; // dated at the latest of `hours`, in order
        double (*secondary)(const OVGraphDataPoint &);
        std::vector<double> expected;
    };
    auto dewpointC = [](const OVGraphDataPoint &p) { return p.secondaryY; };
    auto direction = [](const OVGraphDataPoint &p) { return p.displayValue; };
    const double unset = OVGraphDataPoint::Unset;
    const Case cases[] = {
        {"dew points of the same length", NBGraphTypeTemperature, "hourlyt", "dewpoint", {32.0, 50.0}, dewpointC,
         {0.0, 10.0}},
        {"one dew point more", NBGraphTypeTemperature, "hourlyt", "dewpoint", {68.0, 32.0, 50.0}, dewpointC,
         {unset, unset}},
        {"one dew point fewer", NBGraphTypeTemperature, "hourlyt", "dewpoint", {50.0}, dewpointC, {unset, unset}},
        {"directions of the same length", NBGraphTypeWindSpeed, "windSpeed", "windDirection", {300.0, 0.0},
         direction, {300.0, 0.0}},
        {"one direction more", NBGraphTypeWindSpeed, "windSpeed", "windDirection", {90.0, 300.0, 0.0}, direction,
         {OVNoValue, OVNoValue}},
        {"one direction fewer", NBGraphTypeWindSpeed, "windSpeed", "windDirection", {0.0}, direction,
         {OVNoValue, OVNoValue}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sources->series.clear();
        const QString key = QString::fromLatin1(c.key);
        const QString secondKey = QString::fromLatin1(c.secondKey);
        sources->series[key] = {period(key, 50.0, hours[1]), period(key, 53.6, hours[2])};
        const qsizetype skip = 3 - c.secondValues.size();
        for (qsizetype i = 0; i < c.secondValues.size(); ++i)
            sources->series[secondKey].append(period(secondKey, c.secondValues[i], hours[skip + i]));
        const auto part = makePart(c.type);
        const auto &points = part->graph()->dataPoints();
        ASSERT_EQ(points.size(), 2u);
        EXPECT_EQ((std::vector<double>{c.secondary(points[0]), c.secondary(points[1])}), c.expected);
    }
}

TEST_F(GraphPartTest, TheShowAverageSettingReachesTheGraphAtEveryRefresh)
{
    sources->history = {temperatureReport(utcAt(10, 1), 10.0), temperatureReport(utcAt(10, 2), 12.0)};
    NBPrefController::setSetting(true, QStringLiteral("graphShowAverage"));
    const auto part = makePart(NBGraphTypeTemperature);
    EXPECT_TRUE(part->graph()->showAverageValue());
    NBPrefController::setSetting(false, QStringLiteral("graphShowAverage"));
    part->updateGraphData();
    EXPECT_FALSE(part->graph()->showAverageValue());
}

TEST_F(GraphPartTest, WindDirectionReplacesVariableAndWrapsAroundTheMean)
{
    std::vector<OVWeatherConditions> reports;
    const std::vector<double> directions{0.0, -1.0, 90.0, 300.0};
    sources->history.clear();
    for (size_t i = 0; i < directions.size(); ++i) {
        OVWeatherConditions c = observation(utcAt(10, int(i)));
        c.setWindDirection(directions[i]);
        sources->history.append(c);
    }
    // A third of the points at 0 (one variable), one at 90 and one at 300.
    const auto part = makePart(NBGraphTypeWindDirection);
    const std::vector<double> y = ys(*part);
    ASSERT_EQ(y.size(), 4u);
    EXPECT_EQ(y[1], 0.0) << "variable shows the direction before it";
    const OVGraphRange range = part->graph()->yRange();
    EXPECT_NEAR(range.max - range.min, 360.0, 1e-9);
    EXPECT_GE(y[3], range.min);
    EXPECT_LE(y[3], range.max);
    EXPECT_EQ(part->graph()->dataPoints()[3].displayValue, 300.0);

    sources->history.resize(3);
    sources->history.removeAt(1);
    const auto twoPoints = makePart(NBGraphTypeWindDirection);
    EXPECT_EQ(twoPoints->graph()->yRange(), OVGraphRangeMake(-135.0, 225.0));
    EXPECT_EQ(twoPoints->leftLabel()->text(), QStringLiteral("Average Direction: 45\u00B0"));
}

TEST_F(GraphPartTest, AmountsReachTheirAxisFloorAndSayNoneForAZeroTotal)
{
    sources->series[QStringLiteral("snowPrecip")] = {period(QStringLiteral("snowPrecip"), 0.0, utcAt(10, 12), 6)};
    sources->series[QStringLiteral("liquidPrecip")] = {period(QStringLiteral("liquidPrecip"), 0.0, utcAt(10, 12), 6)};
    struct Case
    {
        int type;
        int heightUnits;
        double legendTop;
        const char *units;
    };
    for (const Case &c : {Case{NBGraphTypeSnowfall, 0, 3.0, "\""}, Case{NBGraphTypeSnowfall, 1, 8.0, "cm"},
                          Case{NBGraphTypePrecipitation, 0, 0.3, "\""}, Case{NBGraphTypePrecipitation, 1, 10.0, "mm"},
                          Case{NBGraphTypePrecipitation, 5, 0.3, ""}}) {
        SCOPED_TRACE(c.type * 10 + c.heightUnits);
        NBPrefController::setSetting(c.heightUnits, QStringLiteral("heightUnits"));
        const auto part = makePart(c.type);
        EXPECT_NEAR(part->legend()->yRange().max, c.legendTop, 1e-4);
        EXPECT_EQ(part->legend()->units(), QString::fromLatin1(c.units));
        EXPECT_EQ(part->leftLabel()->text(), QStringLiteral("Total: none"));
    }

    NBPrefController::setSetting(0, QStringLiteral("heightUnits"));
    sources->series[QStringLiteral("liquidPrecip")] = {period(QStringLiteral("liquidPrecip"), 0.125, utcAt(10, 12), 6),
                                                       period(QStringLiteral("liquidPrecip"), 0.25, utcAt(10, 18), 6)};
    EXPECT_EQ(makePart(NBGraphTypePrecipitation)->leftLabel()->text(), QStringLiteral("Total: 0.38\""));
    NBPrefController::setSetting(1, QStringLiteral("heightUnits"));
    EXPECT_EQ(makePart(NBGraphTypePrecipitation)->leftLabel()->text(), QStringLiteral("Total: 10 mm"));
}

TEST_F(GraphPartTest, LeftLabelsFollowTheUnitCodes)
{
    OVWeatherConditions c = observation(utcAt(10, 6));
    c.setPressureMB(1013.0);
    OVWeatherConditions d = observation(utcAt(10, 7));
    d.setPressureMB(1000.0);
    sources->history = {c, d};
    const std::vector<std::pair<int, const char *>> pressure{
        {0, "Ridge: 29.91 inches     Trough: 29.53 inches"},
        {1, "Ridge: 1013 hPa     Trough: 1000 hPa"},
        {2, "Ridge: 101.30 kPa     Trough: 100.00 kPa"},
        {3, "Ridge: 1013 mb     Trough: 1000 mb"}};
    for (const auto &[units, label] : pressure) {
        NBPrefController::setSetting(units, QStringLiteral("pressureUnits"));
        EXPECT_EQ(makePart(NBGraphTypePressure)->leftLabel()->text(), QString::fromLatin1(label));
    }

    sources->series[QStringLiteral("waveHeight")] = {period(QStringLiteral("waveHeight"), 0.01, utcAt(10, 13)),
                                                     period(QStringLiteral("waveHeight"), 6.0, utcAt(10, 14))};
    for (const auto &[units, label] :
         std::vector<std::pair<int, const char *>>{{0, "Biggest Set: 6 ft"}, {1, "Biggest Set: 1.8 m"}}) {
        NBPrefController::setSetting(units, QStringLiteral("heightUnits"));
        const auto part = makePart(NBGraphTypeWaveHeight);
        EXPECT_EQ(part->leftLabel()->text(), QString::fromLatin1(label));
        EXPECT_EQ(part->graph()->dataPoints().size(), 1u) << "a height of 0.01 ft is no wave";
    }

    sources->series[QStringLiteral("popFromIcon")] = {period(QStringLiteral("popFromIcon"), 20.0, utcAt(10, 9)),
                                                      period(QStringLiteral("popFromIcon"), 70.0, utcAt(10, 13)),
                                                      period(QStringLiteral("popFromIcon"), 40.0, utcAt(10, 14))};
    const auto pop = makePart(NBGraphTypeProbabilityOfPrecipitation);
    EXPECT_EQ(pop->leftLabel()->text(), QStringLiteral("Max: 70%     Min: 40%")) << "periods before now are left out";
    EXPECT_EQ(pop->graph()->yRange(), OVGraphRangeMake(0, 100));
    EXPECT_EQ(pop->rightLabel()->text(), QStringLiteral("Probability of Precipitation"));
}

TEST_F(GraphPartTest, ATypeOutsideTheTableDoesNothing)
{
    sources->history = {temperatureReport(utcAt(10, 1), 12.0)};
    const auto part = makePart(11);
    EXPECT_TRUE(part->graph()->dataPoints().empty());
    EXPECT_TRUE(part->rightLabel()->text().isEmpty());
    OVGraphHoverView hover;
    part->updateHover(hover, 10);
    EXPECT_EQ(hover.label()->string(), QStringLiteral("No Data"));
}

TEST_F(GraphPartTest, ImagesOfTheElevenTypesAndTheStatusOverlay)
{
    fillTwoDays(*sources);
    const char *names[] = {"type_00_temperature", "type_01_wind_speed",  "type_02_wind_direction",
                           "type_03_cylinder",    "type_04_pressure",    "type_05_humidity",
                           "type_06_precipitation", "type_07_cloud_cover", "type_08_snowfall",
                           "type_09_wave_height", "type_10_pop"};
    for (int type = 0; type < NBGraphTypeCount; ++type) {
        SCOPED_TRACE(names[type]);
        const auto part = makePart(type);
        part->show();
        part->updateGraphData();
        EXPECT_EQ(part->statusOverlay(), nullptr);
        const QImage image = renderWidget(*part);
        EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/") + QLatin1String(names[type]),
                                 {3, image.width() * image.height() / 300}));
    }
    container.location = nullptr;
    const auto part = makePart(NBGraphTypeTemperature);
    part->show();
    const QImage image = renderWidget(*part);
    EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/status_overlay"), {3, image.width() * image.height() / 300}));
}

TEST_F(GraphPartTest, StatusOverlayFadesInAndThenDrawsWithoutAnEffect)
{
    container.location = nullptr;
    auto part = std::make_unique<NBMultiGraphPart>();
    part->resize(600, 155);
    part->setDelegate(&container);
    part->setGraphType(NBGraphTypeTemperature);
    part->setStatusFadeMilliseconds(30);
    part->updateGraphData();
    ASSERT_NE(part->statusOverlay(), nullptr);
    EXPECT_NE(part->statusOverlay()->graphicsEffect(), nullptr) << "starts transparent";
    EXPECT_TRUE(waitUntil([&] { return part->statusOverlay()->graphicsEffect() == nullptr; }, 3000));
}

TEST_F(GraphPartTest, ARefreshWhileTheOverlayFadesInLetsThatFadeRunOn)
{
    container.location = nullptr;
    auto part = std::make_unique<NBMultiGraphPart>();
    part->resize(600, 155);
    part->setDelegate(&container);
    part->setGraphType(NBGraphTypeTemperature);
    // Long enough that it is still running when the refreshes come, however busy the machine.
    part->setStatusFadeMilliseconds(600000);
    part->updateGraphData();
    ASSERT_NE(part->statusOverlay(), nullptr);
    auto *opacity = qobject_cast<QGraphicsOpacityEffect *>(part->statusOverlay()->graphicsEffect());
    ASSERT_NE(opacity, nullptr);
    const auto fades = [&] { return opacity->findChildren<QPropertyAnimation *>(); };
    ASSERT_EQ(fades().size(), 1);
    QPropertyAnimation *fade = fades().front();
    ASSERT_TRUE(waitUntil([&] { return fade->currentTime() > 0; }, 10000));
    const int before = fade->currentTime();

    for (int i = 0; i < 3; ++i)
        part->updateGraphData();

    EXPECT_EQ(part->statusOverlay()->graphicsEffect(), opacity);
    ASSERT_EQ(fades().size(), 1) << "each refresh started a fade of its own";
    EXPECT_EQ(fades().front(), fade);
    EXPECT_EQ(fade->state(), QAbstractAnimation::Running);
    EXPECT_GE(fade->currentTime(), before);
}
