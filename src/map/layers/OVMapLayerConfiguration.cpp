#include "map/layers/OVMapLayerConfiguration.h"

#include <QTimeZone>

namespace OVMapTilePattern {

namespace {
QString quoted(const QString &literal)
{
    if (literal.isEmpty())
        return QString();
    QString escaped = literal;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}
} // namespace

QString timePattern(const QString &literalBefore, const QString &literalAfter)
{
    return quoted(literalBefore) + QStringLiteral("yyyyMMddHHmm") + quoted(literalAfter);
}

QString format(const QString &pattern, const QDateTime &date)
{
    return date.toUTC().toString(pattern);
}

} // namespace OVMapTilePattern
