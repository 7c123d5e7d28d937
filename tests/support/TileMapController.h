// A map controller for tile-layer tests: an equirectangular projection, settings the test
// fills, and texture binding through a real texture loader's registry, as the map controller
// binds (glBindTexture in the current context).
#pragma once

#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayer.h"
#include "map/gl/OVTextureLoader.h"
#include "map/projection/OVMapProjection.h"
#include "support/FakeMapView.h"
#include "support/GLTestContext.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>

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

/// One frame of `layer` over black in the test context, the view `rect` filling the
/// framebuffer (longitude across, latitude up), blended as the map blends; the pixels read back.
inline QImage drawTileLayerFrame(GLTestContext &gl, const OVGeoRect &rect, OVMapLayer &layer)
{
    gl.beginDrawing(Qt::black);
    QOpenGLFunctions_2_1 *f = gl.gl();
    f->glMatrixMode(GL_PROJECTION);
    f->glLoadIdentity();
    f->glOrtho(rect.minPoint.longitude, rect.maxPoint.longitude, rect.minPoint.latitude, rect.maxPoint.latitude,
               -100.0, 100.0);
    f->glMatrixMode(GL_MODELVIEW);
    f->glEnable(GL_BLEND);
    f->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    f->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    layer.draw();
    return gl.readBack();
}
