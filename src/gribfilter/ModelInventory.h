// The fields of one model file, read from its ".idx" inventory: for each variable, the set of
// levels at which the file holds it.
#pragma once

#include "gribfilter/ModelVariable.h"

#include <unordered_map>
#include <unordered_set>

struct ModelInventory
{
    using LevelSet = std::unordered_set<ModelLevel>;
    using VariableSet = std::unordered_set<ModelVariable>;

    std::unordered_map<ModelVariable, LevelSet> levelsForVariable;

    VariableSet allVariables() const;
    /// Every level at which the file holds any variable.
    LevelSet allLevels() const;
    /// The inverted map: each level to the variables held at it.
    std::unordered_map<ModelLevel, VariableSet> variablesForLevel() const;

    friend bool operator==(const ModelInventory &, const ModelInventory &) = default;
};
