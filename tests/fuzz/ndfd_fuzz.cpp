// Fuzz target for NDFD replies (DWML): the text is read by the hourly and by the 12-hourly
// client; the point forecasts read, as the client files them, are written to a file and read back, and
// must come back equal. A crash, sanitizer report, a forecast that cannot be written or one that
// reads back differently is a finding.
#include "FuzzSupport.h"
#include "support/FakeClock.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVPropertyList.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVNDFD.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <variant>

namespace {

void readStoreAndReread(OVNDFDClient &client, const QString &reply, const QString &path)
{
    auto parsed = client.parseXMLIntoForecastDictionary(reply);
    const QVariantMap *forecasts = std::get_if<QVariantMap>(&parsed);
    if (!forecasts || forecasts->isEmpty())
        return;
    const QVariantMap &stored = *forecasts; // what the client files in its cache
    FuzzSupport::require(OVPropertyList::writeFile(path, stored), "a point forecast cannot be written");
    const QString difference = FuzzSupport::firstDifference(FuzzSupport::asStored(stored), OVPropertyList::readFile(path));
    if (!difference.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(difference));
    FuzzSupport::require(difference.isEmpty(), "the cache reads back differently");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzSupport::ensureApplication();
    static QTemporaryDir folder;
    static const FakeClock clock(QDateTime(QDate(2024, 5, 22), QTime(12, 0), QTimeZone::utc()));
    static OVURLManager manager;
    static OVUserDefaults settings(folder.filePath(QStringLiteral("defaults.conf")));
    const QString reply = FuzzSupport::text(data, size);
    {
        OVHourlyNDFD hourly(manager, settings, clock);
        readStoreAndReread(hourly, reply, folder.filePath(QStringLiteral("HourlyNDFDCache.plist")));
    }
    {
        OVNDFD daily(manager, settings, clock);
        readStoreAndReread(daily, reply, folder.filePath(QStringLiteral("NDFDCache.plist")));
    }
    return 0;
}
