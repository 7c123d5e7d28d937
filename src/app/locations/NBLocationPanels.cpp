// The two sheets that add places to the list: the search panel (the location database searched
// as the user types) and the custom panel (a place typed by hand, its station's record filling
// in the rest). Both are window-modal dialogs over the main window, made on first use and kept.
#include "app/NBAlertService.h"
#include "app/locations/NBCoordinateText.h"
#include "app/locations/NBLocationController.h"
#include "app/locations/NBTableView.h"
#include "core/OVLocationDB.h"
#include "core/OVReloadNotifications.h"
#include "platform/OVDispatch.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVWeatherLocation.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QAbstractTableModel>
#include <QPushButton>
#include <QTableView>
#include <QTimeZone>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace {

constexpr int kEndedByButton = 1;

// Result columns: the dictionary key each shows, and its heading.
const std::pair<const char *, const char *> kResultColumns[] = {
    {"city", "City"}, {"state", "State"}, {"country_name", "Country"}, {"icao", "Station"}, {"station_name", "Station Name"}};

QDialog *makeSheet(QWidget *window, const char *name, const QString &title)
{
    auto *sheet = new QDialog(window);
    sheet->setObjectName(QString::fromLatin1(name));
    sheet->setWindowTitle(title);
    sheet->setWindowModality(Qt::WindowModal);
    return sheet;
}

QLineEdit *addField(QFormLayout *form, const char *name, const QString &label)
{
    auto *field = new QLineEdit();
    field->setObjectName(QString::fromLatin1(name));
    form->addRow(label, field);
    return field;
}

// Return presses `button` wherever the focus is in the sheet. The button must already be in
// its dialog when it is made the default, or the dialog never learns of it; the sheet's other
// buttons must not take the default over when they get the focus.
void makeOnlyDefault(QPushButton *button, QDialogButtonBox *buttons)
{
    for (QAbstractButton *other : buttons->buttons()) {
        if (auto *push = qobject_cast<QPushButton *>(other); push && push != button)
            push->setAutoDefault(false);
    }
    button->setDefault(true);
}

} // namespace

// The search's answer as the panel's table: set whole, in one reset, however many rows.
class NBLocationSearchResults final : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    /// Gives back the rows shown until now.
    QList<QVariantMap> setRows(const QList<QVariantMap> &rows)
    {
        beginResetModel();
        QList<QVariantMap> previous = std::exchange(mRows, rows);
        endResetModel();
        return previous;
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(mRows.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(std::size(kResultColumns));
    }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= mRows.size())
            return {};
        const char *key = kResultColumns[index.column()].first;
        return mRows.at(index.row()).value(QString::fromLatin1(key)).toString().trimmed();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= int(std::size(kResultColumns)))
            return QAbstractTableModel::headerData(section, orientation, role);
        return OVLocalizedString(kResultColumns[section].second);
    }

private:
    QList<QVariantMap> mRows;
};

// One search handed to the location database's pool; deleting it drops its answer.
class NBLocationSearchRequest final : public QObject, public OVLocationSearchDelegate
{
public:
    using Answered = std::function<void(NBLocationSearchRequest *, const QList<QVariantMap> &)>;
    NBLocationSearchRequest(Answered answered, QObject *parent)
        : QObject(parent)
        , mAnswered(std::move(answered))
    {
    }
    void setLocationSearch(const QList<QVariantMap> &results) override { mAnswered(this, results); }

private:
    Answered mAnswered;
};

// --- Search panel -------------------------------------------------------------------------------

void NBLocationController::openAddPanel()
{
    emit addPanelRequested();
    openAddPanelWithSearchTerm(QString());
}

