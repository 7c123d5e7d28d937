// The location list's data source: one row per monitored location of its host (the
// application controller), in list order. The display role gives the city; NBLocationController::LocationRole
// gives the OVWeatherLocation (std::shared_ptr in the variant). The list reloads through
// `reloadData` whenever the controller changes the list or new data arrived.
//
// It also runs the two sheets that add places (NBLocationPanels.cpp): the search panel looks
// places up in the location database as the user types, the custom panel builds a place from a
// station code, a name, a country, a zone and coordinates, filling in what the database knows
// about the station. Main thread only.
#pragma once

#include "app/locations/NBLocationListHost.h"
#include "weather/OVWeatherController.h"

#include <QAbstractListModel>
#include <QDialog>
#include <QPointer>
#include <QVariantMap>

#include <memory>

class NBLocationSearchRequest;
class NBLocationSearchResults;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

class NBLocationController : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { LocationRole = Qt::UserRole + 1 };

    /// `host` keeps the list and must outlive this model (it is usually the model's parent).
    explicit NBLocationController(NBLocationListHost *host, QObject *parent = nullptr);

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
    // --- The search panel ---------------------------------------------------------------------
    /// Opens the search sheet with an empty term.
    void openAddPanel();
    /// Opens the search sheet with the term in its field, selected; a term that is not empty
    /// is searched at once.
    void openAddPanelWithSearchTerm(const QString &term);
    /// The field's text, two characters or more, searched in the location database off the
    /// main thread; a shorter text gives no results and no query. One search runs at a time: a
    /// text typed meanwhile is searched when it answers, and only the newest text's answer is
    /// shown (the table filled at once).
    void search();
    /// Appends the places of the selected results, in row order (a place already listed is
    /// listed again), makes the last row current and closes the sheet.
    void closeAddPanel();
    void cancelAddPanel();
    QList<QVariantMap> locationSearch() const { return mLocationSearch; }
    void setLocationSearch(const QList<QVariantMap> &results);

    // --- The custom panel ---------------------------------------------------------------------
    /// Closes the search sheet and opens the custom sheet with every field empty and no
    /// country or zone chosen.
    void openCustomAddPanel();
    /// Checks the fields in order; the first missing or invalid one is named in an alert and
    /// the sheet stays open. Otherwise the new place is appended and made current. The
    /// coordinates must be wholly decimal numbers within their ranges.
    void closeCustomAddPanel();
    void cancelCustomAddPanel();
    void openCustomPanelError(const QString &title, const QString &text);
    /// The station code's record from the location database fills name, state, coordinates
    /// and country; a code it does not know leaves the fields as they are.
    void icaoFieldEdited();
    /// The location database's countries ("country_code", "country_name").
    QList<QVariantMap> countryList() const;
    /// The platform's zone names, sorted by their bytes, without the zone files' own entries.
    static QStringList timeZoneList();

    QDialog *addPanel() const { return mAddPanel; }
    QDialog *addCustomPanel() const { return mAddCustomPanel; }

signals:
    void addPanelRequested();

private:
    OVWeatherLocationList locations() const;
    void makeAddPanel();
    void makeAddCustomPanel();
    /// Hands the list to the host, selects and reveals its last row and, on
    /// the next pass of the event loop, makes that row's place current.
    void addLocationsAndSelectLast(const OVWeatherLocationList &list);
    void startPendingSearch();
    void searchAnswered(NBLocationSearchRequest *request, const QList<QVariantMap> &results);
    /// Forgets the search running and the text waiting: no answer of theirs is shown.
    void dropSearches();

    NBLocationListHost *mHost = nullptr;
    QList<QVariantMap> mLocationSearch;

    QPointer<QDialog> mAddPanel;
    QLineEdit *mSearchBox = nullptr;
    QTableView *mAddLocationTable = nullptr;
    NBLocationSearchResults *mAddLocationTableAC = nullptr;
    QPointer<NBLocationSearchRequest> mSearchInFlight;
    QString mPendingSearchTerm;
    QPushButton *mAddLocationButton = nullptr;

    QPointer<QDialog> mAddCustomPanel;
    QLineEdit *mCityField = nullptr;
    QLineEdit *mStateField = nullptr;
    QLineEdit *mLatitudeField = nullptr;
    QLineEdit *mLongitudeField = nullptr;
    QLineEdit *mIcaoField = nullptr;
    QComboBox *mCountryListController = nullptr;
    QComboBox *mTimeZoneListController = nullptr;
};
