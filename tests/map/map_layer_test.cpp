// The layer base: when a layer draws, and which textures it drops.
#include "map/layers/OVMapLayer.h"

#include "support/FakeClock.h"
#include "support/FakeMapView.h"

#include <gtest/gtest.h>

#include <QSet>

#include <limits>

namespace {

class TestLayer final : public OVMapLayer
{
public:
    using OVMapLayer::OVMapLayer;
    void draw() override {}
};

class MapLayer : public ::testing::Test
{
protected:
    MapLayer()
        : registry(clock, [](uint32_t) { return true; })
        , loader(std::make_shared<OVTextureLoader>(nullptr, registry))
    {
        controller.mapView = &view;
    }

    void add(const QString &key, int lastUsedSecondsAgo = 0)
    {
        auto item = std::make_shared<OVTextureLoaderItem>(loader.get(), key, clock);
        item->setSize(16);
        registry.addItem(item, loader.get(), key);
        item->setCreationTime(clock.now().addSecs(-lastUsedSecondsAgo));
    }

    QSet<QString> keys() const
    {
        QSet<QString> found;
        for (const OVTextureLoaderItemPtr &item : registry.allItemsForLoader(loader.get()))
            found.insert(item->key());
        return found;
    }

    FakeClock clock;
    OVTextureRegistry registry;
    std::shared_ptr<OVTextureLoader> loader;
    FakeMapView view;
    FakeMapController controller;
};

struct DrawCase
{
    const char *name;
    double minResolution;
    double maxResolution;
    double scale;
    double resolution;
    bool disabled;
    bool draws;
};

TEST_F(MapLayer, DrawsWithinItsRangeDividedByTheScale)
{
    constexpr double kMin = std::numeric_limits<double>::min();
    constexpr double kMax = std::numeric_limits<double>::max();
    const DrawCase cases[] = {
        {"min 8 at scale 2 includes 4", 8.0, kMax, 2.0, 4.0, false, true},
        {"min 8 at scale 2 excludes just below 4", 8.0, kMax, 2.0, 3.999, false, false},
        {"max 100 at scale 2 includes 50", kMin, 100.0, 2.0, 50.0, false, true},
        {"max 100 at scale 2 excludes above 50", kMin, 100.0, 2.0, 50.001, false, false},
        {"default range at a tiny resolution", kMin, kMax, 1.0, 1e-300, false, true},
        {"default range at a huge resolution", kMin, kMax, 1.0, 1e300, false, true},
        {"disabled never draws", kMin, kMax, 1.0, 10.0, true, false},
    };
    TestLayer layer(&controller, loader);
    EXPECT_EQ(layer.minDisplayResolution(), kMin);
    EXPECT_EQ(layer.maxDisplayResolution(), kMax);
    for (const DrawCase &c : cases) {
        SCOPED_TRACE(c.name);
        layer.setMinDisplayResolution(c.minResolution);
        layer.setMaxDisplayResolution(c.maxResolution);
        layer.setDisable(c.disabled);
        view.scale = c.scale;
        view.resolution = c.resolution;
        EXPECT_EQ(layer.shouldDraw(), c.draws);
    }
}

TEST_F(MapLayer, RendererNamesThatRuleOutPointSmoothing)
{
    const struct
    {
        const char *renderer;
        bool smooth;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"ATI Radeon X1600 OpenGL Engine", true},
        {"NVIDIA GeForce 7300 GT OpenGL Engine", false},
        {"ATI Radeon HD 7600 series", false},
        {"Intel GMA X3100", false},
        {"", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.renderer);
        EXPECT_EQ(OVMapLayer::smoothPointsAllowedForRenderer(QString::fromLatin1(c.renderer)), c.smooth);
    }
}

TEST_F(MapLayer, TeardownDropsOnlyTheLayersOwnTextures)
{
    // Teardown uses grace 0: what was used as late as the newest texture stays either way.
    add(QStringLiteral("https://tiles/radar/1.png"), 5);
    add(QStringLiteral("https://tiles/terrain/1.png"), 5);
    add(QStringLiteral("label:Boston"));
    {
        TestLayer radar(&controller, loader);
        radar.setTexturePatternForCleanup(QStringLiteral("/radar/"));
    }
    EXPECT_EQ(keys(), (QSet<QString>{QStringLiteral("https://tiles/terrain/1.png"), QStringLiteral("label:Boston")}));
    {
        TestLayer particles(&controller, loader); // no pattern: owns no keyed textures
    }
    EXPECT_EQ(keys().size(), 2);
}

TEST_F(MapLayer, CleanupKeepsTexturesUsedWithinTenSecondsOfTheNewestUse)
{
    add(QStringLiteral("radar/newest"), 100);
    add(QStringLiteral("radar/within"), 109);
    add(QStringLiteral("radar/stale"), 111);
    add(QStringLiteral("terrain/stale"), 200);
    TestLayer radar(&controller, loader);
    radar.setTexturePatternForCleanup(QStringLiteral("radar/"));
    radar.cleanupMemory();
    EXPECT_EQ(keys(), (QSet<QString>{QStringLiteral("radar/newest"), QStringLiteral("radar/within"),
                                     QStringLiteral("terrain/stale")}));
}

TEST_F(MapLayer, DescribesItsRangeAndDefaults)
{
    TestLayer layer(&controller, loader);
    layer.setElevation(45.0);
    EXPECT_TRUE(layer.description().contains(QStringLiteral("elevation(4.500000e+01)  resolution:(2.225074e-308 - 1.797693e+308)>")))
        << layer.description().toStdString();
    EXPECT_EQ(layer.layerRect(), OVGeoRectMake(-90.0, -180.0, 90.0, 180.0));
    EXPECT_EQ(layer.layerScaleFactor(), 1.0);
    view.scale = 2.0;
    EXPECT_EQ(layer.layerScaleFactor(), 2.0);
}

} // namespace
