// The main window's map, as the main window's layout uses it: the map view to place, its zoom
// (half the visible longitude span, degrees), which the layout rescales when the map's width
// changes with the display mode, and the location it centres on.
// The map subsystem implements it; the shell holds one. Main thread.
#pragma once

#include <memory>

class OVWeatherLocation;
class QWidget;

class OVMapPanel
{
public:
    virtual ~OVMapPanel() = default;

    /// The map view (a child of the main view).
    virtual QWidget *view() = 0;
    virtual double zoom() const = 0;
    virtual void setZoom(double zoom) = 0;
    /// The map view's current width in points.
    virtual double width() const = 0;
    /// Centres the map on the location (null: none), moving there smoothly when asked.
    virtual void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool animate) = 0;
};
