#include "platform/OVPropertyList.h"

#include "platform/OVFileAside.h"
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
#include <optional>

namespace {

// libplist keeps dates as seconds since 2001-01-01 00:00:00 UTC.
const qint64 kPlistEpochUnixSeconds = 978307200;
// The dates the library stores and reads back unchanged: its 32-bit seconds from 2001, less the
// very ends, where its XML reader lands one second off.
const qint64 kFirstDateSeconds = qint64(std::numeric_limits<int32_t>::min()) + 1;
const qint64 kLastDateSeconds = qint64(std::numeric_limits<int32_t>::max()) - 1;

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// libplist 2.2 asserts (and so aborts the program) when a string or key it hands out holds a NUL
// byte, which a power cut leaves in a half-written file as easily as a hostile one does. Such
// input is refused here, before libplist builds a tree from it.

// An XML document never holds a NUL byte.
bool xmlIsFreeOfNul(const QByteArray &bytes)
{
    return !bytes.contains('\0');
}

// The binary form ("bplist00"), read just far enough to see every object's marker: strings must
// hold no NUL character and UID objects (archiver references this program never writes and
// could not write back) are refused, as is an offset table that points outside the file.
// Layout: header, objects, offset table, and a 32-byte trailer (offset size, reference size,
// object count, top object, offset-table offset; integers big-endian).
class BinaryPlistCheck
{
public:
    explicit BinaryPlistCheck(const QByteArray &bytes)
        : mData(reinterpret_cast<const uint8_t *>(bytes.constData()))
        , mSize(uint64_t(bytes.size()))
    {
    }

    // Empty when the document may go to libplist; else why not.
    QString problem() const
    {
        constexpr uint64_t headerSize = 8, trailerSize = 32;
        if (mSize < headerSize + trailerSize)
            return QStringLiteral("binary document too short");
        const uint64_t trailer = mSize - trailerSize;
        const unsigned offsetSize = mData[trailer + 6];
        const uint64_t objectCount = bigEndian(trailer + 8, 8);
        const uint64_t tableOffset = bigEndian(trailer + 24, 8);
        if (offsetSize < 1 || offsetSize > 8 || tableOffset < headerSize || tableOffset > trailer
            || objectCount > (trailer - tableOffset) / offsetSize)
            return QStringLiteral("damaged binary trailer");
        for (uint64_t i = 0; i < objectCount; ++i) {
            const uint64_t offset = bigEndian(tableOffset + i * offsetSize, offsetSize);
            if (offset < headerSize || offset >= tableOffset)
                return QStringLiteral("object %1 lies outside the document").arg(i);
            if (const QString why = objectProblem(offset, tableOffset); !why.isEmpty())
                return QStringLiteral("object %1: %2").arg(i).arg(why);
        }
        return QString();
    }

private:
    uint64_t bigEndian(uint64_t offset, unsigned width) const
    {
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value = (value << 8) | mData[offset + i];
        return value;
    }

    QString objectProblem(uint64_t offset, uint64_t end) const
    {
        const uint8_t marker = mData[offset];
        const unsigned kind = marker >> 4;
        if (kind == 0x8)
            return QStringLiteral("UID objects are not supported");
        if (kind != 0x5 && kind != 0x6)
            return QString();
        // String length: the low nibble, or 0xF and an integer object that follows.
        uint64_t length = marker & 0x0F;
        uint64_t start = offset + 1;
        if (length == 0x0F) {
            if (start >= end || (mData[start] >> 4) != 0x1)
                return QStringLiteral("damaged string length");
            const unsigned width = 1u << (mData[start] & 0x0F);
            if (width > 8 || start + 1 + width > end)
                return QStringLiteral("damaged string length");
            length = bigEndian(start + 1, width);
            start += 1 + width;
        }
        const uint64_t unit = kind == 0x6 ? 2 : 1;
        if (length > (end - start) / unit)
            return QStringLiteral("string runs past the objects");
        for (uint64_t i = 0; i < length; ++i) {
            const uint64_t at = start + i * unit;
            if (mData[at] == 0 && (unit == 1 || mData[at + 1] == 0))
                return QStringLiteral("NUL character inside a string");
        }
        return QString();
    }

