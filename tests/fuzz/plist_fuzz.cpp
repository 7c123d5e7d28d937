// Fuzz target for the property lists (caches and imported preferences): read, write, re-read.
// Any input must end in a value or a refusal; a value that reads must write, and the written
// document must read back as the same value (dates to the whole second the XML form keeps, NaN
// equal to NaN). A crash, sanitizer report, libplist assertion or mismatch is a finding.
#include "FuzzSupport.h"
#include "platform/OVPropertyList.h"

#include <QDateTime>
#include <QDebug>
#include <QVariant>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId())
        return false;
    switch (a.typeId()) {
    case QMetaType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    case QMetaType::QDateTime:
        // Written as whole seconds, within the 32-bit seconds libplist keeps.
        return a.toDateTime().toSecsSinceEpoch() == b.toDateTime().toSecsSinceEpoch()
               || a.toDateTime().msecsTo(b.toDateTime()) == 0;
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!sameValue(x[i], y[i]))
                return false;
        }
        return true;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys())
            return false;
        for (auto it = x.begin(); it != x.end(); ++it) {
            if (!sameValue(it.value(), y.value(it.key())))
                return false;
        }
        return true;
    }
    default:
        return a == b;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QVariant value = OVPropertyList::fromData(bytes);
    if (value.isNull())
        return 0;
    const QByteArray xml = OVPropertyList::toXml(value);
    FuzzSupport::require(!xml.isEmpty(), "a value that reads cannot be written");
    const QVariant back = OVPropertyList::fromData(xml);
    FuzzSupport::require(!back.isNull(), "a written document does not read");
    if (!sameValue(FuzzSupport::asStored(value), back))
        qWarning() << "read:" << value << "\nre-read:" << back;
    FuzzSupport::require(sameValue(FuzzSupport::asStored(value), back), "the re-read value differs");
    return 0;
}
