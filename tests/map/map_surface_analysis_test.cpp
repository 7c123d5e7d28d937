// The surface-analysis layer without drawing: bulletin rows into features (from the real
// forecast data broker over a local server), front carets, stationary runs and label placement.
#include "map/layers/OVMapHPCSurfaceAnalysisLayer.h"

#include "core/NBRegisteredDefaults.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantReplyParser.h"
#include "weather/OVWeatherNotifications.h"

#include "support/FakeClock.h"
#include "support/FakeMapView.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <numbers>

namespace {

using Feature = OVMapHPCSurfaceAnalysisSurfaceFeature;
using Point = Feature::Point;
constexpr double kPi = std::numbers::pi;

Point at(double latitude, double longitude, std::optional<int64_t> pressure = std::nullopt)
{
    return Point{latitude, longitude, pressure};
}

/// `count` points evenly from `from` to `to`.
QList<QPointF> line(QPointF from, QPointF to, int count)
{
    QList<QPointF> points;
    for (int i = 0; i < count; ++i)
        points.append(from + (to - from) * (double(i) / (count - 1)));
    return points;
}

/// Positive when `point` lies left of the direction a -> b.
double side(const QPointF &a, const QPointF &b, const QPointF &point)
{
    return (b.x() - a.x()) * (point.y() - a.y()) - (b.y() - a.y()) * (point.x() - a.x());
}

TEST(SurfaceBulletin, RowsJoinIntoFeatureTexts)
{
    struct Case
    {
        const char *name;
        QStringList rows;
        QStringList texts;
    };
    const Case cases[] = {
        {"continued", {"COLD 4512 4613", "4714 4815", ""}, {"COLD 4512 4613 4714 4815"}},
        {"first row a continuation", {"4512 4613", "WARM 4512"}, {"WARM 4512"}},
        {"blank runs", {"WARM  4512   4613"}, {"WARM 4512 4613"}},
        {"trailing blank then continuation", {"COLD 4512 ", "4613"}, {"COLD 4512 4613"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Feature::featureTextsForRows(c.rows), c.texts);
    }
}

TEST(SurfaceBulletin, FeatureTexts)
{
    struct Case
    {
        const char *text;
        bool accepted;
        QList<Point> points;
    };
    const Case cases[] = {
        {"COLD 4512 4613 4714 4815", true, {at(45, -12), at(46, -13), at(47, -14), at(48, -15)}},
        {"WARM 4512 4613", true, {at(45, -12), at(46, -13)}},
        {"TROF 4512 4613", false, {}},
        {"MISC 1", false, {}},
        {"cold 4512", false, {}},
        {"STNRY WK 4512 4613", true, {at(45, -12), at(46, -13)}},
        {"LOWS 1004", true, {}},
        {"HIGHS 1030 123456", true, {Point{std::nullopt, std::nullopt, 1030}}},
        {"HIGHS 1030 4512 1028 35120", true, {at(45, -12, 1030), at(35, -120, 1028)}},
        {"OCFNT 45123 4512 ", true, {at(45, -123), at(45, -12)}},
        {"COLD 45x2 4613", true, {at(0, -45), at(46, -13)}}, // a prefix parse: "45x2" reads 45
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const std::shared_ptr<Feature> feature = Feature::fromHPCString(QString::fromLatin1(c.text));
        ASSERT_EQ(feature != nullptr, c.accepted);
        if (!feature)
            continue;
        EXPECT_EQ(feature->type(), QString::fromLatin1(c.text).section(QLatin1Char(' '), 0, 0));
        EXPECT_EQ(feature->points(), c.points);
        EXPECT_FALSE(feature->splinePoints().has_value());
    }
    // Tenths of a degree, read in single precision.
    const std::shared_ptr<Feature> tenths = Feature::fromHPCString(QStringLiteral("COLD 4251205"));
    ASSERT_EQ(tenths->points().size(), 1);
    EXPECT_EQ(*tenths->points()[0].latitude, double(42.5f));
    EXPECT_EQ(*tenths->points()[0].longitude, double(-120.5f));
    // A point without a position leaves the feature without cartesian points.
    EXPECT_FALSE(Feature::fromHPCString(QStringLiteral("HIGHS 1030 123456"))->cartesianPoints());
    EXPECT_EQ(*Feature::fromHPCString(QStringLiteral("WARM 4512 4613"))->cartesianPoints(),
              (QList<QPointF>{{-12, 45}, {-13, 46}}));
}

/// The bulletin fixture served by a local server to the real broker.
class SurfaceAnalysisFromBroker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        OVUserDefaults &defaults = OVUserDefaults::standard();
        defaults.registerDefaults(NBRegisteredDefaults::table());
        defaults.setObject(server.baseUrl(), NBSettingKey::brisantDataServerURL);
        broker = std::make_unique<OVBrisantDataBroker>(clock);
        broker->setSaveFilePath(cacheDir.filePath(QStringLiteral("BrisantCache.plist")));
        controller.mapView = &view;
    }
    void TearDown() override
    {
        layer.reset();
        broker.reset();
        OVUserDefaults::standard().removeObject(NBSettingKey::brisantDataServerURL);
    }

