// High, low and sun times of a journal day.
#include "app/journal/NBJournalDaySummary.h"

#include "core/NBPrefController.h"
#include "core/OVDateFormattingTool.h"
#include "platform/OVLocalize.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVSun.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

namespace {

const QString kMissingTime = QStringLiteral("\u2013");

QString timeText(const QDateTime &instant, const QTimeZone &zone)
{
    // The instant itself, shown in the place's zone: the place's wall clock whatever the
    // machine's zone is.
    return instant.isValid() ? OVDateFormattingTool::sharedFormattingTool().timeStringFromDate(instant, zone)
                             : kMissingTime;
}

} // namespace

NBJournalDaySummary NBJournalDaySummary::forDay(const OVWeatherLocation *location, const CalendarDate &date)
{
    NBJournalDaySummary summary{OVLocalizedString("Not Available"), OVLocalizedString("Not Available"), kMissingTime,
                                kMissingTime, QStringLiteral("0h 0m")};
    const QDate day(date.year, date.month, date.day);
    if (!location || !day.isValid())
        return summary;

    const QTimeZone zone = location->locationTimeZone();
    const QDateTime start = day.startOfDay(zone);
    const QDateTime end = day.endOfDay(zone);
    if (OVObservationsDB *database = OVObservationsDB::sharedDatabase()) {
        const OVTemperatureUnit units = OVUnits::temperatureSetting();
        if (const auto high = database->maxConditionsForICAO(location->icao(), start, end))
            summary.highTemperature = high->temperatureStringWithUnits(units);
        if (const auto low = database->minConditionsForICAO(location->icao(), start, end))
            summary.lowTemperature = low->temperatureStringWithUnits(units);
    }

    const QDateTime sunrise = OVSun::sunrise(start, *location);
    const QDateTime sunset = OVSun::sunset(start, *location);
    summary.sunrise = timeText(sunrise, zone);
    summary.sunset = timeText(sunset, zone);
    qint64 seconds = 0;
    if (sunrise.isValid())
        seconds = sunset.isValid() ? sunrise.secsTo(sunset) : 86400;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 - hours * 60;
    summary.dayLength = QStringLiteral("%1h %2m").arg(hours).arg(minutes);
    return summary;
}
