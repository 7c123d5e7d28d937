#include "platform/OVUserDefaults.h"

#include "platform/OVLog.h"
#include "platform/OVValueConversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimeZone>

namespace {

std::mutex gStandardMutex;
std::unique_ptr<OVUserDefaults> gStandard;

// The settings file writes a date inside a list or map in an old stream format that keeps its
// wall-clock time and drops its zone: it would come back as local time, shifted by the local
// offset. Dates are therefore written as UTC (the same instant) and a nested date read as local
// time is the UTC wall-clock time it was written with. Top-level dates keep their zone anyway.
QVariant storable(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toUTC();
    case QMetaType::QVariantList: {
        QVariantList list = value.toList();
        for (QVariant &item : list)
            item = storable(item);
        return list;
    }
    case QMetaType::QVariantMap: {
        QVariantMap map = value.toMap();
        for (QVariant &item : map)
            item = storable(item);
        return map;
    }
    default:
        return value;
    }
}

QVariant restored(const QVariant &value, bool nested)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (nested && date.timeSpec() == Qt::LocalTime)
            return QDateTime(date.date(), date.time(), QTimeZone::utc());
        return date;
    }
    case QMetaType::QVariantList: {
        QVariantList list = value.toList();
        for (QVariant &item : list)
            item = restored(item, true);
        return list;
    }
    case QMetaType::QVariantMap: {
        QVariantMap map = value.toMap();
        for (QVariant &item : map)
            item = restored(item, true);
        return map;
    }
    default:
        return value;
    }
}

} // namespace

OVUserDefaults::OVUserDefaults(const QString &path, QObject *parent)
    : QObject(parent)
    , mPath(path)
    , mSettings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
    if (mSettings->status() == QSettings::FormatError)
        OVLog(QStringLiteral("[OVUserDefaults init] Settings file %1 could not be read; it is kept as %1.corrupt before the next write.").arg(path));
}

OVUserDefaults::~OVUserDefaults()
{
    synchronize();
}

QString OVUserDefaults::standardPath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/Nimbrel/Nimbrel Core.conf");
}

OVUserDefaults &OVUserDefaults::standard()
{
    std::lock_guard lock(gStandardMutex);
    if (!gStandard)
        gStandard = std::make_unique<OVUserDefaults>(standardPath());
    return *gStandard;
}

void OVUserDefaults::resetStandard(const QString &path)
{
    std::lock_guard lock(gStandardMutex);
    QVariantMap registered;
    if (gStandard) {
        registered = gStandard->registeredDefaults();
        gStandard->synchronize();
    }
    gStandard = std::make_unique<OVUserDefaults>(path.isEmpty() ? standardPath() : path);
    gStandard->registerDefaults(registered);
}

void OVUserDefaults::registerDefaults(const QVariantMap &defaults)
{
    std::lock_guard lock(mMutex);
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        mRegistered.insert(it.key(), it.value());
}

QVariantMap OVUserDefaults::registeredDefaults() const
{
    std::lock_guard lock(mMutex);
    return mRegistered;
}

QVariant OVUserDefaults::objectForKey(const QString &key) const
{
    std::lock_guard lock(mMutex);
    QVariant stored = mSettings->value(key);
    if (stored.isValid())
        return restored(stored, false);
    return mRegistered.value(key);
}

QVariant OVUserDefaults::storedObjectForKey(const QString &key) const
{
    std::lock_guard lock(mMutex);
    return restored(mSettings->value(key), false);
}

bool OVUserDefaults::hasStoredValue(const QString &key) const
{
    std::lock_guard lock(mMutex);
    return mSettings->contains(key);
}

QString OVUserDefaults::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString || value.canConvert<QString>())
        return value.toString();
    return QString();
}

bool OVUserDefaults::variantToBool(const QVariant &value)
{
    return OVValueConversion::toBool(value);
}

qint64 OVUserDefaults::variantToInteger(const QVariant &value)
{
    return OVValueConversion::toInteger(value);
}

double OVUserDefaults::variantToDouble(const QVariant &value)
{
    return OVValueConversion::toDouble(value);
}

bool OVUserDefaults::boolForKey(const QString &key) const
{
    return variantToBool(objectForKey(key));
}

qint64 OVUserDefaults::integerForKey(const QString &key) const
{
    return variantToInteger(objectForKey(key));
}

double OVUserDefaults::doubleForKey(const QString &key) const
{
    return variantToDouble(objectForKey(key));
}

QVariantList OVUserDefaults::arrayForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QVariantMap OVUserDefaults::dictionaryForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

void OVUserDefaults::protectCorruptFile()
{
    if (mCorruptChecked)
        return;
    mCorruptChecked = true;
    if (mSettings->status() != QSettings::FormatError)
        return;
    const QString aside = mPath + QStringLiteral(".corrupt");
    QFile::remove(aside);
    if (QFile::copy(mPath, aside))
        OVLog(QStringLiteral("[OVUserDefaults setObject] Unreadable settings file copied to %1.").arg(aside));
    else
        OVLog(QStringLiteral("[OVUserDefaults setObject] Could not copy the unreadable settings file to %1.").arg(aside));
}

void OVUserDefaults::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        removeObject(key);
        return;
    }
    // The settings file keeps top-level scalars as text; a bool would come back as "false",
    // which reads as true. Store truth values the way the settings always have: "1" and "0".
    const QVariant stored = value.typeId() == QMetaType::Bool
        ? QVariant(value.toBool() ? QStringLiteral("1") : QStringLiteral("0"))
        : storable(value);
    {
        std::lock_guard lock(mMutex);
        protectCorruptFile();
        mSettings->setValue(key, stored);
    }
    emit valueChanged(key);
}

void OVUserDefaults::removeObject(const QString &key)
{
    {
        std::lock_guard lock(mMutex);
        if (!mSettings->contains(key))
            return;
        protectCorruptFile();
        mSettings->remove(key);
    }
    emit valueChanged(key);
}

bool OVUserDefaults::synchronize()
{
    std::lock_guard lock(mMutex);
    mSettings->sync();
    if (mSettings->status() == QSettings::AccessError) {
        OVLog(QStringLiteral("[OVUserDefaults synchronize] Could not write %1.").arg(mPath));
        return false;
    }
    return true;
}
