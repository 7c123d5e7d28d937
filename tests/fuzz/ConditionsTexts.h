// Every text and derived value of a weather conditions record, in every unit: what the views
// would show for a decoded report. Used by the fuzz targets that make records from input.
#pragma once

#include "weather/OVWeatherConditions.h"

#include <QTimeZone>

namespace FuzzSupport {

inline void readEveryText(const OVWeatherConditions &record)
{
    for (int32_t code = 0; code <= 3; ++code) {
        const auto temperature = OVUnits::fromCode<OVTemperatureUnit>(code);
        const auto speed = OVUnits::fromCode<OVWindSpeedUnit>(code);
        const auto pressure = OVUnits::fromCode<OVPressureUnit>(code);
        (void)record.temperatureStringWithUnits(temperature);
        (void)record.integerTemperatureStringWithUnits(temperature);
        (void)record.dewpointStringWithUnits(temperature);
        (void)record.feelsLikeTemperatureStringWithUnits(temperature);
        (void)record.integerFeelsLikeTemperatureStringWithUnits(temperature);
        (void)record.windChillStringWithUnits(temperature);
        (void)record.heatIndexStringWithUnits(temperature);
        (void)record.visibilityStringWithUnits(OVUnits::fromCode<OVDistanceUnit>(code));
        (void)record.shortPressureStringWithUnits(pressure);
        (void)record.pressureStringWithUnits(pressure);
        (void)record.windSpeedStringWithUnits(speed);
        (void)record.gustSpeedStringWithUnits(speed);
        (void)record.windStringWithUnits(speed);
        (void)record.shortCombinedSpeedStringWithUnits(speed);
        (void)record.conditionsStringWithTemperatureUnits(temperature, speed);
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
