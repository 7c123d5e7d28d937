// The wind particles drawn into an offscreen framebuffer and read back: colour of the lattice
// points, the trail behind a moving particle, a particle that jumped across the date line, the
// copy across the date line, and an empty layer.
#include "map/layers/OVMapParticleModeLayer.h"

#include "core/OVGrid.h"

#include "support/FakeMapView.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

using GridPtr = OVMapParticleDataSource::GridPtr;

GridPtr uniformGrid(double value)
{
    const std::vector<double> values(4, value);
    return OVGrid::make(values, OVGeoRectMake(-90.0, -180.0, 90.0, 180.0), 2, 2);
}

class ParticleDrawing : public ::testing::Test
{
protected:
    /// A framebuffer of `size` showing `visible`, blended as the map controller blends.
    void begin(QSize size, const OVGeoRect &visible)
    {
        gl = std::make_unique<GLTestContext>(size);
        ASSERT_TRUE(gl->isValid());
        view.rect = visible;
        view.size = QSizeF(size);
        view.resolution = size.width() / (visible.maxPoint.longitude - visible.minPoint.longitude);
        controller.mapView = &view;
        gl->beginMapDrawing(visible.minPoint.longitude, visible.maxPoint.longitude, visible.minPoint.latitude,
                            visible.maxPoint.latitude);
        layer = std::make_shared<OVMapParticleModeLayer>(&controller, nullptr,
                                                         std::make_shared<OVMapParticleDataSource>());
        layer->invalidateTimers();
        layer->setElevation(51.0);
    }

    /// The pixel (top-down image) at a geographic point.
    QColor at(const QImage &image, double latitude, double longitude) const
    {
        const OVGeoRect &r = view.rect;
        const int x = int(std::floor((longitude - r.minPoint.longitude) * view.resolution));
        const int y = int(std::floor((r.maxPoint.latitude - latitude) * view.resolution));
        return image.pixelColor(x, y);
    }

    static QColor rampColor(int entry)
    {
        const OVMapParticleModeLayer::Ramp ramp = OVMapParticleModeLayer::normalRamp();
        return QColor::fromRgbF(float(ramp.red[size_t(entry)]), float(ramp.green[size_t(entry)]),
                                float(ramp.blue[size_t(entry)]));
    }

    static bool near(const QColor &a, const QColor &b, int tolerance = 3)
    {
        return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    }

    static int litPixels(const QImage &image)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != QColor(Qt::black))
                    ++count;
        return count;
    }

    std::unique_ptr<GLTestContext> gl;
    FakeMapView view;
    FakeMapController controller;
    std::shared_ptr<OVMapParticleModeLayer> layer;
};

TEST_F(ParticleDrawing, CalmFreezingAirShowsRampEntry40OnTheLattice)
{
    begin(QSize(720, 360), OVGeoRectMake(-90.0, -180.0, 90.0, 180.0));
    layer->setGrids(uniformGrid(0.0), uniformGrid(0.0), uniformGrid(273.15));
    layer->moveParticlesByTimeInterval(2.0);
    layer->draw();
    const QImage image = gl->readBack();
    const QColor expected = rampColor(40);
    // Lattice of 100 columns and 44 rows: longitude 3.6 c - 180, latitude 160 r / 44 - 80.
    for (const auto &[row, column] : {std::pair{22, 50}, std::pair{0, 0}, std::pair{43, 99}, std::pair{30, 10}}) {
        const double latitude = double(float(row) / 44.0f * 160.0f - 80.0f);
        const double longitude = double(float(column) / 100.0f * 360.0f - 180.0f);
        const QColor seen = at(image, latitude, longitude);
        EXPECT_TRUE(near(seen, expected)) << row << "," << column << " " << seen.name().toStdString() << " vs "
                                          << expected.name().toStdString();
    }
    // Between lattice points: nothing.
    EXPECT_EQ(at(image, 1.8, 1.8), QColor(Qt::black));
}

/// An east wind that moves a particle on the equator `degrees` of longitude per full-speed step.
double eastWindForDegreesPerStep(double degrees)
{
    return degrees * OVMapParticleModeLayer::kCircumferenceKm / (2.0 * 360.0);
}

