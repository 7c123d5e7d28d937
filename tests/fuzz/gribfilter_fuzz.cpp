// Fuzz target for the grib filter's readers. The first byte picks the reader, the rest is its
// input: 0 a model's date folder listing, 1 a date folder's cycle listing, 2 a run folder's
// forecast file listing, 3 an inventory (".idx"). Each answer must hold only what the text
// names, in its documented order; a crash, sanitizer report or another answer is a finding.
#include "FuzzSupport.h"
#include "gribfilter/GribFilterService.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace GribFilterService;
    if (size == 0)
        return 0;
    const QString text = FuzzSupport::text(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        const QStringList dates = parseDateDirectories(text, QStringLiteral("gfs"));
        for (qsizetype i = 0; i < dates.size(); ++i) {
            FuzzSupport::require(text.contains(QStringLiteral("gfs.") + dates[i]), "a date the listing does not name");
            FuzzSupport::require(i == 0 || dates[i - 1] > dates[i], "dates not newest first, once each");
        }
        break;
    }
    case 1: {
        const QList<int> hours = parseCycleDirectories(text, {0, 6, 12, 18});
        for (qsizetype i = 0; i < hours.size(); ++i) {
            FuzzSupport::require(QList<int>{0, 6, 12, 18}.contains(hours[i]), "a cycle hour not allowed");
            FuzzSupport::require(i == 0 || hours[i - 1] > hours[i], "cycle hours not highest first, once each");
        }
        break;
    }
    case 2: {
        const QList<ForecastHour> hours =
            parseForecastHourFiles(text, QStringLiteral("gfs.t12z.pgrb2.0p25.f"), 3, QString());
        for (qsizetype i = 0; i < hours.size(); ++i) {
            FuzzSupport::require(text.contains(hours[i].fileName), "a file the listing does not name");
            FuzzSupport::require(i == 0 || hours[i - 1].hour < hours[i].hour, "hours not increasing, once each");
        }
        break;
    }
    default: (void)parseInventory(text); break;
    }
    return 0;
}
