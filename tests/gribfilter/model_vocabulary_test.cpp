// Display names, units and categories of model variables, and the display of level texts.
#include "gribfilter/ModelVariable.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

namespace {

using Category = ModelVariableCategory;

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Every known short name, grouped by category; the `other` group has no category entry.
const std::pair<Category, const char *> kGroups[] = {
    {Category::temperature, "TMP DPT POT APTMP DEPR ICETMP WTMP TMAX TMIN"},
    {Category::geopotential, "HGT LAYTH"},
    {Category::precipitation, "APCP ASNOW ACPCP NCPCP PWAT SNOD WEASD CSNOW CICEP CFRZR CRAIN CPRAT PRATE CPOFP "
                              "FROZR FRZR GRLE HAIL SNOM RIME TCOLR TCOLS TCOLG"},
    {Category::moisture, "RH SPFH RHPW MCONV MDIV MSTAV TCOLM TCOLC COLMD RCQ EVP EPOT PEVAP TCOND"},
    {Category::pressure, "PRMSL PRES MSLET MSLMA PLPL"},
    {Category::stability, "CAPE CIN HLCY USTM VSTM LFTX 4LFTX PLI HINDEX MXUPHL MNUPHL UPHL LTNG LTNGSD TKE TIPD "
                          "TPFI"},
    {Category::vorticity, "VVEL ABSV DZDT RELV STRM MAXDVV MAXUVV"},
    {Category::wind, "UGRD VGRD WIND WDIR GUST UGUST VGUST MAXUW MAXVW VUCSH VVCSH VWSH"},
    {Category::cloud, "CLWMR ICMR RWMR SNMR CIMIXR TCC LCDC MCDC HCDC TCDC CWAT CICE VIL TCOLI TCOLW TCLSW CDCON "
                      "ICAHT"},
    {Category::reflectivity, "REFC REFD RETOP MAXREF"},
    {Category::surface, "VIS TSOIL SOILW ICEC ICEG ICETK LAND HPBL SFCR FRICV SUNSD WATR SNOWC ALBDO BGRUN BMIXL "
                        "CCOND CD CNWAT FLDCP GFLUX LAI MASSDEN MXSALB PBLREG POROS RCS RCSOL RCT RLYRS RSMIN SFEXC "
                        "SMDRY SMREF SNFALB SNOHF SOIL_M SOILL SOILM SOTYP SSRUN UFLX VEG VFLX VGTYP VRATE WILT"},
    {Category::radiation, "DSWRF DLWRF USWRF ULWRF LHTFL SHTFL CFNSF CSDSF SWHR LWHR CNVHR LRGHR VBDSF VDDSF TTRAD "
                          "BRTMP SBT113 SBT114 SBT123 SBT124"},
    {Category::wave, "HTSGW PERPW DIRPW PERSW DIRSW WVHGT WVPER WVDIR SWELL SWDIR SWPER"},
    {Category::other, "O3MR TOZNE AOTK VTMP HEATX WCF VPTMP MIXR GRAUPEL SNOC SNOL FRZRAIN SRWEQ VAPP SATD LIQVSM "
                      "VSOILM VPOT MNTSF SGCVV ABSD RELD PVORT WMIXE PRESA PTEND GPA GP DIST HSTDV DEN NSWRS NSWRT "
                      "SWAVR GRAD NSWRF NLWRS NLWRT LWAVR NLWRF CDCA CDCB CDCT BLI KX MIXHT TSTM PEVPR"},
};

const char *const kWithoutDisplayName =
    "VTMP HEATX WCF VPTMP MIXR GRAUPEL SNOC SNOL FRZRAIN SRWEQ VAPP SATD LIQVSM VSOILM VPOT MNTSF SGCVV ABSD RELD "
    "PVORT WMIXE PRESA PTEND GPA GP DIST HSTDV DEN NSWRS NSWRT SWAVR GRAD NSWRF NLWRS NLWRT LWAVR NLWRF CDCA CDCB "
    "CDCT BLI KX MIXHT TSTM PEVPR TCOLR TCOLS TCOLG";

// Every unit entry, by unit text.
const std::pair<const char *, const char *> kUnits[] = {
    {"K", "TMP DPT POT APTMP DEPR ICETMP WTMP TMAX TMIN EPOT PLI TSOIL BRTMP SBT113 SBT114 SBT123 SBT124 VTMP "
          "HEATX WCF VPTMP BLI KX"},
    {"gpm", "HGT GPA"},
    {"Pa", "PRMSL PRES MSLET MSLMA VAPP SATD PRESA"},
    {"kg/m^2", "APCP ACPCP NCPCP PWAT WEASD FROZR FRZR SNOM EVP CWAT CICE TCOLI TCOLW WATR SNOC SNOL FRZRAIN"},
    {"m", "SNOD ICAHT RETOP VIS SFCR HTSGW WVHGT SWELL DIST HSTDV CDCB MIXHT"},
    {"kg/(m^2 * s)", "CPRAT PRATE SRWEQ PEVPR"},
    {"%", "CPOFP RH RHPW LCDC MCDC HCDC TCDC CDCON SNOWC ALBDO VEG CDCA TSTM"},
    {"kg/kg", "GRLE SPFH CLWMR ICMR RWMR SNMR O3MR MIXR GRAUPEL"},
    {"J/kg", "CAPE CIN MXUPHL MNUPHL UPHL TKE"},
    {"m^2/s^2", "HLCY MNTSF GP"},
    {"m/s", "USTM VSTM DZDT UGRD VGRD WIND GUST UGUST VGUST MAXUW MAXVW"},
    {"Pa/s", "VVEL PTEND"},
    {"1/s", "ABSV RELV VUCSH VVCSH SGCVV ABSD RELD"},
    {"m^2/s", "STRM VPOT"},
    {"degree true", "WDIR VWSH DIRPW DIRSW WVDIR SWDIR"},
    {"dB", "REFC REFD MAXREF"},
    {"Proportion", "SOILW LAND"},
    {"W/m^2", "GFLUX SNOHF DSWRF DLWRF USWRF ULWRF LHTFL SHTFL NSWRS NSWRT SWAVR GRAD NSWRF NLWRS NLWRT LWAVR NLWRF"},
    {"kg/m^3", "SOILM DEN"},
    {"N/m^2", "UFLX VFLX"},
    {"s", "PERPW PERSW WVPER SWPER"},
    {"DU", "TOZNE"},
    {"m^3/m^3", "LIQVSM VSOILM"},
    {"(K * m^2)/(kg * s)", "PVORT"},
    {"J", "WMIXE"},
};

QStringList allShortNames()
{
    QStringList names;
    for (const auto &[category, list] : kGroups)
        names += words(list);
    return names;
}

} // namespace

