// The fields of the observation record, listed once: the name each has in the key-value
// interface and the dictionary form, the record member that stores it, the station-file column
// it is written to and the text setter it is read back through, its unit, and the key of the
// observation service's reply that fills it. The dictionary form, key-value access, the station
// file's columns and the reply parser all walk this table, so a field added here reaches every
// one of them.
#pragma once

#include "weather/OVWeatherConditions.h"

#include <QDateTime>
#include <QString>

#include <span>

struct OVObservationField
{
    using Conditions = OVWeatherConditions;

    /// How the station file's per-day table (`min_max_cache`) condenses the column.
    enum class Daily { None, Average, Range, Total };

    /// Key-value name.
    const char *key;
    /// Name in the dictionary form; nullptr when the field is not stored there.
    const char *dictionaryKey = nullptr;
    /// The stored member: exactly one of the three is set, or none for a derived value.
    double Conditions::*number = nullptr;
    QString Conditions::*text = nullptr;
    QDateTime Conditions::*date = nullptr;
    /// The key-value getter of a number (range-checked where the record checks it).
    double (Conditions::*get)() const = nullptr;
    /// `icao_history` column and its SQL type; nullptr when the station file does not keep it.
    const char *column = nullptr;
    const char *sqlType = nullptr;
    /// The key and setter through which a station row's text is read back; nullptr for none.
    const char *textKey = nullptr;
    void (Conditions::*setText)(const QString &) = nullptr;
    /// Whether the range select (the history rows for a period) reads the column back.
    bool rangeRead = false;
    Daily daily = Daily::None;
    const char *unit = "";
    /// Key in an observation service reply and the setter of its value (numbers only; a text
    /// goes to `text`); nullptr when the reply does not carry the field.
    const char *replyKey = nullptr;
    void (Conditions::*setReplyNumber)(double) = nullptr;
};

namespace OVObservationFields {

/// Every field, in station-file column order first (entry_date leads), then the fields the
/// station file does not keep.
std::span<const OVObservationField> all();

} // namespace OVObservationFields
