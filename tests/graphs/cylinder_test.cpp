// The cylindrical wind-direction graph: the two image warps on synthetic images, directions
// placed on the cylinder against the geometry formula at device pixel ratios 1 and 2, the back
// face dimmed under the body, unwrapping, the band mapping, the legend's front-only labels and
// the panel that builds the pair.
#include "graph_panel_fakes.h"

#include "core/NBPrefController.h"
#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVCylinderImageFilters.h"
#include "graphs/OVCylindricalGraphLegendView.h"
#include "graphs/OVCylindricalGraphView.h"
#include "support/ImageCompare.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

QImage verticalLine(int w, int h, int column)
{
    QImage image = transparentImage(w, h);
    for (int y = 0; y < h; ++y)
        image.setPixel(column, y, qRgba(255, 255, 255, 255));
    return image;
}

// Alpha-weighted centre (pixel-centre coordinates) of a row or column; NaN when empty.
double rowCentre(const QImage &image, int y)
{
    double sum = 0, weight = 0;
    for (int x = 0; x < image.width(); ++x) {
        const double a = qAlpha(image.pixel(x, y));
        sum += a * (x + 0.5);
        weight += a;
    }
    return weight > 0 ? sum / weight : NAN;
}

double columnCentre(const QImage &image, int x)
{
    double sum = 0, weight = 0;
    for (int y = 0; y < image.height(); ++y) {
        const double a = qAlpha(image.pixel(x, y));
        sum += a * (y + 0.5);
        weight += a;
    }
    return weight > 0 ? sum / weight : NAN;
}

bool allTransparent(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

const QDateTime kStart = utcAt(10, 0);

// A cylinder 600 x 155 over ten hours with one direction from hour 2 to hour 8.
void showDirection(OVCylindricalGraphView &view, double degrees, double offset)
{
    view.resize(600, 155);
    view.setGraphXMode(OVGraphXMode::Dates);
    view.setAutoScale(false);
    view.setExtendTheData(false);
    view.setSmoothed(true);
    view.setStroke(true);
    view.setStrokeWidth(3.0);
    view.setStrokeColor(QColor(255, 0, 0));
    view.setCylinderColor(QColor(100, 110, 110));
    view.setMinDate(kStart, kStart.addSecs(10 * 3600));
    view.setVerticalOffset(offset);
    view.setYRange(OVGraphRangeMake(offset - 180, offset + 180));
    std::vector<OVGraphDataPoint> points;
    for (int hour = 2; hour <= 8; ++hour)
        points.push_back(OVGraphDataPoint::dataPointWithX(0, degrees, kStart.addSecs(hour * 3600)));
    view.setDataPoints(points);
}

QImage render(OVCylindricalGraphView &view, double scale)
{
    QImage image = transparentImage(int(view.width() * scale), int(view.height() * scale));
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    view.paint(painter);
    return image;
}

// How much a pixel leans to the stroke's red over the grey body.
int redness(QRgb pixel)
{
    return qRed(pixel) - qGreen(pixel);
}

} // namespace

TEST(OVCylinderImageFilters, ArchMovesEachRowByTheCosineOfItsHeight)
{
    const int w = 60, h = 41, column = 20;
    const double bulge = 10.0;
    OVHorizontalArchFilter arch;
    arch.setInputImage(verticalLine(w, h, column));
    arch.setInputBulgePixels(bulge);
    const QImage out = arch.outputImage();
    ASSERT_EQ(out.size(), QSize(w, h));
    for (int y = 0; y < h; ++y) {
        const double p = (y + 0.5 - h / 2.0) / (h / 2.0);
        EXPECT_NEAR(rowCentre(out, y), column + 0.5 + std::sqrt(1 - p * p) * bulge, 0.5) << y;
    }

    arch.setInputBulgePixels(200.0);
    EXPECT_TRUE(allTransparent(arch.outputImage())) << "a line moved past the edge disappears";
    arch.setInputImage(QImage());
    EXPECT_TRUE(arch.outputImage().isNull());
}

