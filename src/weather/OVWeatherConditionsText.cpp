// The texts the views show for a weather conditions record, in the user's units.
//
// Every format goes through the localisation table with its English text as the key and is
// filled in the C locale; "%C" in a format stands for the degree sign and "%@" for a text
// argument. A missing value always reads "—".
#include "weather/OVWeatherConditions.h"

#include "core/OVConstants.h"
#include "core/OVDateFormattingTool.h"
#include "platform/OVLocalize.h"

#include <cmath>
#include <cstdarg>
#include <limits>

namespace {

const QString &missingText()
{
    static const QString dash(QChar(0x2014));
    return dash;
}

bool isMissing(double value)
{
    return value == OVNoValue;
}

// A whole number for "%d": truncated toward zero, as a cast would, but a value beyond int's
// range (a reply may carry 1e15 millibars) stops at the nearest end and NaN gives 0, where a
// cast would be undefined.
int truncatedInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(value);
}

/// The localised format filled with the arguments. Text arguments ("%@") are passed as UTF-8.
QString formatted(const char *englishFormat, ...)
{
    QString format = OVLocalizedString(englishFormat);
    format.replace(QLatin1String("%C"), QString(QChar(0x00B0)));
    format.replace(QLatin1String("%@"), QLatin1String("%s"));
    va_list arguments;
    va_start(arguments, englishFormat);
    const QString text = QString::vasprintf(format.toUtf8().constData(), arguments);
    va_end(arguments);
    return text;
}

bool isDegrees(OVTemperatureUnit unit)
{
    return unit == OVTemperatureUnit::Fahrenheit || unit == OVTemperatureUnit::Celsius;
}

QString temperatureText(double value, OVTemperatureUnit unit)
{
    if (isMissing(value))
        return missingText();
    return isDegrees(unit) ? formatted("%.1f%C", value) : formatted("%.1fK", value);
}

QString integerTemperatureText(double value, OVTemperatureUnit unit)
{
    if (isMissing(value))
        return missingText();
    // Half away from zero, except that values just below zero show as 0, not "-0".
    const int whole = value >= -0.5 && value < 0.0 ? 0 : truncatedInt(std::round(value));
    return isDegrees(unit) ? formatted("%d%C", whole) : formatted("%dK", whole);
}

/// A temperature with its scale's letter: "%3.1f°F", "%3.1f°C", else Kelvin.
QString labelledTemperatureText(double value, OVTemperatureUnit unit)
{
    if (isMissing(value))
        return missingText();
    switch (unit) {
    case OVTemperatureUnit::Fahrenheit: return formatted("%3.1f%CF", value);
    case OVTemperatureUnit::Celsius: return formatted("%3.1f%CC", value);
    default: return formatted("%3.1fK", value);
    }
}

