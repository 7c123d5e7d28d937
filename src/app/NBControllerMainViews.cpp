// The application controller's side of the main window's views: the location list's action,
// spacing and scroller, and the content view's delayed set-up.
#include "app/NBBaseView.h"
#include "app/NBController.h"
#include "app/NBLocationController.h"
#include "app/NBMainWindow.h"
#include "app/NBTableView.h"
#include "core/views/NBScroller.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherLocation.h"

void NBController::launchSetupMainViews()
{
    if (auto *table = qobject_cast<NBTableView *>(mWindow->locationTable())) {
        table->setAction([this](NBTableView *sender) { setCurrentLocationFromTable(sender); });
        table->setIntercellSpacing(QSizeF(7.0, 2.0));
        table->setVerticalScrollBar(new NBScroller(table));
    }
    if (auto *base = qobject_cast<NBBaseView *>(mWindow->baseView())) {
        base->awakeFromNib(*mEnvironment.scheduler);
        // The forecast strip and the dial are handed the current location, never ask for it.
        base->setCurrentLocation(mWeatherController.currentLocation());
        OVNotificationCenter::defaultCenter().addObserver(
            base, QStringLiteral("OVNotifyNewCurrentLocation"), [base](const OVNotification &notification) {
                base->setCurrentLocation(notification.object.value<std::shared_ptr<OVWeatherLocation>>());
            });
    }
}

void NBController::setCurrentLocationFromTable(NBTableView *table)
{
    if (!table)
        return;
    int row = table->clickedRow();
    if (row < 0)
        row = table->selectedRow();
    mWeatherController.setCurrentLocation(row < 0 ? nullptr : mLocationController->objectValue(row));
}
