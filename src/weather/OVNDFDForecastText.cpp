#include "weather/OVNDFDForecastText.h"

#include "core/OVConstants.h"
#include "core/OVStringUtil.h"
#include "platform/OVLocalize.h"
#include "platform/OVValueConversion.h"
#include "weather/OVForecastPeriod.h"

#include <QDateTime>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace OVNDFDForecastText {

namespace {

const QString kAnd = QStringLiteral(" and");

struct WeatherValue
{
    QString coverage;
    QString intensity;
    QString type;
    QString qualifier;
};

WeatherValue weatherValue(const QVariant &value)
{
    const QVariantMap map = value.toMap();
    // Absent keys give null texts, which no comparison finds equal.
    return {map.value(coverageKey).toString(), map.value(intensityKey).toString(),
            map.value(weatherTypeKey).toString(), map.value(qualifierKey).toString()};
}

bool sameText(const QString &a, const QString &b)
{
    return !a.isNull() && !b.isNull() && a == b;
}

QString finished(QString text)
{
    if (text.isEmpty())
        return QString();
    if (text.endsWith(kAnd))
        text.chop(kAnd.size());
    if (!text.endsWith(QLatin1Char('.')))
        text.append(QLatin1Char('.'));
    return text;
}

const QStringList &precipitationWords()
{
    static const QStringList words = {
        QStringLiteral("rain"), QStringLiteral("snow"),  QStringLiteral("thunderstorm"),
        QStringLiteral("fog"),  QStringLiteral("frost"), QStringLiteral("drizzle"),
        QStringLiteral("hail"), QStringLiteral("ice"),   QStringLiteral("dust"),
        QStringLiteral("smoke"),
    };
    return words;
}

// The probability of the "precip" entry covering exactly the period, rounded to 5 percent;
// 0 when there is none or it is missing.
int64_t roundedProbability(const QVariantMap &period, const QVariantList &popValues)
{
    const QDateTime start = OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
    const QDateTime end = OVForecastPeriod::dateValue(period, OVForecastKey::endDate);
    for (const QVariant &entry : popValues) {
        const QVariantMap pop = entry.toMap();
        if (OVForecastPeriod::dateValue(pop, OVForecastKey::startDate) != start
            || OVForecastPeriod::dateValue(pop, OVForecastKey::endDate) != end)
            continue;
        // A missing probability (-1000) must not turn into "-995% chance of".
        const std::optional<int64_t> p = OVForecastPeriod::integerValue(pop, OVForecastKey::value);
        if (!p || *p >= std::numeric_limits<int32_t>::max() || *p <= std::numeric_limits<int32_t>::min())
            return 0;
        return int64_t((double(*p) + 2.5) / 5) * 5;
    }
    return 0;
}

QString withProbability(const QString &text, int64_t percent)
{
    if (percent == 0)
        return text;
    const QString lower = text.toLower();
    const bool namesPrecipitation =
        std::any_of(precipitationWords().cbegin(), precipitationWords().cend(),
                    [&](const QString &word) { return lower.contains(word); });
    if (!namesPrecipitation)
        return text;
    if (lower.startsWith(QLatin1String("chance of")))
        return QStringLiteral("%1% %2").arg(percent).arg(lower);
    return QStringLiteral("%1% chance of %2").arg(percent).arg(lower);
}

QVariantList descriptions(const QVariantList &conditions, const QVariantList &popValues,
                          const std::function<QString(const QVariantList &)> &textOf)
{
    QVariantList result;
    result.reserve(conditions.size());
    for (const QVariant &entry : conditions) {
        QVariantMap period = entry.toMap();
        QString text = textOf(period.value(OVForecastKey::value).toList());
        if (!text.isNull())
            text = withProbability(text, roundedProbability(period, popValues));
        else
            text = period.value(OVForecastKey::weatherSummary).toString() + QLatin1Char('.');
        if (text.isEmpty())
            text = OVLocalizedString("Not available");
        period.insert(OVForecastKey::value, text);
        result.append(period);
    }
    return result;
}

} // namespace

