// The attribute and structure documents: real and GrADS-shaped datasets, the DAS line readers,
// GrADS times, and the index lookups on the axes they give.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPFormats.h"
#include "opendap/OVOpenDAPSource.h"

#include <gtest/gtest.h>

#include <cfloat>

using Type = OVOpenDAPValueDescription::Type;

namespace {

OVOpenDAPSourcePtr unloadedSource()
{
    return OVOpenDAPSource::create(QStringLiteral("http://127.0.0.1:9/none"));
}

QString text(const QString &fixture)
{
    return QString::fromLatin1(opendapFixture(fixture));
}

struct Argument
{
    QString name;
    int32_t type;
    int64_t dimension;
    friend bool operator==(const Argument &, const Argument &) = default;
};

std::vector<Argument> argumentsOf(const OVOpenDAPVariablePtr &variable)
{
    std::vector<Argument> list;
    if (const auto arguments = variable->importedArgumentDescriptions()) {
        for (const auto &a : *arguments)
            list.push_back({a.name(), a.type(), a.dimension()});
    }
    return list;
}

QStringList variableNames(const OVOpenDAPSourcePtr &source)
{
    QStringList names;
    for (const auto &variable : *source->variables())
        names << variable->name();
    return names;
}

} // namespace

TEST(Documents, IngridDeclaresItsGridByTheArrayName)
{
    const auto source = unloadedSource();
    ASSERT_TRUE(source->parseDDS(text("ingrid.dds")));
    EXPECT_EQ(variableNames(source), QStringList{"V3H"});
    const auto variable = source->variableNamed("V3H");
    ASSERT_TRUE(variable);
    EXPECT_EQ(variable->returnValueDescription()->type(), Type::Float32);
    EXPECT_EQ(argumentsOf(variable), (std::vector<Argument>{{"ISTA", Type::Int32, 35}, {"IZ", Type::Float32, 44}}));
    EXPECT_EQ(variable->responseOrder().size(), 3u);
}

TEST(Documents, NamesMayStartWithADigit)
{
    const auto source = unloadedSource();
    ASSERT_TRUE(source->parseDDS(text("pbug0001b.dds")));
    EXPECT_EQ(variableNames(source), QStringList{"3H"});
}

TEST(Documents, AStructureWithoutAGridIsRefused)
{
    const auto source = unloadedSource();
    EXPECT_FALSE(source->parseDDS(text("fnoc1.nc.dds")));
    EXPECT_EQ(OVOpenDAPFormats::matchGrids(text("fnoc1.nc.dds")).error->kind,
              OVOpenDAPFormats::FormatError::Kind::NoGrid);
    // Names and keywords are case-sensitive: a lower-case "grid" is no Grid.
    EXPECT_FALSE(source->parseDDS(text("ingrid.dds").replace("Grid", "grid")));
}

TEST(Documents, AttributesGiveLongNamesAndMissingValues)
{
    const auto source = unloadedSource();
    ASSERT_TRUE(source->parseDAS(text("fnoc1.nc.das")));
    const auto u = source->variableNamed("u");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->longName(), "Vector wind eastward component");
    EXPECT_EQ(u->missingValue(), -32767.0);
    EXPECT_EQ(variableNames(source), (QStringList{"u", "v", "DODS_EXTRA"}));
    EXPECT_EQ(source->latitudeSize(), 0); // a "lat" block without axis attributes leaves the axes alone
}

TEST(Documents, GradsDatasetGivesAxesRunTimeStepAndOnlyItsGrids)
{
    const auto source = unloadedSource();
    ASSERT_TRUE(source->parseDAS(text("grads/gfs_0p25_00z.das")));
    ASSERT_TRUE(source->parseDDS(text("grads/gfs_0p25_00z.dds")));
    const auto axes = source->axes();
    EXPECT_EQ(axes.latitudeMin, -90.0);
    EXPECT_EQ(axes.latitudeMax, 90.0);
    EXPECT_EQ(axes.latitudeResolution, 45.0);
    EXPECT_EQ(axes.latitudeSize, 5);
    EXPECT_EQ(axes.longitudeMin, 0.0);
    EXPECT_EQ(axes.longitudeMax, 315.0);
    EXPECT_EQ(axes.longitudeResolution, 45.0);
    EXPECT_EQ(axes.longitudeSize, 8);
    EXPECT_EQ(axes.numberOfSteps, 3);
    EXPECT_EQ(axes.stepInterval, 10800.0);
    EXPECT_EQ(source->modelRunTime(), QDateTime(QDate(2024, 3, 19), QTime(0, 0), Qt::UTC));

    EXPECT_EQ(variableNames(source), (QStringList{"tmpprs", "tmp2m"}));
    const auto tmpprs = source->variableNamed("tmpprs");
    EXPECT_EQ(tmpprs->longName(), "** (1000 850 500 10) temperature [k]");
    EXPECT_EQ(tmpprs->missingValue(), double(9.999e20f));
    EXPECT_EQ(argumentsOf(tmpprs), (std::vector<Argument>{{"time", Type::Float64, 3},
                                                          {"lev", Type::Float64, 4},
                                                          {"lat", Type::Float64, 5},
                                                          {"lon", Type::Float64, 8}}));
    EXPECT_EQ(tmpprs->description(), "tmpprs(time, lev, lat, lon) - ** (1000 850 500 10) temperature [k]");
    EXPECT_EQ(tmpprs->argumentsURLStringUsingValues({{"time", "1"}, {"lev", "2"}}), "[1][2][0:4][0:7]");
}

