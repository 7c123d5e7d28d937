#include "map/NBMapViewController.h"

#include "core/views/NBParentView.h"
#include "map/OVMapAttributionView.h"
#include "map/gl/OVMapLayer.h"
#include "weather/OVWeatherLocation.h"

NBMapViewController::NBMapViewController(QWidget *parent)
    : NBMapViewController(parent, NBMapView::Environment())
{
}

NBMapViewController::NBMapViewController(QWidget *parent, NBMapView::Environment environment)
{
    if (NBMapView::openGLAvailable()) {
        mView = new NBMapView(parent, std::move(environment));
        mView->setAttributionView(new OVMapAttributionView(mView));
    } else {
        mEmptyPanel = new NBParentView(parent);
        mEmptyPanel->setObjectName(QStringLiteral("mapView"));
    }
}

double NBMapViewController::zoom() const
{
    return mView ? mView->zoom() : mEmptyPanelZoom;
}

void NBMapViewController::setZoom(double zoom)
{
    if (mView)
        mView->setZoom(zoom);
    else
        mEmptyPanelZoom = zoom;
}

double NBMapViewController::width() const
{
    const QWidget *shown = mView ? static_cast<QWidget *>(mView) : mEmptyPanel.data();
    return shown ? shown->width() : 0.0;
}

void NBMapViewController::setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool animate)
{
    if (!mView)
        return;
    const OVGeoPoint point = location ? OVGeoPointMake(location->latitude(), location->longitude()) : OVGeoPoint{};
    if (location && mView->mapGenerator())
        if (const OVMapLayerGroup texts = mView->mapGenerator()->layers(OVMapLayerType::Text); texts && !texts->isEmpty())
            if (auto *text = dynamic_cast<OVMapTextLayerControl *>(texts->first().get()))
                text->bringToFront(location->city(), point);
    const QPointF center(point.longitude, point.latitude);
    if (animate)
        mView->recenterWithAnimation(center);
    else
        mView->setCenter(center);
}