TEST(ModelVocabulary, EveryShortNameFallsInItsCategory)
{
    QSet<QString> seen;
    for (const auto &[category, list] : kGroups) {
        for (const QString &name : words(list)) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(ModelVariable{name}.variableCategory(), category);
            seen.insert(name);
        }
    }
    EXPECT_EQ(seen.size(), 237);
    EXPECT_EQ(seen.size() - words(kGroups[13].second).size(), 189u);
}

TEST(ModelVocabulary, UnitsAreExactlyTheTable)
{
    QHash<QString, QString> expected;
    for (const auto &[unit, list] : kUnits) {
        for (const QString &name : words(list))
            expected.insert(name, QString::fromLatin1(unit));
    }
    EXPECT_EQ(expected.size(), 159);
    for (const QString &name : allShortNames()) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<QString> units = ModelVariable{name}.variableUnits();
        if (expected.contains(name))
            EXPECT_EQ(units, expected.value(name));
        else
            EXPECT_FALSE(units) << units->toStdString();
    }
}

TEST(ModelVocabulary, DisplayNamesExistForAllButTheListedNames)
{
    const QStringList without = words(kWithoutDisplayName);
    int named = 0;
    for (const QString &name : allShortNames()) {
        SCOPED_TRACE(name.toStdString());
        const QString display = ModelVariable{name}.variableDisplayName();
        if (without.contains(name)) {
            EXPECT_EQ(display, name);
            continue;
        }
        ++named;
        EXPECT_FALSE(display.isEmpty());
        // Readable names, not the short name again (but for the two acronyms kept as they are).
        if (name != "CAPE" && name != "CIN")
            EXPECT_NE(display, name);
    }
    EXPECT_EQ(named, 189);
}

TEST(ModelVocabulary, GivenDisplayNames)
{
    const std::pair<const char *, const char *> rows[] = {
        {"TMP", "Temperature"},
        {"DPT", "Dew Point Temperature"},
        {"TMAX", "Max Temperature"},
        {"TMIN", "Min Temperature"},
        {"HGT", "Geopotential Height"},
        {"PRMSL", "Mean Sea Level Pressure"},
        {"MSLET", "MSLP (ETA Reduction)"},
        {"MSLMA", "MSL Pressure (Altimeter)"},
        {"APCP", "Accumulated Precipitation"},
        {"CPRAT", "Convective Precip Rate"},
        {"RH", "Relative Humidity"},
        {"RHPW", "RH wrt Precipitable Water"},
        {"CAPE", "CAPE"},
        {"CIN", "CIN"},
        {"4LFTX", "Best 4-Layer Lifted Index"},
        {"DZDT", "Vertical Velocity (Geometric)"},
        {"UGRD", "U-Component Wind"},
        {"VGRD", "V-Component Wind"},
        {"WIND", "Wind Speed"},
        {"WDIR", "Wind Direction"},
        {"GUST", "Wind Gust"},
        {"TCDC", "Cloud Cover"},
        {"REFC", "Composite Reflectivity"},
        {"VIS", "Visibility"},
        {"SOIL_M", "Soil Moisture (Volumetric)"},
        {"UFLX", "Momentum Flux (U)"},
        {"DSWRF", "Downward Short-Wave Radiation"},
        {"LRGHR", "Large-Scale Condensation Heating Rate"},
        {"SBT113", "Sim. Brightness Temp (Sat 1 Band 3)"},
        {"HTSGW", "Combined Wave Height"},
        {"TOZNE", "Total Ozone"},
        {"AOTK", "Aerosol Optical Thickness"},
    };
    for (const auto &[name, display] : rows)
        EXPECT_EQ(ModelVariable{name}.variableDisplayName(), QString::fromLatin1(display)) << name;
}

