#include "app/NBLocationController.h"

#include "app/NBController.h"
#include "platform/OVLog.h"
#include "weather/OVWeatherLocation.h"

NBLocationController::NBLocationController(NBController *primaryController, QObject *parent)
    : QAbstractListModel(parent)
    , mPrimaryController(primaryController)
{
}

OVWeatherLocationList NBLocationController::locations() const
{
    return mPrimaryController ? mPrimaryController->monitoredLocations() : OVWeatherLocationList();
}

int NBLocationController::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(locations().size());
}

QVariant NBLocationController::data(const QModelIndex &index, int role) const
{
    const std::shared_ptr<OVWeatherLocation> location = objectValue(index.row());
    if (!index.isValid() || !location)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return location->city();
    case LocationRole:
        return QVariant::fromValue(location);
    default:
        return QVariant();
    }
}

std::shared_ptr<OVWeatherLocation> NBLocationController::objectValue(int row) const
{
    const OVWeatherLocationList list = locations();
    return row >= 0 && row < list.size() ? list.at(row) : nullptr;
}

int NBLocationController::rowOfLocation(const std::shared_ptr<OVWeatherLocation> &location) const
{
    const qsizetype row = locations().indexOf(location);
    return row < 0 ? 0 : int(row);
}

void NBLocationController::reloadData()
{
    beginResetModel();
    endResetModel();
}

NBController *NBLocationController::primaryController() const
{
    return mPrimaryController;
}

void NBLocationController::openAddPanel()
{
    OVLog(QStringLiteral("[NBLocationController openAddPanel] The location list is empty; a location must be added."));
    emit addPanelRequested();
}
