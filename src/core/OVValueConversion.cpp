#include "core/OVValueConversion.h"

#include "core/OVStringUtil.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

qsizetype skipBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
        ++i;
    return i;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int64_t truncateToInteger(double number)
{
    if (std::isnan(number))
        return 0;
    if (number >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (number <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(number);
}

} // namespace

namespace OVValueConversion {

int64_t integerValue(QStringView text)
{
    qsizetype i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    // Accumulate as a negative number so that the 64-bit minimum fits.
    int64_t result = 0;
    constexpr int64_t min = std::numeric_limits<int64_t>::min();
    for (; i < text.size() && isDigit(text[i]); ++i) {
        const int digit = text[i].unicode() - u'0';
        if (result < (min + digit) / 10)
            return negative ? min : std::numeric_limits<int64_t>::max();
        result = result * 10 - digit;
    }
    if (negative)
        return result;
    return result == min ? std::numeric_limits<int64_t>::max() : -result;
}

double doubleValue(QStringView text)
{
    const qsizetype start = skipBlanks(text);
    qsizetype i = start;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    // Only plain decimal numbers: no "inf", "nan" or hexadecimal forms.
    const bool digitFirst = i < text.size() && isDigit(text[i]);
    const bool pointFirst = i + 1 < text.size() && text[i] == u'.' && isDigit(text[i + 1]);
    if (!digitFirst && !pointFirst)
        return 0.0;
    const std::string ascii = text.mid(i).toLatin1().toStdString();
    double number = 0.0;
    const std::errc error = std::from_chars(ascii.data(), ascii.data() + ascii.size(), number,
                                            std::chars_format::general).ec;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow; decide between 0 and infinity by the
        // exponent's sign, as strtod does.
        const size_t exponent = ascii.find_first_not_of("0123456789.");
        const bool tiny = exponent + 1 < ascii.size() && ascii[exponent + 1] == '-';
        number = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (error != std::errc()) {
        return 0.0;
    }
    return negative ? -number : number;
}

bool toBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isNumber(value))
        return value.toDouble() != 0.0;
    if (isText(value))
        return OVStringUtil::boolValue(value.toString());
    return false;
}

int64_t toInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Double:
    case QMetaType::Float:
        return truncateToInteger(value.toDouble());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return value.toULongLong() > uint64_t(std::numeric_limits<int64_t>::max())
                   ? std::numeric_limits<int64_t>::max()
                   : value.toLongLong();
    default:
        break;
    }
    if (isNumber(value))
        return value.toLongLong();
    if (isText(value))
        return integerValue(value.toString());
    return 0;
}

double toDouble(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1.0 : 0.0;
    if (isNumber(value))
        return value.toDouble();
    if (isText(value))
        return doubleValue(value.toString());
    return 0.0;
}

} // namespace OVValueConversion
