// Builds map layers from the controller's configurations. Each layer kind registers one
// builder (the tile, lines, text, surface-analysis, grid, particle and placemark layers do so
// where they are defined, or the application at start); a kind without a builder builds
// nothing, which is logged once per kind.
//
// The builder makes the layer and sets what only its kind knows (tiles, source, cache folder,
// alpha key, inventory, line style ...); the factory then sets the base values every layer
// shares: elevation, display band, layer type, layer rectangle and cleanup pattern.
// GUI thread.
#pragma once

#include "map/layers/OVMapLayerConfiguration.h"

#include <QHash>

#include <functional>
#include <memory>
#include <mutex>

class OVMapControllerInterface;
class OVMapLayer;
class OVTextureLoader;

class OVMapLayerFactory
{
public:
    using Builder = std::function<std::shared_ptr<OVMapLayer>(
        const OVMapLayerConfiguration &configuration, OVMapControllerInterface *controller,
        const std::shared_ptr<OVTextureLoader> &loader)>;

    /// The process's factory, where the layer kinds register.
    static OVMapLayerFactory &shared();

    /// Replaces the builder of a kind (an empty function removes it).
    void registerBuilder(OVMapLayerKind kind, Builder builder);
    bool hasBuilder(OVMapLayerKind kind) const;

    /// The layer for a configuration, its base values set; nothing without a builder or when
    /// the builder gives nothing.
    std::shared_ptr<OVMapLayer> build(const OVMapLayerConfiguration &configuration, OVMapControllerInterface *controller,
                                      const std::shared_ptr<OVTextureLoader> &loader);

    /// Sets the values every layer shares.
    static void applyBaseConfiguration(OVMapLayer &layer, const OVMapLayerConfiguration &configuration);

private:
    mutable std::mutex mMutex;
    QHash<int, Builder> mBuilders;
    QHash<int, bool> mMissingLogged;
};