    void loadBulletin()
    {
        server.serve(QStringLiteral("/cgi-bin/data_broker.cgi"),
                     FixtureResponse::text(readTestFile(testDataPath(QStringLiteral("map/bulletin/brisant_surface_analysis.txt")))));
        NotificationWaiter loaded(OVEnvironmentNotifySurfaceAnalysisLoaded);
        broker->updateSections({OVBrisantSection::surfaceAnalysis});
        ASSERT_TRUE(loaded.wait(10000));
    }

    FakeClock clock{QDateTime(QDate(2024, 1, 8), QTime(4, 0), Qt::UTC)};
    FixtureHttpServer server;
    QTemporaryDir cacheDir;
    std::unique_ptr<OVBrisantDataBroker> broker;
    FakeMapView view;
    FakeMapController controller;
    std::unique_ptr<OVMapHPCSurfaceAnalysisLayer> layer;
};

TEST_F(SurfaceAnalysisFromBroker, TheBrokersReplyBecomesTheHandDecodedFeatures)
{
    layer = std::make_unique<OVMapHPCSurfaceAnalysisLayer>(&controller, nullptr, broker.get());
    EXPECT_TRUE(layer->surfaceFeatures().isEmpty()) << "nothing stored yet";
    loadBulletin();
    ASSERT_EQ(server.requestCount(QStringLiteral("/cgi-bin/data_broker.cgi")), 1);
    EXPECT_EQ(server.requests().first().method, "POST");
    EXPECT_GT(view.redraws.load(), 0);

    const QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> features = layer->surfaceFeatures();
    const QList<QByteArray> lines =
        readTestFile(testDataPath(QStringLiteral("map/bulletin/decoded.csv"))).trimmed().split('\n');
    QStringList types;
    qsizetype compared = 0;
    QHash<int, int> pointIndex;
    for (const QByteArray &row : lines) {
        if (row.startsWith('#'))
            continue;
        const QList<QByteArray> fields = row.split(',');
        ASSERT_EQ(fields.size(), 5) << row.toStdString();
        const int f = fields[0].toInt();
        ASSERT_LT(f, features.size());
        const OVMapHPCSurfaceAnalysisSurfaceFeature &feature = *features[f];
        EXPECT_EQ(feature.type(), QString::fromLatin1(fields[1]));
        const int i = pointIndex[f]++;
        ASSERT_LT(i, feature.points().size()) << row.toStdString();
        const Point &point = feature.points()[i];
        SCOPED_TRACE(row.toStdString());
        EXPECT_NEAR(*point.latitude, fields[2].toDouble(), 1e-5);
        EXPECT_NEAR(*point.longitude, fields[3].toDouble(), 1e-5);
        if (fields[4].isEmpty()) {
            EXPECT_FALSE(point.pressure.has_value());
        } else {
            EXPECT_EQ(point.pressure, fields[4].toLongLong());
        }
        ++compared;
    }
    EXPECT_EQ(compared, 24);
    ASSERT_EQ(features.size(), 6) << "headers, VALID and TROF give no feature";
    for (int f = 0; f < features.size(); ++f)
        EXPECT_EQ(features[f]->points().size(), pointIndex[f]) << f;
}