TEST(OVCylinderImageFilters, ResizeScalesAboutTheCentreOnBothAxes)
{
    const int w = 100, h = 60;
    const double d = 20.0, e = -12.0;
    QImage lines = verticalLine(w, h, int(w / 2.0 + d - 0.5));
    for (int x = 0; x < w; ++x)
        lines.setPixel(x, int(h / 2.0 + e - 0.5), qRgba(255, 255, 255, 255));
    OVResizeInCenterFilter resize;
    resize.setInputImage(lines);
    resize.setInputNewSize(QSizeF(50, 45));
    const QImage out = resize.outputImage();
    ASSERT_EQ(out.size(), QSize(w, h));
    EXPECT_NEAR(rowCentre(out, 45), w / 2.0 + d * 50 / w, 0.5);
    EXPECT_NEAR(columnCentre(out, w / 2 - 10), h / 2.0 + e * 45 / h, 0.5);
    EXPECT_EQ(qAlpha(out.pixel(10, h / 2)), 0) << "outside the shrunk content stays transparent";

    QImage opaque(w, h, QImage::Format_ARGB32_Premultiplied);
    opaque.fill(Qt::red);
    resize.setInputImage(opaque);
    const QImage shrunk = resize.outputImage();
    EXPECT_EQ(qAlpha(shrunk.pixel(20, 30)), 0);
    EXPECT_EQ(shrunk.pixel(50, 30), qRgba(255, 0, 0, 255));
    resize.setInputImage(QImage());
    EXPECT_TRUE(resize.outputImage().isNull());
}

TEST(OVCylinderImageFilters, AreaScaleAveragesTheSourceUnderEachPixel)
{
    // Two by two blocks of one colour each, halved: every output pixel is its block's colour;
    // a block split between two colours averages them.
    QImage blocks = transparentImage(8, 4);
    const QRgb colours[] = {qRgba(200, 0, 0, 200), qRgba(0, 0, 0, 0), qRgba(0, 100, 0, 100), qRgba(40, 40, 40, 255)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            blocks.setPixel(x, y, colours[x / 2]);
    blocks.setPixel(6, 2, qRgba(0, 0, 0, 0));
    blocks.setPixel(7, 3, qRgba(0, 0, 0, 0));
    OVAreaScaleFilter half;
    half.setInputImage(blocks);
    half.setOutputSize(QSize(4, 2));
    const QImage out = half.outputImage();
    ASSERT_EQ(out.size(), QSize(4, 2));
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(out.pixel(x, 0), colours[x]) << x;
        EXPECT_EQ(out.pixel(x, 1), colours[x]) << x;
    }
    EXPECT_EQ(out.pixel(3, 1), qRgba(20, 20, 20, 127)) << "half the block transparent";

    // Slightly smaller, as a face goes onto the cylinder: a line keeps its weight and its place.
    const QImage line = verticalLine(120, 40, 60);
    half.setInputImage(line);
    half.setOutputSize(QSize(116, 38));
    const QImage shrunk = half.outputImage();
    for (int y = 0; y < 38; ++y)
        EXPECT_NEAR(rowCentre(shrunk, y), 60.5 * 116 / 120, 0.1) << y;
}

