// The parameter abbreviations, grouped by discipline and category as in WMO code table 4.2 and
// the NCEP local tables. Several abbreviations stand under two keys; lookups are by key only.
#include "grib/ParameterTable.h"

#include <functional>
#include <initializer_list>
#include <unordered_map>

namespace {

struct Entry
{
    int number;
    std::string_view abbreviation;
};

struct CategoryRow
{
    int discipline;
    int category;
    std::initializer_list<Entry> entries;
};

using Table = std::unordered_map<ParameterTable::Key, std::string_view, ParameterTable::KeyHash>;

const Table &table()
{
    static const Table built = [] {
        const CategoryRow rows[] = {
        {0, 0, {{0, "TMP"}, {1, "VTMP"}, {2, "POT"}, {3, "EPOT"}, {4, "TMAX"}, {5, "TMIN"}, {6, "DPT"}, {7, "DEPR"}, {8, "LAPR"}, {9, "TMPA"}, {10, "LHTFL"}, {11, "SHTFL"}, {12, "HEATX"}, {13, "WCF"}, {14, "MINDPD"}, {15, "VPTMP"}, {17, "SNOHF"}, {21, "APTMP"}}},
        {0, 1, {{0, "SPFH"}, {1, "RH"}, {2, "MIXR"}, {3, "PWAT"}, {4, "VAPP"}, {5, "SATD"}, {6, "EVP"}, {7, "PRATE"}, {8, "APCP"}, {9, "NCPCP"}, {10, "ACPCP"}, {11, "SNOD"}, {12, "SRWEQ"}, {13, "WEASD"}, {14, "SNOC"}, {15, "SNOL"}, {16, "SNOM"}, {22, "CLWMR"}, {23, "ICMR"}, {24, "RWMR"}, {25, "SNMR"}, {32, "GRAUPEL"}, {37, "CPRAT"}, {39, "CPOFP"}, {52, "RHPW"}, {60, "SNOWC"}, {64, "LIQVSM"}, {65, "FRZRAIN"}, {66, "FROZR"}, {68, "TCOLW"}, {69, "TCOLI"}, {100, "CRAIN"}, {101, "CFRZR"}, {102, "CICEP"}, {103, "CSNOW"}}},
        {0, 2, {{0, "WDIR"}, {1, "WIND"}, {2, "UGRD"}, {3, "VGRD"}, {4, "STRM"}, {5, "VPOT"}, {6, "MNTSF"}, {7, "SGCVV"}, {8, "VVEL"}, {9, "DZDT"}, {10, "ABSV"}, {11, "ABSD"}, {12, "RELV"}, {13, "RELD"}, {14, "PVORT"}, {15, "VUCSH"}, {16, "VVCSH"}, {17, "UFLX"}, {18, "VFLX"}, {19, "WMIXE"}, {22, "GUST"}, {25, "HLCY"}, {27, "USTM"}, {28, "VSTM"}}},
        {0, 3, {{0, "PRES"}, {1, "PRMSL"}, {2, "PTEND"}, {3, "ICAHT"}, {4, "GP"}, {5, "HGT"}, {6, "DIST"}, {7, "HSTDV"}, {8, "PRESA"}, {9, "GPA"}, {10, "DEN"}, {18, "MSLET"}, {192, "MSLET"}, {193, "5WAVH"}, {196, "MSLMA"}}},
        {0, 4, {{0, "NSWRS"}, {1, "NSWRT"}, {2, "SWAVR"}, {3, "GRAD"}, {4, "BRTMP"}, {7, "DSWRF"}, {8, "USWRF"}, {9, "NSWRF"}, {10, "PHOTAR"}, {11, "NSWRFCS"}, {192, "DSWRF"}, {193, "USWRF"}}},
        {0, 5, {{0, "NLWRS"}, {1, "NLWRT"}, {2, "LWAVR"}, {3, "DLWRF"}, {4, "ULWRF"}, {5, "NLWRF"}, {192, "DLWRF"}, {193, "ULWRF"}}},
        {0, 6, {{0, "CICE"}, {1, "TCDC"}, {2, "CDCON"}, {3, "LCDC"}, {4, "MCDC"}, {5, "HCDC"}, {6, "CWAT"}, {7, "CDCA"}, {8, "CDCT"}, {9, "CDCB"}, {25, "HCONCB"}, {192, "CDLYR"}, {193, "CWORK"}, {196, "CEIL"}}},
        {0, 7, {{0, "PLI"}, {1, "BLI"}, {2, "KX"}, {6, "CAPE"}, {7, "CIN"}, {8, "HLCY"}, {192, "CAPE"}, {193, "CIN"}, {197, "USTM"}, {198, "VSTM"}}},
        {0, 14, {{0, "TOZNE"}, {1, "O3MR"}, {2, "TCIOZ"}}},
        {0, 16, {{0, "REFZR"}, {1, "REFZI"}, {2, "REFZC"}, {3, "REFD"}, {4, "REFC"}, {195, "REFD"}, {196, "REFC"}}},
        {0, 19, {{0, "VIS"}, {1, "ALBDO"}, {2, "TSTM"}, {3, "MIXHT"}, {11, "CDOVER"}, {15, "LTNG"}, {204, "MXSALB"}, {205, "SNFALB"}}},
        {2, 0, {{0, "LAND"}, {1, "SFCR"}, {2, "TSOIL"}, {3, "SOILM"}, {4, "VEG"}, {5, "WATR"}, {7, "PEVPR"}, {22, "SOILW"}, {24, "VSOILM"}, {192, "SOILW"}, {193, "GFLUX"}, {196, "RCS"}, {197, "RCT"}, {198, "RCQ"}, {199, "RCSOL"}}},
        {2, 3, {{0, "SOTYP"}, {203, "RSMIN"}}},
        {10, 0, {{0, "WVSP1"}, {1, "WVSP2"}, {2, "WVSP3"}, {3, "HTSGW"}, {4, "WVDIR"}, {5, "WVHGT"}, {6, "WVPER"}, {7, "SWDIR"}, {8, "SWELL"}, {9, "SWPER"}, {10, "DIRPW"}, {11, "PERPW"}, {12, "DIRSW"}, {13, "PERSW"}, {14, "WWSDIR"}, {15, "WWSHGT"}, {16, "WWSPER"}}},
        {10, 1, {{0, "DIRC"}, {1, "SPC"}, {2, "UOGRD"}, {3, "VOGRD"}}},
        {10, 3, {{0, "WTMP"}}},
        };
        Table t;
        for (const CategoryRow &row : rows) {
            for (const Entry &entry : row.entries)
                t.emplace(ParameterTable::Key{row.discipline, row.category, entry.number}, entry.abbreviation);
        }
        return t;
    }();
    return built;
}

} // namespace

std::size_t ParameterTable::KeyHash::operator()(const Key &key) const
{
    std::size_t hash = std::hash<int>()(key.discipline);
    hash = hash * 31 + std::hash<int>()(key.category);
    hash = hash * 31 + std::hash<int>()(key.number);
    return hash;
}

std::optional<std::string_view> ParameterTable::abbreviation(const Key &key)
{
    const Table &t = table();
    const auto found = t.find(key);
    if (found == t.end())
        return std::nullopt;
    return found->second;
}

std::size_t ParameterTable::size()
{
    return table().size();
}
