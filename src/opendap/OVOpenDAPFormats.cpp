#include "opendap/OVOpenDAPFormats.h"

#include "core/regex/ExtRegexAdditions.h"
#include "platform/OVValueConversion.h"

#include <QStringDecoder>

#include <unicode/uregex.h>

#include <algorithm>
#include <array>
#include <bit>
#include <map>

namespace OVOpenDAPFormats {

namespace {

using Kind = FormatError::Kind;

// --- DAS helpers ------------------------------------------------------------------------------

// Axis numbers are single-precision in the DAS; they are read as such and widened.
double floatAttribute(const QString &value)
{
    if (value.isNull())
        return kUnreadableDouble;
    return double(float(OVValueConversion::doubleValue(value)));
}

int64_t integerAttribute(const QString &value)
{
    if (value.isNull())
        return kUnreadableInteger;
    return OVValueConversion::integerValue(value);
}

QString trimmedOf(const QString &text, QStringView characters)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && characters.contains(text.at(begin)))
        ++begin;
    while (end > begin && characters.contains(text.at(end - 1)))
        --end;
    QString result = text.mid(begin, end - begin);
    return result.isNull() ? QStringLiteral("") : result;
}

// Applies one attribute of an axis block; false when the block is no axis or the name is not
// one of its attributes.
bool applyAxisAttribute(DASAxes &axes, const QString &block, const QString &name, const QString &value)
{
    const bool lat = block == u"lat";
    if (lat || block == u"lon") {
        auto &minimum = lat ? axes.latitudeMin : axes.longitudeMin;
        auto &maximum = lat ? axes.latitudeMax : axes.longitudeMax;
        auto &resolution = lat ? axes.latitudeResolution : axes.longitudeResolution;
        auto &size = lat ? axes.latitudeSize : axes.longitudeSize;
        if (name == u"minimum")
            minimum = floatAttribute(value);
        else if (name == u"maximum")
            maximum = floatAttribute(value);
        else if (name == u"resolution")
            resolution = floatAttribute(value);
        else if (name == u"grads_size")
            size = integerAttribute(value);
        return true;
    }
    if (block == u"time") {
        if (name == u"grads_size") {
            axes.numberOfSteps = integerAttribute(value);
        } else if (name == u"minimum") {
            axes.modelRunTime = parseDate(value);
        } else if (name == u"resolution") {
            // Days to seconds, the product formed in single precision.
            axes.stepInterval =
                value.isNull() ? kUnreadableDouble : double(float(OVValueConversion::doubleValue(value)) * 86400.0f);
        }
        return true;
    }
    return false;
}

bool axesHoldUnreadable(const DASAxes &axes)
{
    for (const auto *member : {&axes.latitudeMin, &axes.latitudeMax, &axes.latitudeResolution, &axes.longitudeMin,
                               &axes.longitudeMax, &axes.longitudeResolution, &axes.stepInterval}) {
        if (member->has_value() && **member == kUnreadableDouble)
            return true;
    }
    for (const auto *member : {&axes.latitudeSize, &axes.longitudeSize, &axes.numberOfSteps}) {
        if (member->has_value() && **member == kUnreadableInteger)
            return true;
    }
    return false;
}

// --- DDS tokens -------------------------------------------------------------------------------

struct Token
{
    QString text;
    int64_t offset = 0;
};

std::vector<Token> tokenize(const QString &text)
{
    static constexpr QStringView punctuation = u"{}[];:=";
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (punctuation.contains(c)) {
            tokens.push_back({QString(c), i});
            ++i;
        } else {
            const qsizetype start = i;
            while (i < text.size() && !text.at(i).isSpace() && !punctuation.contains(text.at(i)))
                ++i;
            tokens.push_back({text.mid(start, i - start), start});
        }
    }
    return tokens;
}

// A recursive-descent reader of the DDS grammar, as far as arrays and Grids go.
class LayoutReader
{
public:
    explicit LayoutReader(const QString &text)
        : mTokens(tokenize(text))
        , mEnd(text.size())
    {
    }

    ResponseLayout read()
    {
        ResponseLayout layout;
        if (!expect(u"Dataset") || !expect(u"{") || !declarations(layout.order) || !expect(u"}"))
            return fail();
        if (!name().has_value() || !expect(u";"))
            return fail();
        return layout;
    }

private:
    ResponseLayout fail() const
    {
        ResponseLayout layout;
        layout.error = FormatError{Kind::BadDeclaration, offset()};
        return layout;
    }

