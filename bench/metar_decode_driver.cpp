// bench-libraries: nimbrel_weather
// Decodes raw METAR reports the way the observation path does and prints what the conditions
// record holds, so any public set of decoded reports can be compared with this decoding:
//
//   metar_decode < reports.txt
//
// One report per input line (the station is its first group). Output: a tab-separated table with
// a header line and one line per report, in the record's base units (Celsius, degrees, knots,
// statute miles, millibars); a missing value is an empty cell. "weather" lists the decoded
// precipitation, obscuration and other-phenomena groups (intensity, descriptor, type), "sky"
// the report's sky groups.
#include "core/OVConstants.h"
#include "weather/OVWeatherConditions.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

QString cell(double value)
{
    return value == OVNoValue ? QString() : QString::number(value, 'g', 10);
}

QString weatherText(const OVWeatherConditions &c)
{
    QStringList groups;
    for (const QString &group :
         {c.precipitationIntensity() + c.precipitationDescriptor() + c.precipitationType(),
          c.obscurationIntensity() + c.obscurationDescriptor() + c.obscurationType(),
          c.otherPhenomenaIntensity() + c.otherPhenomenaDescriptor() + c.otherPhenomenaType()}) {
        if (!group.isEmpty())
            groups.append(group);
    }
    return groups.join(QLatin1Char(' '));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    std::puts("raw\ttemperature_c\tdewpoint_c\twind_direction_deg\twind_speed_kt\twind_gust_kt\t"
              "visibility_mi\tpressure_mb\tweather\tsky");
    std::string line;
    while (std::getline(std::cin, line)) {
        const QString raw = QString::fromStdString(line).trimmed();
        if (raw.isEmpty())
            continue;
        const QString station = raw.section(QLatin1Char(' '), 0, 0);
        const auto conditions = OVWeatherConditions::weatherConditionsFromMETAR(raw, station);
        QStringList cells{raw};
        if (conditions) {
            cells << cell(conditions->temperatureC()) << cell(conditions->dewpointC())
                  << cell(conditions->windDirection()) << cell(conditions->windSpeedKnots())
                  << cell(conditions->gustSpeedKnots()) << cell(conditions->visibilityMiles())
                  << cell(conditions->pressureMB()) << weatherText(*conditions)
                  << conditions->skyCover();
        } else {
            for (int i = 0; i < 9; ++i)
                cells << QString();
        }
        std::puts(cells.join(QLatin1Char('\t')).toUtf8().constData());
    }
    return 0;
}
