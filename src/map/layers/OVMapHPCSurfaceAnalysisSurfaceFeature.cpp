#include "map/layers/OVMapHPCSurfaceAnalysisSurfaceFeature.h"

#include "platform/OVValueConversion.h"

#include <QRegularExpression>

#include <cmath>

namespace {

const QStringList kAcceptedTypes = {QStringLiteral("HIGHS"), QStringLiteral("LOWS"), QStringLiteral("COLD"),
                                    QStringLiteral("WARM"),  QStringLiteral("OCFNT"), QStringLiteral("STNRY")};

bool startsWithDigit(const QString &row)
{
    return !row.isEmpty() && row.at(0) >= QLatin1Char('0') && row.at(0) <= QLatin1Char('9');
}

} // namespace

QStringList OVMapHPCSurfaceAnalysisSurfaceFeature::featureTextsForRows(const QStringList &rows)
{
    QStringList texts;
    for (const QString &row : rows) {
        if (row.isEmpty())
            continue;
        if (!startsWithDigit(row))
            texts.append(row);
        else if (!texts.isEmpty())
            texts.last() += QLatin1Char(' ') + row;
    }
    const QString twoBlanks(2, QLatin1Char(' '));
    for (QString &text : texts)
        while (text.contains(twoBlanks))
            text.replace(twoBlanks, QStringLiteral(" "));
    return texts;
}

QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr>
OVMapHPCSurfaceAnalysisSurfaceFeature::featuresForRows(const QStringList &rows)
{
    QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> features;
    for (const QString &text : featureTextsForRows(rows))
        if (OVMapHPCSurfaceAnalysisSurfaceFeaturePtr feature = fromHPCString(text))
            features.append(std::move(feature));
    return features;
}

std::optional<QPointF> OVMapHPCSurfaceAnalysisSurfaceFeature::positionForToken(const QString &token)
{
    const int64_t v = OVValueConversion::integerValue(token);
    switch (token.size()) {
    case 4: { // LLOO
        const auto a = int32_t(std::trunc(double(v) / 100.0));
        return QPointF(double(int64_t(a) * 100 - v), double(a));
    }
    case 5: { // LLOOO
        const auto a = int32_t(std::trunc(double(v) / 1000.0));
        return QPointF(double(int64_t(a) * 1000 - v), double(a));
    }
    case 7: { // LLLOOOO, tenths of a degree
        const double b = std::trunc(double(v) / 10000.0) / 10.0;
        return QPointF(double(float((b * -100000.0 + double(v)) / -10.0)), double(float(b)));
    }
    default: return std::nullopt;
    }
}

OVMapHPCSurfaceAnalysisSurfaceFeaturePtr OVMapHPCSurfaceAnalysisSurfaceFeature::fromHPCString(const QString &text)
{
    // Every blank or tab separates, so a trailing blank gives an empty last token.
    const QStringList tokens = text.split(QRegularExpression(QStringLiteral("[ \\t]")));
    if (tokens.isEmpty() || !kAcceptedTypes.contains(tokens.first()))
        return nullptr;
    auto feature = std::shared_ptr<OVMapHPCSurfaceAnalysisSurfaceFeature>(new OVMapHPCSurfaceAnalysisSurfaceFeature);
    feature->mType = tokens.first();
    const bool centres = feature->mType == QLatin1String("HIGHS") || feature->mType == QLatin1String("LOWS");
    Point current;
    bool currentHasKey = false;
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        const QString &token = tokens.at(i);
        if (token == QLatin1String("WK"))
            continue;
        if (centres && i % 2 == 1) {
            current.pressure = OVValueConversion::integerValue(token);
            currentHasKey = true;
            continue;
        }
        if (const std::optional<QPointF> position = positionForToken(token)) {
            current.latitude = position->y();
            current.longitude = position->x();
            currentHasKey = true;
        }
        if (currentHasKey)
            feature->mPoints.append(current);
        current = Point{};
        currentHasKey = false;
    }
    return feature;
}

std::optional<QList<QPointF>> OVMapHPCSurfaceAnalysisSurfaceFeature::cartesianPoints() const
{
    QList<QPointF> points;
    points.reserve(mPoints.size());
    for (const Point &point : mPoints) {
        if (!point.latitude || !point.longitude)
            return std::nullopt;
        points.append(QPointF(double(float(*point.longitude)), double(float(*point.latitude))));
    }
    return points;
}

std::optional<QList<QPointF>> OVMapHPCSurfaceAnalysisSurfaceFeature::splinePoints() const
{
    const std::lock_guard lock(mSplineMutex);
    return mSplinePoints;
}

void OVMapHPCSurfaceAnalysisSurfaceFeature::setSplinePoints(const QList<QPointF> &points)
{
    const std::lock_guard lock(mSplineMutex);
    mSplinePoints = points;
}
