// Fuzz target for the radar and satellite inventories (one time "yyyyMMddhhmm" per line, as
// the map's layers read them). The list, when one is read, holds only valid times and never
// more than the text has lines; the nearest-time lookups answer a listed time. A crash,
// sanitizer report or another answer is a finding.
#include "FuzzSupport.h"
#include "core/remote/OVInventory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzSupport::ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    OVInventory inventory;
    inventory.parseInventoryString(QString::fromLatin1(bytes)); // as a downloaded list is read
    const QList<QDateTime> dates = inventory.inventoryDates();
    FuzzSupport::require(inventory.dataReady() == !dates.isEmpty(), "ready without dates");
    FuzzSupport::require(dates.size() <= bytes.count('\n') + 1, "more times than lines");
    for (const QDateTime &date : dates)
        FuzzSupport::require(date.isValid(), "an invalid time in the list");
    if (!dates.isEmpty()) {
        const QDateTime probe = QDateTime(QDate(2024, 3, 10), QTime(6, 40), QTimeZone::utc());
        FuzzSupport::require(dates.contains(inventory.closestInventoryToDate(probe)), "a nearest time not listed");
    }
    return 0;
}
