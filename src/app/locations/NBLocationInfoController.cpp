#include "app/locations/NBLocationInfoController.h"

#include "app/locations/NBCoordinateText.h"
#include "core/OVDisplayNotifications.h"
#include "core/OVLocationDB.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVNDFD.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherNotifications.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QTimeZone>

namespace {

std::shared_ptr<OVWeatherLocation> currentLocation()
{
    return OVWeatherController::sharedWeatherController().currentLocation();
}

} // namespace

NBLocationInfoController::NBLocationInfoController(std::shared_ptr<OVLocationDB> database, QWidget *mainWindow,
                                                   QObject *parent)
    : QObject(parent)
    , mDatabase(std::move(database))
{
    // A tool window of the main window: it stays above it and closes with it.
    mInfoWindow = new QWidget(mainWindow, Qt::Tool);
    mInfoWindow->setObjectName(QStringLiteral("locationInfoWindow"));
    mInfoWindow->setWindowTitle(OVLocalizedString("Location Info"));
    auto *form = new QFormLayout(mInfoWindow);
    const auto field = [form](QLineEdit *&member, const char *name, const char *label, void (NBLocationInfoController::*edit)(),
                              NBLocationInfoController *self) {
        member = new QLineEdit();
        member->setObjectName(QString::fromLatin1(name));
        form->addRow(OVLocalizedString(label), member);
        QLineEdit *edited = member;
        connect(member, &QLineEdit::editingFinished, self, [self, edited, edit] {
            if (!edited->isModified())
                return;
            edited->setModified(false);
            (self->*edit)();
        });
    };
    const auto popUp = [form](QComboBox *&member, const char *name, const char *label) {
        member = new QComboBox();
        member->setObjectName(QString::fromLatin1(name));
        form->addRow(OVLocalizedString(label), member);
    };
    field(mCityField, "cityField", "City:", &NBLocationInfoController::setCityName, this);
    field(mStateField, "stateField", "State:", &NBLocationInfoController::setStateName, this);
    popUp(mCountryPopUp, "countryPopUp", "Country:");
    popUp(mTimeZonePopUp, "timeZonePopUp", "Time Zone:");
    field(mLatitudeField, "latitudeField", "Latitude:", &NBLocationInfoController::setLatitude, this);
    field(mLongitudeField, "longitudeField", "Longitude:", &NBLocationInfoController::setLongitude, this);
    field(mIcaoField, "icaoField", "Station (ICAO):", &NBLocationInfoController::setICAO, this);
    connect(mCountryPopUp, &QComboBox::activated, this, &NBLocationInfoController::setCountry);
    connect(mTimeZonePopUp, &QComboBox::activated, this, &NBLocationInfoController::setTimeZone);
    mInfoWindow->resize(320, mInfoWindow->sizeHint().height());

    OVNotificationCenter::defaultCenter().addObserver(this, OVNotifyNewCurrentLocation, [this](const OVNotification &) { setupFields(); });
}

NBLocationInfoController::~NBLocationInfoController()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    closeWindow();
    delete mInfoWindow.data();
}

void NBLocationInfoController::setupFields()
{
    mTimeZonePopUp->clear();
    for (const QByteArray &id : QTimeZone::availableTimeZoneIds())
        mTimeZonePopUp->addItem(QString::fromLatin1(id));
    mCountryPopUp->clear();
    if (!mCountryArrayLoaded && mDatabase) {
        mCountryArray = mDatabase->countryList().value_or(QList<QVariantMap>());
        mCountryArrayLoaded = true;
    }
    for (const QVariantMap &country : mCountryArray)
        if (const QString name = country.value(QStringLiteral("country_name")).toString(); !name.isEmpty())
            mCountryPopUp->addItem(name);

    const std::shared_ptr<OVWeatherLocation> current = currentLocation();
    if (!current) {
        for (QLineEdit *text : {mCityField, mStateField, mIcaoField})
            text->clear();
        mLatitudeField->setText(QStringLiteral("0"));
        mLongitudeField->setText(QStringLiteral("0"));
        mCountryPopUp->setCurrentIndex(mCountryPopUp->count() > 0 ? 0 : -1);
        mTimeZonePopUp->setCurrentIndex(mTimeZonePopUp->count() > 0 ? 0 : -1);
        return;
    }
    mCityField->setText(current->city());
    mStateField->setText(current->stateName());
    mIcaoField->setText(current->icao());
    mLatitudeField->setText(NBCoordinateText::shortestText(float(current->latitude()), QLocale()));
    mLongitudeField->setText(NBCoordinateText::shortestText(float(current->longitude()), QLocale()));
    if (const QString country = current->countryName(); !country.isEmpty())
        mCountryPopUp->setCurrentIndex(mCountryPopUp->findText(country));
    if (current->hasLocationTimeZone()) {
        const QString zone = current->locationTimeZoneName();
        if (mTimeZonePopUp->findText(zone) < 0)
            mTimeZonePopUp->addItem(zone);
        mTimeZonePopUp->setCurrentIndex(mTimeZonePopUp->findText(zone));
    }
}

