// Empty map: a plain rounded panel.
#include "app/NBPlaceholderMapController.h"

#include "core/views/NBParentView.h"

NBPlaceholderMapController::NBPlaceholderMapController(QWidget *parent)
    : mView(new NBParentView(parent))
{
    mView->setObjectName(QStringLiteral("mapView"));
}

void NBPlaceholderMapController::setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool)
{
    mLocation = location;
}
