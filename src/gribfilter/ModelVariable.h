// The names of model fields as the grib filter service and its inventories write them: a
// variable by its GRIB short name ("UGRD"), a level by its inventory text ("10 m above ground"),
// and a variable at a level, the unit of a filter request. Each name also has a readable side
// (display name, unit, category), looked up in constant tables; the lookups are pure and safe on
// any thread.
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

/// The groups under which variables are shown. The raw value of each case is its title.
enum class ModelVariableCategory {
    temperature,
    geopotential,
    precipitation,
    moisture,
    pressure,
    stability,
    vorticity,
    wind,
    cloud,
    reflectivity,
    surface,
    radiation,
    wave,
    other,
};

namespace ModelVariableCategories {
/// Every case, in declaration order.
QList<ModelVariableCategory> allCases();
/// "Temperature" for `temperature`, and so on.
QString rawValue(ModelVariableCategory category);
/// The case whose raw value is exactly `text` (case-sensitive); nothing for any other text.
std::optional<ModelVariableCategory> fromRawValue(const QString &text);
} // namespace ModelVariableCategories

/// A GRIB short name such as "UGRD" or "TMP".
struct ModelVariable
{
    QString name;

    /// The readable name, or the short name itself when none is known.
    QString variableDisplayName() const;
    /// The unit text ("m/s"), or nothing when the variable has none or is unknown.
    std::optional<QString> variableUnits() const;
    /// The category; `other` when none is known.
    ModelVariableCategory variableCategory() const;

    friend bool operator==(const ModelVariable &, const ModelVariable &) = default;
};

/// A level text of the grib filter and the inventories, such as "10 m above ground".
struct ModelLevel
{
    QString description;

    /// The level as shown to a reader ("10m Above Ground", "500mb", "Surface").
    QString levelDisplayName() const;

    friend bool operator==(const ModelLevel &, const ModelLevel &) = default;
};

/// One variable at one level: a single field of a filter request.
struct ModelVariableLevel
{
    ModelVariable variable;
    ModelLevel level;

    friend bool operator==(const ModelVariableLevel &, const ModelVariableLevel &) = default;
};

template <>
struct std::hash<ModelVariable>
{
    size_t operator()(const ModelVariable &v) const noexcept { return std::hash<QString>()(v.name); }
};

template <>
struct std::hash<ModelLevel>
{
    size_t operator()(const ModelLevel &l) const noexcept { return std::hash<QString>()(l.description); }
};

template <>
struct std::hash<ModelVariableLevel>
{
    size_t operator()(const ModelVariableLevel &vl) const noexcept;
};
