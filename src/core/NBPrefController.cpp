#include "core/NBPrefController.h"

#include "core/NBControllerSettings.h"
#include "core/NBRegisteredDefaults.h"
#include "core/NBSettingsStore.h"
#include "core/OVApplicationHooks.h"
#include "core/OVProcessHelpers.h"
#include "platform/OVNotificationCenter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <mutex>

namespace {

std::mutex gStoreMutex;
std::shared_ptr<NBSettingsStore> gStore;

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