// --- The DAS walk ------------------------------------------------------------------------------

namespace {

struct DasCase
{
    const char *name;
    const char *lines; // inside "Attributes { ... }"
    bool accepted;
    double latitudeMin;
    double latitudeResolution;
    double stepInterval;
    bool runTimeSet;
};

const DasCase kDasCases[] = {
    {"NoLatBlockKeepsZeros", "    tmp2m {\n        String long_name \"t\";\n    }\n", true, 0.0, 0.0, 0.0, false},
    {"ResolutionWithoutValueRefusesAfterTheRest",
     "    lat {\n        Float32 resolution\n        Float64 minimum -90.0;\n    }\n", false, -90.0, DBL_MIN, 0.0,
     false},
    {"ReadInSinglePrecision", "    lat {\n        Float32 resolution 0.1;\n    }\n", true, 0.0, double(0.1f), 0.0,
     false},
    {"PlusTwoPointReadsTwo", "    lat {\n        Float32 resolution +2.;\n    }\n", true, 0.0, 2.0, 0.0, false},
    {"ZeroResolution", "    lat {\n        Float32 resolution 0;\n    }\n", true, 0.0, 0.0, 0.0, false},
    {"StepInDaysBecomesSeconds", "    time {\n        Float32 resolution 0.125;\n    }\n", true, 0.0, 0.0, 10800.0,
     false},
    {"StepPlusTwoPoint", "    time {\n        Float32 resolution +2.;\n    }\n", true, 0.0, 0.0, 172800.0, false},
    {"ElevenCharacterTimeGivesNoRunTime", "    time {\n        String minimum \"0z19mar2024\";\n    }\n", true, 0.0,
     0.0, 0.0, false},
    {"TwelveCharacterTime", "    time {\n        String minimum \"00z19mar2024\";\n    }\n", true, 0.0, 0.0, 0.0, true},
    {"AxisAttributesOutsideTheirBlockAreIgnored",
     "    Float64 minimum -90.0;\n    tmp2m {\n        Float64 minimum 5;\n    }\n", true, 0.0, 0.0, 0.0, false},
};

class DasWalk : public testing::TestWithParam<DasCase>
{};

void PrintTo(const DasCase &c, std::ostream *os) { *os << c.name; }

} // namespace

TEST_P(DasWalk, AppliesAttributesAndAcceptsUnlessOneIsUnreadable)
{
    const DasCase &c = GetParam();
    const auto source = unloadedSource();
    EXPECT_EQ(source->parseDAS(QStringLiteral("Attributes {\n%1}\n").arg(QLatin1String(c.lines))), c.accepted);
    EXPECT_EQ(source->latitudeMin(), c.latitudeMin);
    EXPECT_EQ(source->latitudeResolution(), c.latitudeResolution);
    EXPECT_EQ(source->stepInterval(), c.stepInterval);
    EXPECT_EQ(source->modelRunTime().isValid(), c.runTimeSet);
}

