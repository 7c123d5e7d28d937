// Fuzz target for METAR decoding: the input is one report, of the station its first word names,
// decoded against several clocks (month ends, a leap day,
// the turn of a year) so the day-of-month rule meets every kind of month. The records' texts
// are then read in every unit. A crash, sanitizer report or hang is a finding.
#include "ConditionsTexts.h"
#include "FuzzSupport.h"
#include "support/FakeClock.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const FakeClock clocks[] = {
        FakeClock(QDateTime(QDate(2024, 1, 1), QTime(0, 5), QTimeZone::utc())),
        FakeClock(QDateTime(QDate(2024, 2, 29), QTime(23, 55), QTimeZone::utc())),
        FakeClock(QDateTime(QDate(2023, 3, 1), QTime(0, 0), QTimeZone::utc())),
        FakeClock(QDateTime(QDate(2024, 12, 31), QTime(12, 0), QTimeZone::utc())),
    };
    const QString report = FuzzSupport::text(data, size);
    const QString station = report.section(QLatin1Char(' '), 0, 0);
    for (const FakeClock &clock : clocks) {
        if (const auto record = OVWeatherConditions::weatherConditionsFromMETAR(report, station, nullptr, clock))
            FuzzSupport::readEveryText(*record);
    }
    return 0;
}
