// A run of a model product (its configuration, date and cycle hour) and one forecast file of a
// run. Plain values, safe to copy between threads.
#pragma once

#include "gribfilter/ModelConfiguration.h"

#include <QDateTime>
#include <QString>

#include <optional>

struct ModelRun
{
    ModelConfiguration configuration;
    QString date; ///< eight digits, yyyyMMdd, as found in the listing
    int hour = 0; ///< the cycle hour

    /// date + two-digit hour + "00" ("202403011200" for cycle 12).
    QString runDateText() const;
    /// The start of the run in UTC; nothing when the date is not eight digits of a real day or
    /// the hour is not one of a day.
    std::optional<QDateTime> runDate() const;
    /// `runDate` plus the forecast hour; nothing when `runDate` is nothing.
    std::optional<QDateTime> validDateForForecastHour(int forecastHour) const;

    friend bool operator==(const ModelRun &, const ModelRun &) = default;
};

/// One forecast file of a run, as listed.
struct ForecastHour
{
    int hour = 0;
    QString fileName;

    friend bool operator==(const ForecastHour &, const ForecastHour &) = default;
};

/// Equal runs hash alike; runs that differ only in their configuration's other fields do too.
template <>
struct std::hash<ModelRun>
{
    size_t operator()(const ModelRun &run) const noexcept;
};

template <>
struct std::hash<ForecastHour>
{
    size_t operator()(const ForecastHour &hour) const noexcept;
};
