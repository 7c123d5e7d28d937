// The set-up the tile-layer tests share: a 1024 x 512 test context showing the whole world
// through a TileMapController, a texture loader on that context, the fixture server started,
// and the layers a test makes, dropped (with the context current) at the end of each test.
#pragma once

#include "support/FakeMapView.h"
#include "support/FixtureHttpServer.h"
#include "support/GLTestContext.h"
#include "support/TestHelpers.h"
#include "support/TileMapController.h"

#include <gtest/gtest.h>

#include <QPointF>

#include <functional>
#include <memory>
#include <vector>

inline constexpr int kTileFrameWidth = 1024;
inline constexpr int kTileFrameHeight = 512;
inline const OVGeoRect kTileFrameWorld = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0);

/// The centre of tile (column, row) of the 4 x 2 level, as (longitude, latitude).
inline QPointF centreOf(int column, int row)
{
    return QPointF(-135.0 + 90.0 * column, 45.0 - 90.0 * row);
}

template <class Layer>
class TileLayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.isValid());
        gl.makeCurrent();
        loader = std::make_shared<OVTextureLoader>(gl.context(), registry);
        ASSERT_TRUE(loader->hasContext());
        controller.mapView = &view;
        controller.loader = loader.get();
        view.rect = kTileFrameWorld;
        ASSERT_TRUE(server.start()) << qPrintable(server.errorString());
    }

    void TearDown() override
    {
        layers.clear();
        gl.makeCurrent();
    }

    /// Keeps `layer` until the end of the test.
    Layer &keep(std::unique_ptr<Layer> layer)
    {
        layers.push_back(std::move(layer));
        return *layers.back();
    }

    QImage frame(Layer &layer) { return drawTileLayerFrame(gl, view.rect, layer); }

    /// Draws frames, letting the downloads and the loader run between them, until `done`.
    bool drawUntil(Layer &layer, const std::function<bool()> &done, int timeoutMs = 10000)
    {
        return waitUntil([&] {
            frame(layer);
            return done();
        }, timeoutMs);
    }

    /// Draws frames until `ready` holds for every tile of the 4 x 2 level.
    bool drawUntilEveryTile(Layer &layer, const std::function<bool(int column, int row)> &ready)
    {
        return drawUntil(layer, [&] {
            for (int column = 0; column < 4; ++column)
                for (int row = 0; row < 2; ++row)
                    if (!ready(column, row))
                        return false;
            return true;
        });
    }

    GLTestContext gl{QSize(kTileFrameWidth, kTileFrameHeight)};
    OVTextureRegistry registry;
    std::shared_ptr<OVTextureLoader> loader;
    FakeMapView view;
    TileMapController controller;
    FixtureHttpServer server;
    std::vector<std::unique_ptr<Layer>> layers;
};
