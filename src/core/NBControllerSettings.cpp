#include "core/NBControllerSettings.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVApplicationHooks.h"
#include "core/OVConstants.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <array>

namespace {

// Slider positions 1..14 and the graph widths they stand for.
constexpr std::array<int, 14> kDaysBySlider = {366, 186, 93, 62, 31, 21, 14, 7, 6, 5, 4, 3, 2, 1};

// The keys every saved location form has, with the value an unset field is saved as.
QVariantMap alwaysWrittenLocationKeys()
{
    return {
        {QStringLiteral("location_id"), 0},
        {QStringLiteral("appsettings"), QVariantMap()},
        {QStringLiteral("timezonename"), QStringLiteral("GMT")},
        {QStringLiteral("latitude"), float(OVNoValue)},
        {QStringLiteral("longitude"), float(OVNoValue)},
        {QStringLiteral("elevation"), float(OVNoValue)},
    };
}

// An entry of just a place id and a station code is restored through the location database.
bool isLookupForm(const QVariantMap &entry)
{
    return entry.size() == 2 && entry.contains(QStringLiteral("location_id"))
           && entry.contains(QStringLiteral("icao"));
}

} // namespace

QVariantMap NBControllerSettings::getDefaultPrefs()
{
    OVSetDebugLoggingEnabled(0);
    return NBRegisteredDefaults::table();
}

void NBControllerSettings::launchSetupPreferences()
{
    OVUserDefaults::standard().registerDefaults(getDefaultPrefs());
    readSettingsFromDisk();
}

void NBControllerSettings::readSettingsFromDisk()
{
    OVUserDefaults &defaults = OVUserDefaults::standard();
    for (const QLatin1String key : {NBSettingKey::graphWidthDays, NBSettingKey::graph1Type,
                                    NBSettingKey::graph2Type, NBSettingKey::updateFrequency})
        NBPrefController::setSetting(defaults.objectForKey(key), key);
    const QVariant debug = defaults.objectForKey(NBSettingKey::debug);
    if (debug.typeId() == QMetaType::QString && debug.toString() == QLatin1String("YES"))
        OVSetDebugLoggingEnabled(1);
}

void NBControllerSettings::writeSettingsToDisk()
{
    OVUserDefaults &defaults = OVUserDefaults::standard();
    for (const QLatin1String key : {NBSettingKey::graphWidthDays, NBSettingKey::graph1Type, NBSettingKey::graph2Type})
        defaults.setObject(QVariant::fromValue(qint64(NBPrefController::integerForKey(key))), key);
    if (const std::shared_ptr<OVApplicationHooks> hooks = OVApplicationHooks::installed()) {
        defaults.setObject(hooks->monitoredLocationDictionaries(), NBSettingKey::locations);
        if (const std::optional<double> width = hooks->splitViewFirstPaneWidth())
            defaults.setObject(*width, NBSettingKey::splitViewLocation);
    }
    const QVariant checkForUpdates = NBPrefController::settingForKey(NBSettingKey::checkForUpdates);
    if (checkForUpdates.isValid())
        defaults.setObject(checkForUpdates, NBSettingKey::checkForUpdates);
    defaults.synchronize();
}

QVariantList NBControllerSettings::savedLocations()
{
    const QVariant stored = OVUserDefaults::standard().objectForKey(NBSettingKey::locations);
    if (!stored.isValid())
        return {};
    if (stored.typeId() != QMetaType::QVariantList) {
        OVLog(QStringLiteral("[NBController readSettingsFromDisk] The saved locations are not a list (%1); no locations restored.")
                  .arg(QString::fromLatin1(stored.typeName())));
        return {};
    }
    QVariantList result;
    const QVariantList entries = stored.toList();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QVariant &entry = entries.at(i);
        if (entry.typeId() != QMetaType::QVariantMap) {
            OVLog(QStringLiteral("[NBController readSettingsFromDisk] Saved location %1 is not a dictionary (%2); skipped.")
                      .arg(i)
                      .arg(QString::fromLatin1(entry.typeName())));
            continue;
        }
        QVariantMap location = entry.toMap();
        if (!isLookupForm(location)) {
            QStringList missing;
            const QVariantMap unset = alwaysWrittenLocationKeys();
            for (auto it = unset.begin(); it != unset.end(); ++it) {
                if (!location.contains(it.key())) {
                    location.insert(it.key(), it.value());
                    missing << it.key();
                }
            }
            if (!missing.isEmpty())
                OVLog(QStringLiteral("[NBController readSettingsFromDisk] Saved location %1 lacks %2; unset values used.")
                          .arg(i)
                          .arg(missing.join(QStringLiteral(", "))));
        }
        result.append(location);
    }
    return result;
}

int NBControllerSettings::sliderValueForDays(int days)
{
    if (days <= 1)
        return 14;
    for (size_t i = 0; i < kDaysBySlider.size(); ++i) {
        if (kDaysBySlider[i] == days)
            return int(i) + 1;
    }
    return 1;
}

int NBControllerSettings::daysForSliderValue(int sliderValue)
{
    if (sliderValue > 14)
        return 1;
    if (sliderValue < 1)
        return 366;
    return kDaysBySlider[size_t(sliderValue - 1)];
}

QString NBControllerSettings::textForDays(int days)
{
    switch (days) {
    case 1: return OVLocalizedString("One Day");
    case 2: return OVLocalizedString("Two Day");
    case 3: return OVLocalizedString("Three Day");
    case 4: return OVLocalizedString("Four Day");
    case 5: return OVLocalizedString("Five Day");
    case 6: return OVLocalizedString("Six Day");
    case 7: return OVLocalizedString("One Week");
    case 14: return OVLocalizedString("Two Week");
    case 21: return OVLocalizedString("Three Week");
    case 31: return OVLocalizedString("One Month");
    case 62: return OVLocalizedString("Two Month");
    case 93: return OVLocalizedString("Three Month");
    case 186: return OVLocalizedString("Six Month");
    case 366: return OVLocalizedString("One Year");
    default: return QStringLiteral("1 Day");
    }
}
