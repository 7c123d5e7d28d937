// The map's place in the main window until the map is built: an empty panel as the map view,
// and a controller that keeps the zoom and the location the real map would show. Main thread.
#pragma once

#include "core/views/OVMapPanel.h"

#include <QPointer>
#include <QWidget>

class NBPlaceholderMapController final : public OVMapPanel
{
public:
    /// Half the visible longitude span of a new map, in degrees.
    static constexpr double kInitialZoom = 30.0;

    /// Makes the map view as a child of `parent`, which owns it.
    explicit NBPlaceholderMapController(QWidget *parent);

    QWidget *view() override { return mView; }
    double zoom() const override { return mZoom; }
    void setZoom(double zoom) override { mZoom = zoom; }
    double width() const override { return mView ? mView->width() : 0.0; }
    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool animate) override;

    std::shared_ptr<OVWeatherLocation> currentLocation() const { return mLocation; }

private:
    QPointer<QWidget> mView;
    double mZoom = kInitialZoom;
    std::shared_ptr<OVWeatherLocation> mLocation;
};
