// Decoding of DAP2 data replies: real server replies against ncdump's listing of the same data,
// and hand-made replies whose array layout is broken.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPFormats.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace OVOpenDAPFormats;
using Type = OVOpenDAPValueDescription::Type;

namespace {

// The reference value of element `i` in ncdump's text, compared at the precision it prints.
void expectSameValue(int32_t type, double decoded, const QString &reference)
{
    switch (type) {
    case Type::Byte: // ncdump prints bytes signed; the reply carries them unsigned
        EXPECT_EQ(int64_t(decoded) & 0xFF, reference.toLongLong() & 0xFF) << reference.toStdString();
        break;
    case Type::Float32:
        EXPECT_EQ(QString::number(decoded, 'g', 7).toDouble(), reference.toDouble()) << reference.toStdString();
        break;
    case Type::Float64:
        EXPECT_EQ(QString::number(decoded, 'g', 15).toDouble(), reference.toDouble()) << reference.toStdString();
        break;
    default: EXPECT_EQ(decoded, reference.toDouble()) << reference.toStdString();
    }
}

class DecodesLikeNcdump : public testing::TestWithParam<const char *>
{};

} // namespace

TEST_P(DecodesLikeNcdump, EveryArrayInDDSOrder)
{
    const QString dataset = QString::fromLatin1(GetParam());
    const QByteArray reply = opendapFixture(dataset + ".dods");
    const QMap<QString, QStringList> reference = dmpValues(opendapFixture(dataset + ".dmp"));
    ASSERT_FALSE(reply.isEmpty());
    ASSERT_FALSE(reference.isEmpty());

    const ResponseLayout layout = responseLayoutFromDDS(QString::fromLatin1(reply.left(xdrOffset(bytesOf(reply)))));
    ASSERT_FALSE(layout.error.has_value()) << "at " << layout.error->offset;
    std::vector<int32_t> types;
    for (const auto &description : layout.order)
        types.push_back(description.type());

    const DecodedReply decoded = decodeDataReply(bytesOf(reply), types);
    ASSERT_FALSE(decoded.error.has_value()) << "at " << decoded.error->offset;
    ASSERT_EQ(decoded.arrays.size(), layout.order.size());
    for (size_t a = 0; a < layout.order.size(); ++a) {
        const auto &description = layout.order[a];
        SCOPED_TRACE(description.name().toStdString());
        // ncdump names a Grid's array after the Grid (ingrid: array V3H in Grid v3H).
        QStringList expected = reference.value(description.name());
        for (auto it = reference.begin(); expected.isEmpty() && it != reference.end(); ++it) {
            if (it.key().compare(description.name(), Qt::CaseInsensitive) == 0)
                expected = it.value();
        }
        ASSERT_EQ(qsizetype(decoded.arrays[a].size()), expected.size());
        ASSERT_EQ(int64_t(decoded.arrays[a].size()), description.dimension());
        for (size_t i = 0; i < decoded.arrays[a].size(); ++i)
            expectSameValue(description.type(), decoded.arrays[a][i], expected[qsizetype(i)]);
    }
}

INSTANTIATE_TEST_SUITE_P(ServerReplies, DecodesLikeNcdump,
                         testing::Values("fnoc1.nc", "test.sds1", "test.gr1", "ingrid"),
                         [](const auto &info) { return QString::fromLatin1(info.param).remove(u'.').toStdString(); });

TEST(XdrDecode, RepliesWithACarriageReturnBeforeTheirDataAreNotFound)
{
    for (const char *dataset : {"test.01.dods", "test.02.dods"}) {
        SCOPED_TRACE(dataset);
        const QByteArray reply = opendapFixture(QString::fromLatin1(dataset));
        ASSERT_TRUE(reply.contains("Data:\r\n"));
        const int32_t types[] = {Type::Int32};
        const DecodedReply decoded = decodeDataReply(bytesOf(reply), types);
        ASSERT_TRUE(decoded.error.has_value());
        EXPECT_EQ(decoded.error->kind, FormatError::Kind::NoSeparator);
        EXPECT_TRUE(decoded.arrays.empty());
    }
}