    int64_t offset() const { return mPos < mTokens.size() ? mTokens[mPos].offset : mEnd; }
    bool at(QStringView text) const { return mPos < mTokens.size() && mTokens[mPos].text == text; }
    bool expect(QStringView text)
    {
        if (!at(text))
            return false;
        ++mPos;
        return true;
    }
    std::optional<QString> name()
    {
        static constexpr QStringView punctuation = u"{}[];:=";
        if (mPos >= mTokens.size() || punctuation.contains(mTokens[mPos].text.at(0)))
            return std::nullopt;
        return mTokens[mPos++].text;
    }

    bool declarations(std::vector<OVOpenDAPValueDescription> &order)
    {
        while (mPos < mTokens.size() && !at(u"}")) {
            if (at(u"Grid")) {
                ++mPos;
                if (!expect(u"{") || !expect(u"ARRAY") || !expect(u":") || !array(order))
                    return false;
                if (!expect(u"MAPS") || !expect(u":"))
                    return false;
                while (mPos < mTokens.size() && !at(u"}")) {
                    if (!array(order))
                        return false;
                }
                if (!expect(u"}") || !name().has_value() || !expect(u";"))
                    return false;
            } else if (!array(order)) {
                return false;
            }
        }
        return true;
    }

    // "Type name[dim = n]...;" with at least one dimension; the element count is their product.
    bool array(std::vector<OVOpenDAPValueDescription> &order)
    {
        const auto typeName = name();
        if (!typeName)
            return false;
        const int32_t type = OVOpenDAPValueDescription::typeFromString(*typeName);
        const auto arrayName = name();
        if (type == OVOpenDAPValueDescription::None || !arrayName)
            return false;
        int64_t count = 1;
        int dimensions = 0;
        while (expect(u"[")) {
            if (mPos + 1 < mTokens.size() && mTokens[mPos + 1].text == u"=") {
                if (!name() || !expect(u"="))
                    return false;
            }
            const auto size = name();
            bool ok = false;
            const qlonglong n = size ? size->toLongLong(&ok) : 0;
            // Keep the product far from overflow; no reply of ours comes near 2^40 elements.
            if (!ok || n < 0 || (n > 0 && count > (int64_t(1) << 40) / n) || !expect(u"]"))
                return false;
            count *= n;
            ++dimensions;
        }
        if (dimensions == 0 || !expect(u";"))
            return false;
        OVOpenDAPValueDescription description;
        description.setName(*arrayName);
        description.setType(type);
        description.setDimension(count);
        order.push_back(description);
        return true;
    }

    std::vector<Token> mTokens;
    size_t mPos = 0;
    int64_t mEnd;
};

// --- XDR ----------------------------------------------------------------------------------------

uint32_t load32(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Widens n big-endian elements of the wire type into `out` (sized n).
void widen(const unsigned char *source, uint64_t n, int32_t type, double *out)
{
    using T = OVOpenDAPValueDescription;
    switch (type) {
    case T::Byte:
        for (uint64_t i = 0; i < n; ++i)
            out[i] = source[i];
        break;
    case T::Int16:
        for (uint64_t i = 0; i < n; ++i)
            out[i] = int16_t(load32(source + 4 * i));
        break;
    case T::UInt16:
        for (uint64_t i = 0; i < n; ++i)
            out[i] = uint16_t(load32(source + 4 * i));
        break;
    case T::Int32:
        for (uint64_t i = 0; i < n; ++i)
            out[i] = int32_t(load32(source + 4 * i));
        break;
    case T::UInt32:
        for (uint64_t i = 0; i < n; ++i)
            out[i] = load32(source + 4 * i);
        break;
    case T::Float32:
        for (uint64_t i = 0; i < n; ++i)
            out[i] = std::bit_cast<float>(load32(source + 4 * i));
        break;
    case T::Float64:
        for (uint64_t i = 0; i < n; ++i) {
            const uint64_t bits = (uint64_t(load32(source + 8 * i)) << 32) | load32(source + 8 * i + 4);
            out[i] = std::bit_cast<double>(bits);
        }
        break;
    default: break;
    }
}

} // namespace

// --- DAS ----------------------------------------------------------------------------------------

QString variableNameFromLine(const QString &line)
{
    const QStringList pieces = line.split(QLatin1Char(' '));
    return pieces.size() < 2 ? QString() : pieces.at(1);
}