void NBLocationController::makeAddPanel()
{
    QWidget *window = mHost ? mHost->sheetParent() : nullptr;
    mAddPanel = makeSheet(window, "addPanel", OVLocalizedString("Add Location"));
    auto *layout = new QVBoxLayout(mAddPanel);
    layout->addWidget(new QLabel(OVLocalizedString("Search by city, state, country, station code or ZIP code:")));
    mSearchBox = new QLineEdit();
    mSearchBox->setObjectName(QStringLiteral("searchBox"));
    mSearchBox->setClearButtonEnabled(true);
    layout->addWidget(mSearchBox);

    mAddLocationTableAC = new NBLocationSearchResults(mAddPanel);
    mAddLocationTableAC->setObjectName(QStringLiteral("addLocationTableAC"));
    mAddLocationTable = new QTableView();
    mAddLocationTable->setObjectName(QStringLiteral("addLocationTable"));
    mAddLocationTable->setModel(mAddLocationTableAC);
    mAddLocationTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    mAddLocationTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mAddLocationTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mAddLocationTable->verticalHeader()->hide();
    mAddLocationTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(mAddLocationTable, 1);

    auto *buttons = new QDialogButtonBox(mAddPanel);
    QPushButton *custom = buttons->addButton(OVLocalizedString("Custom Location..."), QDialogButtonBox::ResetRole);
    custom->setObjectName(QStringLiteral("customLocationButton"));
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelAddPanelButton"));
    mAddLocationButton = buttons->addButton(OVLocalizedString("Add"), QDialogButtonBox::AcceptRole);
    mAddLocationButton->setObjectName(QStringLiteral("addLocationButton"));
    layout->addWidget(buttons);
    makeOnlyDefault(mAddLocationButton, buttons);
    mAddPanel->resize(620, 380);

    connect(mSearchBox, &QLineEdit::textEdited, this, &NBLocationController::search);
    connect(mAddLocationTable, &QTableView::doubleClicked, this, &NBLocationController::closeAddPanel);
    connect(custom, &QPushButton::clicked, this, &NBLocationController::openCustomAddPanel);
    connect(buttons, &QDialogButtonBox::rejected, this, &NBLocationController::cancelAddPanel);
    connect(mAddLocationButton, &QPushButton::clicked, this, &NBLocationController::closeAddPanel);
    // Escape and the window's close button end the sheet as Cancel does.
    connect(mAddPanel, &QDialog::rejected, this, [this] { setLocationSearch({}); });
    // However the sheet ends, an answer still on its way is not shown.
    connect(mAddPanel, &QDialog::finished, this, &NBLocationController::dropSearches);
}

void NBLocationController::openAddPanelWithSearchTerm(const QString &term)
{
    if (!mAddPanel)
        makeAddPanel();
    dropSearches();
    setLocationSearch({});
    mSearchBox->setText(term);
    mSearchBox->selectAll();
    if (!term.isEmpty())
        search();
    mSearchBox->setFocus();
    mAddPanel->open();
}

void NBLocationController::search()
{
    const QString text = mSearchBox ? mSearchBox->text() : QString();
    if (text.size() < 2) {
        dropSearches();
        setLocationSearch({});
        return;
    }
    // The query runs on the database's pool; while one runs, the newest text waits its turn.
    mPendingSearchTerm = text;
    if (!mSearchInFlight)
        startPendingSearch();
}

void NBLocationController::startPendingSearch()
{
    const QString term = std::exchange(mPendingSearchTerm, QString());
    const std::shared_ptr<OVLocationDB> database = mHost ? mHost->locationDatabase() : nullptr;
    if (!database) {
        setLocationSearch({});
        return;
    }
    auto *request = new NBLocationSearchRequest(
        [this](NBLocationSearchRequest *answered, const QList<QVariantMap> &results) {
            searchAnswered(answered, results);
        },
        this);
    mSearchInFlight = request;
    database->threadedWeatherLocationsForSearchTerm(term, request);
}

void NBLocationController::searchAnswered(NBLocationSearchRequest *request, const QList<QVariantMap> &results)
{
    request->deleteLater();
    if (request != mSearchInFlight)
        return;
    mSearchInFlight = nullptr;
    // A newer text was typed while this one ran: its answer is the one to show.
    if (!mPendingSearchTerm.isEmpty()) {
        startPendingSearch();
        return;
    }
    setLocationSearch(results);
}

void NBLocationController::dropSearches()
{
    mPendingSearchTerm.clear();
    delete mSearchInFlight.data();
    mSearchInFlight = nullptr;
}

void NBLocationController::setLocationSearch(const QList<QVariantMap> &results)
{
    // The answer before may be thousands of rows: they are freed on the pool, not here.
    QList<QVariantMap> previous = std::exchange(mLocationSearch, results);
    QList<QVariantMap> shown = mAddLocationTableAC ? mAddLocationTableAC->setRows(results) : QList<QVariantMap>();
    if (!previous.isEmpty() || !shown.isEmpty())
        OVDispatch::global([previous = std::move(previous), shown = std::move(shown)] {});
    if (mAddLocationTableAC && !results.isEmpty())
        mAddLocationTable->selectRow(0);
}

