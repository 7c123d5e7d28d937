// The location info window ("Get Info"): a small window that edits the current place in place
// (city, state, country, zone, coordinates, station code). It follows the current place; every
// edit goes straight into that OVWeatherLocation and redraws the panels and the map, and edits
// that change which data belongs to the place (coordinates, station) ask all four data clients
// to load it again.
//
// A text field's edit goes out when Return is pressed or the field loses focus, and only when
// its text changed; a pop-up's when an item is chosen. Main thread.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <optional>

class OVLocationDB;
class QComboBox;
class QLineEdit;

class NBLocationInfoController : public QObject
{
    Q_OBJECT

public:
    /// Builds the (hidden) window; `database` gives the country list.
    NBLocationInfoController(std::shared_ptr<OVLocationDB> database, QWidget *mainWindow, QObject *parent = nullptr);
    ~NBLocationInfoController() override;

    /// Fills the pop-ups and the fields from the weather controller's current place.
    void setupFields();
    void openWindow();
    void closeWindow();

    void setCityName();
    void setStateName();
    void setCountry();
    void setTimeZone();
    /// The field read in the user's locale through the one coordinate check (wholly a finite
    /// number within -90..90 or -180..180); then the place is loaded again. Text that fails is
    /// logged and refused: the place keeps its coordinate and nothing is asked for.
    void setLatitude();
    void setLongitude();
    /// The code in upper case, as the services know stations; then the place is loaded again.
    void setICAO();

    /// Asks the panels and the map to redraw.
    void updateDisplay();
    /// Asks the daily and hourly NDFD clients, the forecast service and the observation
    /// service to load the current place again.
    void updateData();

    QWidget *infoWindow() const { return mInfoWindow; }
    QLineEdit *cityField() const { return mCityField; }
    QLineEdit *stateField() const { return mStateField; }
    QComboBox *countryPopUp() const { return mCountryPopUp; }
    QComboBox *timeZonePopUp() const { return mTimeZonePopUp; }
    QLineEdit *latitudeField() const { return mLatitudeField; }
    QLineEdit *longitudeField() const { return mLongitudeField; }
    QLineEdit *icaoField() const { return mIcaoField; }

private:
    /// True (with a log line, the field reset to `kept`) when the typed coordinate failed the
    /// coordinate check.
    bool refuseCoordinate(QLineEdit *field, std::optional<float> value, float kept, const char *operation,
                          int limit) const;

    std::shared_ptr<OVLocationDB> mDatabase;
    QPointer<QWidget> mInfoWindow;
    QLineEdit *mCityField = nullptr;
    QLineEdit *mStateField = nullptr;
    QComboBox *mCountryPopUp = nullptr;
    QComboBox *mTimeZonePopUp = nullptr;
    QLineEdit *mLatitudeField = nullptr;
    QLineEdit *mLongitudeField = nullptr;
    QLineEdit *mIcaoField = nullptr;
    QList<QVariantMap> mCountryArray;
    bool mCountryArrayLoaded = false;
};
