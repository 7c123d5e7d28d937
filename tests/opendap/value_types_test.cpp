// Value descriptions: the type table, element decoding, and the dimension texts.
#include "opendap/OVOpenDAPValueDescription.h"
#include "opendap/OVOpenDAPVariable.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>

using Type = OVOpenDAPValueDescription::Type;

TEST(ValueTypes, TableOfNamesSizesAndDecodings)
{
    const unsigned char minusOne[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const unsigned char minusTwoPointFive32[4] = {0xC0, 0x20, 0x00, 0x00};
    const unsigned char twoPointFour32[4] = {0x40, 0x19, 0x99, 0x9A};
    const unsigned char minusTwoPointFive64[8] = {0xC0, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const struct
    {
        const char *name;
        int32_t code;
        int64_t size;
        const unsigned char *bytes;
        double asDouble;
        int64_t asInteger;
    } rows[] = {
        {"Byte", Type::Byte, 1, minusOne, 255.0, 255},
        {"Int16", Type::Int16, 2, minusOne, -1.0, -1},
        {"UInt16", Type::UInt16, 2, minusOne, 65535.0, 65535},
        {"Int32", Type::Int32, 4, minusOne, -1.0, -1},
        {"UInt32", Type::UInt32, 4, minusOne, 4294967295.0, 4294967295},
        {"Float32", Type::Float32, 4, minusTwoPointFive32, -2.5, -3},
        {"Float32", Type::Float32, 4, twoPointFour32, double(2.4f), 2},
        {"Float64", Type::Float64, 8, minusTwoPointFive64, -2.5, -3},
        {"String", Type::String, 0, minusOne, 0.0, 0},
        {"URL", Type::URL, 0, minusOne, 0.0, 0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        OVOpenDAPValueDescription description;
        description.setTypeFromString(QString::fromLatin1(r.name));
        EXPECT_EQ(description.type(), r.code);
        EXPECT_EQ(description.typeSize(), r.size);
        EXPECT_EQ(description.floatFromSource(r.bytes), r.asDouble);
        EXPECT_EQ(description.integerFromSource(r.bytes), r.asInteger);
    }
}

TEST(ValueTypes, UnknownOrMiscasedNamesLeaveTheTypeUnchanged)
{
    OVOpenDAPValueDescription description;
    description.setTypeFromString(QStringLiteral("Float32"));
    for (const char *name : {"float32", "FLOAT64", "Url", "Grid", ""}) {
        description.setTypeFromString(QString::fromLatin1(name));
        EXPECT_EQ(description.type(), Type::Float32) << name;
    }
}

TEST(ValueTypes, DimensionTexts)
{
    const struct
    {
        const char *text;
        int64_t dimension;
        QString whole;
    } cases[] = {{"1440", 1440, "0:1439"}, {"1", 1, "0:0"},      {"0", 0, QString()},
                 {"abc", 0, QString()},    {"-5", 0, QString()}, {" 44]", 44, "0:43"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        OVOpenDAPValueDescription description;
        description.setDimensionFromString(QString::fromLatin1(c.text));
        EXPECT_EQ(description.dimension(), c.dimension);
        EXPECT_EQ(description.allInclusiveDimensionString(), c.whole);
        EXPECT_EQ(description.allInclusiveDimensionString().isNull(), c.whole.isNull());
    }
}

TEST(Variable, ConstraintFromChosenIndexes)
{
    const auto variable = OVOpenDAPVariable::create(QStringLiteral("tmp2m"));
    variable->importArgumentsFromString(QStringLiteral("Float64 time[time = 129];\n        Float64 lev[lev = 41];\n"
                                                       "        Float64 lat[lat = 721];\n"
                                                       "        Float64 lon[lon = 1440];"));
    EXPECT_EQ(variable->argumentsURLStringUsingValues({{"time", "3"}, {"lev", "5"}}), "[3][5][0:720][0:1439]");
    EXPECT_EQ(variable->argumentsURLStringUsingValues({{"lat", "7"}}), "[0:128][0:40][7][0:1439]");
    EXPECT_EQ(variable->argumentsURLStringUsingValues({{"lat", "7"}, {"height", "2"}}), "[0:128][0:40][7][0:1439]");
    EXPECT_TRUE(variable->argumentsURLStringUsingValues({}).isNull());
    EXPECT_EQ(variable->allInclusiveDimensionStringForArgument("lon"), "0:1439");
    EXPECT_TRUE(variable->allInclusiveDimensionStringForArgument("height").isNull());
    // Without an array description the variable has no response order.
    EXPECT_TRUE(variable->responseOrder().empty());
}

TEST(Variable, AnAxisWithoutSizeStopsTheConstraint)
{
    LogCapture log;
    const auto variable = OVOpenDAPVariable::create(QStringLiteral("v"));
    variable->importArgumentsFromString(QStringLiteral("Float64 time[time = 0];\n Float64 lat[lat = 3];"));
    EXPECT_TRUE(variable->argumentsURLStringUsingValues({{"lat", "1"}}).isNull());
    EXPECT_TRUE(log.contains("[OVOpenDAPVariable argumentsURLStringUsingValues] Couldn't build argument string."));
    EXPECT_EQ(variable->argumentsURLStringUsingValues({{"lat", "1"}, {"time", "0"}}), "[0][1]");
}

// The import job holds the variable; when it holds the last reference, the variable ends on its
// own queue's thread, which must neither wait for itself nor leave the queue running on.
TEST(Variable, TheLastReferenceMayDropOnItsOwnQueue)
{
    std::vector<std::weak_ptr<OVOpenDAPVariable>> ended;
    for (int i = 0; i < 50; ++i) {
        auto variable = OVOpenDAPVariable::create(QStringLiteral("v%1").arg(i));
        variable->importArgumentsFromString(QStringLiteral("Float64 lat[lat = 3];"));
        ended.push_back(variable);
    }
    EXPECT_TRUE(waitUntil([&] {
        return std::all_of(ended.begin(), ended.end(), [](const auto &weak) { return weak.expired(); });
    }));
    waitUntil([] { return false; }, 200); // the queues are released on the pool meanwhile
}