TEST_F(ParticleDrawing, AMovingParticleShowsItsThreeLastPlacesBehindItEachSmaller)
{
    // 20 px per degree (head 3 px wide), lattice longitude 0 and latitude 0 on pixel centres.
    begin(QSize(400, 200), OVGeoRectMake(-4.975, -5.025, 5.025, 14.975));
    layer->setGrids(uniformGrid(eastWindForDegreesPerStep(0.5)), uniformGrid(0.0), uniformGrid(273.15));
    for (int step = 0; step < 3; ++step)
        layer->moveParticlesByTimeInterval(2.0);
    layer->draw();
    const QImage image = gl->readBack();
    const QColor expected = rampColor(40);
    // Head at 1.5 degrees, then 1.0, 0.5 and the lattice point, 10 px apart.
    int previousBrightness = std::numeric_limits<int>::max();
    for (const double longitude : {1.5, 1.0, 0.5, 0.0}) {
        const QColor centre = at(image, 0.0, longitude);
        EXPECT_TRUE(near(centre, expected)) << longitude << " " << centre.name().toStdString();
        // One pixel off the centre the larger dots still cover it fully, the smaller ones less.
        const QColor side = at(image, 0.05, longitude);
        const int brightness = side.red() + side.green() + side.blue();
        EXPECT_LT(brightness, previousBrightness) << "dot at " << longitude << " no smaller than the one before";
        previousBrightness = brightness;
    }
    EXPECT_TRUE(near(at(image, 0.05, 1.5), expected)) << "the head is 3 px wide";
    for (const double longitude : {1.25, 0.75, 0.25, -0.5})
        EXPECT_EQ(at(image, 0.0, longitude), QColor(Qt::black)) << "between or ahead of dots at " << longitude;
}

TEST_F(ParticleDrawing, AParticleOffThePixelGridShowsAllOfItsAntialiasedDots)
{
    // The particle of lattice point 0, 0 at 10 px per degree, three steps east at `step` degrees
    // a step (two sets drawn over each other), its lattice point at fractions of a pixel; its
    // neighbours lie outside the 40 x 40 view. Every pixel within the dots' antialiased edges
    // shows their share, however short the trail and wherever the dots fall on the pixels.
    struct Case
    {
        double fx, fy, step;
    };
    const QColor colour = rampColor(40);
    const std::array<float, 4> radii = OVMapParticleTrailRenderer::dotRadii(3.0f);
    for (const Case &c : {Case{0.5, 0.5, 0.0}, Case{0.0, 0.0, 0.0}, Case{0.3, 0.8, 0.0}, Case{0.95, 0.1, 0.0},
                          Case{0.3, 0.8, 0.07}, Case{0.6, 0.5, 0.13}, Case{0.1, 0.4, 0.05}, Case{0.8, 0.2, 0.21}}) {
        const double west = -2.0 - c.fx / 10.0;
        const double south = -2.0 - c.fy / 10.0;
        begin(QSize(40, 40), OVGeoRectMake(south, west, south + 4.0, west + 4.0));
        layer->setGrids(uniformGrid(eastWindForDegreesPerStep(c.step)), uniformGrid(0.0), uniformGrid(273.15));
        for (int step = 0; step < 3; ++step)
            layer->moveParticlesByTimeInterval(2.0);
        layer->draw();
        const QImage image = gl->readBack();
        // Dot k (head first) at window (20 + fx + (3 - k) step x 10, 20 + fy), y up; pixel
        // centres at i + 0.5.
        int lit = 0;
        for (int y = 12; y < 28; ++y) {
            for (int x = 12; x < 32; ++x) {
                double through = 1.0;
                for (size_t k = 0; k < radii.size(); ++k) {
                    const double dotX = 20.0 + c.fx + double(3 - k) * c.step * 10.0;
                    const double distance = std::hypot(x + 0.5 - dotX, (39 - y) + 0.5 - (20.0 + c.fy));
                    through *= 1.0 - std::clamp(radii[k] + 0.5 - distance, 0.0, 1.0);
                }
                const double alpha = 1.0 - through * through;
                const QColor expected = QColor::fromRgbF(float(colour.redF() * alpha), float(colour.greenF() * alpha),
                                                         float(colour.blueF() * alpha));
                const QColor seen = image.pixelColor(x, y);
                EXPECT_TRUE(near(seen, expected)) << c.fx << "," << c.fy << "," << c.step << " pixel " << x << ","
                                                  << y << " " << seen.name().toStdString() << " vs "
                                                  << expected.name().toStdString();
                lit += alpha > 0.0 ? 1 : 0;
            }
        }
        EXPECT_GE(lit, 9) << "the dots' pixels were checked";
    }
}

