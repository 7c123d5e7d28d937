// The tile layer base without drawing: the opacity threshold, the opacity key read from the map
// settings as a float, and the base's refusal to bind tiles.
#include "map/layers/OVMapTileLayer.h"

#include "map/layers/OVMapLayerFactory.h"
#include "map/layers/OVMapTerrainTileLayer.h"

#include "support/TestHelpers.h"
#include "support/TileMapController.h"

#include <gtest/gtest.h>

namespace {

class MapTileLayer : public ::testing::Test
{
protected:
    MapTileLayer()
        : loader(std::make_shared<OVTextureLoader>(nullptr, registry))
        , layer(&controller, loader)
    {
        controller.mapView = &view;
    }

    OVTextureRegistry registry;
    std::shared_ptr<OVTextureLoader> loader;
    FakeMapView view;
    TileMapController controller;
    OVMapTileLayer layer;
};

TEST_F(MapTileLayer, DrawsFromTheMinimumOpacityOn)
{
    const struct
    {
        double alpha;
        bool draws;
    } rows[] = {{0.005, false}, {0.0099, false}, {0.01, true}, {0.75, true}, {1.0, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.alpha);
        layer.setAlpha(row.alpha);
        EXPECT_EQ(layer.shouldDraw(), row.draws);
    }
    layer.setDisable(true);
    EXPECT_FALSE(layer.shouldDraw());
}

TEST_F(MapTileLayer, TheOpacityKeyReplacesAlphaAtEveryDrawAsAFloat)
{
    const QString key = QStringLiteral("OVGeographyMapRadarOpacity");
    layer.setPreferenceKeyForAlpha(key);
    layer.draw();
    EXPECT_EQ(layer.alpha(), 1.0) << "no value: alpha stays";
    controller.mapSettings.insert(key, 0.3);
    layer.draw();
    EXPECT_EQ(layer.alpha(), double(0.3f));
    controller.mapSettings.insert(key, QStringLiteral("0.004"));
    layer.draw();
    EXPECT_EQ(layer.alpha(), double(0.004f));
    EXPECT_FALSE(layer.shouldDraw());
}

TEST_F(MapTileLayer, TheBaseBindsNoTile)
{
    LogCapture log;
    EXPECT_TRUE(layer.prepareTile(0, 0).isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("This method must be implemented in a subclass.")));
}

TEST_F(MapTileLayer, VisibleTilesFollowTheViewAndTheCounts)
{
    layer.setNumXTiles(4);
    layer.setNumYTiles(2);
    view.rect = OVGeoRectMake(-10.0, 170.0, 10.0, 200.0);
    const QList<OVMapTilePlacement> tiles = layer.visibleTiles();
    ASSERT_EQ(tiles.size(), 4);
    EXPECT_EQ(tiles[2].column, 4);
    EXPECT_EQ(tiles[2].textureColumn, 0);
    EXPECT_EQ(tiles[2].geoRect, OVGeoRectMake(0.0, 180.0, 90.0, 270.0));
    controller.mapView = nullptr;
    EXPECT_EQ(layer.visibleTiles().size(), 1) << "no view: the all-zero rectangle";
}

TEST_F(MapTileLayer, TheFactoryBuildsTerrainLevelsFromTheirConfiguration)
{
    OVMapLayerFactory factory;
    OVMapTerrainTileLayer::registerWithFactory(factory);
    OVMapLayerConfiguration configuration;
    configuration.kind = OVMapLayerKind::TerrainTiles;
    configuration.elevation = OVMapElevation::kTerrainCoarsest;
    configuration.numXTiles = 32;
    configuration.numYTiles = 16;
    configuration.textureInternalFormat = OVMapTextureFormat::kCompressedRGB;
    configuration.sourceURLFormat = QStringLiteral("http://127.0.0.1:1/gen2-nb/05/16384/@x_@y.jpg");
    configuration.localCacheDirectory = QStringLiteral("/tmp/terrain/16384");
    const auto built = std::dynamic_pointer_cast<OVMapTerrainTileLayer>(factory.build(configuration, &controller, loader));
    ASSERT_TRUE(built);
    EXPECT_EQ(built->numXTiles(), 32);
    EXPECT_EQ(built->numYTiles(), 16);
    EXPECT_EQ(built->textureInternalFormat(), OVMapTextureFormat::kCompressedRGB);
    EXPECT_EQ(built->elevation(), OVMapElevation::kTerrainCoarsest);
    EXPECT_EQ(built->urlStringForTile(12, 5), QStringLiteral("http://127.0.0.1:1/gen2-nb/05/16384/12_5.jpg"));
    EXPECT_EQ(built->cachedPathForTile(12, 5), QStringLiteral("/tmp/terrain/16384/12_5.data"));
    EXPECT_FALSE(built->preferenceKeyForAlpha());

    configuration.localCacheDirectory.clear();
    const auto uncached = std::dynamic_pointer_cast<OVMapTerrainTileLayer>(factory.build(configuration, &controller, loader));
    ASSERT_TRUE(uncached);
    EXPECT_FALSE(uncached->cachedPathForTile(0, 0)) << "an empty folder is no cache";
}

} // namespace
