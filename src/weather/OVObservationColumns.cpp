// The station file layout, derived from the observation field table (OVObservationFields.h).
#include "weather/OVObservationColumns.h"

#include "weather/OVObservationFields.h"

#include <vector>

namespace OVObservationColumns {

namespace {

using Field = OVObservationField;

std::vector<HistoryColumn> makeHistory()
{
    std::vector<HistoryColumn> columns;
    for (const Field &f : OVObservationFields::all()) {
        if (f.column)
            columns.push_back({f.column, f.sqlType, f.key, f.rangeRead ? f.textKey : nullptr});
    }
    return columns;
}

const std::vector<HistoryColumn> &historyColumns()
{
    static const std::vector<HistoryColumn> columns = makeHistory();
    return columns;
}

// The per-day columns of a field: "<column>_avg", "<column>_min"/"_max" or "<column>_total".
QString dailyColumn(const Field &f, bool minimum)
{
    const QString stem = QLatin1String(f.column);
    switch (f.daily) {
    case Field::Daily::Average:
        return stem + QStringLiteral("_avg");
    case Field::Daily::Range:
        return stem + (minimum ? QStringLiteral("_min") : QStringLiteral("_max"));
    case Field::Daily::Total:
        return stem + QStringLiteral("_total");
    case Field::Daily::None:
        break;
    }
    return {};
}

const Field &dateField()
{
    return OVObservationFields::all().front();
}

} // namespace

std::span<const HistoryColumn> history()
{
    return historyColumns();
}

QString createHistoryStatement()
{
    QStringList columns;
    for (const HistoryColumn &column : historyColumns()) {
        columns << QStringLiteral("%1 %2%3").arg(QLatin1String(column.name),
                                                 QLatin1String(column.sqlType),
                                                 &column == &historyColumns().front()
                                                     ? QStringLiteral(" primary key")
                                                     : QString());
    }
    return QStringLiteral("CREATE TABLE icao_history (%1)").arg(columns.join(QStringLiteral(", ")));
}

QString createStatusStatement()
{
    return QStringLiteral("CREATE TABLE db_status (new_records_since_vacuum int)");
}

QString createIndexStatement()
{
    return QStringLiteral("CREATE index history_index ON icao_history(entry_date)");
}

QStringList minMaxColumns()
{
    QStringList columns{QStringLiteral("entry_date"), QStringLiteral("time_zone_offset")};
    for (const Field &f : OVObservationFields::all()) {
        if (f.daily == Field::Daily::Range)
            columns << dailyColumn(f, true) << dailyColumn(f, false);
        else if (f.daily != Field::Daily::None)
            columns << dailyColumn(f, true);
    }
    return columns;
}

QString createMinMaxStatement()
{
    QStringList columns;
    const QStringList names = minMaxColumns();
    for (int i = 0; i < names.size(); ++i) {
        const char *type = i == 0 ? "date" : i == 1 ? "int" : "float";
        columns << names[i] + QLatin1Char(' ') + QLatin1String(type);
    }
    return QStringLiteral("CREATE TABLE min_max_cache (%1, PRIMARY KEY (entry_date, "
                          "time_zone_offset))")
        .arg(columns.join(QStringLiteral(", ")));
}

OVKeyMap insertKeyMap()
{
    OVKeyMap map;
    for (const HistoryColumn &column : historyColumns())
        map.insert(QLatin1String(column.writeKey), QLatin1String(column.name));
    return map;
}

OVKeyMap selectKeyMap()
{
    OVKeyMap map;
    for (const HistoryColumn &column : historyColumns()) {
        if (column.readKey)
            map.insert(QLatin1String(column.name), QLatin1String(column.readKey));
    }
    return map;
}

QString storedDatesCondition()
{
    return QStringLiteral("entry_date BETWEEN %1 AND %2")
        .arg(OVSQLite3DB::stringForDate(OVSQLite3DB::earliestStorableDate()),
             OVSQLite3DB::stringForDate(OVSQLite3DB::latestStorableDate()));
}

QString selectColumnList(const QStringList &present)
{
    QStringList names;
    for (const HistoryColumn &column : historyColumns()) {
        if (!column.readKey)
            continue;
        const QString name = QLatin1String(column.name);
        names << (present.isEmpty() || present.contains(name) ? name : QStringLiteral("NULL AS ") + name);
    }
    return names.join(QStringLiteral(", "));
}

OVKeyMap condensedKeyMap(bool minimum)
{
    OVKeyMap map;
    for (const Field &f : OVObservationFields::all()) {
        if (f.daily != Field::Daily::None)
            map.insert(dailyColumn(f, minimum), QLatin1String(f.textKey));
    }
    map.insert(QLatin1String(dateField().column), QLatin1String(dateField().textKey));
    return map;
}

QString condensedColumnList(bool minimum)
{
    QStringList names;
    for (const Field &f : OVObservationFields::all()) {
        if (f.daily != Field::Daily::None)
            names << dailyColumn(f, minimum);
    }
    names << QLatin1String(dateField().column);
    return names.join(QStringLiteral(", "));
}

} // namespace OVObservationColumns
