#include "gribfilter/ModelConfiguration.h"

#include <QHash>

#include <cstdlib>

namespace ModelNumberText {

QString zeroPadded(int value, int width)
{
    // Built by hand: the sign goes before the zeros, and INT_MIN has no positive counterpart.
    const qint64 wide = value;
    const QString digits = QString::number(std::llabs(wide));
    const QString sign = wide < 0 ? QStringLiteral("-") : QString();
    const qsizetype zeros = std::max<qsizetype>(0, width - sign.size() - digits.size());
    return sign + QString(zeros, QLatin1Char('0')) + digits;
}

} // namespace ModelNumberText

QString ModelConfiguration::filePrefixForCycle(int cycle) const
{
    // The prefix is data, never a format: only its one "%02d" is filled, and any other "%" in it
    // stays as it is.
    static const QString conversion = QStringLiteral("%02d");
    QString prefix = filePrefix;
    const qsizetype at = prefix.indexOf(conversion);
    if (at >= 0)
        prefix.replace(at, conversion.size(), ModelNumberText::zeroPadded(cycle, 2));
    return prefix;
}

QString ModelConfiguration::fileNameForCycle(int cycle, int forecastHour) const
{
    QString fileName = filePrefixForCycle(cycle);
    if (forecastHourDigits > 0)
        fileName += ModelNumberText::zeroPadded(forecastHour, forecastHourDigits);
    return fileName + fileSuffix;
}

qint64 ModelConfiguration::estimatedBytesPerVariable() const
{
    return qint64(estimatedGridWidth) * qint64(estimatedGridHeight) * 4;
}

size_t std::hash<ModelConfiguration>::operator()(const ModelConfiguration &c) const noexcept
{
    const size_t names = qHashMulti(0, c.name, c.displayName, c.directoryName, c.filterScript, c.hours,
                                    c.finalForecastHour, c.hasHourDirectory, c.subdirectory);
    const size_t files = qHashMulti(names, c.filePrefix, c.forecastHourDigits, c.fileSuffix, c.dataPath);
    return qHashMulti(files, c.minLatitude, c.maxLatitude, c.minLongitude, c.maxLongitude, c.estimatedGridWidth,
                      c.estimatedGridHeight, c.displayGroup);
}