TEST_F(SurfaceAnalysisFromBroker, OnlyItsBrokersAnnouncementsReloadTheLayer)
{
    loadBulletin();
    layer = std::make_unique<OVMapHPCSurfaceAnalysisLayer>(&controller, nullptr, broker.get());
    ASSERT_EQ(layer->surfaceFeatures().size(), 6) << "read at creation";

    layer->setSurfaceFeatures({});
    OVBrisantDataBroker other(clock);
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.post(OVEnvironmentNotifySurfaceAnalysisLoaded, QVariant::fromValue(&other));
    center.post(OVEnvironmentNotifySurfaceAnalysisLoaded, QVariant::fromValue(QStringLiteral("someone")));
    EXPECT_TRUE(layer->surfaceFeatures().isEmpty());
    center.post(OVEnvironmentNotifySurfaceAnalysisLoaded, QVariant::fromValue(broker.get()));
    EXPECT_EQ(layer->surfaceFeatures().size(), 6);

    // A broker that holds no bulletin empties the list.
    auto empty = std::make_unique<OVMapHPCSurfaceAnalysisLayer>(&controller, nullptr, &other);
    empty->setSurfaceFeatures(layer->surfaceFeatures());
    empty->reload();
    EXPECT_TRUE(empty->surfaceFeatures().isEmpty());
}

TEST_F(SurfaceAnalysisFromBroker, LabelsWithoutALoaderLogAndTheLayerIsStillMade)
{
    LogCapture log;
    layer = std::make_unique<OVMapHPCSurfaceAnalysisLayer>(&controller, nullptr, broker.get());
    EXPECT_TRUE(log.contains(QStringLiteral("[OVMapAttributedString generateTexture] Must have a textureLoader.")));
    EXPECT_EQ(layer->highString()->textureStatus(), OVMapAttributedString::NoTexture);
    EXPECT_EQ(layer->lowString()->string(), QStringLiteral("L"));
    EXPECT_EQ(layer->layerType(), 4);
}

TEST(FrontCarets, AStraightFrontOf440PixelsStarts20PixelsInThenEvery80)
{
    // One smoothed point per pixel at 10 pixels per degree.
    const QList<QPointF> s = line({0, 0}, {44, 0}, 441);
    const QList<OVMapFrontCaret> carets = OVMapFrontCaret::caretsForPoints({{0, 0}, {44, 0}}, s, 10.0, 48.0);
    ASSERT_EQ(carets.size(), 6);
    double previous = 0.0;
    for (qsizetype k = 0; k < carets.size(); ++k) {
        const OVMapFrontCaret &caret = carets[k];
        const double centre = (caret.startPoint.x() + caret.endPoint.x()) / 2.0 * 10.0; // pixels
        EXPECT_NEAR(centre - previous, k == 0 ? 20.0 : 80.0, 1.0 + 1e-9) << k; // one smoothed point
        previous = centre;
        EXPECT_NEAR(std::abs(caret.endPoint.x() - caret.startPoint.x()), 2.0, 1e-9) << "a base of 20 pixels";
        EXPECT_LT(caret.startPoint.x(), caret.endPoint.x()) << "the start lies toward the line's beginning";
        EXPECT_EQ(caret.elevation, 48.0);
        EXPECT_TRUE(caret.drawOnLeft);
    }
    EXPECT_EQ(carets[0].splinePointIndex, 21);

    // The same through the layer's smoothing of five bulletin points: within one spline step.
    OVMapHPCSurfaceAnalysisSurfaceFeaturePtr feature =
        OVMapHPCSurfaceAnalysisSurfaceFeature::fromHPCString(QStringLiteral("COLD 0000 0011 0022 0033 0044"));
    ASSERT_TRUE(feature);
    FakeMapView view;
    view.resolution = 10.0;
    FakeMapController controller;
    controller.mapView = &view;
    OVBrisantDataBroker broker;
    OVMapHPCSurfaceAnalysisLayer layer(&controller, nullptr, &broker);
    const auto geometry = layer.frontGeometry(*feature, 10.0);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(feature->splinePoints(), geometry->splinePoints) << "smoothed once and kept";
    double step = 0.0;
    for (qsizetype i = 1; i < geometry->splinePoints.size(); ++i)
        step = std::max(step, 10.0 * std::hypot(geometry->splinePoints[i].x() - geometry->splinePoints[i - 1].x(),
                                                geometry->splinePoints[i].y() - geometry->splinePoints[i - 1].y()));
    ASSERT_EQ(geometry->carets.size(), 6);
    previous = 0.0;
    for (qsizetype k = 0; k < geometry->carets.size(); ++k) {
        const OVMapFrontCaret &caret = geometry->carets[k];
        const double centre = -(caret.startPoint.x() + caret.endPoint.x()) / 2.0 * 10.0; // longitudes run west
        EXPECT_NEAR(centre - previous, k == 0 ? 20.0 : 80.0, step) << k;
        previous = centre;
    }
}