TEST(ModelVocabulary, EdgeCases)
{
    EXPECT_EQ(ModelVariable{"XYZ"}.variableDisplayName(), "XYZ");
    EXPECT_EQ(ModelVariable{"VTMP"}.variableDisplayName(), "VTMP");
    EXPECT_EQ(ModelVariable{"ugrd"}.variableDisplayName(), "ugrd");
    EXPECT_EQ(ModelVariable{""}.variableDisplayName(), "");
    EXPECT_FALSE(ModelVariable{"CSNOW"}.variableUnits());
    EXPECT_FALSE(ModelVariable{"XYZ"}.variableUnits());
    EXPECT_FALSE(ModelVariable{"ugrd"}.variableUnits());
    EXPECT_EQ(ModelVariable{"UGRD"}.variableUnits(), QStringLiteral("m/s"));
    EXPECT_EQ(ModelVariable{"O3MR"}.variableCategory(), Category::other);
    EXPECT_EQ(ModelVariable{"O3MR"}.variableDisplayName(), "Ozone Mixing Ratio");
    EXPECT_EQ(ModelVariable{"TCOLR"}.variableCategory(), Category::precipitation);
    EXPECT_EQ(ModelVariable{"tmp"}.variableCategory(), Category::other);
    EXPECT_EQ(ModelVariable{"XYZ"}.variableCategory(), Category::other);
}

TEST(ModelVocabulary, CategoriesFromRawValues)
{
    const QList<Category> all = ModelVariableCategories::allCases();
    const QStringList titles = words("Temperature Geopotential Precipitation Moisture Pressure Stability Vorticity "
                                     "Wind Cloud Reflectivity Surface Radiation Wave Other");
    ASSERT_EQ(all.size(), 14);
    EXPECT_EQ(all.first(), Category::temperature);
    EXPECT_EQ(all.last(), Category::other);
    for (qsizetype i = 0; i < all.size(); ++i) {
        EXPECT_EQ(ModelVariableCategories::rawValue(all.at(i)), titles.at(i));
        EXPECT_EQ(ModelVariableCategories::fromRawValue(titles.at(i)), all.at(i));
    }
    EXPECT_EQ(ModelVariableCategories::fromRawValue("Wave"), Category::wave);
    for (const char *text : {"temperature", "WAVE", "", "Wave ", "Others"})
        EXPECT_FALSE(ModelVariableCategories::fromRawValue(text)) << text;
}

TEST(ModelVocabulary, LevelDisplayNames)
{
    const std::pair<const char16_t *, const char16_t *> rows[] = {
        {u"surface", u"Surface"},
        {u"mean sea level", u"Mean Sea Level"},
        {u"entire atmosphere (considered as a single layer)", u"Entire Atmosphere"},
        {u"entire atmosphere", u"Entire Atmosphere"},
        {u"top of atmosphere", u"Top of Atmosphere"},
        {u"low cloud layer", u"Low Cloud Layer"},
        {u"middle cloud layer", u"Middle Cloud Layer"},
        {u"high cloud layer", u"High Cloud Layer"},
        {u"convective cloud layer", u"Convective Cloud Layer"},
        {u"boundary layer cloud layer", u"Boundary Layer Cloud"},
        {u"planetary boundary layer", u"Planetary Boundary Layer"},
        {u"0-0.1 m below ground", u"0\u20130.1m Below Ground"},
        {u"0.1-0.4 m below ground", u"0.1\u20130.4m Below Ground"},
        {u"0.4-1 m below ground", u"0.4\u20131m Below Ground"},
        {u"1-2 m below ground", u"1\u20132m Below Ground"},
        {u"850 mb", u"850mb"},
        {u"500 mb", u"500mb"},
        {u"30-0 mb above ground", u"30-0 mb above ground"}, // neither suffix: only its first letter could change
        {u"180-0 mb", u"180-0mb"},
        {u"10 m above ground", u"10m Above Ground"},
        {u"2 m above ground", u"2m Above Ground"},
        {u"1000-0 m above ground", u"1000-0m Above Ground"},
        {u"max wind", u"Max wind"},
        {u"tropopause", u"Tropopause"},
        {u"Surface", u"Surface"},
        {u"SURFACE", u"SURFACE"},
        {u"", u""},
        // Exact texts only: a case change or extra blank falls to the general rules.
        {u"Mean sea level", u"Mean sea level"},
        {u"surface ", u"Surface "},
    };
    for (const auto &[text, display] : rows) {
        const QString level = QString::fromUtf16(text);
        EXPECT_EQ(ModelLevel{level}.levelDisplayName(), QString::fromUtf16(display)) << level.toStdString();
    }
}
