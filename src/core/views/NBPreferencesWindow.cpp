#include "core/views/NBPreferencesWindow.h"

#include "platform/OVLocalize.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>

namespace {

QComboBox *popUp(std::initializer_list<const char *> items, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    for (const char *item : items)
        box->addItem(OVLocalizedString(item));
    return box;
}

} // namespace

NBPreferencesWindow::NBPreferencesWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , mTemperatureUnits(popUp({"Fahrenheit", "Celsius", "Kelvin"}, this))
    , mWindSpeedUnits(popUp({"mph", "km/h", "knots", "m/s"}, this))
    , mDistanceUnits(popUp({"Miles", "Kilometers"}, this))
    , mPressureUnits(popUp({"Inches of Mercury", "hPa", "kPa", "mb"}, this))
    , mUpdateFrequency(popUp({"Every 30 Minutes", "Every Hour", "Every 3 Hours", "Every 6 Hours"}, this))
    , mShowDewpoint(new QCheckBox(OVLocalizedString("Show dew point"), this))
    , mCheckForUpdates(new QCheckBox(OVLocalizedString("Check for updates at launch"), this))
{
    setWindowTitle(OVLocalizedString("Preferences"));
    auto *form = new QFormLayout(this);
    form->addRow(OVLocalizedString("Temperature:"), mTemperatureUnits);
    form->addRow(OVLocalizedString("Wind speed:"), mWindSpeedUnits);
    form->addRow(OVLocalizedString("Distance:"), mDistanceUnits);
    form->addRow(OVLocalizedString("Pressure:"), mPressureUnits);
    form->addRow(OVLocalizedString("Update weather:"), mUpdateFrequency);
    form->addRow(mShowDewpoint);
    form->addRow(mCheckForUpdates);
}

void NBPreferencesWindow::closeEvent(QCloseEvent *event)
{
    if (mShouldClose && !mShouldClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