namespace {

QByteArray word(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray array(uint32_t count, const QByteArray &elements)
{
    return word(count) + word(count) + elements;
}

struct LayoutCase
{
    const char *name;
    std::vector<int32_t> types;
    QByteArray xdr;
    std::optional<FormatError::Kind> error;
    int64_t errorOffset;                     // from the start of the XDR part
    std::vector<std::vector<double>> arrays; // decoded, when no error
    std::vector<size_t> empty;
};

const QByteArray kHeader = "Dataset {\n    Float32 a[a = 2];\n} d;\n\nData:\n";

std::vector<LayoutCase> layoutCases()
{
    const QByteArray twoFloats = word(0x3FC00000) + word(0xC0200000); // 1.5, -2.5
    return {
        {"TwoArrays",
         {Type::Float32, Type::Float64},
         array(2, twoFloats) + array(1, word(0x40590000) + word(0)),
         std::nullopt,
         0,
         {{1.5, -2.5}, {100.0}},
         {}},
        {"CountAllOnes", {Type::Float32}, array(0xFFFFFFFF, twoFloats), FormatError::Kind::ShortField, 0, {}, {}},
        {"CountTopBitOnly", {Type::Float64}, array(0x80000000, twoFloats), FormatError::Kind::ShortField, 0, {}, {}},
        {"FourBytesShort",
         {Type::Float32, Type::Float64},
         array(2, twoFloats) + array(1, word(0x40590000)),
         FormatError::Kind::ShortField,
         16,
         {},
         {}},
        {"HeaderCut",
         {Type::Float32, Type::Float32},
         array(2, twoFloats) + word(2),
         FormatError::Kind::ShortHeader,
         16,
         {},
         {}},
        {"StringHasNoSize", {Type::String}, array(1, word(0)), FormatError::Kind::ZeroValueSize, 0, {}, {}},
        {"CountZeroThenNextBehindTheHeader",
         {Type::Float32, Type::Int32},
         array(0, {}) + array(1, word(7)),
         std::nullopt,
         0,
         {{7.0}},
         {0}},
        {"BytesPaddedToFour",
         {Type::Byte, Type::Int32},
         array(3, QByteArray("\x01\xFF\x7F\x00", 4)) + array(1, word(9)),
         std::nullopt,
         0,
         {{1.0, 255.0, 127.0}, {9.0}},
         {}},
        {"Int16InAWord",
         {Type::Int16, Type::UInt16},
         array(1, word(0xFFFF8000)) + array(1, word(0x0000FFFF)),
         std::nullopt,
         0,
         {{-32768.0}, {65535.0}},
         {}},
    };
}

class XdrLayout : public testing::TestWithParam<LayoutCase>
{};

void PrintTo(const LayoutCase &c, std::ostream *os) { *os << c.name; }

} // namespace

TEST_P(XdrLayout, DecodesOrStopsWithTheErrorAndItsOffset)
{
    const LayoutCase &c = GetParam();
    const QByteArray reply = kHeader + c.xdr;
    const DecodedReply decoded = decodeDataReply(bytesOf(reply), c.types);
    if (c.error) {
        ASSERT_TRUE(decoded.error.has_value());
        EXPECT_EQ(decoded.error->kind, *c.error);
        EXPECT_EQ(decoded.error->offset, kHeader.size() + c.errorOffset);
        EXPECT_TRUE(decoded.error->isLayoutError());
    } else {
        ASSERT_FALSE(decoded.error.has_value()) << int(decoded.error->kind);
        EXPECT_EQ(decoded.arrays, c.arrays);
        EXPECT_EQ(decoded.emptyEntries, c.empty);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, XdrLayout, testing::ValuesIn(layoutCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(XdrDecode, NoBytesAndNoSeparatorAreNotLayoutErrors)
{
    const int32_t types[] = {Type::Float32};
    EXPECT_EQ(decodeDataReply({}, types).error->kind, FormatError::Kind::NoData);
    const QByteArray noSeparator = "Dataset {\n} d;\nData:" + array(1, word(0));
    const auto decoded = decodeDataReply(bytesOf(noSeparator), types);
    EXPECT_EQ(decoded.error->kind, FormatError::Kind::NoSeparator);
    EXPECT_FALSE(decoded.error->isLayoutError());
}

TEST(XdrDecode, CheckedRepliesHoldTheCountsAndTypesTheirHeaderDeclares)
{
    const QByteArray grid = "Dataset {\n    Grid {\n     ARRAY:\n        Float32 v[x = 2];\n     MAPS:\n"
                            "        Float64 x[x = 2];\n    } v;\n} d;\nData:\n";
    const QByteArray structure = "Dataset {\n    Structure {\n        Float32 v[x = 2];\n    } s;\n} d;\nData:\n";
    const QByteArray floats = array(2, word(0x3FC00000) + word(0xC0200000));       // 1.5, -2.5
    const QByteArray axis = array(2, word(0x40590000) + word(0) + word(0) + word(0)); // 100, 0
    const struct
    {
        const char *name;
        QByteArray reply;
        std::optional<FormatError::Kind> error;
        size_t entry;
    } cases[] = {
        {"AsDeclared", grid + floats + axis, std::nullopt, 0},
        {"ZeroCountFirst", grid + array(0, {}) + axis + axis, FormatError::Kind::CountMismatch, 0},
        {"ShortCountOnTheAxis", grid + floats + array(1, word(0x40590000) + word(0)) + QByteArray(8, '\0'),
         FormatError::Kind::CountMismatch, 1},
        {"DeclaredInt32", QByteArray(grid).replace("Float32 v", "Int32 v") + floats + axis,
         FormatError::Kind::TypeMismatch, 0},
        {"NoLayoutButZeroCount", structure + array(0, {}) + axis, FormatError::Kind::CountMismatch, 0},
        {"NoLayoutReadsTheExpectedTypes", structure + floats + axis, std::nullopt, 0},
    };
    const int32_t expected[] = {Type::Float32, Type::Float64};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedReply decoded = decodeCheckedReply(bytesOf(c.reply), expected);
        if (c.error) {
            ASSERT_TRUE(decoded.error.has_value());
            EXPECT_EQ(decoded.error->kind, *c.error);
            EXPECT_EQ(decoded.error->entry, c.entry);
            EXPECT_FALSE(decoded.error->isLayoutError());
        } else {
            ASSERT_FALSE(decoded.error.has_value()) << int(decoded.error->kind);
            EXPECT_EQ(decoded.arrays, (std::vector<std::vector<double>>{{1.5, -2.5}, {100.0, 0.0}}));
        }
    }
}
