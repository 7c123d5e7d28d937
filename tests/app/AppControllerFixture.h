// A launched application controller over test stand-ins, for the controller's tests.
#pragma once

#include "AppTestSupport.h"
#include "app/NBController.h"
#include "app/locations/NBLocationController.h"
#include "app/NBMainWindow.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "weather/OVWeatherLocation.h"

#include <QLabel>
#include <QProgressBar>

#include <memory>

class AppControllerTest : public testing::Test
{
protected:
    void TearDown() override { controller.reset(); }

    /// Makes the controller and builds its window (init and awakeFromNib).
    NBController &make()
    {
        if (hosts.port() == 0) {
            EXPECT_TRUE(hosts.start());
        }
        storeServiceHosts(hosts.baseUrl());
        controller = std::make_unique<NBController>(env.make());
        controller->awakeFromNib();
        controller->window()->show();
        return *controller;
    }
    /// make(), then the launch sequence.
    NBController &launch()
    {
        make();
        controller->applicationDidFinishLaunching();
        return *controller;
    }

    QStringList cities() const
    {
        QStringList names;
        for (const auto &location : controller->monitoredLocations())
            names << location->city();
        return names;
    }

    static void saveLocations(const QVariantList &locations)
    {
        OVUserDefaults::standard().setObject(locations, QStringLiteral("locations"));
    }
    static QVariantMap portlandLookup()
    {
        return {{QStringLiteral("location_id"), 5746545}, {QStringLiteral("icao"), QStringLiteral("KPDX")}};
    }

    FixtureHttpServer hosts; // every service host of the application, unless a test set its own
    TestEnvironment env;
    std::unique_ptr<NBController> controller;
};