TEST(OVCylinderImageFilters, FaceWarpGivesTheThreeFiltersPixels)
{
    // A line over several rows and columns, at sizes where the shrink is strong and weak.
    QImage face = transparentImage(300, 90);
    {
        QPainter painter(&face);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 40, 0), 5.0));
        painter.drawLine(QPointF(10, 80), QPointF(150, 5));
        painter.drawLine(QPointF(150, 5), QPointF(295, 88));
    }
    for (const auto &[size, faceWidth, bulge] :
         {std::tuple{QSize(296, 86), 267.0, -14.3}, std::tuple{QSize(290, 60), 150.0, 10.0}}) {
        OVAreaScaleFilter scale;
        scale.setInputImage(face);
        scale.setOutputSize(size);
        OVResizeInCenterFilter resize;
        resize.setInputImage(scale.outputImage());
        resize.setInputNewSize(QSizeF(faceWidth, size.height()));
        OVHorizontalArchFilter arch;
        arch.setInputImage(resize.outputImage());
        arch.setInputBulgePixels(bulge);
        const QImage expected = arch.outputImage();

        OVCylinderFaceWarp warp;
        warp.setOutputSize(size);
        warp.setFaceWidth(faceWidth);
        warp.setBulgePixels(bulge);
        QImage warped(size, QImage::Format_ARGB32_Premultiplied);
        warped.fill(Qt::red); // reused pixels are all overwritten
        warp.apply(face, warped);
        EXPECT_EQ(warped, expected) << faceWidth;
        EXPECT_FALSE(allTransparent(warped));
    }
}

TEST(OVCylindricalGraphView, DirectionsLandWhereTheGeometrySaysAndTheBackFaceIsDimmed)
{
    for (double scale : {1.0, 2.0}) {
        for (double offset : {0.0, 180.0}) {
            for (double degrees : {0.0, 45.0, 135.0, 200.0}) {
                SCOPED_TRACE(::testing::Message() << "scale " << scale << " offset " << offset << " dir " << degrees);
                OVCylindricalGraphView view;
                showDirection(view, degrees, offset);
                const QImage image = render(view, scale);
                const OVCylinderGeometry g = view.geometry();
                const bool back = g.xOffsetForDegrees(degrees) > 0;
                const double x = g.faceX(0.5) + g.xOffsetForDegrees(degrees);
                const double y = g.yForDegrees(degrees);
                // The stroke's rows in the column at the middle of the series.
                const int column = int(x * scale);
                double sum = 0, weight = 0;
                int strongest = 0;
                for (int row = 0; row < image.height(); ++row) {
                    const int r = redness(image.pixel(column, row));
                    if (r > 15) {
                        sum += r * (row + 0.5);
                        weight += r;
                        strongest = std::max(strongest, r);
                    }
                }
                ASSERT_GT(weight, 0);
                EXPECT_NEAR(sum / weight / scale, y, 1.5);
                if (back)
                    EXPECT_LT(strongest, 120) << "seen through the body";
                else
                    EXPECT_GT(strongest, 200) << "full colour in front";
                // The series starts at hour 2: its round cap reaches 1.5 before.
                const int row = int(y * scale);
                int first = -1;
                for (int c = 0; c < image.width() && first < 0; ++c)
                    if (redness(image.pixel(c, row)) > 15)
                        first = c;
                EXPECT_NEAR(first / scale, g.faceX(0.2) + g.xOffsetForDegrees(degrees) - 1.5, 1.5);
            }
        }
    }
}

TEST(OVCylindricalGraphView, UnwrapsThroughNorthAndMapsEachHalfTurnOntoOneHeight)
{
    std::vector<OVGraphDataPoint> points;
    for (double d : {350.0, 10.0, 30.0, 200.0, 10.0})
        points.push_back(OVGraphDataPoint::dataPointWithX(0, d, kStart.addSecs(qint64(points.size()) * 3600)));
    OVCylindricalGraphView::cleanupDataPoints(points);
    std::vector<double> ys;
    for (const auto &p : points)
        ys.push_back(p.y);
    EXPECT_EQ(ys, (std::vector<double>{350, 370, 390, 560, 730}));

    OVCylindricalGraphView view;
    view.resize(300, 100);
    view.setYRange(OVGraphRangeMake(-90, 90));
    // The band search as stepping: from the centre, a half turn at a time while it gets closer.
    const auto stepped = [](double b, double c) {
        double e = c;
        while (std::fabs(b - (e + 180)) < std::fabs(b - e))
            e += 180;
        while (std::fabs(b - (e - 180)) < std::fabs(b - e))
            e -= 180;
        return 50 + 50 * std::sin(-(b - e) * M_PI / 180) - (e / 180) * 100;
    };
    for (double b : {-450.0, -270.0, -90.0, -1.0, 0.0, 45.0, 90.0, 91.0, 270.0, 360.0, 450.0, 720.0})
        EXPECT_NEAR(view.yForValue(b), stepped(b, 0), 1e-9) << b;
    EXPECT_NEAR(view.yForValue(360) - view.yForValue(0), -200.0, 1e-9) << "a full turn is two heights";
}

