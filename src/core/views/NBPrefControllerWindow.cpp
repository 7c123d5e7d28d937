// The preferences window's controller: the instance side of NBPrefController. It lives with
// the drawing kit because it owns a window; the class operations (the settings store) stay in
// core, so a library that only reads settings never links a widget.
#include "core/NBPrefController.h"

#include "core/NBControllerSettings.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVApplicationHooks.h"
#include "core/OVDisplayNotifications.h"
#include "core/views/NBPreferencesWindow.h"
#include "platform/OVNotificationCenter.h"

#include <QCheckBox>
#include <QComboBox>

#include <array>

namespace {

// Update-frequency pop-up items and the seconds they stand for.
constexpr std::array<int64_t, 4> kUpdateSeconds = {1800, 3600, 10800, 21600};
constexpr int64_t kDefaultUpdateSeconds = 3600;

} // namespace

NBPrefController::NBPrefController(QObject *parent)
    : QObject(parent)
    , mWindow(std::make_unique<NBPreferencesWindow>())
{
    mWindow->setShouldClose([this] { return windowShouldClose(); });
    awakeFromNib();
}

NBPrefController::~NBPrefController() = default;

void NBPrefController::awakeFromNib()
{
    connectControls();
    setupPrefs();
}

std::array<std::pair<QComboBox *, QLatin1String>, 4> NBPrefController::unitPopUps() const
{
    return {{{mWindow->temperatureUnits(), NBSettingKey::temperatureUnits},
             {mWindow->windSpeedUnits(), NBSettingKey::windSpeedUnits},
             {mWindow->distanceUnits(), NBSettingKey::distanceUnits},
             {mWindow->pressureUnits(), NBSettingKey::pressureUnits}}};
}

void NBPrefController::connectControls()
{
    // `activated` and `clicked` come from the user only, so filling the controls in setupPrefs
    // writes nothing back.
    connect(mWindow->updateFrequency(), &QComboBox::activated, this, &NBPrefController::actionHandler);
    for (const auto &[popUp, key] : unitPopUps()) {
        connect(popUp, &QComboBox::activated, this, [this, key = QString(key)](int item) {
            setSetting(QVariant::fromValue(qint64(item)), key);
            redisplayEverything();
        });
    }
    const std::pair<QCheckBox *, QLatin1String> checkBoxes[] = {
        {mWindow->showDewpoint(), NBSettingKey::showDewpoint},
        {mWindow->checkForUpdates(), NBSettingKey::checkForUpdates},
    };
    for (const auto &[box, key] : checkBoxes) {
        connect(box, &QCheckBox::clicked, this, [this, key = QString(key)](bool checked) {
            setSetting(checked ? QStringLiteral("1") : QStringLiteral("0"), key);
            redisplayEverything();
        });
    }
}

void NBPrefController::setupPrefs()
{
    const int64_t seconds = integerForKey(NBSettingKey::updateFrequency);
    int item = 1;
    for (size_t i = 0; i < kUpdateSeconds.size(); ++i) {
        if (kUpdateSeconds[i] == seconds)
            item = int(i);
    }
    mWindow->updateFrequency()->setCurrentIndex(item);

    for (const auto &[popUp, key] : unitPopUps()) {
        const int64_t code = integerForKey(key);
        popUp->setCurrentIndex(code >= 0 && code < popUp->count() ? int(code) : 0);
    }
    mWindow->showDewpoint()->setChecked(boolForKey(NBSettingKey::showDewpoint));
    mWindow->checkForUpdates()->setChecked(boolForKey(NBSettingKey::checkForUpdates));
}

void NBPrefController::actionHandler(int updateFrequencyItem)
{
    const int64_t seconds = updateFrequencyItem >= 0 && size_t(updateFrequencyItem) < kUpdateSeconds.size()
                                ? kUpdateSeconds[size_t(updateFrequencyItem)]
                                : kDefaultUpdateSeconds;
    setSetting(QVariant::fromValue(qint64(seconds)), NBSettingKey::updateFrequency);
    redisplayEverything();
}

NBPreferencesWindow *NBPrefController::window() const
{
    return mWindow.get();
}

bool NBPrefController::windowShouldClose()
{
    NBControllerSettings::writeSettingsToDisk();
    redisplayEverything();
    return true;
}

void NBPrefController::redisplayEverything()
{
    if (const std::shared_ptr<OVApplicationHooks> hooks = OVApplicationHooks::installed()) {
        hooks->redisplayMainWindow();
        hooks->updateJournalValues();
    }
    OVNotificationCenter::defaultCenter().post(OVNotifyRedisplayEverything,
                                               QVariant::fromValue(static_cast<QObject *>(this)));
}
