// Reading time series held as arrays of key-value records (dictionaries or OVKeyValue objects,
// a date under one key and a number under another): the first element, a value at any date by
// linear interpolation in time, and the record nearest to a date. Pure functions, any thread.
#pragma once

#include "core/OVKeyValueMap.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace NSArrayUtil {

/// Reads field `key` of record `index`.
using RecordReader = std::function<QVariant(qsizetype index, const QString &key)>;

/// The core of interpolatedFloatValueForDate over `count` records read through `read`.
double interpolatedFloatValueForDate(qsizetype count, const RecordReader &read,
                                     const QDateTime &date, const QString &dateKey,
                                     const QString &valueKey, double errorValue);
/// The core of closestObjectToDate: the index of the nearest record, or nullopt.
std::optional<qsizetype> closestIndexToDate(qsizetype count, const RecordReader &read,
                                            const QDateTime &date, const QString &dateKey,
                                            const QString &valueKey, const QVariant &errorValue);

/// The element at index 0; nullopt for an empty array.
template <class Record>
std::optional<Record> firstObject(const QList<Record> &array)
{
    if (array.isEmpty())
        return std::nullopt;
    return array.first();
}

/// The value at `date`, linear in time between the latest record before it and the earliest at
/// or after it; records whose value equals `errorValue` are skipped. `errorValue` when either
/// key is empty, any record lacks a date or a number, or no record pair brackets the date (a
/// record exactly at the date answers alone).
template <class Record>
double interpolatedFloatValueForDate(const QList<Record> &array, const QDateTime &date,
                                     const QString &dateKey, const QString &valueKey,
                                     double errorValue)
{
    return interpolatedFloatValueForDate(
        array.size(),
        [&](qsizetype index, const QString &key) { return OVValueForKey(array[index], key); },
        date, dateKey, valueKey, errorValue);
}

/// The record whose date is nearest to `date` (the first on a tie), skipping records whose value
/// under `valueKey` equals `errorValue`. nullopt when the date key is empty, a value key comes
/// without an error value, any record lacks a field asked for, or none qualifies.
template <class Record>
std::optional<Record> closestObjectToDate(const QList<Record> &array, const QDateTime &date,
                                          const QString &dateKey, const QString &valueKey = {},
                                          const QVariant &errorValue = {})
{
    const std::optional<qsizetype> index = closestIndexToDate(
        array.size(),
        [&](qsizetype i, const QString &key) { return OVValueForKey(array[i], key); }, date,
        dateKey, valueKey, errorValue);
    if (!index)
        return std::nullopt;
    return array[*index];
}

} // namespace NSArrayUtil
