// The English weather texts of the daily NDFD client: the phrases of a period's weather values
// ("Chance of rain and snow."), short and full, and the probability prefix
// ("40% chance of rain showers.").
//
// A weather value is a QVariantMap with "coverage", "intensity", "weather-type" and "qualifier",
// each present only when `verifiedAttributeStringFromCondition` accepted it. Pure functions,
// any thread.
#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace OVNDFDForecastText {

inline const QString coverageKey = QStringLiteral("coverage");
inline const QString intensityKey = QStringLiteral("intensity");
inline const QString weatherTypeKey = QStringLiteral("weather-type");
inline const QString qualifierKey = QStringLiteral("qualifier");

/// The phrase of one attribute of a weather value ("chance" -> "chance of", "heavy rain" ->
/// "with heavy rain"); null for a missing value, "none", or a value the key does not accept.
QString verifiedAttributeStringFromCondition(const QString &value, const QString &key);

/// Appends a phrase to a text being built: capitalised at the start, after two blanks and
/// capitalised behind a ".", else after one blank. A null piece appends nothing.
void appendString(const QString &piece, QString &text);

/// One phrase per value joined with "and", ended by "."; null when there is nothing to say.
QString getShortStringForWeatherArray(const QVariantList &weatherValues);
/// As the short text, but values sharing a weather type, coverage or intensity are folded
/// into one phrase.
QString getFullStringForWeatherArray(const QVariantList &weatherValues);

/// For each conditions entry a copy whose "value" is its full (short) text, prefixed with the
/// chance of precipitation of the "precip" entry with the same start and end when the text
/// names precipitation or obscuration; the summary (and ".") when there are no values;
/// "Not available" when that too is empty.
QVariantList fullDescriptionsFromConditions(const QVariantList &conditions,
                                            const QVariantList &popValues);
QVariantList shortDescriptionsFromConditions(const QVariantList &conditions,
                                             const QVariantList &popValues);

} // namespace OVNDFDForecastText