INSTANTIATE_TEST_SUITE_P(Cases, DasWalk, testing::ValuesIn(kDasCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DasWalk, TheUnreadableAttributeIsReportedWithItsOffset)
{
    const QString das = QStringLiteral("Attributes {\n    lat {\n        Float32 resolution\n    }\n}\n");
    const auto contents = OVOpenDAPFormats::walkDAS(das);
    ASSERT_TRUE(contents.unreadable.has_value());
    EXPECT_EQ(contents.unreadable->offset, das.indexOf("        Float32 resolution"));
}

TEST(DasLines, NameAndValue)
{
    struct Case
    {
        const char *line;
        const char *name;  // nullptr: null
        const char *value; // nullptr: null
    };
    const Case cases[] = {
        {"String long_name \"** 2 m above ground temperature [k] \";", "long_name",
         "** 2 m above ground temperature [k]"},
        {"Float32 resolution 0.25;", "resolution", "0.25"},
        {"Float32 resolution", "resolution", nullptr},
        {"Float32 resolution ", "resolution", nullptr},
        {"Float32\tresolution\t3;", nullptr, "3"},
        {"String title \"\";", "title", ""},
        {"}", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const QString name = OVOpenDAPFormats::variableNameFromLine(QString::fromLatin1(c.line));
        const QString value = OVOpenDAPFormats::variableValueFromLine(QString::fromLatin1(c.line));
        EXPECT_EQ(name.isNull(), c.name == nullptr);
        if (c.name)
            EXPECT_EQ(name, QLatin1String(c.name));
        EXPECT_EQ(value.isNull(), c.value == nullptr);
        if (c.value)
            EXPECT_EQ(value, QLatin1String(c.value));
    }
}

TEST(GradsTime, ParsesTwelveCharactersInGmt)
{
    const struct
    {
        const char *text;
        QDateTime expected;
    } cases[] = {
        {"00z19mar2024", QDateTime(QDate(2024, 3, 19), QTime(0, 0), Qt::UTC)},
        {"18z29feb2024", QDateTime(QDate(2024, 2, 29), QTime(18, 0), Qt::UTC)},
        {"06Z01dec1999", QDateTime(QDate(1999, 12, 1), QTime(6, 0), Qt::UTC)},
        {"0z19mar2024", QDateTime()},
        {"00z19mar20245", QDateTime()},
        {"00z19xyz2024", QDateTime()},
        {"00z19MAR2024", QDateTime()},
        {"", QDateTime()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(OVOpenDAPFormats::parseDate(QString::fromLatin1(c.text)), c.expected);
    }
}

// --- Lookups ---------------------------------------------------------------------------------

TEST(Lookups, NearestRowColumnAndStep)
{
    const auto source = unloadedSource();
    OVOpenDAPSource::Axes axes;
    axes.latitudeMin = -90.0;
    axes.latitudeMax = 90.0;
    axes.latitudeResolution = 0.25;
    axes.latitudeSize = 721;
    axes.longitudeMin = 0.0;
    axes.longitudeMax = 359.75;
    axes.longitudeResolution = 0.25;
    axes.longitudeSize = 1440;
    axes.stepInterval = 10800.0;
    axes.numberOfSteps = 129;
    source->setAxes(axes);
    const QDateTime run(QDate(2024, 3, 19), QTime(0, 0), Qt::UTC);
    source->setModelRunTime(run);

    const struct
    {
        const char *name;
        bool latitude; // else longitude
        double degrees;
        int64_t expected;
    } positions[] = {
        {"SouthPole", true, -90.0, 0},           {"Equator", true, 0.0, 360},
        {"JustAboveAGridLine", true, 45.1, 540}, {"JustBelowAGridLine", true, 44.9, 540},
        {"BeyondNorthPole", true, 95.0, 720},    {"BeyondSouthPole", true, -95.0, 0},
        {"WestOfGreenwich", false, -170.0, 760}, {"DateLine", false, 180.0, 720},
        {"JustWestOfZero", false, -0.1, 0},      {"LastColumn", false, 359.75, 1439},
        {"WrapsPastTheLast", false, 359.9, 0},   {"FarEast", false, 540.0, 720},
    };
    for (const auto &p : positions) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.latitude ? source->indexClosestToLatitude(p.degrees) : source->indexClosestToLongitude(p.degrees),
                  p.expected);
    }
    const struct
    {
        const char *name;
        QDateTime date;
        int64_t expected;
    } steps[] = {{"BeforeTheRun", run.addDays(-1), 0},
                 {"AtTheRun", run, 0},
                 {"FourHoursFourtyIn", run.addSecs(4 * 3600 + 40 * 60), 2},
                 {"HalfAStepRoundsAway", run.addSecs(3 * 3600 + 5400), 2},
                 {"FarBehindTheLast", run.addDays(400), 128}};
    for (const auto &s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(source->indexClosestToTime(s.date), s.expected);
        EXPECT_EQ(source->closestTimeStepToDate(s.date), s.expected);
    }
    EXPECT_EQ(source->timeForIndex(3), run.addSecs(9 * 3600));
}

TEST(Lookups, ZeroResolutionStepOrSizeGiveIndexZero)
{
    const auto source = unloadedSource();
    OVOpenDAPSource::Axes axes;
    axes.latitudeSize = 10;
    axes.longitudeResolution = 1.0; // but no columns
    axes.numberOfSteps = 5;         // but no step
    source->setAxes(axes);
    source->setModelRunTime(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(source->indexClosestToLatitude(45.0), 0);
    EXPECT_EQ(source->indexClosestToLongitude(45.0), 0);
    EXPECT_EQ(source->indexClosestToTime(QDateTime(QDate(2024, 1, 2), QTime(0, 0), Qt::UTC)), 0);
}
