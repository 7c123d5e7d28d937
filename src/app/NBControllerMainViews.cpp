// The application controller's side of the main window's views: the location list's action,
// spacing, scroller and menu requests, and the content view's delayed set-up.
#include "app/NBBaseView.h"
#include "app/NBController.h"
#include "app/NBLastUpdatedTextField.h"
#include "app/locations/NBLocationController.h"
#include "app/NBMainWindow.h"
#include "app/locations/NBTableView.h"
#include "core/views/NBScroller.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVNDFD.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherNotifications.h"

#include <QPointer>

void NBController::launchSetupMainViews()
{
    if (auto *table = qobject_cast<NBTableView *>(mWindow->locationTable())) {
        table->setAction([this](NBTableView *sender) { setCurrentLocationFromTable(sender); });
        table->setIntercellSpacing(QSizeF(7.0, 2.0));
        // Rows move by drag; the model moves the location itself, so the view copies.
        table->setDragDropMode(QAbstractItemView::DragDrop);
        table->setDefaultDropAction(Qt::CopyAction);
        table->setDragDropOverwriteMode(false);
        table->setDropIndicatorShown(true);
        table->setVerticalScrollBar(new NBScroller(table));
        connect(table, &NBTableView::reloadLocationAtIndex, this, &NBController::reloadLocationAtRow);
        connect(table, &NBTableView::removeLocationAtIndex, this, [this](int row) { removeLocationAtIndex(row); });
        connect(table, &NBTableView::addLocationRequested, mLocationController, &NBLocationController::openAddPanel);
    }
    if (auto *label = qobject_cast<NBLastUpdatedTextField *>(mWindow->lastUpdatedLabel()))
        connect(label, &NBLastUpdatedTextField::textClicked, this, &NBController::refreshData);
    if (auto *base = qobject_cast<NBBaseView *>(mWindow->baseView())) {
        // The views are handed the current location; they never ask the weather controller.
        base->setCurrentLocation(mWeatherController.currentLocation());
        OVNotificationCenter::defaultCenter().addObserver(
            this, OVNotifyNewCurrentLocation, [base = QPointer<NBBaseView>(base)](const OVNotification &notification) {
                if (base)
                    base->setCurrentLocation(notification.object.value<std::shared_ptr<OVWeatherLocation>>());
            });
        base->awakeFromNib(*mEnvironment.scheduler);
    }
}

void NBController::reloadLocationAtRow(int row)
{
    if (row < 0 || row >= mMonitoredLocations.size())
        return;
    const OVWeatherLocationList one{mMonitoredLocations.at(row)};
    OVHourlyNDFD::sharedNDFDClient().updateLocations(one);
    OVNDFD::sharedNDFDClient().updateLocations(one);
    OVBrisantDataBroker::sharedBrisantClient().updateLocations(one);
    OVBrisantObservationsBroker::sharedClient().updateLocations(one);
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

void NBController::selectLocationRow(int row)
{
    if (row < 0 || row >= mMonitoredLocations.size())
        return;
    selectRow(row);
    mWeatherController.setCurrentLocation(mMonitoredLocations.at(row));
}
