// Coordinates as the user reads and types them. A place's coordinates are single-precision
// numbers; their text is the shortest one that reads back as the same float, so a field shows
// "39.75" rather than the double's "39.75000000000000".
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace NBCoordinateText {

/// The shortest text that reads back as `value`, with the locale's decimal mark.
QString shortestText(float value, const QLocale &locale = QLocale::c());

/// The trimmed text read wholly as a finite decimal number of `locale`, without group
/// separators ("12.5abc", "N40", "1,5", "nan" and "inf" give none in the C locale).
std::optional<float> wholeNumber(const QString &text, const QLocale &locale = QLocale::c());

/// The one check of a typed coordinate: wholly a finite number, a latitude within -90..90 and a
/// longitude within -180..180 degrees; none otherwise.
std::optional<float> latitude(const QString &text, const QLocale &locale = QLocale::c());
std::optional<float> longitude(const QString &text, const QLocale &locale = QLocale::c());

} // namespace NBCoordinateText
