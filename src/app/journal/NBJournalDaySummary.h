// The journal header's values for one day at one place: the observed high and low of that day
// in the place's own zone, sunrise and sunset as the place's wall-clock times, and the day
// length. Main thread only (it reads the shared observation database and formatters).
#pragma once

#include "app/journal/CalendarCell.h"

#include <QString>

class OVWeatherLocation;

struct NBJournalDaySummary
{
    QString highTemperature;
    QString lowTemperature;
    QString sunrise;
    QString sunset;
    /// "%dh %dm"
    QString dayLength;

    /// No place: "Not Available", "–" and "0h 0m". The day runs from the start to the end of
    /// `date` in the place's zone; temperatures use the `temperatureUnits` setting.
    static NBJournalDaySummary forDay(const OVWeatherLocation *location, const CalendarDate &date);
};