TEST(OVCylindricalGraphLegendView, LabelsAndGridLinesOnlyOnTheFrontFace)
{
    OVCylindricalGraphView graph;
    graph.resize(400, 120);
    for (const auto &[degrees, drawn] : {std::pair{180.0f, false}, std::pair{225.0f, false}, std::pair{0.0f, true},
                                         std::pair{45.0f, true}}) {
        OVCylindricalGraphLegendView legend;
        legend.resize(400, 120);
        legend.setDrawXLegend(false);
        legend.setYBorderColor(QColor());
        legend.setYGridColor(Qt::white);
        legend.setYRange(OVGraphRangeMake(-0.1, 360.1));
        legend.setGeometryFromGraphView(&graph);
        legend.setCustomYLegend(OVCustomYLegend{{degrees, QStringLiteral("S")}});
        QImage image = transparentImage(400, 120);
        QPainter painter(&image);
        legend.paint(painter);
        painter.end();
        EXPECT_EQ(!allTransparent(image), drawn) << degrees;
    }
}

TEST(OVCylindricalGraphLegendView, IntervalLabelsPutTheRangesEndsAtTheEdges)
{
    OVCylindricalGraphView graph;
    graph.resize(400, 120);
    OVCylindricalGraphLegendView legend;
    legend.resize(400, 120);
    legend.setDrawXLegend(false);
    legend.setYRange(OVGraphRangeMake(0.0, 360.0));
    legend.setForceYInterval(45.0);
    legend.setGeometryFromGraphView(&graph);
    const double labelHeight = legend.yTextSize().height();

    std::map<QString, QRectF> byText;
    for (const auto &label : legend.directionLabels())
        byText[label.text] = label.rect;
    // 180 faces away: neither label nor grid line.
    EXPECT_EQ(byText.count(QStringLiteral("180")), 0u);
    ASSERT_EQ(byText.count(QStringLiteral("0")), 1u);
    ASSERT_EQ(byText.count(QStringLiteral("45")), 1u);
    ASSERT_EQ(byText.count(QStringLiteral("360")), 1u);
    EXPECT_DOUBLE_EQ(byText[QStringLiteral("0")].bottom(), 120.0 - legend.borderWidth())
        << "lowest at the axis' bottom, above the border line";
    EXPECT_DOUBLE_EQ(byText[QStringLiteral("360")].top(), legend.yLegendRect().y()) << "highest at the axis top";
    EXPECT_DOUBLE_EQ(byText[QStringLiteral("45")].center().y(), legend.yForDegrees(45.0));
    // The ends keep their place across the face, but never left of the view.
    EXPECT_DOUBLE_EQ(byText[QStringLiteral("0")].x(),
                     std::max(0.0, legend.xOffsetForDegrees(0.0) + legend.cylinderRect().x()
                                       + legend.cylinderWidth() / 2.0 - byText[QStringLiteral("0")].width() - 10.0));
}

TEST(OVCylindricalGraphView, ImageAtDevicePixelRatioTwo)
{
    OVCylindricalGraphView view;
    showDirection(view, 0, 0);
    std::vector<OVGraphDataPoint> points;
    const double directions[] = {300, 330, 350, 10, 40, 90, 150, 200, 170, 120};
    for (int i = 0; i < 10; ++i)
        points.push_back(OVGraphDataPoint::dataPointWithX(0, directions[i], kStart.addSecs(i * 3600 + 1800)));
    view.setDataPoints(points);
    view.setVerticalOffset(20);
    const QImage image = render(view, 2.0);
    EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/cylinder_dpr2"), {3, image.width() * image.height() / 500}));
    EXPECT_EQ(view.dataPoints()[3].y, 370.0);
}

