// Every text and derived value of a weather conditions record, in every unit: what the views
// would show for a decoded report. Used by the fuzz targets that make records from input.
#pragma once

#include "weather/OVWeatherConditions.h"

#include <QTimeZone>

namespace FuzzSupport {

inline void readEveryText(const OVWeatherConditions &record)
{
    for (int32_t units = 0; units <= 3; ++units) {
        (void)record.temperatureStringWithUnits(units);
        (void)record.integerTemperatureStringWithUnits(units);
        (void)record.dewpointStringWithUnits(units);
        (void)record.feelsLikeTemperatureStringWithUnits(units);
        (void)record.integerFeelsLikeTemperatureStringWithUnits(units);
        (void)record.windChillStringWithUnits(units);
        (void)record.heatIndexStringWithUnits(units);
        (void)record.visibilityStringWithUnits(units);
        (void)record.shortPressureStringWithUnits(units);
        (void)record.pressureStringWithUnits(units);
        (void)record.windSpeedStringWithUnits(units);
        (void)record.gustSpeedStringWithUnits(units);
        (void)record.windStringWithUnits(units);
        (void)record.shortCombinedSpeedStringWithUnits(units);
        (void)record.conditionsStringWithTemperatureUnits(units, units);
    }
    (void)record.humidityString();
    (void)record.skyCoverPercentageString();
    (void)record.windDirectionString();
    (void)record.skyCoverComponents();
    (void)record.description();
    (void)record.dateStringUsingTimeZone(QTimeZone::utc(), false);
    const OVWeatherConditions back = OVWeatherConditions::initWithDictionary(record.dictionaryRepresentation());
    (void)back.description();
}

} // namespace FuzzSupport
