// A map controller for tile-layer tests: an equirectangular projection, settings the test
// fills, and texture binding through a real texture loader's registry, as the map controller
// binds (glBindTexture in the current context).
#pragma once

#include "map/OVMapControllerInterface.h"
#include "map/gl/OVTextureLoader.h"
#include "map/projection/OVMapProjection.h"
#include "support/FakeMapView.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <memory>

class TileMapController final : public OVMapControllerInterface
{
public:
    OVMapSupportedView *view() const override { return mapView; }
    const OVMapProjection *mapProjection() const override { return projection.get(); }
    QVariantMap settings() const override { return mapSettings; }
    bool bindTextureWithKey(const QString &key) override
    {
        ++bindRequests;
        if (!loader)
            return false;
        const uint32_t texture = loader->textureNumberForKey(key);
        QOpenGLContext *context = QOpenGLContext::currentContext();
        if (texture == uint32_t(-1) || !context)
            return false;
        context->functions()->glBindTexture(GL_TEXTURE_2D, texture);
        return true;
    }

    OVMapSupportedView *mapView = nullptr;
    std::unique_ptr<OVMapProjection> projection = std::make_unique<OVEquirectangularMapProjection>();
    QVariantMap mapSettings;
    OVTextureLoader *loader = nullptr;
    int bindRequests = 0;
};
