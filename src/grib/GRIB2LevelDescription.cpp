// Level texts of GRIB2Decoder::levelDescriptionForSurface (WMO code table 4.5). Numbers are
// written with std::to_chars so the texts do not depend on the locale.
#include "grib/GRIB2Decoder.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

/// The integer part of `value`, or nothing beyond the 64-bit range (or NaN).
std::optional<std::string> integerText(double value)
{
    const double truncated = std::trunc(value);
    if (!(truncated >= -9223372036854775808.0 && truncated < 9223372036854775808.0))
        return std::nullopt;
    char text[24];
    const auto result = std::to_chars(std::begin(text), std::end(text), static_cast<std::int64_t>(truncated));
    return std::string(text, result.ptr);
}

std::optional<std::string> withSuffix(std::optional<std::string> number, std::string_view suffix)
{
    if (!number)
        return std::nullopt;
    return *number + std::string(suffix);
}

std::optional<std::string_view> fixedText(int surfaceType)
{
    switch (surfaceType) {
    case 1: return "surface";
    case 2: return "cloud base";
    case 3: return "cloud top";
    case 4: return "0C isotherm";
    case 5: return "adiabatic condensation level";
    case 6: return "max wind";
    case 7: return "tropopause";
    case 8: return "top of atmosphere";
    case 10: return "entire atmosphere";
    case 20: return "isothermal level";
    case 101: return "mean sea level";
    case 104: return "sigma level";
    case 105: return "hybrid level";
    case 200: return "entire atmosphere (considered as a single layer)";
    case 204: return "highest tropospheric freezing level";
    case 212: return "low cloud bottom level";
    case 213: return "low cloud top level";
    case 214: return "low cloud layer";
    case 222: return "middle cloud bottom level";
    case 223: return "middle cloud top level";
    case 224: return "middle cloud layer";
    case 232: return "high cloud bottom level";
    case 233: return "high cloud top level";
    case 234: return "high cloud layer";
    case 242: return "convective cloud bottom level";
    case 243: return "convective cloud top level";
    case 244: return "convective cloud layer";
    case 245: return "lowest level of the wet bulb zero";
    case 251: return "planetary boundary layer";
    default: return std::nullopt;
    }
}

} // namespace

std::optional<std::string> GRIB2Decoder::levelDescriptionForSurface(int surfaceType, int scaleFactor,
                                                                    std::int64_t scaledValue)
{
    if (const auto text = fixedText(surfaceType))
        return std::string(*text);
    double value = static_cast<double>(scaledValue);
    if (scaleFactor != 0)
        value /= std::pow(10.0, scaleFactor);
    switch (surfaceType) {
    case 100: return withSuffix(integerText(value / 100), " mb");
    case 102: return withSuffix(integerText(value), " m above mean sea level");
    case 103: return withSuffix(integerText(value), " m above ground");
    case 108: return withSuffix(integerText(value / 100), " mb above ground");
    case 106: {
        if (!std::isfinite(value))
            return std::nullopt;
        char text[400];
        const auto result = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, 2);
        if (result.ec != std::errc())
            return std::nullopt;
        return std::string(text, result.ptr) + " m below ground";
    }
    default: return std::nullopt;
    }
}
