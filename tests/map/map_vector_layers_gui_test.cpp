// The boundary lines, grid and placemark layers drawn into an offscreen framebuffer and read back;
// the lines' vertex buffer deleted with its layer, in its own share group.
#include "map/layers/OVMapVectorLayers.h"
#include "map/gl/OVTextureLoader.h"
#include "map/gl/OVTextureRegistry.h"
#include "map/projection/OVMapProjection.h"

#include "support/FakeMapView.h"
#include "support/GLTestContext.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QOpenGLFunctions_2_1>

#include <cmath>

namespace {

/// A framebuffer showing `visible` (degrees) with pixel centres on whole degrees when it is one
/// pixel per degree.
class VectorLayerGL : public ::testing::Test
{
protected:
    void begin(QSize size, const OVGeoRect &visible)
    {
        gl = std::make_unique<GLTestContext>(size);
        ASSERT_TRUE(gl->isValid());
        view.rect = visible;
        view.size = QSizeF(size);
        view.resolution = size.width() / (visible.maxPoint.longitude - visible.minPoint.longitude);
        controller.mapView = &view;
        gl->beginDrawing(Qt::black);
        QOpenGLFunctions_2_1 *f = gl->gl();
        f->glMatrixMode(GL_PROJECTION);
        f->glLoadIdentity();
        f->glOrtho(visible.minPoint.longitude, visible.maxPoint.longitude, visible.minPoint.latitude,
                   visible.maxPoint.latitude, -100.0, 100.0);
        f->glMatrixMode(GL_MODELVIEW);
        f->glLoadIdentity();
    }

    /// The drawn pixels' bounding box (top-down rows); empty when nothing was drawn.
    static QRect inkBounds(const QImage &image)
    {
        QRect bounds;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).red() > 0)
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    }

    std::unique_ptr<GLTestContext> gl;
    FakeMapView view;
    FakeMapController controller;
};

const OVGeoRect kWorldHalfShifted = OVGeoRectMake(-90.5, -180.5, 90.5, 180.5); // 361 x 181 px

TEST_F(VectorLayerGL, ABoundarySegmentColoursItsPixelsAndNothingBeside)
{
    begin(QSize(361, 181), kWorldHalfShifted);
    const QString path = testOutputPath(QStringLiteral("one_segment.txt"));
    writeTestFile(path, "10 -50 10 50\n");
    OVMapLinesLayer layer(&controller, nullptr, path);
    layer.setLineColorRed(1.0f);
    layer.setLineColorBlue(1.0f);
    layer.setLineColorAlpha(1.0f);
    layer.setLineWidth(3.0f);
    ASSERT_TRUE(waitUntil([&] { return layer.parseFinished(); }));
    gl->makeCurrent();
    layer.draw();
    EXPECT_TRUE(layer.verticesReady());
    EXPECT_EQ(layer.numVertices(), 2u);
    const QImage image = gl->readBack();
    const int row = 90 - 10; // latitude 10, top-down
    for (int x : {131, 180, 229}) {
        EXPECT_EQ(image.pixelColor(x, row), QColor(255, 0, 255)) << x;
        EXPECT_EQ(image.pixelColor(x, row - 3), QColor(Qt::black)) << x;
        EXPECT_EQ(image.pixelColor(x, row + 3), QColor(Qt::black)) << x;
    }
    EXPECT_EQ(image.pixelColor(180 + 53, row), QColor(Qt::black)); // beyond the end
}

TEST_F(VectorLayerGL, TheBoundaryLinesBufferGoesWithTheLayer)
{
    begin(QSize(361, 181), kWorldHalfShifted);
    const QString path = testOutputPath(QStringLiteral("buffer_segment.txt"));
    writeTestFile(path, "10 -50 10 50\n");
    const auto liveBuffers = [&] {
        gl->makeCurrent();
        int count = 0;
        for (GLuint name = 1; name < 64; ++name)
            count += gl->gl()->glIsBuffer(name) == GL_TRUE ? 1 : 0;
        return count;
    };
    const int before = liveBuffers();
    {
        OVMapLinesLayer layer(&controller, nullptr, path);
        ASSERT_TRUE(waitUntil([&] { return layer.parseFinished(); }, 30000));
        gl->makeCurrent();
        layer.draw();
        ASSERT_TRUE(layer.verticesReady());
        EXPECT_EQ(liveBuffers(), before + 1);
    } // destroyed with the context current, as on the drawing thread
    EXPECT_EQ(liveBuffers(), before);
}

