#include "platform/OVPropertyList.h"

#include "platform/OVLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimeZone>

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

// libplist keeps dates as seconds since 2001-01-01 00:00:00 UTC.
const qint64 kPlistEpochUnixSeconds = 978307200;

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

QVariant toVariant(plist_t node, int depth)
{
    if (!node || depth > 256)
        return QVariant();
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return qint64(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_STRING: {
        char *text = nullptr;
        plist_get_string_val(node, &text);
        QString result = QString::fromUtf8(text ? text : "");
        free(text);
        return result;
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray result(bytes, qsizetype(length));
        free(bytes);
        return result;
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 msec = (kPlistEpochUnixSeconds + sec) * 1000 + usec / 1000;
        return QDateTime::fromMSecsSinceEpoch(msec, Qt::UTC);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count; ++i)
            list.append(toVariant(plist_array_get_item(node, i), depth + 1));
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (!key)
                break;
            map.insert(QString::fromUtf8(key), toVariant(value, depth + 1));
            free(key);
        }
        free(it);
        return map;
    }
    default:
        return QVariant();
    }
}

plist_t fromVariant(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 msec = value.toDateTime().toMSecsSinceEpoch();
        const qint64 sinceEpoch = msec - kPlistEpochUnixSeconds * 1000;
        qint64 sec = qint64(std::floor(double(sinceEpoch) / 1000.0));
        qint64 usec = (sinceEpoch - sec * 1000) * 1000;
        // The library keeps 32-bit seconds from 2001 (about 1933 to 2069). A date beyond that
        // range (such as a "distant past" marker) is kept at the nearest end rather than wrapped
        // into an unrelated year.
        if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max()) {
            sec = std::clamp<qint64>(sec, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
            usec = 0;
            OVDebugLog(QStringLiteral("[OVPropertyList toXml] Date %1 is outside the property-list range; stored as %2.")
                           .arg(value.toDateTime().toString(Qt::ISODate))
                           .arg(QDateTime::fromSecsSinceEpoch(kPlistEpochUnixSeconds + sec, Qt::UTC).toString(Qt::ISODate)));
        }
        return plist_new_date(int32_t(sec), int32_t(usec));
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant &item : value.toList()) {
            plist_t child = fromVariant(item);
            if (!child) {
                plist_free(array);
                return nullptr;
            }
            plist_array_append_item(array, child);
        }
        return array;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            plist_t child = fromVariant(it.value());
            if (!child) {
                plist_free(dict);
                return nullptr;
            }
            plist_dict_set_item(dict, it.key().toUtf8().constData(), child);
        }
        return dict;
    }
    default:
        OVLog(QStringLiteral("[OVPropertyList toXml] Value of type %1 cannot be stored in a property list.")
                  .arg(QString::fromLatin1(value.typeName() ? value.typeName() : "null")));
        return nullptr;
    }
}

} // namespace

namespace OVPropertyList {

QVariant fromData(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QVariant();
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    PlistPtr guard(root);
    if (!root) {
        OVLog(QStringLiteral("[OVPropertyList fromData] Not a property list (%1 bytes).").arg(bytes.size()));
        return QVariant();
    }
    return toVariant(root, 0);
}

QByteArray toXml(const QVariant &value)
{
    PlistPtr root(fromVariant(value));
    if (!root)
        return QByteArray();
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(root.get()), &xml, &length);
    QByteArray result(xml, qsizetype(length));
    plist_to_xml_free(xml);
    return result;
}

QVariant readFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QVariant();
    if (!file.open(QIODevice::ReadOnly)) {
        OVLog(QStringLiteral("[OVPropertyList readFile] Could not open %1: %2").arg(path, file.errorString()));
        return QVariant();
    }
    const QVariant value = fromData(file.readAll());
    if (value.isNull())
        OVLog(QStringLiteral("[OVPropertyList readFile] %1 is not a readable property list; it is left as it is.").arg(path));
    return value;
}

bool writeFile(const QString &path, const QVariant &value)
{
    const QByteArray xml = toXml(value);
    if (xml.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        OVLog(QStringLiteral("[OVPropertyList writeFile] Could not write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace OVPropertyList
