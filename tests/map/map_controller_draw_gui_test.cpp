// The map engine drawing into an offscreen framebuffer of the whole world (720 x 360, two pixels
// a degree): where a layer's rectangle lands, the order of the groups, blending, and the
// clean-up of old textures through a real texture loader.
#include "map/OVMapController.h"
#include "map/projection/OVMapProjection.h"
#include "map/OVMapSettings.h"
#include "map/gl/OVTextureLoader.h"

#include "support/FakeClock.h"
#include "support/FakeMapView.h"
#include "support/GLTestContext.h"
#include "support/MapStubLayers.h"
#include "support/TestHelpers.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

#include <QOpenGLContext>

namespace {

class MapDrawTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(gl.isValid()); }

    std::unique_ptr<OVMapController> make(const QVariantMap &settings, std::shared_ptr<OVTextureLoader> loader = nullptr)
    {
        OVMapController::Environment environment;
        environment.clock = &clock;
        environment.factory = &recorder.factory;
        return std::make_unique<OVMapController>(&view, std::move(loader), environment, nullptr, settings);
    }

    QImage drawFrame(OVMapController &controller)
    {
        gl.beginDrawing(Qt::black);
        controller.draw();
        return gl.readBack();
    }

    std::shared_ptr<StubMapLayer> only(OVMapLayerType type)
    {
        const auto layers = recorder.ofType(type);
        EXPECT_EQ(layers.size(), type == OVMapLayerType::Terrain ? 8 : 1);
        return layers.isEmpty() ? nullptr : layers.first();
    }

    GLTestContext gl{QSize(720, 360)};
    FakeClock clock;
    OVTextureRegistry registry{clock}; // outlives the stubs, which hold the loader
    FakeMapView view;                  // the whole world, 720 x 360
    RecordingLayerFactory recorder;
};

TEST_F(MapDrawTest, ALayerRectangleLandsWhereItsDegreesAre)
{
    auto controller = make({{QString(OVMapSettingKey::showGrid), true},
                            {QString(OVMapSettingKey::showParticleMode), false},
                            {QString(OVMapSettingKey::showPlacemarks), false}});
    auto grid = only(OVMapLayerType::Grid);
    grid->setLayerRect(OVGeoRectMake(0.0, -90.0, 45.0, 0.0));
    grid->fill = Qt::red;
    const QImage image = drawFrame(*controller);
    EXPECT_TRUE(controller->contextPrepared());
    // Two pixels a degree: x 180..360, and rows 90..180 from the top.
    EXPECT_EQ(inkBounds(image), QRect(QPoint(180, 90), QPoint(359, 179)));
    EXPECT_EQ(image.pixelColor(270, 135), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(100, 100), QColor(0, 0, 0, 0)); // cleared to transparent
}

TEST_F(MapDrawTest, TerrainFirstThenTheRestByElevation)
{
    auto controller = make({{QString(OVMapSettingKey::showTerrain), true},
                            {QString(OVMapSettingKey::showRadar), true},
                            {QString(OVMapSettingKey::showSatellite), true},
                            {QString(OVMapSettingKey::showParticleMode), false},
                            {QString(OVMapSettingKey::showPlacemarks), false}});
    auto terrain = only(OVMapLayerType::Terrain);
    terrain->setElevation(100.0); // terrain stays underneath whatever its elevation
    terrain->fill = Qt::green;
    const auto radar = recorder.ofType(OVMapLayerType::Radar);
    const auto satellite = recorder.ofType(OVMapLayerType::Satellite);
    ASSERT_EQ(radar.size(), 3);
    ASSERT_EQ(satellite.size(), 3);
    satellite[0]->fill = Qt::blue;
    satellite[0]->setLayerRect(OVGeoRectMake(-90.0, -180.0, 90.0, 0.0)); // the west
    radar[0]->fill = Qt::red;
    radar[0]->setLayerRect(OVGeoRectMake(0.0, -180.0, 90.0, 180.0)); // the north

    const QImage image = drawFrame(*controller);
    EXPECT_EQ(image.pixelColor(100, 100), QColor(255, 0, 0)); // north-west: radar 45 over satellite 40
    EXPECT_EQ(image.pixelColor(100, 300), QColor(0, 0, 255)); // south-west: satellite over terrain
    EXPECT_EQ(image.pixelColor(600, 300), QColor(0, 255, 0)); // south-east: terrain alone

    controller->setDisableAloftLayers(true);
    const QImage terrainOnly = drawFrame(*controller);
    EXPECT_EQ(terrainOnly.pixelColor(100, 100), QColor(0, 255, 0));
    EXPECT_EQ(terrainOnly.pixelColor(600, 300), QColor(0, 255, 0));
}