// Buffer names are per share group: a lines layer that goes while another group's context is
// current must not delete that group's buffer of the same name, and its own still goes.
TEST_F(VectorLayerGL, TheBoundaryBufferIsDeletedInItsOwnShareGroup)
{
    begin(QSize(361, 181), kWorldHalfShifted);
    const QString path = testOutputPath(QStringLiteral("one_segment_buffer.txt"));
    writeTestFile(path, "10 -50 10 50\n");
    OVTextureRegistry registry;
    auto loader = std::make_shared<OVTextureLoader>(gl->context(), registry);
    ASSERT_TRUE(loader->hasContext());
    auto layer = std::make_unique<OVMapLinesLayer>(&controller, loader, path);
    ASSERT_TRUE(waitUntil([&] { return layer->parseFinished(); }));
    gl->makeCurrent();
    layer->draw();
    ASSERT_TRUE(layer->verticesReady());
    GLint layerBuffer = 0;
    GLuint lines = 0;
    // The layer's buffer name: the last one made in this group, found by asking for the next.
    gl->gl()->glGenBuffers(1, &lines);
    gl->gl()->glDeleteBuffers(1, &lines);
    for (GLuint name = 1; name < lines; ++name)
        if (gl->gl()->glIsBuffer(name))
            layerBuffer = GLint(name);
    ASSERT_GT(layerBuffer, 0);

    // Another group, holding a buffer under the same name.
    GLTestContext other(QSize(8, 8));
    ASSERT_TRUE(other.isValid());
    other.makeCurrent();
    QList<GLuint> names;
    GLuint made = 0;
    while (made < GLuint(layerBuffer)) {
        other.gl()->glGenBuffers(1, &made);
        other.gl()->glBindBuffer(GL_ARRAY_BUFFER, made);
        other.gl()->glBindBuffer(GL_ARRAY_BUFFER, 0);
        names.append(made);
    }
    ASSERT_EQ(made, GLuint(layerBuffer));

    layer.reset(); // with the other group's context current
    EXPECT_TRUE(other.gl()->glIsBuffer(made)) << "the other group's buffer survives";
    gl->makeCurrent();
    EXPECT_TRUE(waitUntil([&] {
        gl->makeCurrent();
        return !gl->gl()->glIsBuffer(GLuint(layerBuffer));
    })) << "the layer's own buffer is deleted by the loader, which shares its group";
    other.makeCurrent();
    other.gl()->glDeleteBuffers(GLsizei(names.size()), names.constData());
    loader.reset();
}

TEST(MapGrid, LinesCoverTheProjectionsValidRange)
{
    struct Case
    {
        const char *name;
        bool mercator;
        double spacing;
        int meridians;
        int parallels;
    };
    const Case cases[] = {
        {"plain 10", false, 10.0, 37, 19},   {"plain 30", false, 30.0, 13, 7}, {"mercator 10", true, 10.0, 37, 17},
        {"zero", false, 0.0, 0, 0},          {"negative", false, -10.0, 0, 0}, {"nan", false, std::nan(""), 0, 0},
        {"infinite", false, INFINITY, 0, 0},
    };
    const OVEquirectangularMapProjection plain;
    const OVMercatorMapProjection mercator;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> vertices{1.0f};
        int meridians = -1;
        int parallels = -1;
        OVMapGridLayer::gridVertices(c.mercator ? static_cast<const OVMapProjection &>(mercator) : plain, c.spacing,
                                     50.0, vertices, meridians, parallels);
        EXPECT_EQ(meridians, c.meridians);
        EXPECT_EQ(parallels, c.parallels);
        ASSERT_EQ(vertices.size(), size_t(6 * (c.meridians + c.parallels)));
        if (c.name == std::string("plain 30")) {
            EXPECT_FLOAT_EQ(vertices[0], -180.0f); // first meridian, south end
            EXPECT_FLOAT_EQ(vertices[1], -90.0f);
            EXPECT_FLOAT_EQ(vertices[2], 50.0f);
            EXPECT_FLOAT_EQ(vertices[6 * 13 + 1], -90.0f);        // first parallel
            EXPECT_FLOAT_EQ(vertices[6 * 13 + 6 * 6 + 1], 90.0f); // last parallel
        }
    }
}