    const uint8_t *mData;
    uint64_t mSize;
};

// Why the bytes must not reach libplist; empty when they may.
QString inputProblem(const QByteArray &bytes)
{
    if (plist_is_binary(bytes.constData(), uint32_t(bytes.size())))
        return BinaryPlistCheck(bytes).problem();
    if (!xmlIsFreeOfNul(bytes))
        return QStringLiteral("NUL byte at offset %1").arg(bytes.indexOf('\0'));
    return QString();
}

constexpr int kMaximumDepth = 256;

// The tree as a variant; nullopt (with the reason in `problem`) for a node the value model
// cannot hold, which would otherwise read and then fail at the next write.
std::optional<QVariant> toVariant(plist_t node, int depth, QString &problem)
{
    if (!node || depth > kMaximumDepth) {
        problem = QStringLiteral("nested deeper than %1 levels").arg(kMaximumDepth);
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(bool(value));
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return QVariant(qint64(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING: {
        // The length-aware accessor: it never asserts.
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return QVariant(QString::fromUtf8(text ? text : "", text ? qsizetype(length) : 0));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        return QVariant(QByteArray(bytes, bytes ? qsizetype(length) : 0));
    }
    case PLIST_DATE: {
        int32_t sec = 0;
        int32_t usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // A damaged binary date can carry a fraction beyond a second either way; the result is
        // kept within the range the writer can store, as the writer does.
        const qint64 msec = std::clamp<qint64>(qint64(sec) * 1000 + usec / 1000,
                                               kFirstDateSeconds * 1000, kLastDateSeconds * 1000);
        return QVariant(QDateTime::fromMSecsSinceEpoch(kPlistEpochUnixSeconds * 1000 + msec, Qt::UTC));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count; ++i) {
            auto item = toVariant(plist_array_get_item(node, i), depth + 1, problem);
            if (!item)
                return std::nullopt;
            list.append(*item);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        std::unique_ptr<void, decltype(&free)> iterGuard(it, &free);
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (!key)
                break;
            std::unique_ptr<char, decltype(&free)> keyGuard(key, &free);
            auto item = toVariant(value, depth + 1, problem);
            if (!item)
                return std::nullopt;
            map.insert(QString::fromUtf8(key), *item);
        }
        return QVariant(map);
    }
    default:
        problem = QStringLiteral("a node of type %1 has no place in the value model")
                      .arg(int(plist_get_node_type(node)));
        return std::nullopt;
    }
}

// A text as libplist stores it: a C string, so a NUL would cut it short (and an XML document
// cannot hold one); it is written as U+FFFD, the character a damaged text reads as.
QByteArray storableText(const QString &text)
{
    if (!text.contains(QChar(0)))
        return text.toUtf8();
    OVLog(QStringLiteral("[OVPropertyList toXml] A text holds a NUL character; it is stored as U+FFFD."));
    QString cleaned = text;
    cleaned.replace(QChar(0), QChar::ReplacementCharacter);
    return cleaned.toUtf8();
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
        return plist_new_string(storableText(value.toString()).constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 msec = value.toDateTime().toMSecsSinceEpoch();
        const qint64 sinceEpoch = msec - kPlistEpochUnixSeconds * 1000;
        qint64 sec = qint64(std::floor(double(sinceEpoch) / 1000.0));
        // The library keeps 32-bit seconds from 2001 (about 1933 to 2069). A date beyond that
        // range (such as a "distant past" marker) is kept at the nearest end rather than wrapped
        // into an unrelated year.
        if (sec < kFirstDateSeconds || sec > kLastDateSeconds) {
            sec = std::clamp<qint64>(sec, kFirstDateSeconds, kLastDateSeconds);
            OVDebugLog(QStringLiteral("[OVPropertyList toXml] Date %1 is outside the property-list range; stored as %2.")
                           .arg(value.toDateTime().toString(Qt::ISODate))
                           .arg(QDateTime::fromSecsSinceEpoch(kPlistEpochUnixSeconds + sec, Qt::UTC).toString(Qt::ISODate)));
        }
        // The XML form holds whole seconds, and libplist would round a fraction of a date
        // before 2001 toward 2001: only the whole second (rounded down) is handed over.
        return plist_new_date(int32_t(sec), 0);
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
            plist_dict_set_item(dict, storableText(it.key()).constData(), child);
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
    if (const QString problem = inputProblem(bytes); !problem.isEmpty()) {
        OVLog(QStringLiteral("[OVPropertyList fromData] Refusing a damaged property list (%1 bytes): %2.")
                  .arg(bytes.size())
                  .arg(problem));
        return QVariant();
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    PlistPtr guard(root);
    if (!root) {
        OVLog(QStringLiteral("[OVPropertyList fromData] Not a property list (%1 bytes).").arg(bytes.size()));
        return QVariant();
    }
    QString problem;
    const std::optional<QVariant> value = toVariant(root, 0, problem);
    if (!value) {
        OVLog(QStringLiteral("[OVPropertyList fromData] Refusing a property list (%1 bytes): %2.")
                  .arg(bytes.size())
                  .arg(problem));
        return QVariant();
    }
    return *value;
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
    const QByteArray bytes = file.readAll();
    file.close();
    const QVariant value = fromData(bytes);
    if (!value.isNull())
        return value;
    // Read at every launch: a damaged file left in place would fail every start the same way.
    const QString aside = OVFileAside::setAside(path);
    if (aside.isEmpty())
        OVLog(QStringLiteral("[OVPropertyList readFile] %1 is not a readable property list and could "
                             "not be set aside; it is ignored.")
                  .arg(path));
    else
        OVLog(QStringLiteral("[OVPropertyList readFile] %1 is not a readable property list; it was "
                             "set aside as %2 and an empty one is used.")
                  .arg(path, aside));
    return QVariant();
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
