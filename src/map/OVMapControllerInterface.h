// What a map layer asks of the map controller that owns it. The controller implements it;
// tests fake it around tests/support/FakeMapView.h.
#pragma once

class OVMapSupportedView;

class OVMapControllerInterface
{
public:
    virtual ~OVMapControllerInterface() = default;
    /// The view showing the map, or nothing before it exists.
    virtual OVMapSupportedView *view() const = 0;
};
