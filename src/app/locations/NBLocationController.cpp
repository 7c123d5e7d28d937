#include "app/locations/NBLocationController.h"

#include "platform/OVLog.h"
#include "weather/OVWeatherLocation.h"

#include <QItemSelectionModel>
#include <QMimeData>

namespace {

const QString kDragType = QStringLiteral("zipcodeType");

} // namespace

NBLocationController::NBLocationController(NBLocationListHost *host, QObject *parent)
    : QAbstractListModel(parent)
    , mHost(host)
{
}

OVWeatherLocationList NBLocationController::locations() const
{
    return mHost ? mHost->monitoredLocations() : OVWeatherLocationList();
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

Qt::ItemFlags NBLocationController::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? (base | Qt::ItemIsDragEnabled) & ~Qt::ItemIsDropEnabled : base | Qt::ItemIsDropEnabled;
}

QStringList NBLocationController::mimeTypes() const
{
    return {kDragType};
}

QMimeData *NBLocationController::mimeData(const QModelIndexList &indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto *data = new QMimeData();
    data->setData(kDragType, QByteArray::number(indexes.first().row()));
    return data;
}

bool NBLocationController::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &parent) const
{
    return data && data->hasFormat(kDragType) && !parent.isValid();
}

bool NBLocationController::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                        const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent) || !mHost)
        return false;
    // Only a whole decimal number names a row: "3x" or "x" must not move a place nobody dragged.
    const QByteArray text = data->data(kDragType);
    bool ok = false;
    const qlonglong source = text.toLongLong(&ok, 10);
    OVWeatherLocationList list = locations();
    const qsizetype count = list.size();
    if (row < 0)
        row = int(count);
    if (!ok || text.isEmpty() || row > count || source < 0 || source >= count) {
        OVLog(QStringLiteral("[NBLocationController tableView:acceptDrop:] Drop refused (row %1, source \"%2\").")
                  .arg(row)
                  .arg(QString::fromLatin1(text.left(32))));
        return false;
    }
    list.insert(row, list.at(source));
    list.removeAt(row < source ? source + 1 : source);
    const int moved = source < row ? row - 1 : row;
    mHost->setMonitoredLocations(list);
    reloadData();
    mHost->selectLocationRow(moved);
    return true;
}
