// What a map layer asks of the map controller that owns it. The controller implements it;
// tests fake it around tests/support/FakeMapView.h.
#pragma once

#include <QString>
#include <QVariantMap>

class OVMapProjection;
class OVMapSupportedView;

class OVMapControllerInterface
{
public:
    virtual ~OVMapControllerInterface() = default;
    /// The view showing the map, or nothing before it exists.
    virtual OVMapSupportedView *view() const = 0;
    /// The projection layers draw through, or nothing.
    virtual const OVMapProjection *mapProjection() const = 0;
    /// A copy of the map settings (the layers read their opacity key from it while drawing).
    virtual QVariantMap settings() const = 0;
    /// Binds the texture registered under `key` to GL_TEXTURE_2D in the current context;
    /// false (nothing bound) while it is not loaded. Drawing thread.
    virtual bool bindTextureWithKey(const QString &key) = 0;
};
