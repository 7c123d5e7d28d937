// Fuzz target for the Brisant line format: the reply is parsed into the client's content, the
// cache is saved and read back by a second client, and the two contents must be equal. A crash,
// sanitizer report, a cache that cannot be written or one that reads back differently is a
// finding.
#include "FuzzSupport.h"
#include "support/FakeClock.h"
#include "weather/OVBrisantDataBroker.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzSupport::ensureApplication();
    static QTemporaryDir folder;
    static const FakeClock clock(QDateTime(QDate(2024, 5, 22), QTime(12, 0), QTimeZone::utc()));
    const QString path = folder.filePath(QStringLiteral("BrisantCache.plist"));
    QFile::remove(path);

    QVariantMap stored;
    {
        OVBrisantDataBroker broker(clock);
        broker.setSaveFilePath(path);
        broker.updatePostProcessing(FuzzSupport::text(data, size));
        stored = broker.content(); // after the queued stores, pruning and save
    }
    OVBrisantDataBroker reader(clock);
    reader.setSaveFilePath(path);
    reader.loadFromPrefs();
    if (stored.isEmpty())
        return 0;
    FuzzSupport::require(QFile::exists(path), "the cache was not written");
    const QString difference = FuzzSupport::firstDifference(FuzzSupport::asStored(stored), reader.content());
    if (!difference.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(difference));
    FuzzSupport::require(difference.isEmpty(), "the cache reads back differently");
    return 0;
}
