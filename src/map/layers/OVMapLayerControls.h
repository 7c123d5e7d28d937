// What the map controller asks of particular kinds of layer, beyond the layer base. A layer
// kind implements the interface that fits it; the controller finds it with dynamic_cast, so a
// group of other layers is simply skipped. GUI thread.
#pragma once

#include "core/OVGeoTypes.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>

/// Radar and satellite tiles: the frame of the loop to show.
class OVMapAnimatedLayerControl
{
public:
    virtual ~OVMapAnimatedLayerControl() = default;
    virtual void setCurrentAnimationTime(const QDateTime &time) = 0;
};

/// The wind particles.
class OVMapParticleLayerControl
{
public:
    virtual ~OVMapParticleLayerControl() = default;
    /// Asks for fresh wind data.
    virtual void update() = 0;
    virtual void setUseDarkColors(bool dark) = 0;
    virtual void resizeParticleArrayUsingNumXParticles(int64_t columns) = 0;
};

/// One place label: drawn text anchored at a geographic point.
struct OVMapLabelRecord
{
    QString text;
    double fontSize = 11.0;
    QColor textColor;   // white with the label's alpha
    QColor strokeColor; // black, alpha 0.9
    double strokeWidth = 20.0;
    OVGeoPoint point;
};

/// The place labels.
class OVMapTextLayerControl
{
public:
    virtual ~OVMapTextLayerControl() = default;
    /// Replaces every label.
    virtual void setStrings(const QList<OVMapLabelRecord> &labels) = 0;
    /// Draws the label with this text at this point above the others.
    virtual void bringToFront(const QString &text, const OVGeoPoint &point) = 0;
};
