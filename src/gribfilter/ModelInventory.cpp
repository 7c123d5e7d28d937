#include "gribfilter/ModelInventory.h"

ModelInventory::VariableSet ModelInventory::allVariables() const
{
    VariableSet variables;
    for (const auto &[variable, levels] : levelsForVariable)
        variables.insert(variable);
    return variables;
}

ModelInventory::LevelSet ModelInventory::allLevels() const
{
    LevelSet all;
    for (const auto &[variable, levels] : levelsForVariable)
        all.insert(levels.begin(), levels.end());
    return all;
}

std::unordered_map<ModelLevel, ModelInventory::VariableSet> ModelInventory::variablesForLevel() const
{
    std::unordered_map<ModelLevel, VariableSet> inverted;
    for (const auto &[variable, levels] : levelsForVariable) {
        for (const ModelLevel &level : levels)
            inverted[level].insert(variable);
    }
    return inverted;
}
