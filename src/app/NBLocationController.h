// The location list's data source: one row per monitored location of the application
// controller, in list order. The display role gives the city; NBLocationController::LocationRole
// gives the OVWeatherLocation (std::shared_ptr in the variant). The list reloads through
// `reloadData` whenever the controller changes the list or new data arrived. Main thread only.
#pragma once

#include "weather/OVWeatherController.h"

#include <QAbstractListModel>
#include <QPointer>

#include <memory>

class NBController;

class NBLocationController : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { LocationRole = Qt::UserRole + 1 };

    explicit NBLocationController(NBController *primaryController, QObject *parent = nullptr);

    NBController *primaryController() const;

    /// The number of monitored locations.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    /// The location at `row`; null for a row beyond the list.
    std::shared_ptr<OVWeatherLocation> objectValue(int row) const;
    /// The index of this very location object in the list; 0 when absent or the list is empty.
    int rowOfLocation(const std::shared_ptr<OVWeatherLocation> &location) const;

    // Reordering by drag: one row moves; its index travels as ASCII text under the private
    // format "zipcodeType". Drops go between rows only.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    QStringList mimeTypes() const override;
    /// The first dragged row's index; nothing for no rows.
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    /// Refuses drops onto a row (`parent` valid).
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    /// Moves the dragged location to the gap before `row` (below the rows: `row` = count, or
    /// -1) and makes it current. A text that is not wholly a decimal index, or an index or
    /// row out of range, is refused.
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    /// Shows the list as it is now.
    void reloadData();
    /// Opens the panel for adding a location. The entry panels are not built yet: it only logs.
    void openAddPanel();

signals:
    void addPanelRequested();

private:
    OVWeatherLocationList locations() const;

    QPointer<NBController> mPrimaryController;
};
