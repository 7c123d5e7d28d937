// A class-level settings store for self-contained modules, with per-module keys
// ("Module_<module>_<key>") and archived values.
//
// Reads follow the program's one precedence rule: the user default (stored or registered) first,
// then this store's in-memory value, converted with the settings store's rules (OVValueConversion).
// Writes go to both. Archived values are blocks of bytes holding one QVariant in a tagged
// QDataStream; a block in any other form (the user can edit the settings file) unarchives to
// nothing, with a log line. Safe on any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <optional>

class OVSettings
{
public:
    /// Makes the in-memory store (once per process); every operation runs it first.
    static void initSettings();

    /// Stores the value in memory and in the user defaults; a null value removes both.
    static void setSetting(const QVariant &value, const QString &key);
    /// The user default when there is one, else the in-memory value.
    static QVariant settingForKey(const QString &key);
    static int64_t intForKey(const QString &key);
    static float floatForKey(const QString &key);
    static bool boolForKey(const QString &key);
    /// The value archived in the setting's bytes; null when the setting is not bytes or the
    /// bytes are not an archive.
    static QVariant unarchivedSettingForKey(const QString &key);
    /// Registers the user defaults' fallback values.
    static void registerSavedDefaults(const QVariantMap &defaults);

    /// "Module_<module>_<key>".
    static QString moduleKey(const QString &module, const QString &key);
    static void moduleRegisterSavedDefaults(const QString &module, const QVariantMap &defaults);
    static void moduleSetSetting(const QString &module, const QVariant &value, const QString &key);
    static QVariant moduleSettingForKey(const QString &module, const QString &key);
    static int64_t moduleIntForKey(const QString &module, const QString &key);
    static float moduleFloatForKey(const QString &module, const QString &key);
    static bool moduleBoolForKey(const QString &module, const QString &key);
    static QVariant moduleUnarchivedSettingForKey(const QString &module, const QString &key);

    /// The attribute dictionary archived under `key`, with the centred, left or right
    /// tail-truncating paragraph style added; nothing when no dictionary is stored.
    static std::optional<QVariantMap> centerTextForBase(const QString &key);
    static std::optional<QVariantMap> leftTextForBase(const QString &key);
    static std::optional<QVariantMap> rightTextForBase(const QString &key);

    /// The archive form of a value (what unarchivedSettingForKey reads); empty when the value
    /// cannot be archived.
    static QByteArray archivedData(const QVariant &value);
    /// The value of an archive; null (and a log line) for anything that is not one.
    static QVariant unarchive(const QByteArray &data);
};