void NBLocationController::closeAddPanel()
{
    if (!mHost || !mAddPanel)
        return;
    OVWeatherLocationList list = mHost->monitoredLocations();
    const std::shared_ptr<OVLocationDB> database = mHost->locationDatabase();
    QModelIndexList rows = mAddLocationTable->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &row : rows) {
        const QVariantMap entry = mLocationSearch.value(row.row());
        const qint32 id = qint32(entry.value(QStringLiteral("location_id")).toLongLong());
        const QString icao = entry.value(QStringLiteral("icao")).toString();
        auto location = database ? std::dynamic_pointer_cast<OVWeatherLocation>(database->weatherLocationWithID(id, icao)) : nullptr;
        if (!location)
            continue;
        OVBrisantObservationsBroker::sharedClient().updateLocations({location});
        list.append(location);
    }
    addLocationsAndSelectLast(list);
    mAddPanel->done(kEndedByButton);
}

void NBLocationController::cancelAddPanel()
{
    if (mAddPanel && mAddPanel->isVisible())
        mAddPanel->done(kEndedByButton);
}

void NBLocationController::addLocationsAndSelectLast(const OVWeatherLocationList &list)
{
    NBLocationListHost *host = mHost;
    host->setMonitoredLocations(list);
    QListView *table = host->locationTable();
    if (!table || list.isEmpty())
        return;
    const QModelIndex last = index(int(list.size()) - 1);
    table->selectionModel()->select(last, QItemSelectionModel::ClearAndSelect);
    table->scrollTo(last);
    // The model goes with its host, and the call with the model.
    QTimer::singleShot(0, this, [host, table = QPointer<QListView>(table)] {
        host->setCurrentLocationFromTable(qobject_cast<NBTableView *>(table.data()));
    });
}

// --- Custom panel -------------------------------------------------------------------------------

QList<QVariantMap> NBLocationController::countryList() const
{
    const std::shared_ptr<OVLocationDB> database = mHost ? mHost->locationDatabase() : nullptr;
    const QList<QVariantMap> countries = database ? database->countryList().value_or(QList<QVariantMap>()) : QList<QVariantMap>();
    OVDebugLog(QStringLiteral("Country count: %1").arg(countries.size()));
    return countries;
}

QStringList NBLocationController::timeZoneList()
{
    QList<QByteArray> ids = QTimeZone::availableTimeZoneIds();
    std::sort(ids.begin(), ids.end());
    QStringList names;
    for (const QByteArray &id : ids) {
        if (id == "+VERSION" || id == "iso3166.tab" || id == "posixrules" || id == "zone.tab")
            continue;
        names.append(QString::fromLatin1(id));
    }
    return names;
}

void NBLocationController::makeAddCustomPanel()
{
    QWidget *window = mHost ? mHost->sheetParent() : nullptr;
    mAddCustomPanel = makeSheet(window, "addCustomPanel", OVLocalizedString("Add Custom Location"));
    auto *layout = new QVBoxLayout(mAddCustomPanel);
    auto *form = new QFormLayout();
    layout->addLayout(form);
    mIcaoField = addField(form, "icaoField", OVLocalizedString("Station (ICAO):"));
    mCityField = addField(form, "cityField", OVLocalizedString("City:"));
    mStateField = addField(form, "stateField", OVLocalizedString("State:"));
    mCountryListController = new QComboBox();
    mCountryListController->setObjectName(QStringLiteral("countryListController"));
    for (const QVariantMap &country : countryList())
        mCountryListController->addItem(country.value(QStringLiteral("country_name")).toString(), country);
    form->addRow(OVLocalizedString("Country:"), mCountryListController);
    mTimeZoneListController = new QComboBox();
    mTimeZoneListController->setObjectName(QStringLiteral("timeZoneListController"));
    mTimeZoneListController->addItems(timeZoneList());
    form->addRow(OVLocalizedString("Time Zone:"), mTimeZoneListController);
    mLatitudeField = addField(form, "latitudeField", OVLocalizedString("Latitude:"));
    mLongitudeField = addField(form, "longitudeField", OVLocalizedString("Longitude:"));

    auto *buttons = new QDialogButtonBox(mAddCustomPanel);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelCustomAddPanelButton"));
    QPushButton *add = buttons->addButton(OVLocalizedString("Add"), QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("addCustomLocationButton"));
    layout->addWidget(buttons);
    makeOnlyDefault(add, buttons);

    connect(mIcaoField, &QLineEdit::textEdited, this, &NBLocationController::icaoFieldEdited);
    connect(buttons, &QDialogButtonBox::rejected, this, &NBLocationController::cancelCustomAddPanel);
    connect(add, &QPushButton::clicked, this, &NBLocationController::closeCustomAddPanel);
}

void NBLocationController::openCustomAddPanel()
{
    cancelAddPanel();
    if (!mAddCustomPanel)
        makeAddCustomPanel();
    for (QLineEdit *field : {mIcaoField, mCityField, mStateField, mLatitudeField, mLongitudeField})
        field->clear();
    mCountryListController->setCurrentIndex(-1);
    mTimeZoneListController->setCurrentIndex(-1);
    mIcaoField->selectAll();
    mIcaoField->setFocus();
    mAddCustomPanel->open();
}

