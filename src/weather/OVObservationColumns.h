// The layout of a station file, declared once: the columns of `icao_history` with their SQL type,
// the record property each is written from and the key each is read back through, and the
// columns of the per-day `min_max_cache`.
#pragma once

#include "core/OVSQLite3DB.h"

#include <QString>
#include <QStringList>

#include <span>

namespace OVObservationColumns {

struct HistoryColumn
{
    const char *name;
    const char *sqlType;
    /// OVWeatherConditions key the insert reads.
    const char *writeKey;
    /// OVWeatherConditions key the range select sets; nullptr for columns it does not read.
    const char *readKey;
};

/// The 24 columns of `icao_history` in table order (entry_date is the primary key).
std::span<const HistoryColumn> history();

inline const QString HistoryTable = QStringLiteral("icao_history");
inline const QString StatusTable = QStringLiteral("db_status");
inline const QString MinMaxTable = QStringLiteral("min_max_cache");
inline const QString HistoryIndex = QStringLiteral("history_index");

QString createHistoryStatement();
QString createStatusStatement();
QString createMinMaxStatement();
QString createIndexStatement();

/// The 23 columns of `min_max_cache` in table order.
QStringList minMaxColumns();
/// Number of columns a current `min_max_cache` has.
constexpr int MinMaxColumnCount = 23;

/// Record property -> column, for the batch insert.
OVKeyMap insertKeyMap();
/// Column -> record key, for the range select.
OVKeyMap selectKeyMap();
/// "entry_date BETWEEN <first> AND <last>" over the storable range: leaves out a row that an
/// older version stored under the date text "0".
QString storedDatesCondition();
/// The range select's column list, in the order the reads name them. A column missing from
/// `present` (the columns of a file that could not be upgraded, such as a read-only one of an
/// older layout) is selected as NULL under its name; an empty `present` names them all.
QString selectColumnList(const QStringList &present = {});

/// Column -> record key for the condensed reads of the `_min` or `_max` columns.
OVKeyMap condensedKeyMap(bool minimum);
QString condensedColumnList(bool minimum);

} // namespace OVObservationColumns
