// The map's place in the main window: makes the map view as a child of the main view, hands
// the window's layout the view's zoom, and centres the map on a location. Where the platform
// has no OpenGL the place holds an empty panel instead, which keeps the zoom it is given.
// GUI thread.
#pragma once

#include "core/views/OVMapPanel.h"
#include "map/NBMapView.h"

#include <QPointer>

class NBMapViewController final : public OVMapPanel
{
public:
    /// Makes the map view (or the empty panel) as a child of `parent`, which owns it.
    explicit NBMapViewController(QWidget *parent);
    NBMapViewController(QWidget *parent, NBMapView::Environment environment);

    QWidget *view() override { return mView ? static_cast<QWidget *>(mView) : mEmptyPanel.data(); }
    NBMapView *mapView() const { return mView; }
    double zoom() const override;
    void setZoom(double zoom) override;
    double width() const override;
    /// Brings the location's label to the front (when there is a text layer) and centres the
    /// map on it: at once (shown at the next frame), or by flying there. No location: (0, 0).
    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool animate) override;

private:
    QPointer<NBMapView> mView;
    QPointer<QWidget> mEmptyPanel;
    double mEmptyPanelZoom = OVMapGeometry::kDefaultZoom;
};