QString variableValueFromLine(const QString &line)
{
    const auto separatorFrom = [&line](qsizetype from) {
        for (qsizetype i = from; i < line.size(); ++i) {
            if (line.at(i) == u' ' || line.at(i) == u'\t')
                return i;
        }
        return qsizetype(-1);
    };
    const qsizetype first = separatorFrom(0);
    if (first < 0 || first == line.size() - 1)
        return QString();
    const qsizetype second = separatorFrom(first + 1);
    if (second < 0 || second == line.size() - 1)
        return QString();
    return trimmedOf(line.mid(second + 1), u";\" ");
}

QString asciiText(const QByteArray &data)
{
    if (data.isEmpty())
        return QString();
    if (std::any_of(data.begin(), data.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; }))
        return QString();
    return QString::fromLatin1(data);
}

QString attributeText(const QByteArray &data)
{
    if (data.isEmpty())
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(data);
    if (!utf8.hasError())
        return decoded;
    // Latin-1 reads any bytes, so it is taken only for what is plainly an attribute document;
    // binary noise stays no document.
    if (!data.trimmed().startsWith("Attributes"))
        return QString();
    return QString::fromLatin1(data);
}

QDateTime parseDate(const QString &text)
{
    static constexpr std::array<QStringView, 12> months = {u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                                           u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
    if (text.size() != 12)
        return QDateTime();
    const auto month = std::find(months.begin(), months.end(), QStringView(text).mid(5, 3));
    if (month == months.end())
        return QDateTime();
    const QDate date(int(OVValueConversion::integerValue(QStringView(text).mid(8, 4))), int(month - months.begin()) + 1,
                     int(OVValueConversion::integerValue(QStringView(text).mid(3, 2))));
    const QTime time(int(OVValueConversion::integerValue(QStringView(text).left(2))), 0);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

DASContents walkDAS(const QString &text)
{
    DASContents contents;
    std::map<QString, size_t> blockIndex;
    constexpr size_t kOutside = SIZE_MAX;
    size_t current = kOutside; // the open block
    qsizetype lineStart = 0;
    for (const QString &rawLine : text.split(QLatin1Char('\n'))) {
        const int64_t offset = lineStart;
        lineStart += rawLine.size() + 1;
        if (rawLine.startsWith(u"Attributes"))
            continue;
        const QString line = rawLine.trimmed();
        if (const qsizetype brace = line.indexOf(u'{'); brace >= 0) {
            const QString name = trimmedOf(line.left(brace), u" \t");
            auto [it, added] = blockIndex.try_emplace(name, contents.blocks.size());
            if (added)
                contents.blocks.push_back(DASBlock{name, std::nullopt, std::nullopt});
            current = it->second;
            continue;
        }
        if (line.startsWith(u'}')) {
            current = kOutside;
            continue;
        }
        if (current == kOutside)
            continue; // attributes outside a block belong to no variable
        DASBlock &block = contents.blocks[current];
        const QString name = variableNameFromLine(line);
        const QString value = variableValueFromLine(line);
        if (applyAxisAttribute(contents.axes, block.name, name, value)) {
            if (!contents.unreadable && axesHoldUnreadable(contents.axes))
                contents.unreadable = FormatError{Kind::UnreadableAttribute, offset};
        } else if (name == u"long_name") {
            block.longName = value;
        } else if (name == u"missing_value") {
            block.missingValue = value.isNull() ? 0.0 : double(float(OVValueConversion::doubleValue(value)));
        }
    }
    return contents;
}

// --- DDS ----------------------------------------------------------------------------------------

GridMatch matchGrids(const QString &dds)
{
    static const QString pattern =
        QStringLiteral(R"re(Grid \{\s*ARRAY:\s*(\S*) (\S*?)\[[^;]*;\s*MAPS:\s*(.*?)\s*\} (\S*?);)re");
    GridMatch match;
    for (const QStringList &captures :
         ExtRegexAdditions::arrayOfCaptureComponentsMatchedByRegex(dds, pattern, UREGEX_DOTALL, ERXWholeRange)) {
        if (captures.size() > 4)
            match.grids.push_back({captures[1], captures[2], captures[3], captures[4]});
    }
    if (match.grids.empty())
        match.error = FormatError{Kind::NoGrid, dds.toUtf8().size()};
    return match;
}

std::vector<MapDeclaration> matchMaps(const QString &mapsText)
{
    static const QString pattern = QStringLiteral(R"re(\s*(\S*) (\S*?)\[\S* = ([^\]]*)];)re");
    std::vector<MapDeclaration> maps;
    for (const QStringList &captures :
         ExtRegexAdditions::arrayOfCaptureComponentsMatchedByRegex(mapsText, pattern, 0, ERXWholeRange)) {
        if (captures.size() > 3 && !captures[1].isNull() && !captures[2].isNull() && !captures[3].isNull())
            maps.push_back({captures[1], captures[2], captures[3]});
    }
    return maps;
}

ResponseLayout responseLayoutFromDDS(const QString &dds)
{
    return LayoutReader(dds).read();
}

// --- Data reply -----------------------------------------------------------------------------------

int64_t xdrOffset(std::span<const unsigned char> reply)
{
    static constexpr std::array<unsigned char, 6> separator = {'D', 'a', 't', 'a', ':', '\n'};
    const auto found = std::search(reply.begin(), reply.end(), separator.begin(), separator.end());
    if (found == reply.end())
        return -1;
    return int64_t(found - reply.begin()) + int64_t(separator.size());
}

DecodedReply decodeDataReply(std::span<const unsigned char> reply, std::span<const int32_t> types,
                             std::span<const int64_t> counts)
{
    DecodedReply decoded;
    if (reply.empty()) {
        decoded.error = FormatError{Kind::NoData, 0};
        return decoded;
    }
    const int64_t start = xdrOffset(reply);
    if (start < 0) {
        decoded.error = FormatError{Kind::NoSeparator, int64_t(reply.size())};
        return decoded;
    }
    uint64_t position = uint64_t(start);
    decoded.arrays.reserve(types.size());
    for (size_t entry = 0; entry < types.size(); ++entry) {
        const int32_t type = types[entry];
        const uint64_t left = reply.size() - position;
        if (left < 8) {
            decoded.error = FormatError{Kind::ShortHeader, int64_t(position)};
            return decoded;
        }
        // The count is unsigned: a corrupt one must not turn negative or wrap in n x size.
        const uint64_t count = load32(reply.data() + position);
        if (count == 0 && entry < counts.size() && counts[entry] != 0) {
            decoded.error = FormatError{Kind::CountMismatch, int64_t(position), entry};
            return decoded;
        }
        if (count == 0) {
            decoded.emptyEntries.push_back(entry);
            position += 8;
            continue;
        }
        const uint64_t wireSize = uint64_t(OVOpenDAPValueDescription::wireSizeForType(type));
        if (OVOpenDAPValueDescription::sizeForType(type) == 0) {
            decoded.error = FormatError{Kind::ZeroValueSize, int64_t(position)};
            return decoded;
        }
        const uint64_t available = left - 8;
        if (count > available / wireSize) {
            decoded.error = FormatError{Kind::ShortField, int64_t(position)};
            return decoded;
        }
        if (entry < counts.size() && counts[entry] >= 0 && count != uint64_t(counts[entry])) {
            decoded.error = FormatError{Kind::CountMismatch, int64_t(position), entry};
            return decoded;
        }
        std::vector<double> values(count);
        widen(reply.data() + position + 8, count, type, values.data());
        decoded.arrays.push_back(std::move(values));
        uint64_t length = count * wireSize;
        if (type == OVOpenDAPValueDescription::Byte)
            length = std::min((length + 3) & ~uint64_t(3), available); // byte arrays are padded to 4
        position += 8 + length;
    }
    return decoded;
}

DecodedReply decodeCheckedReply(std::span<const unsigned char> reply, std::span<const int32_t> expected)
{
    std::vector<int64_t> counts(expected.size(), -1);
    const int64_t start = xdrOffset(reply);
    if (start >= 0) {
        const QString header = QString::fromLatin1(reinterpret_cast<const char *>(reply.data()), qsizetype(start));
        const ResponseLayout layout = responseLayoutFromDDS(header);
        if (!layout.error) {
            for (size_t entry = 0; entry < expected.size() && entry < layout.order.size(); ++entry) {
                const OVOpenDAPValueDescription &declared = layout.order[entry];
                if (expected[entry] != OVOpenDAPValueDescription::None && declared.type() != expected[entry]) {
                    DecodedReply decoded;
                    decoded.error = FormatError{Kind::TypeMismatch, 0, entry};
                    return decoded;
                }
                counts[entry] = declared.dimension();
            }
        }
    }
    return decodeDataReply(reply, expected, counts);
}

} // namespace OVOpenDAPFormats