void NBLocationController::cancelCustomAddPanel()
{
    if (mAddCustomPanel && mAddCustomPanel->isVisible())
        mAddCustomPanel->done(kEndedByButton);
}

void NBLocationController::openCustomPanelError(const QString &title, const QString &text)
{
    if (mHost)
        mHost->alerts().showAlert(title, text, OVLocalizedString("OK"));
}

void NBLocationController::closeCustomAddPanel()
{
    if (!mHost || !mAddCustomPanel)
        return;
    const QString missing = OVLocalizedString("Missing Required Field");
    const QString invalid = OVLocalizedString("Invalid Data");
    auto location = std::make_shared<OVWeatherLocation>();

    if (mIcaoField->text().isEmpty())
        return openCustomPanelError(missing, OVLocalizedString("Please enter an ICAO code for this location."));
    location->setIcao(mIcaoField->text().toUpper());

    if (mCityField->text().isEmpty())
        return openCustomPanelError(missing, OVLocalizedString("Please enter a city or location name."));
    location->setCity(mCityField->text());
    if (!mStateField->text().isEmpty())
        location->setStateName(mStateField->text());

    if (mCountryListController->currentIndex() < 0)
        return openCustomPanelError(missing, OVLocalizedString("Please choose a country for this location."));
    const QVariantMap country = mCountryListController->currentData().toMap();
    location->setCountryCode(country.value(QStringLiteral("country_code")).toString());
    location->setCountryName(country.value(QStringLiteral("country_name")).toString());

    const int zone = mTimeZoneListController->currentIndex();
    location->setLocationTimeZoneName(zone < 0 ? QStringLiteral("UTC") : mTimeZoneListController->currentText());

    // A coordinate must be wholly a number: "N40" or "12.5abc" would otherwise put a place at
    // a position nobody typed. None comes back once the alert has named what is wrong.
    using Check = std::optional<float> (*)(const QString &, const QLocale &);
    const auto coordinate = [&](QLineEdit *field, Check check, const QString &missingText,
                                const QString &rangeText) -> std::optional<float> {
        if (field->text().isEmpty()) {
            openCustomPanelError(missing, missingText);
            return std::nullopt;
        }
        const std::optional<float> value = check(field->text(), QLocale::c());
        if (!value) {
            openCustomPanelError(invalid, rangeText);
            return std::nullopt;
        }
        return value;
    };
    const std::optional<float> latitude =
        coordinate(mLatitudeField, &NBCoordinateText::latitude, OVLocalizedString("Please enter a latitude between -90 and 90 degrees."),
                   OVLocalizedString("Latitude must be a decimal between -90 and 90 degrees."));
    if (!latitude)
        return;
    const std::optional<float> longitude =
        coordinate(mLongitudeField, &NBCoordinateText::longitude, OVLocalizedString("Please enter a longitude between -180 and 180 degrees."),
                   OVLocalizedString("Longitude must be a decimal between -180 and 180 degrees."));
    if (!longitude)
        return;
    location->setLatitude(*latitude, *longitude);

    OVNotificationCenter::defaultCenter().post(OVNotifyForceReload);
    OVWeatherLocationList list = mHost->monitoredLocations();
    list.append(location);
    addLocationsAndSelectLast(list);
    mAddCustomPanel->done(kEndedByButton);
}

void NBLocationController::icaoFieldEdited()
{
    const std::shared_ptr<OVLocationDB> database = mHost ? mHost->locationDatabase() : nullptr;
    if (!database || !mIcaoField)
        return;
    const std::optional<QVariantMap> station = database->icaoDictionary(mIcaoField->text().toUpper());
    if (!station)
        return;
    mCityField->setText(station->value(QStringLiteral("station_name")).toString().trimmed());
    if (station->contains(QStringLiteral("state")))
        mStateField->setText(station->value(QStringLiteral("state")).toString());
    mLatitudeField->setText(NBCoordinateText::shortestText(station->value(QStringLiteral("latitude")).toFloat()));
    mLongitudeField->setText(NBCoordinateText::shortestText(station->value(QStringLiteral("longitude")).toFloat()));
    const QString code = station->value(QStringLiteral("country_code")).toString();
    if (code.isEmpty())
        return;
    for (int i = 0; i < mCountryListController->count(); ++i) {
        if (mCountryListController->itemData(i).toMap().value(QStringLiteral("country_code")).toString() == code) {
            mCountryListController->setCurrentIndex(i);
            break;
        }
    }
}