TEST_F(MapDrawTest, LayersBlendByTheirAlpha)
{
    auto controller = make({{QString(OVMapSettingKey::showSatellite), true},
                            {QString(OVMapSettingKey::showRadar), true},
                            {QString(OVMapSettingKey::showParticleMode), false},
                            {QString(OVMapSettingKey::showPlacemarks), false}});
    recorder.ofType(OVMapLayerType::Satellite)[0]->fill = Qt::blue;
    auto radar = recorder.ofType(OVMapLayerType::Radar)[0];
    radar->fill = QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.5f);
    radar->setLayerRect(OVGeoRectMake(-90.0, -180.0, 90.0, 0.0));
    auto clear = recorder.ofType(OVMapLayerType::Radar)[1];
    clear->fill = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.0f);
    clear->setLayerRect(OVGeoRectMake(-90.0, 0.0, 90.0, 180.0));

    const QImage image = drawFrame(*controller);
    EXPECT_TRUE(sameColor(image.pixelColor(100, 100), QColor(128, 0, 128, 191), 2)) << image.pixelColor(100, 100).name().toStdString();
    EXPECT_EQ(image.pixelColor(600, 100), QColor(0, 0, 255)); // alpha 0 leaves the pixel
}

TEST_F(MapDrawTest, CleanupDropsTexturesOlderThanTheNewestByFiveSeconds)
{
    auto loader = std::make_shared<OVTextureLoader>(gl.context(), registry);
    auto controller = make({}, loader);
    const uchar pixel[] = {255, 0, 0, 255};
    const auto loadAt = [&](const QString &key) {
        loader->loadTextureWithRGBAPixels(pixel, 1, 1, key, GL_RGBA);
        ASSERT_TRUE(waitUntil([&] { return loader->textureNumberForKey(key) != uint32_t(-1); })) << key.toStdString();
    };
    loadAt("old");
    clock.advance(7);
    loadAt("recent");
    clock.advance(3);
    loadAt("newest");
    const int redraws = view.redraws;

    controller->cleanupMemory();
    EXPECT_EQ(loader->textureNumberForKey("old"), uint32_t(-1));
    EXPECT_NE(loader->textureNumberForKey("recent"), uint32_t(-1));
    EXPECT_NE(loader->textureNumberForKey("newest"), uint32_t(-1));
    for (const auto &layer : recorder.built)
        EXPECT_EQ(layer->cleanups, 1);
    EXPECT_GT(view.redraws, redraws);

    gl.makeCurrent();
    EXPECT_TRUE(controller->bindTextureWithKey("newest"));
    EXPECT_FALSE(controller->bindTextureWithKey("old"));
    controller.reset();
}

// Mesa's software renderer corrupts itself when the loader's context uploads while the drawing
// context of its share group draws (the frame benchmark died inside glTexImage2D): an upload
// asked for during a frame waits for the frame to end.
TEST_F(MapDrawTest, TheLoadersUploadsWaitForTheFrameToEnd)
{
    auto loader = std::make_shared<OVTextureLoader>(gl.context(), registry);
    auto controller = make({{QString(OVMapSettingKey::showGrid), true},
                            {QString(OVMapSettingKey::showParticleMode), false},
                            {QString(OVMapSettingKey::showPlacemarks), false}},
                           loader);
    auto grid = only(OVMapLayerType::Grid);
    const uchar pixel[] = {0, 255, 0, 255};
    bool uploadedDuringTheFrame = false;
    grid->duringDraw = [&] {
        loader->loadTextureWithRGBAPixels(pixel, 1, 1, QStringLiteral("during"), GL_RGBA);
        // A one-pixel upload takes the worker milliseconds; during the frame it must not happen.
        uploadedDuringTheFrame = waitUntil([&] { return !registry.isKeyPending(QStringLiteral("during")); }, 1500);
    };
    drawFrame(*controller);
    grid->duringDraw = nullptr;
    EXPECT_FALSE(uploadedDuringTheFrame);
    ASSERT_TRUE(waitUntil([&] { return !registry.isKeyPending(QStringLiteral("during")); }));
    gl.makeCurrent();
    EXPECT_NE(loader->textureNumberForKey(QStringLiteral("during")), uint32_t(-1)) << "uploaded once the frame ended";
    controller.reset();
}

} // namespace
