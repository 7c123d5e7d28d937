// Parameter abbreviations by (discipline, category, number): WMO code table 4.2 with the NCEP
// local entries the model data uses. Built once on first use (thread-safe), read-only after.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

class ParameterTable
{
public:
    struct Key
    {
        int discipline = 0;
        int category = 0;
        int number = 0;
        bool operator==(const Key &) const = default;
    };
    struct KeyHash
    {
        std::size_t operator()(const Key &key) const;
    };

    /// "UGRD" for (0, 2, 2); nothing for a key the table lacks.
    static std::optional<std::string_view> abbreviation(const Key &key);
    /// Number of entries (193).
    static std::size_t size();
};
