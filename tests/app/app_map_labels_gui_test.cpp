// The map's place names over the fixture location database, drawn by the real label layer at
// world zoom: the user's place first, then the cities above 50,000 people.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "core/NBPrefController.h"
#include "map/views/NBMapView.h"
#include "map/layers/OVMapBuiltinLayers.h"
#include "map/OVMapController.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/OVMapSettings.h"
#include "map/layers/OVMapTextLayer.h"
#include "map/gl/OVTextureRegistry.h"
#include "support/TestHelpers.h"
#include "weather/OVWeatherController.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(MapLabels, ThePlaceSetIsLabelledFirstThenTheCities)
{
    QTemporaryDir folder;
    OVUserDefaults::resetStandard(folder.filePath("defaults.conf"));
    OVUserDefaults::standard().registerDefaults(NBRegisteredDefaults::table());
    NBPrefController::resetStore();
    NBPrefController::initSettings();
    OVUserDefaults::standard().setObject(180.0, NBMapView::kZoomKey);
    OVUserDefaults::standard().setObject(QStringLiteral("YES"), QString(OVMapSettingKey::showText));
    // Nothing but the labels: no terrain, no loop, no particles.
    for (const QLatin1String key : {OVMapSettingKey::showTerrain, OVMapSettingKey::showRadar, OVMapSettingKey::showSatellite,
                                    OVMapSettingKey::showParticleMode})
        OVUserDefaults::standard().setObject(QStringLiteral("NO"), QString(key));

    // In the South Atlantic, clear of every fixture city.
    QVariantMap island = placeDictionary("Tristan", "", "", "SH", "Saint Helena", "", -37.1, -12.3, "UTC");
    OVWeatherController::sharedWeatherController().setWeatherLocations({placeFrom(island)});

    OVMapLayerFactory factory;
    OVMapRegisterVectorAndTextLayers(factory);
    OVTextureRegistry registry;
    NBMapView::Environment environment;
    environment.controllerEnvironment = [&] {
        OVMapController::Environment controller;
        controller.resourceRoot = folder.path();
        controller.factory = &factory;
        return controller;
    };
    environment.locationDatabase = [] { return fixtureLocationDatabase(); };
    environment.registry = &registry;
    auto view = std::make_unique<NBMapView>(nullptr, environment);
    view->resize(800, 400);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));

    // The pass completes once every label it draws has its texture.
    OVMapTextLayer *layer = nullptr;
    QStringList drawn;
    waitUntil(
        [&] {
            view->update();
            OVMapController *controller = view->mapGenerator();
            const OVMapLayerGroup group = controller ? controller->layers(OVMapLayerType::Text) : OVMapLayerGroup();
            layer = group && !group->isEmpty() ? dynamic_cast<OVMapTextLayer *>(group->constFirst().get()) : nullptr;
            if (!layer || !layer->cache().valid)
                return false;
            drawn.clear();
            for (const OVMapTextDraw &draw : layer->cache().drawn)
                drawn.append(draw.label->string());
            return drawn.size() > 1;
        },
        20000);
    ASSERT_TRUE(layer) << "no label layer";
    ASSERT_GT(drawn.size(), 1) << drawn.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(drawn.constFirst(), QStringLiteral("Tristan"));
    EXPECT_TRUE(drawn.contains(QStringLiteral("Paris"))) << drawn.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(drawn.contains(QStringLiteral("Portland"))) << drawn.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(drawn.contains(QStringLiteral("Abbeville"))) << "26,461 people: no label";

    view.reset();
    OVWeatherController::sharedWeatherController().setWeatherLocations({});
    OVUserDefaults::resetStandard();
}

} // namespace
