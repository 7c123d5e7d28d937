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

std::optional<float> wholeNumber(const QString &text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const float value = c.toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace NBCoordinateText