QString speedText(double value, OVWindSpeedUnit unit)
{
    switch (unit) {
    case OVWindSpeedUnit::MilesPerHour: return formatted("%.0f mph", value);
    case OVWindSpeedUnit::KilometersPerHour: return formatted("%.0f km/h", value);
    case OVWindSpeedUnit::Knots: return formatted("%.0f knots", value);
    default: return formatted("%.0f m/s", value);
    }
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace

QString OVWeatherConditions::temperatureStringWithUnits(OVTemperatureUnit unit) const
{
    return temperatureText(temperatureWithUnits(unit), unit);
}

QString OVWeatherConditions::integerTemperatureStringWithUnits(OVTemperatureUnit unit) const
{
    return integerTemperatureText(temperatureWithUnits(unit), unit);
}

QString OVWeatherConditions::dewpointStringWithUnits(OVTemperatureUnit unit) const
{
    return temperatureText(dewpointWithUnits(unit), unit);
}

QString OVWeatherConditions::feelsLikeTemperatureStringWithUnits(OVTemperatureUnit unit) const
{
    return temperatureText(feelsLikeWithUnits(unit), unit);
}

QString OVWeatherConditions::integerFeelsLikeTemperatureStringWithUnits(OVTemperatureUnit unit) const
{
    return integerTemperatureText(feelsLikeWithUnits(unit), unit);
}

QString OVWeatherConditions::windChillStringWithUnits(OVTemperatureUnit unit) const
{
    return labelledTemperatureText(windChillWithUnits(unit), unit);
}

QString OVWeatherConditions::heatIndexStringWithUnits(OVTemperatureUnit unit) const
{
    return labelledTemperatureText(heatIndexWithUnits(unit), unit);
}

QString OVWeatherConditions::humidityString() const
{
    const double humidity = relativeHumidity();
    if (isMissing(humidity))
        return missingText();
    return formatted("%d%%", truncatedInt(humidity));
}

QString OVWeatherConditions::skyCoverPercentageString() const
{
    const double percent = skyCoverPercentage();
    if (percent == 0.0)
        return OVLocalizedString("Clear");
    return formatted("%d%%", truncatedInt(percent));
}

QString OVWeatherConditions::visibilityStringWithUnits(OVDistanceUnit unit) const
{
    const double value = visibilityWithUnits(unit);
    if (isMissing(value))
        return missingText();
    if (unit != OVDistanceUnit::Miles)
        return formatted("%1.0f km", value);
    return value == 1.0 ? formatted("%1.0f mile", value) : formatted("%1.0f miles", value);
}

QString OVWeatherConditions::shortPressureStringWithUnits(OVPressureUnit unit) const
{
    const double value = pressureWithUnits(unit);
    if (isMissing(value))
        return missingText();
    switch (unit) {
    case OVPressureUnit::InchesOfMercury: return formatted("%.2f in", value);
    case OVPressureUnit::Hectopascals: return formatted("%.0f hPa", value);
    case OVPressureUnit::Millibars: return formatted("%.0f mb", value);
    default: return formatted("%.1f kPa", value);
    }
}

QString OVWeatherConditions::pressureStringWithUnits(OVPressureUnit unit) const
{
    const double value = pressureWithUnits(unit);
    if (isMissing(value))
        return missingText();
    switch (unit) {
    case OVPressureUnit::InchesOfMercury: return formatted("%.2f inches", value);
    case OVPressureUnit::Hectopascals: return formatted("%.0f hectopascals", value);
    case OVPressureUnit::Millibars: return formatted("%.0f millibars", value);
    default: return formatted("%.1f kilopascals", value);
    }
}

QString OVWeatherConditions::windDirectionString() const
{
    const double checkedDirection = windDirection();
    if (isMissing(checkedDirection))
        return missingText();
    const int degrees = int(checkedDirection);
    if (degrees == -1)
        return OVLocalizedString("Variable");
    static const char *const kWords[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW", "N"};
    int nearest = 0;
    for (int i = 1; i < 9; ++i) {
        if (std::abs(degrees - i * 45) < std::abs(degrees - nearest * 45))
            nearest = i;
    }
    return OVLocalizedString(kWords[nearest]);
}

QString OVWeatherConditions::windSpeedStringWithUnits(OVWindSpeedUnit unit) const
{
    if (windSpeedMPH() < 1.0)
        return OVLocalizedString("Calm");
    return speedText(windSpeedWithUnits(unit), unit);
}

QString OVWeatherConditions::gustSpeedStringWithUnits(OVWindSpeedUnit unit) const
{
    if (gustSpeedMPH() < 1.0)
        return QString(QLatin1String(""));
    return speedText(gustSpeedWithUnits(unit), unit);
}

QString OVWeatherConditions::windStringWithUnits(OVWindSpeedUnit unit) const
{
    if (windSpeedMPH() < 1.0)
        return OVLocalizedString("Calm");
    const QString direction = windDirectionString();
    if (direction == OVLocalizedString("Not Available") || isMissing(windSpeedKnots()))
        return missingText();
    const QByteArray dir = utf8(direction);
    const double speed = windSpeedWithUnits(unit);
    if (direction != OVLocalizedString("Variable") && gustSpeedMPH() > 0.0) {
        const double gust = gustSpeedWithUnits(unit);
        switch (unit) {
        case OVWindSpeedUnit::MilesPerHour:
            return formatted("%@\n%.0f mph,\n%.0f mph gusts", dir.constData(), speed, gust);
        case OVWindSpeedUnit::KilometersPerHour:
            return formatted("%@\n%.0f km/h,\n%.0f km/h gusts", dir.constData(), speed, gust);
        case OVWindSpeedUnit::Knots:
            return formatted("%@\n%.0f knots,\n%.0f knot gusts", dir.constData(), speed, gust);
        default: return formatted("%@\n%.0f m/s,\n%.0f m/s gusts", dir.constData(), speed, gust);
        }
    }
    switch (unit) {
    case OVWindSpeedUnit::MilesPerHour: return formatted("%@\n%.0f mph", dir.constData(), speed);
    case OVWindSpeedUnit::KilometersPerHour: return formatted("%@\n%.0f km/h", dir.constData(), speed);
    case OVWindSpeedUnit::Knots: return formatted("%@\n%.0f knots", dir.constData(), speed);
    default: return formatted("%@\n%.0f m/s", dir.constData(), speed);
    }
}

QString OVWeatherConditions::shortCombinedSpeedStringWithUnits(OVWindSpeedUnit unit,
                                                               bool showUnitsString) const
{
    if (windSpeedMPH() < 1.0)
        return OVLocalizedString("Calm");
    const QString speed = QString::asprintf("%.0f", windSpeedWithUnits(unit));
    QString gust;
    if (gustSpeedMPH() > windSpeedMPH())
        gust = QString::asprintf("%.0f", gustSpeedWithUnits(unit));
    QString word;
    if (showUnitsString)
        word = OVLocalizedString(OVUnits::windSpeedAbbreviation(unit));
    const QByteArray s = utf8(speed), g = utf8(gust), w = utf8(word);
    if (!gust.isEmpty() && !word.isEmpty())
        return formatted("%@-%@\n%@", s.constData(), g.constData(), w.constData());
    if (!word.isEmpty())
        return formatted("%@ %@", s.constData(), w.constData());
    if (!gust.isEmpty())
        return formatted("%@-%@", s.constData(), g.constData());
    return speed;
}

QString OVWeatherConditions::conditionsStringWithTemperatureUnits(OVTemperatureUnit temperatureUnit,
                                                                  OVWindSpeedUnit windUnit) const
{
    QString text = temperatureStringWithUnits(temperatureUnit);
    if (windSpeedMPH() == 0.0)
        return text + OVLocalizedString(" with calm conditions.");
    if (windDirectionString() != missingText() && !isMissing(windSpeedKnots()))
        text += formatted(" with wind from the %@.", utf8(windStringWithUnits(windUnit)).constData());
    return text;
}

QString OVWeatherConditions::dateStringUsingTimeZone(const QTimeZone &zone, bool timeOnly) const
{
    if (!mDate.isValid())
        return missingText();
    OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
    return timeOnly ? tool.timeStringFromDate(mDate, zone)
                    : tool.combinedStringFromDate(mDate, zone, true);
}

QString OVWeatherConditions::description() const
{
    const QByteArray date = utf8(mDate.isValid() ? mDate.toString(Qt::ISODate) : QStringLiteral("(null)"));
    return QString::asprintf(
        "Instant Data [%s]: T[%3.2fC/%3.2fC] W[%dd at %d] G[%d] Pr[%dmb] P[%.2f/%.1f in]",
        date.constData(), temperatureC(), dewpointC(), truncatedInt(windDirection()),
        truncatedInt(windSpeedKnots()), truncatedInt(gustSpeedKnots()), truncatedInt(pressureMB()),
        mH1PrecipitationInches, mSnowPrecipitationInches);
}
