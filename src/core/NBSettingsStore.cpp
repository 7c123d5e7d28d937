#include "core/NBSettingsStore.h"

#include "core/NBInterfaceStyle.h"
#include "core/OVTextAttributes.h"
#include "core/OVValueConversion.h"
#include "platform/OVUserDefaults.h"

namespace {

const QString kStatusMessageKey = QStringLiteral("statusMessage");

} // namespace

void NBSettingsStore::initSettings()
{
    std::call_once(mInitOnce, [this] {
        OVUserDefaults &defaults = OVUserDefaults::standard();
        for (const QString &key : NBInterfaceStyle::staleStoredKeys())
            defaults.removeObject(key);
        defaults.synchronize();
        const QVariantMap styles = NBInterfaceStyle::build();
        {
            std::lock_guard lock(mMutex);
            for (auto it = styles.begin(); it != styles.end(); ++it)
                mMemory.insert(it.key(), it.value());
        }
        mInitialized.store(true);
    });
}

void NBSettingsStore::setSetting(const QVariant &value, const QString &key)
{
    initSettings();
    {
        std::lock_guard lock(mMutex);
        if (value.isValid())
            mMemory.insert(key, value);
        else
            mMemory.remove(key);
    }
    OVUserDefaults &defaults = OVUserDefaults::standard();
    if (value.isValid())
        defaults.setObject(value, key);
    else
        defaults.removeObject(key);
}

QVariant NBSettingsStore::memoryValue(const QString &key) const
{
    std::lock_guard lock(mMutex);
    return mMemory.value(key);
}

QVariant NBSettingsStore::userDefault(const QString &key) const
{
    return OVUserDefaults::standard().objectForKey(key);
}

QVariant NBSettingsStore::settingForKey(const QString &key) const
{
    if (!isInitialized())
        return QVariant();
    const QVariant stored = userDefault(key);
    return stored.isValid() ? stored : memoryValue(key);
}

int64_t NBSettingsStore::integerForKey(const QString &key) const
{
    if (!isInitialized())
        return 0;
    const QVariant stored = userDefault(key);
    return OVValueConversion::toInteger(stored.isValid() ? stored : memoryValue(key));
}

float NBSettingsStore::floatForKey(const QString &key) const
{
    if (!isInitialized())
        return 0.0f;
    const QVariant stored = userDefault(key);
    return OVValueConversion::toFloat(stored.isValid() ? stored : memoryValue(key));
}

bool NBSettingsStore::boolForKey(const QString &key) const
{
    if (!isInitialized())
        return false;
    return OVValueConversion::toBool(settingForKey(key));
}

std::optional<QVariantMap> NBSettingsStore::textForBase(const QString &baseKey, const QString &styleKey) const
{
    if (!memoryValue(baseKey).isValid())
        return std::nullopt;
    QVariantMap attributes = settingForKey(baseKey).toMap();
    attributes.insert(OVParagraphStyleAttributeName, memoryValue(styleKey));
    return attributes;
}

void NBSettingsStore::setLocationSetting(const QVariant &value, const QString &key, const QString &zip)
{
    if (zip.isEmpty())
        return;
    std::lock_guard lock(mMutex);
    QVariantMap &settings = mLocationSettings[zip];
    if (value.isValid())
        settings.insert(key, value);
    else
        settings.remove(key);
}

QVariant NBSettingsStore::locationSettingForKey(const QString &key, const QString &zip) const
{
    if (zip.isEmpty())
        return QVariant();
    std::lock_guard lock(mMutex);
    const auto it = mLocationSettings.constFind(zip);
    return it == mLocationSettings.constEnd() ? QVariant() : it->value(key);
}

void NBSettingsStore::removeSettingsForLocation(const QString &zip)
{
    if (zip.isEmpty())
        return;
    std::lock_guard lock(mMutex);
    mLocationSettings.remove(zip);
}

void NBSettingsStore::setStatusMessage(const QString &message)
{
    if (!isInitialized())
        return;
    std::lock_guard lock(mMutex);
    mMemory.insert(kStatusMessageKey, message.isNull() ? QString(QLatin1String("")) : message);
}

QString NBSettingsStore::statusMessage() const
{
    if (!isInitialized())
        return QString();
    return memoryValue(kStatusMessageKey).toString();
}