TEST_F(ParticleDrawing, AParticleThatCrossedTheDateLineIsDrawnWhereItIsNow)
{
    // Column 99 (176.4) moves 1.5 degrees a step: 177.9, 179.4, then across to -179.1, its
    // trail left on the far side. Column 0 (-180) is at -175.5 with its trail behind it.
    begin(QSize(200, 100), OVGeoRectMake(-5.0, -180.0, 5.0, -160.0)); // 10 px per degree
    layer->setGrids(uniformGrid(eastWindForDegreesPerStep(1.5)), uniformGrid(0.0), uniformGrid(273.15));
    for (int step = 0; step < 3; ++step)
        layer->moveParticlesByTimeInterval(2.0);
    layer->draw();
    const QImage image = gl->readBack();
    EXPECT_TRUE(near(at(image, 0.0, -179.1), rampColor(40))) << at(image, 0.0, -179.1).name().toStdString();
    EXPECT_TRUE(near(at(image, 0.0, -175.5), rampColor(40))) << "column 0's head";
    EXPECT_EQ(at(image, 0.0, -177.75), QColor(Qt::black)) << "between column 0's dots";
    EXPECT_EQ(at(image, 3.0, -179.1), QColor(Qt::black)) << "no sprite stretched across the map";
}

TEST_F(ParticleDrawing, AcrossTheDateLineParticlesShowAgainATurnAway)
{
    begin(QSize(400, 100), OVGeoRectMake(-12.5, -200.0, 12.5, -100.0)); // 4 px per degree
    layer->setGrids(uniformGrid(0.0), uniformGrid(0.0), uniformGrid(273.15));
    layer->moveParticlesByTimeInterval(2.0);
    layer->draw();
    const QImage image = gl->readBack();
    // Column 98 sits at 172.8, west of the view; its copy at -187.2 is in it.
    EXPECT_TRUE(near(at(image, 0.0, -187.2), rampColor(40))) << at(image, 0.0, -187.2).name().toStdString();
    EXPECT_TRUE(near(at(image, 0.0, -176.4), rampColor(40))) << "column 1 in place";
    EXPECT_EQ(at(image, 0.0, -185.4), QColor(Qt::black)) << "between copies";

    // The same frame for a view that says it stays east of -180: no copy.
    gl->beginMapDrawing(-200.0, -100.0, -12.5, 12.5);
    view.rect = OVGeoRectMake(-12.5, -180.0, 12.5, -80.0);
    layer->draw();
    const QImage eastOnly = gl->readBack();
    EXPECT_EQ(eastOnly.pixelColor(int((-187.2 + 200.0) * 4.0), 50), QColor(Qt::black));
    EXPECT_TRUE(near(eastOnly.pixelColor(int((-176.4 + 200.0) * 4.0), 50), rampColor(40)));
}

TEST_F(ParticleDrawing, ResizedToNothingDrawsNothing)
{
    begin(QSize(360, 180), OVGeoRectMake(-90.0, -180.0, 90.0, 180.0));
    layer->setGrids(uniformGrid(0.0), uniformGrid(0.0), uniformGrid(273.15));
    layer->moveParticlesByTimeInterval(2.0);
    layer->draw();
    EXPECT_GT(litPixels(gl->readBack()), 1000);

    gl->beginMapDrawing(-180.0, 180.0, -90.0, 90.0);
    layer->resizeParticleArrayUsingNumXParticles(0);
    layer->draw();
    EXPECT_EQ(litPixels(gl->readBack()), 0);
}

} // namespace
