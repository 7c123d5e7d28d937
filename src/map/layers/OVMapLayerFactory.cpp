#include "map/layers/OVMapLayerFactory.h"

#include "map/layers/OVMapLayer.h"
#include "platform/OVLog.h"

OVMapLayerFactory &OVMapLayerFactory::shared()
{
    static OVMapLayerFactory factory;
    return factory;
}

void OVMapLayerFactory::registerBuilder(OVMapLayerKind kind, Builder builder)
{
    std::lock_guard lock(mMutex);
    if (builder)
        mBuilders.insert(int(kind), std::move(builder));
    else
        mBuilders.remove(int(kind));
}

bool OVMapLayerFactory::hasBuilder(OVMapLayerKind kind) const
{
    std::lock_guard lock(mMutex);
    return mBuilders.contains(int(kind));
}

std::shared_ptr<OVMapLayer> OVMapLayerFactory::build(const OVMapLayerConfiguration &configuration,
                                                     OVMapControllerInterface *controller,
                                                     const std::shared_ptr<OVTextureLoader> &loader)
{
    Builder builder;
    {
        std::lock_guard lock(mMutex);
        builder = mBuilders.value(int(configuration.kind));
        if (!builder) {
            if (!mMissingLogged.value(int(configuration.kind))) {
                mMissingLogged.insert(int(configuration.kind), true);
                OVLog(QStringLiteral("Map: no layer of kind %1 can be built; its layers are left out.")
                          .arg(int(configuration.kind)));
            }
            return nullptr;
        }
    }
    // Called outside the lock: a builder may ask the factory about other kinds.
    std::shared_ptr<OVMapLayer> layer = builder(configuration, controller, loader);
    if (layer)
        applyBaseConfiguration(*layer, configuration);
    return layer;
}

void OVMapLayerFactory::applyBaseConfiguration(OVMapLayer &layer, const OVMapLayerConfiguration &configuration)
{
    layer.setElevation(configuration.elevation);
    if (configuration.minDisplayResolution)
        layer.setMinDisplayResolution(*configuration.minDisplayResolution);
    if (configuration.maxDisplayResolution)
        layer.setMaxDisplayResolution(*configuration.maxDisplayResolution);
    layer.setLayerType(int64_t(configuration.type));
    layer.setLayerRect(configuration.layerRect);
    if (configuration.texturePatternForCleanup)
        layer.setTexturePatternForCleanup(configuration.texturePatternForCleanup);
}
