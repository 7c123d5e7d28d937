// What a map view test hands the map view instead of the program's own: the engine on recording
// stub layers, a fake clock, a throw-away cache folder and texture registry, no location
// database. Header only; link nimbrel_map.
#pragma once

#include "map/views/NBMapView.h"
#include "map/gl/OVTextureRegistry.h"
#include "support/FakeClock.h"
#include "support/MapStubLayers.h"

#include <QTemporaryDir>

#include <memory>

class OVLocationDB;

struct MapViewRig
{
    /// The view's collaborators; `database` is what the view asks for place labels.
    NBMapView::Environment environment()
    {
        NBMapView::Environment environment;
        environment.controllerEnvironment = [this] {
            OVMapController::Environment engine;
            engine.cachePath = folder.filePath("cache");
            engine.resourceRoot = folder.path();
            engine.clock = &clock;
            engine.factory = &recorder.factory;
            return engine;
        };
        environment.locationDatabase = [this] { return database; };
        environment.registry = &registry;
        return environment;
    }

    QTemporaryDir folder;
    FakeClock clock;
    OVTextureRegistry registry; // outlives the stubs, which hold the loader
    RecordingLayerFactory recorder;
    std::shared_ptr<OVLocationDB> database;
};
