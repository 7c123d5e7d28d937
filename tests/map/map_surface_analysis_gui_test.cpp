// The surface-analysis layer drawn into an offscreen framebuffer and read back: the side of a
// cold front's triangles, the "H" labels, and the order of an occluded front's symbols.
#include "map/layers/OVMapHPCSurfaceAnalysisLayer.h"

#include "map/gl/OVTextureRegistry.h"
#include "weather/OVBrisantDataBroker.h"

#include "support/FakeMapView.h"
#include "support/GLTestContext.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool isBlue(const QColor &c)
{
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}

bool isPurple(const QColor &c)
{
    return std::abs(c.red() - 128) < 40 && c.green() < 40 && std::abs(c.blue() - 128) < 40;
}

/// 20 pixels per degree over 110 W .. 85 W, 30 N .. 45 N.
class SurfaceAnalysisDrawing : public ::testing::Test
{
protected:
    static constexpr double kP = 20.0;

    void SetUp() override
    {
        ASSERT_TRUE(gl.isValid());
        loader = std::make_shared<OVTextureLoader>(gl.context(), registry);
        view.rect = kVisible;
        view.size = QSizeF(gl.size());
        view.resolution = kP;
        controller.mapView = &view;
        layer = std::make_unique<OVMapHPCSurfaceAnalysisLayer>(&controller, loader, &broker);
        layer->setElevation(48.0);
    }

    void drawFeatures(const QStringList &rows)
    {
        layer->setSurfaceFeatures(OVMapHPCSurfaceAnalysisSurfaceFeature::featuresForRows(rows));
        gl.beginMapDrawing(kVisible.minPoint.longitude, kVisible.maxPoint.longitude, kVisible.minPoint.latitude,
                           kVisible.maxPoint.latitude);
        layer->draw();
        image = gl.readBack();
    }

    /// The geographic point at the centre of a pixel (top-down image).
    static QPointF geoAt(int x, int y)
    {
        return {kVisible.minPoint.longitude + (x + 0.5) / kP, kVisible.maxPoint.latitude - (y + 0.5) / kP};
    }
    /// The pixel at a geographic point (x longitude, y latitude).
    QColor pixel(const QPointF &point) const
    {
        return image.pixelColor(int(std::floor((point.x() - kVisible.minPoint.longitude) * kP)),
                                int(std::floor((kVisible.maxPoint.latitude - point.y()) * kP)));
    }

    static inline const OVGeoRect kVisible = OVGeoRectMake(30.0, -110.0, 45.0, -85.0);
    GLTestContext gl{QSize(500, 300)};
    OVTextureRegistry registry;
    std::shared_ptr<OVTextureLoader> loader;
    OVBrisantDataBroker broker;
    FakeMapView view;
    FakeMapController controller;
    std::unique_ptr<OVMapHPCSurfaceAnalysisLayer> layer;
    QImage image;
};

TEST_F(SurfaceAnalysisDrawing, AColdFrontListedTowardsTheNorthEastHasItsTrianglesOnItsRightOnly)
{
    // The fixture's cold front: 35 N 105 W to 42.5 N 90 W, along y = 35 + (x + 105) / 2.
    drawFeatures({QStringLiteral("COLD 3501050 3651020 3800990 3950960"), QStringLiteral("4100930 4250900")});
    int right = 0;
    int left = 0;
    int onLine = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!isBlue(image.pixelColor(x, y)))
                continue;
            const QPointF g = geoAt(x, y);
            const double pixelsFromLine = (g.y() - (35.0 + (g.x() + 105.0) / 2.0)) / std::sqrt(1.25) * kP;
            if (pixelsFromLine < -4.0)
                ++right;
            else if (pixelsFromLine > 4.0)
                ++left;
            else
                ++onLine;
        }
    EXPECT_GT(onLine, 500) << "the line itself";
    EXPECT_GT(right, 100) << "the triangles' tips";
    EXPECT_EQ(left, 0);
}

