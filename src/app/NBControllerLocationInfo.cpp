// The application controller's side of the location info window: opened and closed by
// "Get Info", reopened at launch when it was open at quit (`showInfoPanel`).
#include "app/NBController.h"
#include "app/locations/NBLocationInfoController.h"
#include "app/NBMainWindow.h"
#include "app/NBSecondaryWindows.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"

namespace {

const QString kShowInfoPanel = QStringLiteral("showInfoPanel");

} // namespace

void NBController::toggleInfo()
{
    if (NBPrefController::boolForKey(kShowInfoPanel)) {
        if (mLocationInfoController)
            NBSecondaryWindows::rememberWindow(mLocationInfoController->infoWindow(), NBSettingKey::infoWindowGeometry);
        delete mLocationInfoController; // closes its window
        mLocationInfoController = nullptr;
        NBPrefController::setSetting(0, kShowInfoPanel);
        return;
    }
    openLocationInfo();
    NBPrefController::setSetting(1, kShowInfoPanel);
}

void NBController::openLocationInfo()
{
    if (!mLocationInfoController) {
        mLocationInfoController = new NBLocationInfoController(locationDatabase(), mWindow.get(), this);
        QWidget *window = mLocationInfoController->infoWindow();
        NBSecondaryWindows::placeWindow(window, mWindow.get(), NBSettingKey::infoWindowGeometry);
        secondaryWindowsMade()->trackWindow(window, NBSettingKey::infoWindowGeometry);
    }
    mLocationInfoController->setupFields();
    mLocationInfoController->openWindow();
}
