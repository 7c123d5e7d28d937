#include "app/locations/NBCoordinateText.h"

#include <charconv>
#include <cmath>

namespace NBCoordinateText {

QString shortestText(float value, const QLocale &locale)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc())
        return QString();
    QString text = QString::fromLatin1(buffer, end - buffer);
    if (locale.language() != QLocale::C) {
        text.replace(QLatin1Char('.'), locale.decimalPoint());
        text.replace(QLatin1Char('-'), locale.negativeSign());
    }
    return text;
}

std::optional<float> wholeNumber(const QString &text, const QLocale &locale)
{
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const float value = strict.toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

std::optional<float> within(std::optional<float> value, float limit)
{
    if (!value || std::fabs(*value) > limit)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<float> latitude(const QString &text, const QLocale &locale)
{
    return within(wholeNumber(text, locale), 90.0f);
}

std::optional<float> longitude(const QString &text, const QLocale &locale)
{
    return within(wholeNumber(text, locale), 180.0f);
}

} // namespace NBCoordinateText
