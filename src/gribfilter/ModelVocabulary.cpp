// The readable side of the grib filter's names: display names, units and categories of GRIB
// short names (NCEP's parameter descriptions in title case) and the display form of level texts.
#include "gribfilter/ModelVariable.h"

#include <QHash>

#include <array>

namespace {

using Category = ModelVariableCategory;

// One row per known short name. A null display name or unit means the name has none; a
// variable without a category falls under `other`.
struct VariableEntry
{
    const char *name;
    const char *displayName;
    const char *units;
    std::optional<Category> category;
};

constexpr const char *kKelvin = "K";
constexpr const char *kMassPerArea = "kg/m^2";
constexpr const char *kPercent = "%";
constexpr const char *kMetres = "m";
constexpr const char *kWattsPerArea = "W/m^2";

// clang-format off
const VariableEntry kVariables[] = {
    // Temperature
    {"TMP", "Temperature", kKelvin, Category::temperature},
    {"DPT", "Dew Point Temperature", kKelvin, Category::temperature},
    {"POT", "Potential Temperature", kKelvin, Category::temperature},
    {"APTMP", "Apparent Temperature", kKelvin, Category::temperature},
    {"DEPR", "Dew Point Depression", kKelvin, Category::temperature},
    {"ICETMP", "Ice Temperature", kKelvin, Category::temperature},
    {"WTMP", "Water Temperature", kKelvin, Category::temperature},
    {"TMAX", "Max Temperature", kKelvin, Category::temperature},
    {"TMIN", "Min Temperature", kKelvin, Category::temperature},
    // Geopotential
    {"HGT", "Geopotential Height", "gpm", Category::geopotential},
    {"LAYTH", "Layer Thickness", nullptr, Category::geopotential},
    // Precipitation
    {"APCP", "Accumulated Precipitation", kMassPerArea, Category::precipitation},
    {"ASNOW", "Total Snowfall", nullptr, Category::precipitation},
    {"ACPCP", "Convective Precipitation", kMassPerArea, Category::precipitation},
    {"NCPCP", "Large-Scale Precipitation", kMassPerArea, Category::precipitation},
    {"PWAT", "Precipitable Water", kMassPerArea, Category::precipitation},
    {"SNOD", "Snow Depth", kMetres, Category::precipitation},
    {"WEASD", "Snow Water Equivalent", kMassPerArea, Category::precipitation},
    {"CSNOW", "Categorical Snow", nullptr, Category::precipitation},
    {"CICEP", "Categorical Ice Pellets", nullptr, Category::precipitation},
    {"CFRZR", "Categorical Freezing Rain", nullptr, Category::precipitation},
    {"CRAIN", "Categorical Rain", nullptr, Category::precipitation},
    {"CPRAT", "Convective Precip Rate", "kg/(m^2 * s)", Category::precipitation},
    {"PRATE", "Precipitation Rate", "kg/(m^2 * s)", Category::precipitation},
    {"CPOFP", "Percent Frozen Precipitation", kPercent, Category::precipitation},
    {"FROZR", "Frozen Rain", kMassPerArea, Category::precipitation},
    {"FRZR", "Freezing Rain", kMassPerArea, Category::precipitation},
    {"GRLE", "Graupel", "kg/kg", Category::precipitation},
    {"HAIL", "Hail", nullptr, Category::precipitation},
    {"SNOM", "Snow Melt", kMassPerArea, Category::precipitation},
    {"RIME", "Rime Factor", nullptr, Category::precipitation},
    {"TCOLR", nullptr, nullptr, Category::precipitation},
    {"TCOLS", nullptr, nullptr, Category::precipitation},
    {"TCOLG", nullptr, nullptr, Category::precipitation},
    // Moisture
    {"RH", "Relative Humidity", kPercent, Category::moisture},
    {"SPFH", "Specific Humidity", "kg/kg", Category::moisture},
    {"RHPW", "RH wrt Precipitable Water", kPercent, Category::moisture},
    {"MCONV", "Moisture Convergence", nullptr, Category::moisture},
    {"MDIV", "Moisture Divergence", nullptr, Category::moisture},
    {"MSTAV", "Moisture Availability", nullptr, Category::moisture},
    {"TCOLM", "Total Column Melting Ice", nullptr, Category::moisture},
    {"TCOLC", "Total Column Condensate", nullptr, Category::moisture},
    {"COLMD", "Column-Integrated Mass Density", nullptr, Category::moisture},
    {"RCQ", "Humidity Parameter in Canopy Conductance", nullptr, Category::moisture},
    {"EVP", "Evaporation", kMassPerArea, Category::moisture},
    {"EPOT", "Equivalent Potential Temperature", kKelvin, Category::moisture},
    {"PEVAP", "Potential Evaporation", nullptr, Category::moisture},
    {"TCOND", "Total Condensate", nullptr, Category::moisture},
    // Pressure
    {"PRMSL", "Mean Sea Level Pressure", "Pa", Category::pressure},
    {"PRES", "Pressure", "Pa", Category::pressure},
    {"MSLET", "MSLP (ETA Reduction)", "Pa", Category::pressure},
    {"MSLMA", "MSL Pressure (Altimeter)", "Pa", Category::pressure},
    {"PLPL", "Pressure of Level from Which Parcel Was Lifted", nullptr, Category::pressure},
    // Stability
    {"CAPE", "CAPE", "J/kg", Category::stability},
    {"CIN", "CIN", "J/kg", Category::stability},
    {"HLCY", "Storm Relative Helicity", "m^2/s^2", Category::stability},
    {"USTM", "U-Component Storm Motion", "m/s", Category::stability},
    {"VSTM", "V-Component Storm Motion", "m/s", Category::stability},
    {"LFTX", "Surface Lifted Index", nullptr, Category::stability},
    {"4LFTX", "Best 4-Layer Lifted Index", nullptr, Category::stability},
    {"PLI", "Parcel Lifted Index", kKelvin, Category::stability},
    {"HINDEX", "Haines Index", nullptr, Category::stability},
    {"MXUPHL", "Max Updraft Helicity", "J/kg", Category::stability},
    {"MNUPHL", "Min Updraft Helicity", "J/kg", Category::stability},
    {"UPHL", "Updraft Helicity", "J/kg", Category::stability},
    {"LTNG", "Lightning", nullptr, Category::stability},
    {"LTNGSD", "Lightning Strike Density", nullptr, Category::stability},
    {"TKE", "Turbulent Kinetic Energy", "J/kg", Category::stability},
    {"TIPD", "Total Icing Potential Diagnostic", nullptr, Category::stability},
    {"TPFI", "Turbulence Potential Forecast Index", nullptr, Category::stability},
    // Vorticity and vertical motion
    {"VVEL", "Vertical Velocity (Pressure)", "Pa/s", Category::vorticity},
    {"ABSV", "Absolute Vorticity", "1/s", Category::vorticity},
    {"DZDT", "Vertical Velocity (Geometric)", "m/s", Category::vorticity},
    {"RELV", "Relative Vorticity", "1/s", Category::vorticity},
    {"STRM", "Stream Function", "m^2/s", Category::vorticity},
    {"MAXDVV", "Max Downward Vertical Velocity", nullptr, Category::vorticity},
    {"MAXUVV", "Max Upward Vertical Velocity", nullptr, Category::vorticity},
    // Wind
    {"UGRD", "U-Component Wind", "m/s", Category::wind},
    {"VGRD", "V-Component Wind", "m/s", Category::wind},
    {"WIND", "Wind Speed", "m/s", Category::wind},
    {"WDIR", "Wind Direction", "degree true", Category::wind},
    {"GUST", "Wind Gust", "m/s", Category::wind},
    {"UGUST", "U-Component Wind Gust", "m/s", Category::wind},
    {"VGUST", "V-Component Wind Gust", "m/s", Category::wind},
    {"MAXUW", "Max U-Component Wind", "m/s", Category::wind},
    {"MAXVW", "Max V-Component Wind", "m/s", Category::wind},
    {"VUCSH", "Vertical U-Component Shear", "1/s", Category::wind},
    {"VVCSH", "Vertical V-Component Shear", "1/s", Category::wind},
    {"VWSH", "Vertical Speed Shear", "degree true", Category::wind},
    // Cloud
    {"CLWMR", "Cloud Mixing Ratio", "kg/kg", Category::cloud},
    {"ICMR", "Ice Water Mixing Ratio", "kg/kg", Category::cloud},
    {"RWMR", "Rain Mixing Ratio", "kg/kg", Category::cloud},
    {"SNMR", "Snow Mixing Ratio", "kg/kg", Category::cloud},
    {"CIMIXR", "Cloud Ice Mixing Ratio", nullptr, Category::cloud},
    {"TCC", "Total Cloud Cover", nullptr, Category::cloud},
    {"LCDC", "Low Cloud Cover", kPercent, Category::cloud},
    {"MCDC", "Medium Cloud Cover", kPercent, Category::cloud},
    {"HCDC", "High Cloud Cover", kPercent, Category::cloud},
    {"TCDC", "Cloud Cover", kPercent, Category::cloud},
    {"CWAT", "Cloud Water", kMassPerArea, Category::cloud},
    {"CICE", "Cloud Ice", kMassPerArea, Category::cloud},
    {"VIL", "Vertically Integrated Liquid", nullptr, Category::cloud},
    {"TCOLI", "Total Column Cloud Ice", kMassPerArea, Category::cloud},
    {"TCOLW", "Total Column Cloud Water", kMassPerArea, Category::cloud},
    {"TCLSW", "Total Column Supercooled Liquid Water", nullptr, Category::cloud},
    {"CDCON", "Convective Cloud Cover", kPercent, Category::cloud},
    {"ICAHT", "ICAO Standard Atmosphere Reference Height", kMetres, Category::cloud},
    // Reflectivity
    {"REFC", "Composite Reflectivity", "dB", Category::reflectivity},
    {"REFD", "Reflectivity", "dB", Category::reflectivity},
    {"RETOP", "Echo Top", kMetres, Category::reflectivity},
    {"MAXREF", "Max Reflectivity", "dB", Category::reflectivity},
    // Surface and soil
    {"VIS", "Visibility", kMetres, Category::surface},
    {"TSOIL", "Soil Temperature", kKelvin, Category::surface},
    {"SOILW", "Volumetric Soil Moisture", "Proportion", Category::surface},
    {"ICEC", "Ice Cover", nullptr, Category::surface},
    {"ICEG", "Ice Growth Rate", nullptr, Category::surface},
    {"ICETK", "Ice Thickness", nullptr, Category::surface},
    {"LAND", "Land Cover", "Proportion", Category::surface},
    {"HPBL", "Planetary Boundary Layer Height", nullptr, Category::surface},
    {"SFCR", "Surface Roughness", kMetres, Category::surface},
    {"FRICV", "Friction Velocity", nullptr, Category::surface},
    {"SUNSD", "Sunshine Duration", nullptr, Category::surface},
    {"WATR", "Water Runoff", kMassPerArea, Category::surface},
    {"SNOWC", "Snow Cover", kPercent, Category::surface},
    {"ALBDO", "Albedo", kPercent, Category::surface},
    {"BGRUN", "Baseflow-Groundwater Runoff", nullptr, Category::surface},
    {"BMIXL", "Blackadar Mixing Length Scale", nullptr, Category::surface},
    {"CCOND", "Canopy Conductance", nullptr, Category::surface},
    {"CD", "Drag Coefficient", nullptr, Category::surface},
    {"CNWAT", "Plant Canopy Surface Water", nullptr, Category::surface},
    {"FLDCP", "Field Capacity", nullptr, Category::surface},
    {"GFLUX", "Ground Heat Flux", kWattsPerArea, Category::surface},
    {"LAI", "Leaf Area Index", nullptr, Category::surface},
    {"MASSDEN", "Mass Density", nullptr, Category::surface},
    {"MXSALB", "Max Snow Albedo", nullptr, Category::surface},
    {"PBLREG", "Planetary Boundary Layer Regime", nullptr, Category::surface},
    {"POROS", "Soil Porosity", nullptr, Category::surface},
    {"RCS", "Solar Parameter in Canopy Conductance", nullptr, Category::surface},
    {"RCSOL", "Soil Moisture Parameter in Canopy Conductance", nullptr, Category::surface},
    {"RCT", "Temperature Parameter in Canopy Conductance", nullptr, Category::surface},
    {"RLYRS", "Number of Soil Layers in Root Zone", nullptr, Category::surface},
    {"RSMIN", "Minimal Stomatal Resistance", nullptr, Category::surface},
    {"SFEXC", "Exchange Coefficient", nullptr, Category::surface},
    {"SMDRY", "Direct Evaporation Cease (Soil Moisture)", nullptr, Category::surface},
    {"SMREF", "Transpiration Stress-Onset (Soil Moisture)", nullptr, Category::surface},
    {"SNFALB", "Snow-Free Albedo", nullptr, Category::surface},
    {"SNOHF", "Snow Phase Change Heat Flux", kWattsPerArea, Category::surface},
    {"SOIL_M", "Soil Moisture (Volumetric)", nullptr, Category::surface},
    {"SOILL", "Liquid Volumetric Soil Moisture", nullptr, Category::surface},
    {"SOILM", "Soil Moisture Content", "kg/m^3", Category::surface},
    {"SOTYP", "Soil Type", nullptr, Category::surface},
    {"SSRUN", "Storm Surface Runoff", nullptr, Category::surface},
    {"UFLX", "Momentum Flux (U)", "N/m^2", Category::surface},
    {"VEG", "Vegetation", kPercent, Category::surface},
    {"VFLX", "Momentum Flux (V)", "N/m^2", Category::surface},
    {"VGTYP", "Vegetation Type", nullptr, Category::surface},
    {"VRATE", "Ventilation Rate", nullptr, Category::surface},
    {"WILT", "Wilting Point", nullptr, Category::surface},
    // Radiation
    {"DSWRF", "Downward Short-Wave Radiation", kWattsPerArea, Category::radiation},
    {"DLWRF", "Downward Long-Wave Radiation", kWattsPerArea, Category::radiation},
    {"USWRF", "Upward Short-Wave Radiation", kWattsPerArea, Category::radiation},
    {"ULWRF", "Upward Long-Wave Radiation", kWattsPerArea, Category::radiation},
    {"LHTFL", "Latent Heat Flux", kWattsPerArea, Category::radiation},
    {"SHTFL", "Sensible Heat Flux", kWattsPerArea, Category::radiation},
    {"CFNSF", "Cloud Forcing Net Solar Flux", nullptr, Category::radiation},
    {"CSDSF", "Clear Sky Downward Solar Flux", nullptr, Category::radiation},
    {"SWHR", "Solar Radiative Heating Rate", nullptr, Category::radiation},
    {"LWHR", "Long-Wave Radiative Heating Rate", nullptr, Category::radiation},
    {"CNVHR", "Convective Heating Rate", nullptr, Category::radiation},
    {"LRGHR", "Large-Scale Condensation Heating Rate", nullptr, Category::radiation},
    {"VBDSF", "Visible Beam Downward Solar Flux", nullptr, Category::radiation},
    {"VDDSF", "Visible Diffuse Downward Solar Flux", nullptr, Category::radiation},
    {"TTRAD", "Temperature Tendency by All Radiation", nullptr, Category::radiation},
    {"BRTMP", "Brightness Temperature", kKelvin, Category::radiation},
    {"SBT113", "Sim. Brightness Temp (Sat 1 Band 3)", kKelvin, Category::radiation},
    {"SBT114", "Sim. Brightness Temp (Sat 1 Band 4)", kKelvin, Category::radiation},
    {"SBT123", "Sim. Brightness Temp (Sat 2 Band 3)", kKelvin, Category::radiation},
    {"SBT124", "Sim. Brightness Temp (Sat 2 Band 4)", kKelvin, Category::radiation},
    // Waves
    {"HTSGW", "Combined Wave Height", kMetres, Category::wave},
    {"PERPW", "Primary Wave Period", "s", Category::wave},
    {"DIRPW", "Primary Wave Direction", "degree true", Category::wave},
    {"PERSW", "Secondary Wave Period", "s", Category::wave},
    {"DIRSW", "Secondary Wave Direction", "degree true", Category::wave},
    {"WVHGT", "Wind Wave Height", kMetres, Category::wave},
    {"WVPER", "Wind Wave Period", "s", Category::wave},
    {"WVDIR", "Wind Wave Direction", "degree true", Category::wave},
    {"SWELL", "Swell Height", kMetres, Category::wave},
    {"SWDIR", "Swell Direction", "degree true", Category::wave},
    {"SWPER", "Swell Period", "s", Category::wave},
    // Known names outside every category
    {"O3MR", "Ozone Mixing Ratio", "kg/kg", std::nullopt},
    {"TOZNE", "Total Ozone", "DU", std::nullopt},
    {"AOTK", "Aerosol Optical Thickness", nullptr, std::nullopt},
    {"VTMP", nullptr, kKelvin, std::nullopt},
    {"HEATX", nullptr, kKelvin, std::nullopt},
    {"WCF", nullptr, kKelvin, std::nullopt},
    {"VPTMP", nullptr, kKelvin, std::nullopt},
    {"MIXR", nullptr, "kg/kg", std::nullopt},
    {"GRAUPEL", nullptr, "kg/kg", std::nullopt},
    {"SNOC", nullptr, kMassPerArea, std::nullopt},
    {"SNOL", nullptr, kMassPerArea, std::nullopt},
    {"FRZRAIN", nullptr, kMassPerArea, std::nullopt},
    {"SRWEQ", nullptr, "kg/(m^2 * s)", std::nullopt},
    {"VAPP", nullptr, "Pa", std::nullopt},
    {"SATD", nullptr, "Pa", std::nullopt},
    {"LIQVSM", nullptr, "m^3/m^3", std::nullopt},
    {"VSOILM", nullptr, "m^3/m^3", std::nullopt},
    {"VPOT", nullptr, "m^2/s", std::nullopt},
    {"MNTSF", nullptr, "m^2/s^2", std::nullopt},
    {"SGCVV", nullptr, "1/s", std::nullopt},
    {"ABSD", nullptr, "1/s", std::nullopt},
    {"RELD", nullptr, "1/s", std::nullopt},
    {"PVORT", nullptr, "(K * m^2)/(kg * s)", std::nullopt},
    {"WMIXE", nullptr, "J", std::nullopt},
    {"PRESA", nullptr, "Pa", std::nullopt},
    {"PTEND", nullptr, "Pa/s", std::nullopt},
    {"GPA", nullptr, "gpm", std::nullopt},
    {"GP", nullptr, "m^2/s^2", std::nullopt},
    {"DIST", nullptr, kMetres, std::nullopt},
    {"HSTDV", nullptr, kMetres, std::nullopt},
    {"DEN", nullptr, "kg/m^3", std::nullopt},
    {"NSWRS", nullptr, kWattsPerArea, std::nullopt},
    {"NSWRT", nullptr, kWattsPerArea, std::nullopt},
    {"SWAVR", nullptr, kWattsPerArea, std::nullopt},
    {"GRAD", nullptr, kWattsPerArea, std::nullopt},
    {"NSWRF", nullptr, kWattsPerArea, std::nullopt},
    {"NLWRS", nullptr, kWattsPerArea, std::nullopt},
    {"NLWRT", nullptr, kWattsPerArea, std::nullopt},
    {"LWAVR", nullptr, kWattsPerArea, std::nullopt},
    {"NLWRF", nullptr, kWattsPerArea, std::nullopt},
    {"CDCA", nullptr, kPercent, std::nullopt},
    {"CDCB", nullptr, kMetres, std::nullopt},
    {"CDCT", nullptr, nullptr, std::nullopt},
    {"BLI", nullptr, kKelvin, std::nullopt},
    {"KX", nullptr, kKelvin, std::nullopt},
    {"MIXHT", nullptr, kMetres, std::nullopt},
    {"TSTM", nullptr, kPercent, std::nullopt},
    {"PEVPR", nullptr, "kg/(m^2 * s)", std::nullopt},
};
// clang-format on

const VariableEntry *entryFor(const QString &name)
{
    static const QHash<QString, const VariableEntry *> byName = [] {
        QHash<QString, const VariableEntry *> index;
        for (const VariableEntry &entry : kVariables)
            index.insert(QString::fromLatin1(entry.name), &entry);
        return index;
    }();
    return byName.value(name, nullptr);
}

struct LevelName
{
    const char16_t *text;
    const char16_t *display;
};

// Level texts with a display of their own. The soil layers take an en dash in the display.
constexpr std::array kLevelNames{
    LevelName{u"surface", u"Surface"},
    LevelName{u"mean sea level", u"Mean Sea Level"},
    LevelName{u"entire atmosphere (considered as a single layer)", u"Entire Atmosphere"},
    LevelName{u"entire atmosphere", u"Entire Atmosphere"},
    LevelName{u"top of atmosphere", u"Top of Atmosphere"},
    LevelName{u"low cloud layer", u"Low Cloud Layer"},
    LevelName{u"middle cloud layer", u"Middle Cloud Layer"},
    LevelName{u"high cloud layer", u"High Cloud Layer"},
    LevelName{u"convective cloud layer", u"Convective Cloud Layer"},
    LevelName{u"boundary layer cloud layer", u"Boundary Layer Cloud"},
    LevelName{u"planetary boundary layer", u"Planetary Boundary Layer"},
    LevelName{u"0-0.1 m below ground", u"0\u20130.1m Below Ground"},
    LevelName{u"0.1-0.4 m below ground", u"0.1\u20130.4m Below Ground"},
    LevelName{u"0.4-1 m below ground", u"0.4\u20131m Below Ground"},
    LevelName{u"1-2 m below ground", u"1\u20132m Below Ground"},
};

struct CategoryName
{
    Category category;
    const char *rawValue;
};

constexpr std::array kCategoryNames{
    CategoryName{Category::temperature, "Temperature"},
    CategoryName{Category::geopotential, "Geopotential"},
    CategoryName{Category::precipitation, "Precipitation"},
    CategoryName{Category::moisture, "Moisture"},
    CategoryName{Category::pressure, "Pressure"},
    CategoryName{Category::stability, "Stability"},
    CategoryName{Category::vorticity, "Vorticity"},
    CategoryName{Category::wind, "Wind"},
    CategoryName{Category::cloud, "Cloud"},
    CategoryName{Category::reflectivity, "Reflectivity"},
    CategoryName{Category::surface, "Surface"},
    CategoryName{Category::radiation, "Radiation"},
    CategoryName{Category::wave, "Wave"},
    CategoryName{Category::other, "Other"},
};

} // namespace

