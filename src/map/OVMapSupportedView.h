// What the map controller and the layers ask of the view that shows the map. The map view
// implements it; tests use tests/support/FakeMapView.h.
#pragma once

#include "core/OVGeoTypes.h"

#include <QDateTime>
#include <QSizeF>

class OVMapSupportedView
{
public:
    virtual ~OVMapSupportedView() = default;

    /// The geographic rectangle on screen.
    virtual OVGeoRect visibleGeoRect() const = 0;
    /// The view's size in points.
    virtual QSizeF viewSize() const = 0;
    /// View width / (2 x zoom): points per degree of longitude.
    virtual double resolutionPixelsPerDegree() const = 0;
    /// Device pixels per point of the screen the view is on (a widget answers with its own).
    virtual double devicePixelRatioF() const = 0;
    /// The radar or satellite frame shown changed (an invalid date: none).
    virtual void radarTimeShownDidChange(const QDateTime &date) = 0;
    virtual void satelliteTimeShownDidChange(const QDateTime &date) = 0;
    /// Asks for a new frame; safe from any thread.
    virtual void redraw() = 0;
};
