#include "opendap/OVOpenDAPValueDescription.h"

#include "platform/OVValueConversion.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

uint16_t load16(const unsigned char *p)
{
    return uint16_t((p[0] << 8) | p[1]);
}

uint32_t load32(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint64_t load64(const unsigned char *p)
{
    return (uint64_t(load32(p)) << 32) | load32(p + 4);
}

constexpr std::array<const char *, 10> kTypeNames = {"",       "Byte",    "Int16",   "UInt16", "Int32",
                                                     "UInt32", "Float32", "Float64", "String", "URL"};

} // namespace

int64_t OVOpenDAPValueDescription::sizeForType(int32_t type)
{
    switch (type) {
    case Byte: return 1;
    case Int16:
    case UInt16: return 2;
    case Int32:
    case UInt32:
    case Float32: return 4;
    case Float64: return 8;
    default: return 0;
    }
}

int64_t OVOpenDAPValueDescription::wireSizeForType(int32_t type)
{
    if (type == Int16 || type == UInt16)
        return 4;
    return sizeForType(type);
}

double OVOpenDAPValueDescription::floatFromSource(const unsigned char *source, int32_t type)
{
    switch (type) {
    case Byte: return source[0];
    case Int16: return int16_t(load16(source));
    case UInt16: return load16(source);
    case Int32: return int32_t(load32(source));
    case UInt32: return load32(source);
    case Float32: return std::bit_cast<float>(load32(source));
    case Float64: return std::bit_cast<double>(load64(source));
    default: return 0.0;
    }
}

int64_t OVOpenDAPValueDescription::integerFromSource(const unsigned char *source, int32_t type)
{
    switch (type) {
    case Float32:
    case Float64: {
        const double value = floatFromSource(source, type);
        // Casting a NaN or an out-of-range value to an integer is undefined; clamp first.
        if (!(std::fabs(value) < 9.2e18))
            return value > 0 ? INT64_MAX : (value < 0 ? INT64_MIN : 0);
        return int64_t(std::round(value));
    }
    default: return int64_t(floatFromSource(source, type));
    }
}

int32_t OVOpenDAPValueDescription::typeFromString(QStringView typeName)
{
    for (size_t code = 1; code < kTypeNames.size(); ++code) {
        if (typeName == QLatin1StringView(kTypeNames[code]))
            return int32_t(code);
    }
    return None;
}

void OVOpenDAPValueDescription::setTypeFromString(QStringView typeName)
{
    if (const int32_t code = typeFromString(typeName); code != None)
        mType = code;
}

void OVOpenDAPValueDescription::setDimensionFromString(QStringView text)
{
    const int64_t value = OVValueConversion::integerValue(text);
    mDimension = value < 1 ? 0 : value;
}

QString OVOpenDAPValueDescription::allInclusiveDimensionString() const
{
    if (mDimension < 1)
        return QString();
    return QStringLiteral("0:%1").arg(mDimension - 1);
}