QString verifiedAttributeStringFromCondition(const QString &value, const QString &key)
{
    if (value.isNull() || value == QLatin1String("none"))
        return QString();
    static const QStringList ofCoverages = {QStringLiteral("slight chance"), QStringLiteral("chance"),
                                            QStringLiteral("areas")};
    static const QStringList plainCoverages = {
        QStringLiteral("occasional"), QStringLiteral("isolated"), QStringLiteral("scattered"),
        QStringLiteral("numerous"),   QStringLiteral("patchy"),   QStringLiteral("widespread")};
    static const QStringList intensities = {QStringLiteral("very light"), QStringLiteral("light"),
                                            QStringLiteral("moderate"), QStringLiteral("heavy")};
    static const QStringList withQualifiers = {
        QStringLiteral("frequent lightning"), QStringLiteral("heavy rain"),
        QStringLiteral("small hail"),         QStringLiteral("gusty winds"),
        QStringLiteral("damaging winds"),     QStringLiteral("large hail")};

    if (key == coverageKey) {
        if (ofCoverages.contains(value))
            return value + QStringLiteral(" of");
        if (plainCoverages.contains(value))
            return value;
    } else if (key == intensityKey) {
        if (intensities.contains(value))
            return value;
    } else if (key == weatherTypeKey) {
        return value;
    } else if (key == qualifierKey) {
        if (withQualifiers.contains(value))
            return QStringLiteral("with ") + value;
        if (value == QLatin1String("outlying areas"))
            return QStringLiteral("in ") + value;
        if (value == QLatin1String("on bridges and overpasses"))
            return value;
    }
    return QString();
}

void appendString(const QString &piece, QString &text)
{
    if (piece.isNull())
        return;
    if (text.isEmpty()) {
        text.append(piece);
        OVStringUtil::makeUCFirst(text);
    } else if (text.endsWith(QLatin1Char('.'))) {
        QString capitalised = piece;
        OVStringUtil::makeUCFirst(capitalised);
        text.append(QStringLiteral("  ") + capitalised);
    } else {
        text.append(QLatin1Char(' ') + piece);
    }
}

QString getShortStringForWeatherArray(const QVariantList &weatherValues)
{
    QString text;
    for (const QVariant &entry : weatherValues) {
        const WeatherValue v = weatherValue(entry);
        if (v.qualifier.isNull()) {
            appendString(v.intensity, text);
            appendString(v.type, text);
        } else {
            appendString(v.type, text);
            if (!v.intensity.isNull())
                appendString(v.coverage, text);
            if (!v.type.isNull())
                appendString(v.qualifier, text);
        }
        text.append(kAnd);
    }
    return finished(text);
}

QString getFullStringForWeatherArray(const QVariantList &weatherValues)
{
    const qsizetype n = weatherValues.size();
    QList<WeatherValue> values;
    for (const QVariant &entry : weatherValues)
        values.append(weatherValue(entry));
    QList<bool> used(n, false);
    QList<bool> taken(n, false);
    QString text;
    for (qsizetype i = 0; i < n; ++i) {
        if (used[i])
            continue;
        const WeatherValue &vi = values[i];
        appendString(vi.coverage, text);
        appendString(vi.intensity, text);
        if (i + 1 < n) {
            // Intensities of the same weather type: "light and heavy rain".
            for (qsizetype j = i + 1; j < n; ++j) {
                if (used[j] || !sameText(values[j].type, vi.type))
                    continue;
                text.append(kAnd);
                appendString(values[j].intensity, text);
                taken[j] = true;
            }
            appendString(vi.type, text);
            appendString(vi.qualifier, text);
            // Qualifiers of the same weather type, without repeating "with" or "in".
            for (qsizetype j = i + 1; j < n; ++j) {
                if (used[j] || !sameText(values[j].type, vi.type))
                    continue;
                QString &qualifier = values[j].qualifier;
                if (!vi.qualifier.isEmpty()) {
                    if (qualifier.startsWith(QLatin1String("with")))
                        qualifier.remove(0, 4);
                    else if (qualifier.startsWith(QLatin1String("in")))
                        qualifier.remove(0, 2);
                }
                appendString(qualifier, text);
                taken[j] = true;
            }
            // Other types of the same coverage or intensity: "chance of rain and snow".
            for (qsizetype j = i + 1; j < n; ++j) {
                if (used[j])
                    continue;
                if (!sameText(values[j].coverage, vi.coverage)
                    && !sameText(values[j].intensity, vi.intensity))
                    continue;
                text.append(kAnd);
                appendString(values[j].type, text);
                appendString(values[j].qualifier, text);
                taken[j] = true;
            }
        } else {
            appendString(vi.type, text);
            appendString(vi.qualifier, text);
        }
        text.append(kAnd);
        used[i] = true;
        for (qsizetype j = 0; j < n; ++j) {
            if (taken[j]) {
                used[j] = true;
                taken[j] = false;
            }
        }
    }
    return finished(text);
}

QVariantList fullDescriptionsFromConditions(const QVariantList &conditions,
                                            const QVariantList &popValues)
{
    return descriptions(conditions, popValues, &getFullStringForWeatherArray);
}

QVariantList shortDescriptionsFromConditions(const QVariantList &conditions,
                                             const QVariantList &popValues)
{
    return descriptions(conditions, popValues, &getShortStringForWeatherArray);
}

} // namespace OVNDFDForecastText