TEST_F(SurfaceAnalysisDrawing, EachHighGetsAnHCentredOnIt)
{
    ASSERT_TRUE(waitUntil([&] {
        return layer->highString()->textureStatus() == OVMapAttributedString::Loaded &&
               layer->lowString()->textureStatus() == OVMapAttributedString::Loaded;
    }));
    EXPECT_GT(view.redraws.load(), 0) << "a frame is asked for when a label arrives";
    const QList<QPointF> highs = {{-100.0, 39.0}, {-92.0, 35.0}};
    drawFeatures({QStringLiteral("HIGHS 1030 3901000 1028 3500920")});
    for (const QPointF &high : highs) {
        SCOPED_TRACE(high.x());
        // Blue ink within 40 pixels of the point, and its horizontal middle (an "H" is symmetric).
        int count = 0;
        int minX = INT_MAX;
        int maxX = INT_MIN;
        const int cx = int((high.x() - kVisible.minPoint.longitude) * kP);
        const int cy = int((kVisible.maxPoint.latitude - high.y()) * kP);
        for (int y = cy - 40; y < cy + 40; ++y)
            for (int x = cx - 40; x < cx + 40; ++x)
                if (isBlue(image.pixelColor(x, y))) {
                    ++count;
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
        EXPECT_GT(count, 100);
        EXPECT_NEAR((minX + maxX + 1) / 2.0, cx, 1.0);
    }
    EXPECT_FALSE(isBlue(pixel({-96.0, 37.0}))) << "nothing between them";
}

TEST_F(SurfaceAnalysisDrawing, AnOccludedFrontStartsWithATriangleThenAHalfDisc)
{
    const QStringList rows = {QStringLiteral("OCFNT 3801050 3801000 3800950 3800900")};
    drawFeatures(rows);
    const auto feature = OVMapHPCSurfaceAnalysisSurfaceFeature::featuresForRows(rows).first();
    const auto front = layer->frontGeometry(*feature, kP);
    ASSERT_TRUE(front);
    ASSERT_GE(front->carets.size(), 2);
    // Heading east: the symbols point north. 6 pixels up and 6 aside of a base's middle lies
    // inside a half disc of radius 10 but outside a triangle of height 10.
    const double d = 6.0 / kP;
    for (int k = 0; k < 2; ++k) {
        const OVMapFrontCaret &caret = front->carets[k];
        const QPointF middle = (caret.startPoint + caret.endPoint) / 2.0;
        SCOPED_TRACE(k);
        EXPECT_TRUE(isPurple(pixel(middle + QPointF(0.0, 8.0 / kP)))) << "the symbol's tip";
        EXPECT_EQ(isPurple(pixel(middle + QPointF(d, d))), k == 1);
        EXPECT_EQ(isPurple(pixel(middle + QPointF(-d, d))), k == 1);
        EXPECT_FALSE(isPurple(pixel(middle + QPointF(0.0, -8.0 / kP)))) << "nothing south of the line";
    }
}

TEST_F(SurfaceAnalysisDrawing, AStationaryFrontAlternatesRedAndBlueWithSymbolsOnOppositeSides)
{
    const QStringList rows = {QStringLiteral("STNRY 3801050 3801000 3800950 3800900")};
    drawFeatures(rows);
    const auto feature = OVMapHPCSurfaceAnalysisSurfaceFeature::featuresForRows(rows).first();
    const auto front = layer->frontGeometry(*feature, kP);
    ASSERT_TRUE(front);
    ASSERT_GE(front->carets.size(), 3);
    const auto isRed = [](const QColor &c) { return c.red() > 180 && c.green() < 60 && c.blue() < 60; };
    const QPointF up(0.0, 8.0 / kP);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const OVMapFrontCaret &caret = front->carets[k];
        const QPointF middle = (caret.startPoint + caret.endPoint) / 2.0;
        if (k % 2 == 0) { // a red half disc to the north, the line red under it
            EXPECT_TRUE(isRed(pixel(middle + up)));
            EXPECT_EQ(pixel(middle - up), QColor(Qt::black));
            EXPECT_TRUE(isRed(pixel(front->splinePoints[caret.splinePointIndex])));
        } else { // a blue triangle to the south, the line blue
            EXPECT_TRUE(isBlue(pixel(middle - up)));
            EXPECT_EQ(pixel(middle + up), QColor(Qt::black));
            EXPECT_TRUE(isBlue(pixel(front->splinePoints[caret.splinePointIndex])));
        }
    }
}

} // namespace
