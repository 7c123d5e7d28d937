// The preferences window: pop-ups for the temperature, wind speed, distance and pressure units
// and the update frequency, and check boxes for the dew point and the update check. It only
// shows controls; NBPrefController reads and writes the settings. Main thread.
#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;

class NBPreferencesWindow : public QWidget
{
    Q_OBJECT

public:
    explicit NBPreferencesWindow(QWidget *parent = nullptr);

    QComboBox *temperatureUnits() const { return mTemperatureUnits; }
    QComboBox *windSpeedUnits() const { return mWindSpeedUnits; }
    QComboBox *distanceUnits() const { return mDistanceUnits; }
    QComboBox *pressureUnits() const { return mPressureUnits; }
    QComboBox *updateFrequency() const { return mUpdateFrequency; }
    QCheckBox *showDewpoint() const { return mShowDewpoint; }
    QCheckBox *checkForUpdates() const { return mCheckForUpdates; }

    /// Asked before the window closes; false keeps it open.
    void setShouldClose(std::function<bool()> shouldClose) { mShouldClose = std::move(shouldClose); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QComboBox *mTemperatureUnits;
    QComboBox *mWindSpeedUnits;
    QComboBox *mDistanceUnits;
    QComboBox *mPressureUnits;
    QComboBox *mUpdateFrequency;
    QCheckBox *mShowDewpoint;
    QCheckBox *mCheckForUpdates;
    std::function<bool()> mShouldClose;
};
