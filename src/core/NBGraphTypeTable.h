// The graph types of the graph stack and what each is called where: the one table that the
// stack order, the View menu, the graph settings popover and the registered defaults read.
// Plain data, so the settings side can register the show settings without the drawing side.
#pragma once

#include <array>
#include <cstddef>

/// The quantity a graph panel shows; the numbers are stored in settings and menus.
enum NBGraphType : int {
    NBGraphTypeTemperature = 0,
    NBGraphTypeWindSpeed = 1,
    NBGraphTypeWindDirection = 2,
    NBGraphTypeCylindricalWindDirection = 3,
    NBGraphTypePressure = 4,
    NBGraphTypeHumidity = 5,
    NBGraphTypePrecipitation = 6,
    NBGraphTypeCloudCover = 7,
    NBGraphTypeSnowfall = 8,
    NBGraphTypeWaveHeight = 9,
    NBGraphTypeProbabilityOfPrecipitation = 10,
};

inline constexpr int NBGraphTypeCount = 11;

/// One graph type. Texts are English; the places that show them localise them.
struct NBGraphTypeRow
{
    NBGraphType type;
    /// The boolean setting that shows the panel ("showTemperatureGraph").
    const char *visibilityKey;
    /// Object name of the View menu's item that toggles it.
    const char *menuObjectName;
    /// The View menu item's text.
    const char *menuTitle;
    /// The settings popover's check box text: the name the panel carries on its right.
    const char *panelTitle;
    /// The registered default of the show setting.
    bool shownByDefault;
};

/// Every type, from the top of the stack to its bottom; the View menu and the popover list them
/// in the same order.
inline constexpr std::array<NBGraphTypeRow, NBGraphTypeCount> NBGraphTypeTable = {{
    {NBGraphTypeTemperature, "showTemperatureGraph", "menuGraphShowTemperature", "Temperature", "Temperature", true},
    {NBGraphTypeWindSpeed, "showWindSpeedGraph", "menuGraphShowWindSpeed", "Wind Speed", "Wind Speed", true},
    {NBGraphTypeWindDirection, "showWindDirectionGraph", "menuGraphShowWindDirection", "Wind Direction",
     "Wind Direction", false},
    {NBGraphTypeCylindricalWindDirection, "showCylindricalWindDirectionGraph", "menuGraphShowCylindricalWindDirection",
     "Cylindrical Wind Direction", "Cylindrical Wind Direction", true},
    {NBGraphTypePressure, "showPressureGraph", "menuGraphShowPressure", "Pressure", "Pressure", true},
    {NBGraphTypeProbabilityOfPrecipitation, "showProbabilityOfPrecipitationGraph", "menuGraphShowPOP",
     "Probability of Precipitation", "Probability of Precipitation", true},
    {NBGraphTypePrecipitation, "showPrecipitationGraph", "menuGraphShowPrecipitation", "Precipitation",
     "Precipitation Amount", true},
    {NBGraphTypeSnowfall, "showSnowfallGraph", "menuGraphShowSnowfall", "Snowfall", "Snowfall Amount", false},
    {NBGraphTypeCloudCover, "showCloudCoverGraph", "menuGraphShowCloudCover", "Cloud Cover", "Cloud Cover", true},
    {NBGraphTypeHumidity, "showHumidityGraph", "menuGraphShowHumidity", "Humidity", "Humidity", true},
    {NBGraphTypeWaveHeight, "showWaveHeightGraph", "menuGraphShowWaveHeight", "Wave Height", "Wave Height", false},
}};

/// The row of a type number; null for a number outside the table.
constexpr const NBGraphTypeRow *NBGraphTypeRowFor(int type)
{
    for (const NBGraphTypeRow &row : NBGraphTypeTable) {
        if (row.type == type)
            return &row;
    }
    return nullptr;
}

/// The type numbers from the top of the stack to its bottom.
constexpr std::array<int, NBGraphTypeCount> NBGraphTypeStackOrder()
{
    std::array<int, NBGraphTypeCount> order{};
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = NBGraphTypeTable[i].type;
    return order;
}

// Every type has exactly one row.
static_assert([] {
    for (int type = 0; type < NBGraphTypeCount; ++type) {
        int rows = 0;
        for (const NBGraphTypeRow &row : NBGraphTypeTable)
            rows += row.type == type ? 1 : 0;
        if (rows != 1)
            return false;
    }
    return true;
}());
