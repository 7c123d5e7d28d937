#include "map/views/OVMapCityLabels.h"

#include "platform/OVUserDefaults.h"

namespace OVMapCityLabels {

namespace {
constexpr double kPlaceFontSize = 15.0;
constexpr double kPlaceAlpha = 1.0;
constexpr double kCityAlpha = 0.85;

OVMapLabelRecord label(const QString &text, double fontSize, double alpha, const OVGeoPoint &point)
{
    OVMapLabelRecord record;
    record.text = text;
    record.fontSize = fontSize;
    record.textColor = QColor::fromRgbF(1.0f, 1.0f, 1.0f, float(alpha));
    record.strokeColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.9f);
    record.strokeWidth = 20.0;
    record.point = point;
    return record;
}
} // namespace

double fontSizeForPopulation(qint64 population)
{
    if (population > 5000000)
        return 15.0;
    if (population > 1000000)
        return 14.0;
    if (population > 250000)
        return 13.0;
    if (population > kPopulationFloor)
        return 11.0;
    return 0.0;
}

QList<OVMapLabelRecord> labels(const QList<OVMapPlace> &places, const std::optional<QList<QVariantMap>> &cityRows)
{
    QList<OVMapLabelRecord> records;
    for (const OVMapPlace &place : places)
        records.append(label(place.city, kPlaceFontSize, kPlaceAlpha, place.point));
    if (!cityRows)
        return records;
    for (const QVariantMap &row : *cityRows) {
        const QString city = row.value(QStringLiteral("city")).toString();
        const double size = fontSizeForPopulation(OVUserDefaults::variantToInteger(row.value(QStringLiteral("population"))));
        if (city.isEmpty() || size == 0.0)
            continue;
        // Read as floats, as the database's columns are.
        const OVGeoPoint point =
            OVGeoPointMake(float(OVUserDefaults::variantToDouble(row.value(QStringLiteral("latitude")))),
                           float(OVUserDefaults::variantToDouble(row.value(QStringLiteral("longitude")))));
        records.append(label(city, size, kCityAlpha, point));
    }
    return records;
}

} // namespace OVMapCityLabels