TEST(OVCylindricalGraphView, KeepsItsBodyUntilTheSizeScaleOrColourChanges)
{
    OVCylindricalGraphView view;
    showDirection(view, 45, 0);
    const QImage first = render(view, 1.0);
    EXPECT_EQ(view.bodyRenderings(), 1);
    // A repaint with nothing changed, or with only the series and its rotation changed, reuses it.
    EXPECT_EQ(render(view, 1.0), first);
    EXPECT_EQ(view.bodyRenderings(), 1);
    view.setVerticalOffset(30);
    view.setStrokeColor(QColor(0, 0, 255));
    render(view, 1.0);
    EXPECT_EQ(view.bodyRenderings(), 1);

    struct Change
    {
        const char *what;
        std::function<void(OVCylindricalGraphView &)> apply;
        double scale;
    };
    const std::vector<Change> changes = {
        // A hidden view has its resize event only when shown: setting the points again places
        // them for the new width.
        {"size", [](OVCylindricalGraphView &v) { v.resize(500, 120); v.setDataPoints(v.dataPoints()); }, 1.0},
        {"device pixel ratio", [](OVCylindricalGraphView &) {}, 2.0},
        {"colour", [](OVCylindricalGraphView &v) { v.setCylinderColor(QColor(200, 60, 60)); }, 2.0},
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(changes[i].what);
        changes[i].apply(view);
        const QImage image = render(view, changes[i].scale);
        EXPECT_EQ(view.bodyRenderings(), int(i) + 2);
        // The same picture as a view that never kept a body.
        OVCylindricalGraphView fresh;
        showDirection(fresh, 45, 0);
        fresh.setVerticalOffset(30);
        fresh.setStrokeColor(QColor(0, 0, 255));
        for (size_t j = 0; j <= i; ++j)
            changes[j].apply(fresh);
        EXPECT_EQ(image, render(fresh, changes[i].scale));
    }
}

TEST(NBMultiGraphPartCylinder, BuildsTheCylindricalPairAndTurnsTheMeanToTheFront)
{
    NBPrefController::resetStore();
    NBPrefController::initSettings();
    auto sources = std::make_shared<FakeGraphSources>();
    FakeGraphContainer container;
    container.location = fakeLocation(sources);
    container.offset = 350;
    for (int hour : {1, 2}) {
        OVWeatherConditions c;
        c.setDate(utcAt(10, hour));
        c.setWindDirection(hour == 1 ? 0 : 90);
        sources->history.append(c);
    }
    NBMultiGraphPart part;
    part.setStatusFadeMilliseconds(0);
    part.resize(600, 155);
    part.setDelegate(&container);
    part.setGraphType(NBGraphTypeCylindricalWindDirection);
    part.updateGraphData();
    auto *graph = qobject_cast<OVCylindricalGraphView *>(part.graph());
    auto *legend = qobject_cast<OVCylindricalGraphLegendView *>(part.legend());
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(legend, nullptr);
    EXPECT_EQ(part.findChildren<OVGraphView *>().size(), 1);
    EXPECT_NEAR(graph->verticalOffset(), 35.0, 1e-9) << "fmod(350 + 45, 360)";
    EXPECT_EQ(legend->verticalOffset(), graph->verticalOffset());
    EXPECT_EQ(legend->yRange(), OVGraphRangeMake(-0.1, 360.1));
    EXPECT_EQ(part.leftLabel()->text(), QStringLiteral("Average Direction: 45\u00B0"));
    EXPECT_EQ(legend->cylinderRect(), graph->cylinderRect().translated(graph->pos() - legend->pos()));
    EXPECT_EQ(graph->cylinderColor(), NBPrefController::settingForKey(QStringLiteral("backgroundColor")).value<QColor>());
}
