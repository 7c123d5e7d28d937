#include "core/NBPrefController.h"

#include "core/NBControllerSettings.h"
#include "core/NBPreferencesWindow.h"
#include "core/NBRegisteredDefaults.h"
#include "core/NBSettingsStore.h"
#include "core/OVApplicationHooks.h"
#include "core/OVProcessHelpers.h"
#include "platform/OVNotificationCenter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <mutex>

namespace {

std::mutex gStoreMutex;
std::shared_ptr<NBSettingsStore> gStore;

// Update-frequency pop-up items and the seconds they stand for.
constexpr std::array<int64_t, 4> kUpdateSeconds = {1800, 3600, 10800, 21600};
constexpr int64_t kDefaultUpdateSeconds = 3600;

const QString kSupportFolderName = QStringLiteral("Nimbrel Core");

QString dataHome()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : data;
}

} // namespace

// --- Settings store ------------------------------------------------------------------------

std::shared_ptr<NBSettingsStore> NBPrefController::sharedStore()
{
    std::lock_guard lock(gStoreMutex);
    if (!gStore)
        gStore = std::make_shared<NBSettingsStore>();
    return gStore;
}

void NBPrefController::resetStore()
{
    std::lock_guard lock(gStoreMutex);
    gStore = std::make_shared<NBSettingsStore>();
}

void NBPrefController::initSettings()
{
    sharedStore()->initSettings();
}

void NBPrefController::setSetting(const QVariant &value, const QString &key)
{
    sharedStore()->setSetting(value, key);
}

QVariant NBPrefController::settingForKey(const QString &key)
{
    return sharedStore()->settingForKey(key);
}

int64_t NBPrefController::integerForKey(const QString &key)
{
    return sharedStore()->integerForKey(key);
}

float NBPrefController::floatForKey(const QString &key)
{
    return sharedStore()->floatForKey(key);
}

bool NBPrefController::boolForKey(const QString &key)
{
    return sharedStore()->boolForKey(key);
}

std::optional<QVariantMap> NBPrefController::centerTextForBase(const QString &baseKey)
{
    return sharedStore()->textForBase(baseKey, QStringLiteral("centerTextAlignment"));
}

std::optional<QVariantMap> NBPrefController::leftTextForBase(const QString &baseKey)
{
    return sharedStore()->textForBase(baseKey, QStringLiteral("leftTextAlignment"));
}

std::optional<QVariantMap> NBPrefController::rightTextForBase(const QString &baseKey)
{
    return sharedStore()->textForBase(baseKey, QStringLiteral("rightTextAlignment"));
}

QString NBPrefController::headerGradientImage()
{
    return QStringLiteral("headerGradient");
}

void NBPrefController::setLocationSetting(const QVariant &value, const QString &key, const QString &zip)
{
    sharedStore()->setLocationSetting(value, key, zip);
}

QVariant NBPrefController::locationSettingForKey(const QString &key, const QString &zip)
{
    return sharedStore()->locationSettingForKey(key, zip);
}

void NBPrefController::removeSettingsForLocation(const QString &zip)
{
    sharedStore()->removeSettingsForLocation(zip);
}

void NBPrefController::setStatusMessage(const QString &message)
{
    sharedStore()->setStatusMessage(message);
}

QString NBPrefController::statusMessage()
{
    return sharedStore()->statusMessage();
}

// --- Folders -------------------------------------------------------------------------------

QString NBPrefController::nimbrelCoreSupportPath()
{
    const QString container = QDir::homePath() + QStringLiteral("/.var/app/") + OVApplicationIdentifier
                              + QStringLiteral("/data/") + kSupportFolderName;
    if (QFileInfo(container).isDir())
        return container;
    return dataHome() + QLatin1Char('/') + kSupportFolderName;
}

QString NBPrefController::nimbrelCoreObservationsPath()
{
    return nimbrelCoreSupportPath() + QStringLiteral("/Observations");
}

QString NBPrefController::nimbrelCoreJournalPath()
{
    return nimbrelCoreSupportPath() + QStringLiteral("/Journal Entries");
}

QString NBPrefController::nimbrelCoreCachePath()
{
    return nimbrelCoreSupportPath() + QStringLiteral("/Cache");
}

QString NBPrefController::oldNimbrelSupportPath()
{
    return dataHome() + QStringLiteral("/Nimbrel");
}

QString NBPrefController::localizedUserSitesPath()
{
    return QDir::homePath() + QStringLiteral("/Sites");
}

// --- Preferences window --------------------------------------------------------------------

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
        connect(popUp, &QComboBox::activated, this,
                [key = QString(key)](int item) { setSetting(QVariant::fromValue(qint64(item)), key); });
    }
    const std::pair<QCheckBox *, QLatin1String> checkBoxes[] = {
        {mWindow->showDewpoint(), NBSettingKey::showDewpoint},
        {mWindow->checkForUpdates(), NBSettingKey::checkForUpdates},
    };
    for (const auto &[box, key] : checkBoxes) {
        connect(box, &QCheckBox::clicked, this, [key = QString(key)](bool checked) {
            setSetting(checked ? QStringLiteral("1") : QStringLiteral("0"), key);
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
}

NBPreferencesWindow *NBPrefController::window() const
{
    return mWindow.get();
}

bool NBPrefController::windowShouldClose()
{
    NBControllerSettings::writeSettingsToDisk();
    if (const std::shared_ptr<OVApplicationHooks> hooks = OVApplicationHooks::installed()) {
        hooks->redisplayMainWindow();
        hooks->updateJournalValues();
    }
    OVNotificationCenter::defaultCenter().post(QStringLiteral("OVNotifyRedisplayEverything"),
                                               QVariant::fromValue(static_cast<QObject *>(this)));
    return true;
}