TEST(FrontCarets, ShortFrontsGetAMiddleCaret)
{
    // 60 pixels: the walk places one about 30 pixels in; the middle one is added.
    const QList<QPointF> s = line({0, 0}, {6, 0}, 61);
    const QList<OVMapFrontCaret> carets = OVMapFrontCaret::caretsForPoints({{0, 0}, {6, 0}}, s, 10.0, 0.0);
    ASSERT_EQ(carets.size(), 2);
    EXPECT_EQ(carets[0].splinePointIndex, 31);
    EXPECT_EQ(carets[1].splinePointIndex, 30);
    EXPECT_NEAR((carets[1].startPoint.x() + carets[1].endPoint.x()) / 2.0, 3.0, 1e-9);
    EXPECT_LT(carets[1].startPoint.x(), carets[1].endPoint.x());

    // A zigzag that never leaves its first point by more than the first offset: only the middle.
    QList<QPointF> zigzag;
    for (int i = 0; i < 13; ++i)
        zigzag.append(QPointF(i % 2, 0.0)); // 12 segments of 10 pixels: first offset 20
    const QList<OVMapFrontCaret> middle = OVMapFrontCaret::caretsForPoints({{0, 0}, {0, 0}}, zigzag, 10.0, 0.0);
    ASSERT_EQ(middle.size(), 1);
    EXPECT_EQ(middle[0].splinePointIndex, 6);

    // Two smoothed points: the walk's caret and one at the middle of the bulletin points.
    const QList<OVMapFrontCaret> two = OVMapFrontCaret::caretsForPoints({{0, 0}, {2, 2}}, {{0, 0}, {2, 2}}, 10.0, 0.0);
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[1].splinePointIndex, 0);
    EXPECT_NEAR(two[1].startPoint.x() + two[1].endPoint.x(), 2.0, 1e-9);

    for (double p : {0.0, -1.0, std::nan(""), double(INFINITY)})
        EXPECT_TRUE(OVMapFrontCaret::caretsForPoints({{0, 0}, {6, 0}}, s, p, 0.0).isEmpty()) << p;
}

TEST(FrontCarets, SidesFollowTheFrontsHeading)
{
    struct Case
    {
        const char *type;
        QPointF from;
        QPointF to;
        bool right;
    };
    const Case cases[] = {
        {"COLD", {-105, 35}, {-90, 42.5}, true},    // south-west to north-east
        {"COLD", {-90, 42.5}, {-105, 35}, false},   // north-east to south-west
        {"COLD", {-100, 30}, {-100, 40}, true},     // due north: pi/2
        {"COLD", {-100, 30}, {-90, 30}, true},      // due east: 0
        {"WARM", {-90, 40}, {-100, 40.5}, true},    // heading about pi
        {"WARM", {-90, 40}, {-100, 50.5}, false},   // 3 pi/4 less a little
        {"WARM", {-90, 40}, {-100, 50}, true},      // 3 pi/4 exactly
        {"OCFNT", {-90, 40}, {-100, 39.5}, true},   // about -pi
        {"OCFNT", {-100, 40}, {-90, 40}, false},
        {"STNRY", {-100, 40}, {-90, 40}, true},
        {"STNRY", {-90, 40}, {-100, 40}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.type) + (c.right ? " right" : " left"));
        OVMapHPCSurfaceAnalysisLayer::FrontGeometry geometry;
        geometry.points = {c.from, c.to};
        geometry.splinePoints = line(c.from, c.to, 201);
        geometry.carets = OVMapFrontCaret::caretsForPoints(geometry.points, geometry.splinePoints, 20.0, 0.0);
        geometry.heading = std::atan2(c.to.y() - c.from.y(), c.to.x() - c.from.x());
        OVMapHPCSurfaceAnalysisLayer::orientCarets(QString::fromLatin1(c.type), geometry);
        ASSERT_GE(geometry.carets.size(), 2);
        for (const OVMapFrontCaret &caret : std::as_const(geometry.carets)) {
            const QPointF apex = caret.coldCaretVertices()[2];
            const QPointF bulge = caret.warmCaretVertices()[4];
            EXPECT_EQ(side(c.from, c.to, apex) < 0.0, c.right);
            EXPECT_EQ(side(c.from, c.to, bulge) < 0.0, c.right);
            EXPECT_NEAR(std::hypot(apex.x() - (caret.startPoint.x() + caret.endPoint.x()) / 2,
                                   apex.y() - (caret.startPoint.y() + caret.endPoint.y()) / 2),
                        0.5, 1e-9)
                << "the apex stands half a base (10 pixels) off the line";
        }
    }
}

