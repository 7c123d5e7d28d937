// The module settings store: an in-memory map behind the standard user defaults, and the tagged
// QVariant archive format.
#include "core/views/OVSettings.h"

#include "core/views/OVAttributedString.h"
#include "platform/OVValueConversion.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <QDataStream>
#include <QIODevice>

#include <mutex>

namespace {

// An archive opens with this tag and version, then holds exactly one QVariant.
constexpr quint32 kArchiveTag = 0x4F564152; // "OVAR"
constexpr quint16 kArchiveVersion = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

struct Store
{
    std::mutex mutex;
    QVariantMap memory;
};

Store &store()
{
    static Store shared; // made once, thread-safely
    return shared;
}

std::optional<QVariantMap> textForBase(const QString &key, quint64 alignment)
{
    const QVariant value = OVSettings::unarchivedSettingForKey(key);
    if (!value.isValid())
        return std::nullopt;
    QVariantMap attributes = value.toMap();
    attributes.insert(OVParagraphStyleAttributeName,
                      QVariant::fromValue(OVAttributedString::paragraphStyleForAlignment(alignment)));
    return attributes;
}

} // namespace

void OVSettings::initSettings()
{
    store();
}

void OVSettings::setSetting(const QVariant &value, const QString &key)
{
    Store &s = store();
    {
        std::lock_guard lock(s.mutex);
        if (value.isValid())
            s.memory.insert(key, value);
        else
            s.memory.remove(key);
    }
    if (value.isValid())
        OVUserDefaults::standard().setObject(value, key);
    else
        OVUserDefaults::standard().removeObject(key);
}

QVariant OVSettings::settingForKey(const QString &key)
{
    Store &s = store();
    const QVariant stored = OVUserDefaults::standard().objectForKey(key);
    if (stored.isValid())
        return stored;
    std::lock_guard lock(s.mutex);
    return s.memory.value(key);
}

int64_t OVSettings::intForKey(const QString &key)
{
    return OVValueConversion::toInteger(settingForKey(key));
}

float OVSettings::floatForKey(const QString &key)
{
    return OVValueConversion::toFloat(settingForKey(key));
}

bool OVSettings::boolForKey(const QString &key)
{
    return OVValueConversion::toBool(settingForKey(key));
}

QVariant OVSettings::unarchivedSettingForKey(const QString &key)
{
    const QVariant value = settingForKey(key);
    if (value.typeId() != QMetaType::QByteArray)
        return QVariant();
    return unarchive(value.toByteArray());
}

void OVSettings::registerSavedDefaults(const QVariantMap &defaults)
{
    initSettings();
    OVUserDefaults::standard().registerDefaults(defaults);
}

QString OVSettings::moduleKey(const QString &module, const QString &key)
{
    return QStringLiteral("Module_%1_%2").arg(module, key);
}

void OVSettings::moduleRegisterSavedDefaults(const QString &module, const QVariantMap &defaults)
{
    QVariantMap keyed;
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        keyed.insert(moduleKey(module, it.key()), it.value());
    registerSavedDefaults(keyed);
}

void OVSettings::moduleSetSetting(const QString &module, const QVariant &value, const QString &key)
{
    setSetting(value, moduleKey(module, key));
}

QVariant OVSettings::moduleSettingForKey(const QString &module, const QString &key)
{
    return settingForKey(moduleKey(module, key));
}

int64_t OVSettings::moduleIntForKey(const QString &module, const QString &key)
{
    return intForKey(moduleKey(module, key));
}

float OVSettings::moduleFloatForKey(const QString &module, const QString &key)
{
    return floatForKey(moduleKey(module, key));
}

bool OVSettings::moduleBoolForKey(const QString &module, const QString &key)
{
    return boolForKey(moduleKey(module, key));
}

QVariant OVSettings::moduleUnarchivedSettingForKey(const QString &module, const QString &key)
{
    return unarchivedSettingForKey(moduleKey(module, key));
}

std::optional<QVariantMap> OVSettings::centerTextForBase(const QString &key)
{
    return textForBase(key, OVAttributedString::Center);
}

std::optional<QVariantMap> OVSettings::leftTextForBase(const QString &key)
{
    return textForBase(key, OVAttributedString::Left);
}

std::optional<QVariantMap> OVSettings::rightTextForBase(const QString &key)
{
    return textForBase(key, OVAttributedString::Right);
}

QByteArray OVSettings::archivedData(const QVariant &value)
{
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    stream.setVersion(kStreamVersion);
    stream << kArchiveTag << kArchiveVersion << value;
    if (stream.status() != QDataStream::Ok) {
        OVLog(QStringLiteral("[OVSettings archivedData] Cannot archive a value of type %1.")
                  .arg(QString::fromLatin1(value.typeName())));
        return QByteArray();
    }
    return data;
}

QVariant OVSettings::unarchive(const QByteArray &data)
{
    QDataStream stream(data);
    stream.setVersion(kStreamVersion);
    quint32 tag = 0;
    quint16 version = 0;
    stream >> tag >> version;
    if (stream.status() != QDataStream::Ok || tag != kArchiveTag || version != kArchiveVersion) {
        OVLog(QStringLiteral("[OVSettings unarchivedSettingForKey] The stored bytes are not an archived value."));
        return QVariant();
    }
    QVariant value;
    stream >> value;
    if (stream.status() != QDataStream::Ok || !stream.atEnd() || !value.isValid()) {
        OVLog(QStringLiteral("[OVSettings unarchivedSettingForKey] The archived value is damaged."));
        return QVariant();
    }
    return value;
}
