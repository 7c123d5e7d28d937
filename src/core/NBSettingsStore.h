// The settings store behind NBPrefController's class operations: the standard user defaults
// first, an in-memory map second. The in-memory side holds the interface's text attributes and
// colours and the status text; per-location settings (by postal code) live here too. Nothing
// in memory is persisted.
//
// Before initSettings (run by the first setSetting) every getter answers nothing, 0 or false.
// Safe on any thread: one mutex guards the in-memory maps, the user defaults guard themselves,
// and no lock is held while the user defaults are called (their change signal may re-enter).
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

class NBSettingsStore
{
public:
    NBSettingsStore() = default;
    NBSettingsStore(const NBSettingsStore &) = delete;
    NBSettingsStore &operator=(const NBSettingsStore &) = delete;

    /// Once per store: removes stale interface styles from the user defaults and builds the
    /// in-memory map. Later calls do nothing.
    void initSettings();
    bool isInitialized() const { return mInitialized.load(); }

    /// Sets the in-memory value and the user default; a null value removes both.
    void setSetting(const QVariant &value, const QString &key);
    /// The user default (stored or registered) when there is one, else the in-memory value.
    QVariant settingForKey(const QString &key) const;
    /// A user default wins even when it converts to 0; else the in-memory value.
    int64_t integerForKey(const QString &key) const;
    float floatForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;

    /// A copy of the attribute set `baseKey` with the paragraph style stored under `styleKey`;
    /// nothing when the in-memory map has no `baseKey`.
    std::optional<QVariantMap> textForBase(const QString &baseKey, const QString &styleKey) const;

    void setLocationSetting(const QVariant &value, const QString &key, const QString &zip);
    QVariant locationSettingForKey(const QString &key, const QString &zip) const;
    void removeSettingsForLocation(const QString &zip);

    /// After initSettings only; a null text stores the empty text.
    void setStatusMessage(const QString &message);
    /// Null before initSettings or before any status was set.
    QString statusMessage() const;

private:
    QVariant memoryValue(const QString &key) const;
    QVariant userDefault(const QString &key) const;

    mutable std::mutex mMutex;
    std::once_flag mInitOnce;
    std::atomic<bool> mInitialized{false};
    QVariantMap mMemory;
    QHash<QString, QVariantMap> mLocationSettings;
};