namespace ModelVariableCategories {

QList<ModelVariableCategory> allCases()
{
    QList<ModelVariableCategory> cases;
    for (const CategoryName &entry : kCategoryNames)
        cases.append(entry.category);
    return cases;
}

QString rawValue(ModelVariableCategory category)
{
    for (const CategoryName &entry : kCategoryNames) {
        if (entry.category == category)
            return QString::fromLatin1(entry.rawValue);
    }
    return QString();
}

std::optional<ModelVariableCategory> fromRawValue(const QString &text)
{
    for (const CategoryName &entry : kCategoryNames) {
        if (text == QLatin1String(entry.rawValue))
            return entry.category;
    }
    return std::nullopt;
}

} // namespace ModelVariableCategories

QString ModelVariable::variableDisplayName() const
{
    const VariableEntry *entry = entryFor(name);
    return entry && entry->displayName ? QString::fromUtf8(entry->displayName) : name;
}

std::optional<QString> ModelVariable::variableUnits() const
{
    const VariableEntry *entry = entryFor(name);
    if (!entry || !entry->units)
        return std::nullopt;
    return QString::fromUtf8(entry->units);
}

ModelVariableCategory ModelVariable::variableCategory() const
{
    const VariableEntry *entry = entryFor(name);
    return entry && entry->category ? *entry->category : Category::other;
}

QString ModelLevel::levelDisplayName() const
{
    for (const LevelName &level : kLevelNames) {
        if (description == QStringView(level.text))
            return QString::fromUtf16(level.display);
    }
    static const QString pressureSuffix = QStringLiteral(" mb");
    static const QString heightSuffix = QStringLiteral(" m above ground");
    QString display = description;
    if (display.endsWith(pressureSuffix))
        return display.replace(pressureSuffix, QStringLiteral("mb"));
    if (display.endsWith(heightSuffix))
        return display.replace(heightSuffix, QStringLiteral("m Above Ground"));
    if (!display.isEmpty())
        display[0] = display[0].toUpper();
    return display;
}

size_t std::hash<ModelVariableLevel>::operator()(const ModelVariableLevel &vl) const noexcept
{
    return qHashMulti(0, vl.variable.name, vl.level.description);
}