TEST(FrontCarets, AStationaryFrontRunsRedBlueRedSharingVertices)
{
    const QList<QPointF> s = line({0, 0}, {24, 0}, 241); // 240 pixels at 10 per degree
    const QList<OVMapFrontCaret> carets = OVMapFrontCaret::caretsForPoints({{0, 0}, {24, 0}}, s, 10.0, 0.0);
    ASSERT_EQ(carets.size(), 3);
    const QList<OVMapHPCSurfaceAnalysisLayer::Run> runs = OVMapHPCSurfaceAnalysisLayer::stationaryRuns(carets, s.size());
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0].first, 0);
    EXPECT_EQ(runs[2].last, 240);
    for (qsizetype k = 0; k < 3; ++k) {
        EXPECT_EQ(runs[k].caret, k); // even red, odd blue
        if (k > 0) {
            EXPECT_EQ(runs[k].first, runs[k - 1].last) << "neighbouring runs share a vertex";
        }
    }
    // Point 41 lies 40 from caret 0 (index 1) and 40 from caret 1 (index 81): the earlier wins.
    const QList<OVMapFrontCaret> tie = {carets[0], carets[1]};
    QList<OVMapFrontCaret> placed = tie;
    placed[0].splinePointIndex = 1;
    placed[1].splinePointIndex = 81;
    const auto tieRuns = OVMapHPCSurfaceAnalysisLayer::stationaryRuns(placed, 100);
    ASSERT_EQ(tieRuns.size(), 2);
    EXPECT_EQ(tieRuns[0].last, 41);
    EXPECT_TRUE(OVMapHPCSurfaceAnalysisLayer::stationaryRuns({}, 10).isEmpty());
}

