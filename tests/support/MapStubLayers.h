// Recording stand-ins for the map's layers, for the controller and view tests: a stub layer that
// notes what the controller sends it and, when given a colour, fills its layer rectangle at its
// elevation with the fixed-function pipeline; and a factory whose builders make stubs and keep
// every configuration they were handed. Header only; link nimbrel_map.
#pragma once

#include <atomic>
#include <functional>

#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerControls.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/projection/OVMapProjection.h"
#include "map/layers/OVMapLayer.h"

#include <QColor>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <memory>
#include <optional>

class StubMapLayer final : public OVMapLayer,
                           public OVMapAnimatedLayerControl,
                           public OVMapParticleLayerControl,
                           public OVMapTextLayerControl
{
public:
    StubMapLayer(OVMapControllerInterface *controller, std::shared_ptr<OVTextureLoader> loader,
                 OVMapLayerConfiguration configuration)
        : OVMapLayer(controller, std::move(loader))
        , configuration(std::move(configuration))
    {
    }
    ~StubMapLayer() override
    {
        if (onDestroyed)
            onDestroyed();
    }

    void draw() override
    {
        ++draws;
        if (duringDraw)
            duringDraw();
        if (!fill.isValid() || !mapController() || !mapController()->mapProjection())
            return;
        QOpenGLFunctions_2_1 *gl =
            QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(QOpenGLContext::currentContext());
        const QRectF rect = mapController()->mapProjection()->rectForGeoRect(layerRect());
        gl->glDisable(GL_TEXTURE_2D);
        gl->glColor4d(fill.redF(), fill.greenF(), fill.blueF(), fill.alphaF());
        const double z = elevation();
        gl->glBegin(GL_QUADS);
        gl->glVertex3d(rect.left(), rect.top(), z);
        gl->glVertex3d(rect.right(), rect.top(), z);
        gl->glVertex3d(rect.right(), rect.bottom(), z);
        gl->glVertex3d(rect.left(), rect.bottom(), z);
        gl->glEnd();
    }
    void invalidateTimers() override { ++timerInvalidations; }
    void cleanupMemory() override { ++cleanups; }

    void setCurrentAnimationTime(const QDateTime &time) override { animationTime = time; }
    void update() override { ++updates; }
    void setUseDarkColors(bool dark) override { darkColors = dark; }
    void resizeParticleArrayUsingNumXParticles(int64_t columns) override { particleColumns = columns; }
    void setStrings(const QList<OVMapLabelRecord> &list) override
    {
        labels = list;
        ++labelUpdates;
    }
    void bringToFront(const QString &text, const OVGeoPoint &point) override
    {
        frontText = text;
        frontPoint = point;
    }

    OVMapLayerConfiguration configuration;
    QColor fill;
    std::atomic<int> draws{0}; // counted on the drawing thread
    /// Runs inside each draw, with the frame's OpenGL context current.
    std::function<void()> duringDraw;
    /// Runs in the destructor, on the thread that lets the layer go.
    std::function<void()> onDestroyed;
    int timerInvalidations = 0;
    int cleanups = 0;
    int updates = 0;
    bool darkColors = false;
    std::optional<int64_t> particleColumns;
    QDateTime animationTime;
    QList<OVMapLabelRecord> labels;
    int labelUpdates = 0;
    QString frontText;
    OVGeoPoint frontPoint;
};

/// A factory whose every kind builds a StubMapLayer and records it.
class RecordingLayerFactory
{
public:
    RecordingLayerFactory()
    {
        for (int kind = 0; kind < kOVMapLayerKindCount; ++kind)
            factory.registerBuilder(OVMapLayerKind(kind), [this](const OVMapLayerConfiguration &configuration,
                                                                 OVMapControllerInterface *controller,
                                                                 const std::shared_ptr<OVTextureLoader> &loader) {
                auto layer = std::make_shared<StubMapLayer>(controller, loader, configuration);
                built.append(layer);
                return layer;
            });
    }

    /// The stubs built for a layer type, oldest first.
    QList<std::shared_ptr<StubMapLayer>> ofType(OVMapLayerType type) const
    {
        QList<std::shared_ptr<StubMapLayer>> found;
        for (const auto &layer : built)
            if (layer->configuration.type == type)
                found.append(layer);
        return found;
    }

    OVMapLayerFactory factory;
    QList<std::shared_ptr<StubMapLayer>> built;
};