TEST_F(VectorLayerGL, TheGridIsOnePixelWideWhateverTheLayerBeforeLeft)
{
    begin(QSize(361, 181), kWorldHalfShifted);
    OVMapGridLayer layer(&controller, nullptr);
    layer.setGridColorAlpha(0.5);
    EXPECT_EQ(layer.layerType(), 5);
    gl->gl()->glLineWidth(3.0f); // as a thick front would leave it
    layer.draw();
    const QImage image = gl->readBack();
    const int row = 90 - 5; // latitude 5, between parallels
    const QColor meridian = image.pixelColor(180, row);
    EXPECT_EQ(meridian.red(), 255);
    EXPECT_EQ(meridian.blue(), 255);
    EXPECT_NEAR(meridian.alpha(), 128, 1);
    EXPECT_EQ(image.pixelColor(179, row), QColor(0, 0, 0, 255));
    EXPECT_EQ(image.pixelColor(181, row), QColor(0, 0, 0, 255));
    EXPECT_EQ(image.pixelColor(180 + 10, row).red(), 255); // the next meridian
    EXPECT_EQ(image.pixelColor(185, 90 - 10).red(), 255);  // the parallel at 10
}

OVMapPlacemarkItemPtr placemark(int64_t shape, float size, bool inDegrees = false)
{
    auto item = std::make_shared<OVMapPlacemarkItem>();
    item->setGeoPoint(OVGeoPointMake(0.0, 0.0));
    item->shape = shape;
    item->size = size;
    item->sizeInDegrees = inDegrees;
    item->colorRed = 1.0f;
    item->colorAlpha = 1.0f;
    return item;
}

TEST_F(VectorLayerGL, APlacemarkKeepsItsSizeInPointsAndGrowsInDegrees)
{
    // 200 px over 100 degrees, then over 50: two and four pixels per degree.
    for (double halfSpan : {50.0, 25.0}) {
        SCOPED_TRACE(halfSpan);
        const double pixelsPerDegree = 100.0 / halfSpan;
        for (bool inDegrees : {false, true}) {
            begin(QSize(200, 200), OVGeoRectMake(-halfSpan, -halfSpan, halfSpan, halfSpan));
            OVMapPlacemarkLayer layer(&controller, nullptr);
            EXPECT_EQ(layer.layerType(), 7);
            layer.setPlacemarks({placemark(0, inDegrees ? 2.0f : 20.0f, inDegrees)});
            layer.draw();
            const QRect ink = inkBounds(gl->readBack());
            const double expected = inDegrees ? 2.0 * pixelsPerDegree : 20.0;
            EXPECT_NEAR(ink.width(), expected, 1.0) << inDegrees;
            EXPECT_NEAR(ink.height(), expected, 1.0) << inDegrees;
            EXPECT_NEAR(ink.center().x(), 100.0, 1.0);
            EXPECT_NEAR(ink.center().y(), 100.0, 1.0);
        }
    }
}

TEST_F(VectorLayerGL, ShapesFillWhereTheyShould)
{
    struct Probe
    {
        int dx, dy; // from the centre, pixels, y down
        bool inked;
    };
    struct Case
    {
        const char *name;
        int64_t shape;
        std::vector<Probe> probes;
    };
    // Size 40 points: radius 20 px.
    const Case cases[] = {
        {"disc", 1, {{0, 0, true}, {17, 0, true}, {0, -17, true}, {16, 16, false}}},
        {"diamond", 2, {{0, 0, true}, {17, 0, true}, {0, 17, true}, {12, 12, false}}},
        {"ring", 3, {{0, 0, false}, {3, 0, false}, {14, 0, true}, {0, -14, true}, {19, 19, false}}},
        {"unknown", 4, {{0, 0, false}, {14, 0, false}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        begin(QSize(200, 200), OVGeoRectMake(-50.0, -50.0, 50.0, 50.0));
        OVMapPlacemarkLayer layer(&controller, nullptr);
        layer.setPlacemarks({placemark(c.shape, 40.0f)});
        layer.draw();
        const QImage image = gl->readBack();
        for (const Probe &probe : c.probes)
            EXPECT_EQ(image.pixelColor(100 + probe.dx, 100 + probe.dy).red() > 0, probe.inked)
                << probe.dx << "," << probe.dy;
    }
}

} // namespace
