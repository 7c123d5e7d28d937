// User defaults: the program's persistent settings over QSettings (native format, XDG config
// folder), with registered defaults kept in memory.
//
// A read answers the stored value when there is one, else the registered default. Values keep
// the types they were given ("0"/"1" and "YES"/"NO" strings, lists, maps), except that the
// settings file gives top-level numbers back as text and truth values are stored as "1"/"0";
// the typed reads convert by one rule set (platform/OVValueConversion.h). Dates are kept as the
// same instant in UTC, also inside lists and maps. Every change
// emits `valueChanged(key)` on the thread that made it.
//
// A settings file that cannot be parsed is copied aside to "<file>.corrupt" before anything
// is written over it.
#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <mutex>

class OVUserDefaults : public QObject
{
    Q_OBJECT

public:
    /// Settings kept in the file at `path` (INI format).
    explicit OVUserDefaults(const QString &path, QObject *parent = nullptr);
    ~OVUserDefaults() override;

    /// The process's settings, in the user's config folder ("Nimbrel/Nimbrel Core.conf").
    static OVUserDefaults &standard();
    /// Makes `standard()` read from another file from now on (tests, preference import).
    static void resetStandard(const QString &path = QString());
    static QString standardPath();

    void registerDefaults(const QVariantMap &defaults);
    QVariantMap registeredDefaults() const;

    /// The stored value, else the registered default, else a null variant.
    QVariant objectForKey(const QString &key) const;
    /// Only the stored value (null when none is stored).
    QVariant storedObjectForKey(const QString &key) const;
    bool hasStoredValue(const QString &key) const;

    QString stringForKey(const QString &key) const;
    /// Typed reads follow OVValueConversion: text is false only for "", "0" and "no" in any
    /// case; numbers are true when non-zero; a missing key is false.
    bool boolForKey(const QString &key) const;
    /// The leading integer of text ("1.0" is 1, "YES" is 0), numbers truncated.
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;

    void setObject(const QVariant &value, const QString &key);
    void removeObject(const QString &key);
    /// Writes pending changes to the file; false when the file could not be written.
    bool synchronize();

    QString filePath() const { return mPath; }

    /// The coercions behind the typed reads, for values that come from elsewhere.
    static bool variantToBool(const QVariant &value);
    static qint64 variantToInteger(const QVariant &value);
    static double variantToDouble(const QVariant &value);

signals:
    void valueChanged(const QString &key);

private:
    void protectCorruptFile();

    QString mPath;
    mutable std::recursive_mutex mMutex;
    std::unique_ptr<QSettings> mSettings;
    QVariantMap mRegistered;
    bool mCorruptChecked = false;
};