// Each point goes to its nearest caret, the earlier one on a tie, wherever the carets stand and
// in whatever order they come: checked against asking every caret for every point.
TEST(FrontCarets, StationaryRunsGiveEveryPointItsNearestCaret)
{
    const auto byAskingEveryCaret = [](const QList<OVMapFrontCaret> &carets, qsizetype pointCount) {
        QList<qsizetype> owners;
        for (qsizetype j = 0; j < pointCount; ++j) {
            qsizetype best = 0;
            for (qsizetype k = 1; k < carets.size(); ++k)
                if (std::llabs(carets[k].splinePointIndex - j) < std::llabs(carets[best].splinePointIndex - j))
                    best = k;
            owners.append(best);
        }
        return owners;
    };
    struct Case
    {
        const char *name;
        QList<int64_t> indices;
        qsizetype points;
    };
    const Case cases[] = {
        {"one caret", {5}, 12},
        {"evenly placed", {3, 11, 19, 27}, 30},
        {"ties between neighbours", {2, 6, 10}, 13},
        {"out of order", {20, 4, 12}, 25},
        {"out of order with ties", {10, 2, 6}, 13},
        {"two carets on one point", {7, 7, 3}, 12},
        {"carets before and past the points", {-4, 30}, 20},
        {"all on the first point", {0, 0}, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QList<OVMapFrontCaret> carets;
        for (const int64_t index : c.indices) {
            OVMapFrontCaret caret;
            caret.splinePointIndex = index;
            carets.append(caret);
        }
        const QList<qsizetype> owners = byAskingEveryCaret(carets, c.points);
        const QList<OVMapHPCSurfaceAnalysisLayer::Run> runs =
            OVMapHPCSurfaceAnalysisLayer::stationaryRuns(carets, c.points);
        ASSERT_FALSE(runs.isEmpty());
        EXPECT_EQ(runs.first().first, 0);
        EXPECT_EQ(runs.last().last, c.points - 1);
        for (qsizetype r = 0; r < runs.size(); ++r) {
            const OVMapHPCSurfaceAnalysisLayer::Run &run = runs[r];
            // A run's first point is shared with the run before it and belongs to that one.
            for (qsizetype j = r == 0 ? run.first : run.first + 1; j <= run.last; ++j)
                EXPECT_EQ(run.caret, owners[j]) << "point " << j;
            if (r > 0) {
                EXPECT_EQ(run.first, runs[r - 1].last);
                EXPECT_NE(run.caret, runs[r - 1].caret);
            }
        }
    }
}

// A long stationary front in the bulletin must not hold the map: building one ten times as long
// costs about ten times as much, not a hundred. Both are timed in the same run, best of several.
TEST_F(SurfaceAnalysisFromBroker, ALongStationaryFrontBuildsInTimeProportionalToItsLength)
{
    layer = std::make_unique<OVMapHPCSurfaceAnalysisLayer>(&controller, nullptr, broker.get());
    // A zigzag in tenths of a degree, rows of 400 points turning back at each end.
    const auto frontText = [](int count) {
        QString text = QStringLiteral("STNRY");
        for (int i = 0; i < count; ++i) {
            const int row = i / 400;
            const int column = row % 2 == 0 ? i % 400 : 399 - i % 400;
            const int latitude = 300 + row * 20 + (i % 2) * 3;
            const int longitude = 1000 + column * 2;
            text += QStringLiteral(" %1%2").arg(latitude, 3, 10, QLatin1Char('0')).arg(longitude, 4, 10, QLatin1Char('0'));
        }
        return text;
    };
    const QString shortFront = frontText(200);
    const QString longFront = frontText(2000);
    constexpr double kPixelsPerDegree = 200.0;
    qsizetype longRuns = 0;
    const auto build = [&](const QString &text) {
        const std::shared_ptr<Feature> feature = Feature::fromHPCString(text);
        std::optional<OVMapHPCSurfaceAnalysisLayer::FrontGeometry> front =
            layer->frontGeometry(*feature, kPixelsPerDegree);
        EXPECT_TRUE(front);
        if (!front)
            return qsizetype(0);
        return OVMapHPCSurfaceAnalysisLayer::stationaryRuns(front->carets, front->splinePoints.size()).size();
    };
    using Clock = std::chrono::steady_clock;
    Clock::duration tenShort = Clock::duration::max();
    Clock::duration oneLong = Clock::duration::max();
    for (int trial = 0; trial < 5; ++trial) {
        const Clock::time_point start = Clock::now();
        for (int k = 0; k < 10; ++k)
            build(shortFront);
        const Clock::time_point middle = Clock::now();
        longRuns = build(longFront);
        const Clock::time_point end = Clock::now();
        tenShort = std::min(tenShort, middle - start);
        oneLong = std::min(oneLong, end - middle);
    }
    EXPECT_GT(longRuns, 1000) << "the long front has a caret for about every point";
    const double ratio = std::chrono::duration<double>(oneLong).count() / std::chrono::duration<double>(tenShort).count();
    EXPECT_LT(ratio, 4.0) << "one front of 2,000 points against ten of 200: a quadratic build gives about 10";
}

TEST(SurfaceLabels, TheRectangleIsCentredOnItsPointWithinAPixel)
{
    const OVGeoRect visible = OVGeoRectMake(20.0, -130.0, 55.0, -60.0);
    for (double p : {7.3, 10.0, 23.7}) {
        for (const QPointF point : {QPointF(-116.9, 43.9), QPointF(-104.5, 35.5)}) {
            const OVGeoRect r = OVMapHPCSurfaceAnalysisLayer::labelRect(point, QSizeF(31.2, 47.6), visible, p);
            EXPECT_NEAR((r.minPoint.longitude + r.maxPoint.longitude) / 2.0, point.x(), 1.0 / p) << p;
            EXPECT_NEAR((r.minPoint.latitude + r.maxPoint.latitude) / 2.0, point.y(), 1.0 / p) << p;
            EXPECT_NEAR((r.maxPoint.longitude - r.minPoint.longitude) * p, 32.0, 1.0);
        }
    }
}

} // namespace
