// Shared pieces of the observation history tests: the sqlite3 shell as an independent reader
// and writer, file bytes, and records made for a station.
#pragma once

#include "weather/OVWeatherConditions.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTimeZone>

namespace ObservationTest {

inline QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc());
}

/// Runs SQL through the sqlite3 shell on `path` (read-only when asked); its output, trimmed.
inline QString shell(const QString &path, const QString &sql, bool readonly = false)
{
    QProcess process;
    QStringList arguments{QStringLiteral("-batch")};
    if (readonly)
        arguments << QStringLiteral("-readonly");
    process.start(QStringLiteral("sqlite3"), arguments << path);
    process.write(sql.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A record at `date` with a temperature (°C) and, optionally, a sky text.
inline OVWeatherConditions record(const QDateTime &date, double temperatureC,
                                  const QString &sky = QString())
{
    OVWeatherConditions conditions;
    conditions.setDate(date);
    conditions.setTemperatureC(temperatureC);
    if (!sky.isNull())
        conditions.setSkyCover(sky);
    return conditions;
}

/// `count` hourly records ending at `last`, oldest first, temperature = index.
inline QList<OVWeatherConditions> hourly(const QDateTime &last, int count)
{
    QList<OVWeatherConditions> records;
    for (int i = 0; i < count; ++i)
        records << record(last.addSecs(-3600LL * (count - 1 - i)), i % 40);
    return records;
}

} // namespace ObservationTest