void NBLocationInfoController::openWindow()
{
    mInfoWindow->show();
    mInfoWindow->raise();
    mInfoWindow->activateWindow();
}

void NBLocationInfoController::closeWindow()
{
    if (mInfoWindow)
        mInfoWindow->close();
}

void NBLocationInfoController::setCityName()
{
    if (const auto current = currentLocation()) {
        current->setCity(mCityField->text());
        updateDisplay();
    }
}

void NBLocationInfoController::setStateName()
{
    if (const auto current = currentLocation()) {
        current->setStateName(mStateField->text());
        updateDisplay();
    }
}

void NBLocationInfoController::setCountry()
{
    const auto current = currentLocation();
    if (!current)
        return;
    const QString title = mCountryPopUp->currentText();
    current->setCountryName(title);
    for (const QVariantMap &country : mCountryArray) {
        if (country.value(QStringLiteral("country_name")).toString() == title) {
            current->setCountryCode(country.value(QStringLiteral("country_code")).toString());
            break;
        }
    }
    updateDisplay();
}

void NBLocationInfoController::setTimeZone()
{
    if (const auto current = currentLocation()) {
        current->setLocationTimeZone(QTimeZone(mTimeZonePopUp->currentText().toLatin1()));
        updateDisplay();
    }
}

bool NBLocationInfoController::refuseCoordinate(QLineEdit *field, std::optional<float> value, float kept,
                                                const char *operation, int limit) const
{
    if (value)
        return false;
    // Nothing is stored and nothing is asked for: the field shows the place's coordinate again.
    OVLog(QStringLiteral("[NBLocationInfoController %1] \"%2\" is not a number between -%3 and %3; the place keeps %4.")
              .arg(QLatin1String(operation), field->text().left(64))
              .arg(limit)
              .arg(NBCoordinateText::shortestText(kept)));
    field->setText(NBCoordinateText::shortestText(kept, QLocale()));
    return true;
}

void NBLocationInfoController::setLatitude()
{
    if (const auto current = currentLocation()) {
        const std::optional<float> value = NBCoordinateText::latitude(mLatitudeField->text(), QLocale());
        if (refuseCoordinate(mLatitudeField, value, float(current->latitude()), "setLatitude:", 90))
            return;
        current->setLatitude(*value);
        updateDisplay();
        updateData();
    }
}

void NBLocationInfoController::setLongitude()
{
    if (const auto current = currentLocation()) {
        const std::optional<float> value = NBCoordinateText::longitude(mLongitudeField->text(), QLocale());
        if (refuseCoordinate(mLongitudeField, value, float(current->longitude()), "setLongitude:", 180))
            return;
        current->setLongitude(*value);
        updateDisplay();
        updateData();
    }
}

void NBLocationInfoController::setICAO()
{
    if (const auto current = currentLocation()) {
        // Station codes are upper case; the services answer nothing for "kden".
        const QString code = mIcaoField->text().trimmed().toUpper();
        mIcaoField->setText(code);
        current->setIcao(code);
        updateDisplay();
        updateData();
    }
}

void NBLocationInfoController::updateDisplay()
{
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.post(OVNotifyRedisplayEverything);
    center.post(OVNotifyMapGeneratorNeedsDisplay);
}

void NBLocationInfoController::updateData()
{
    const std::shared_ptr<OVWeatherLocation> current = currentLocation();
    if (!current)
        return;
    OVNDFD::sharedNDFDClient().updateLocation(current);
    OVHourlyNDFD::sharedNDFDClient().updateLocation(current);
    OVBrisantDataBroker::sharedBrisantClient().updateLocations({current});
    OVBrisantObservationsBroker::sharedClient().updateLocations({current});
}
