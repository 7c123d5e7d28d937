// The wind particles drawn into an offscreen framebuffer and read back: colour of the lattice
// points, the copy across the date line, and an empty layer.
#include "map/layers/OVMapParticleModeLayer.h"

#include "core/OVGrid.h"

#include "support/FakeMapView.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <cmath>

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
