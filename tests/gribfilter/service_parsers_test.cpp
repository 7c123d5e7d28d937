// Reading listings and inventories, and forming the server's URLs.
#include "GribFilterTestSupport.h"
#include "gribfilter/GribFilterService.h"
#include "gribfilter/OVGribFilterClient.h"

#include "core/regex/ExtRegexAdditions.h"

#include <gtest/gtest.h>

using namespace GribFilterService;

namespace {

const QUrl kBase(QStringLiteral("https://models.example"));

QString link(const QString &target)
{
    return QStringLiteral("<tr><td><a href=\"%1\">%1</a></td></tr>\n").arg(target);
}

ModelRun runOf(const ModelConfiguration &configuration, const char *date, int hour)
{
    return ModelRun{configuration, QString::fromLatin1(date), hour};
}

} // namespace

TEST(GribFilterService, EscapedPatternsMatchTheirTextLiterally)
{
    const QString texts[] = {
        QStringLiteral("gfs"),          QStringLiteral("a.b"),    QStringLiteral("x\\E.*y"),
        QStringLiteral("(open[set{1}"), QStringLiteral("^$|?+*"), QStringLiteral("gfs.t%02dz.pgrb2.0p25.f"),
        QStringLiteral("\\Q"),
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QString pattern = escapedPattern(text);
        ASSERT_TRUE(ExtRegexAdditions::isRegexValid(pattern));
        EXPECT_EQ(ExtRegexAdditions::stringByMatching(QStringLiteral("<") + text + QStringLiteral(">"), pattern), text);
        // A dot or star in the text must not match anything else.
        QString near = text;
        near.replace(QLatin1Char('.'), QLatin1Char('x')).replace(QLatin1Char('*'), QLatin1Char('x'));
        if (near != text)
            EXPECT_FALSE(ExtRegexAdditions::isMatchedByRegex(near, pattern));
    }
}

TEST(GribFilterService, DateDirectories)
{
    struct Case
    {
        const char *name;
        QString listing;
        const char *directory;
        QStringList dates;
    };
    const Case cases[] = {
        {"twice and once, newest first",
         link("gfs.20240229/") + link("gfs.20240301/") + link("gfs.20240301/"),
         "gfs",
         {"20240301", "20240229"}},
        {"relatives are not the directory",
         link("enkfgdas.20240301/") + link("enkfgfs.20240302/") + link("gdas.20240301/") + link("gfs.20240229/") +
             link("gfs.20240301/"),
         "gfs",
         {"20240301", "20240229"}},
        {"a relative alone gives nothing", link("enkfgfs.20240302/"), "gfs", {}},
        {"start of text and after white space",
         QStringLiteral("gfs.20240301/ x\tgfs.20240302/\ngfs.20240303/"),
         "gfs",
         {"20240303", "20240302", "20240301"}},
        {"after a single quote or a slash",
         QStringLiteral("<a href='gfs.20240301/'> /x/gfs.20240302/"),
         "gfs",
         {"20240302", "20240301"}},
        {"not followed by a slash", QStringLiteral("\"gfs.20240301\" \"gfs.20240302.tar\""), "gfs", {}},
        {"nine digits are no date", link("gfs.202403011/"), "gfs", {}},
        {"seven digits are no date", link("gfs.2024030/"), "gfs", {}},
        {"the dot is literal", link("gfsx20240301/") + link("nam.20240301/"), "gfs", {}},
        {"other directory names",
         link("nam.20240229/") + link("nam.20240301/") + link("gfs.20240302/"),
         "nam",
         {"20240301", "20240229"}},
        {"a name with pattern characters", link("a+b.20240301/") + link("aab.20240302/"), "a+b", {"20240301"}},
        {"a name holding \\E", link("x\\E.20240301/"), "x\\E", {"20240301"}},
        {"empty listing", QString(), "gfs", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseDateDirectories(c.listing, QString::fromLatin1(c.directory)), c.dates);
    }
}

TEST(GribFilterService, CycleDirectories)
{
    const QString quotedAndBare = link("00/") + link("06/") + link("12/");
    struct Case
    {
        const char *name;
        QString listing;
        QList<int> allowed;
        QList<int> hours;
    };
    const Case cases[] = {
        {"quoted targets only, highest first", quotedAndBare, {0, 6, 12, 18}, {12, 6, 0}},
        {"bare link texts do not count", QStringLiteral("00/ 06/ >12/<"), {0, 6, 12, 18}, {}},
        {"no allowed hours", quotedAndBare, {}, {}},
        {"only allowed hours", quotedAndBare + link("03/") + link("99/"), {0, 12, 3}, {12, 3, 0}},
        {"each once", quotedAndBare + quotedAndBare, {0, 6, 12, 18}, {12, 6, 0}},
        {"three digits are no cycle", QStringLiteral("\"123/\" \"1/\""), {1, 12, 23}, {}},
        {"hourly cycles", link("23/") + link("09/") + link("10/"), {9, 10, 23}, {23, 10, 9}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseCycleDirectories(c.listing, c.allowed), c.hours);
    }
}

TEST(GribFilterService, ForecastHourFiles)
{
    const QString gfsPrefix = QStringLiteral("gfs.t06z.pgrb2.0p25.f");
    struct Case
    {
        const char *name;
        QString listing;
        QString prefix;
        int digits;
        QString suffix;
        QList<ForecastHour> files;
    };
    const Case cases[] = {
        {"a file, its index, the next hour and another cycle",
         link("gfs.t06z.pgrb2.0p25.f000") + link("gfs.t06z.pgrb2.0p25.f000.idx") + link("gfs.t06z.pgrb2.0p25.f001") +
             link("gfs.t12z.pgrb2.0p25.f000"),
         gfsPrefix,
         3,
         QString(),
         {{0, "gfs.t06z.pgrb2.0p25.f000"}, {1, "gfs.t06z.pgrb2.0p25.f001"}}},
        {"sorted by hour, not by listing order",
         link("gfs.t06z.pgrb2.0p25.f120") + link("gfs.t06z.pgrb2.0p25.f003") + link("gfs.t06z.pgrb2.0p25.f010"),
         gfsPrefix,
         3,
         QString(),
         {{3, "gfs.t06z.pgrb2.0p25.f003"}, {10, "gfs.t06z.pgrb2.0p25.f010"}, {120, "gfs.t06z.pgrb2.0p25.f120"}}},
        {"the suffix must follow",
         link("nam.t06z.awphys84.tm00.grib2") + link("nam.t06z.awphys83.tm01.grib2"),
         "nam.t06z.awphys",
         2,
         ".tm00.grib2",
         {{84, "nam.t06z.awphys84.tm00.grib2"}}},
        {"the dots of the prefix are literal", link("gfs_t06z_pgrb2_0p25_f000"), gfsPrefix, 3, QString(), {}},
        {"other products of the folder",
         link("gfs.t06z.pgrb2b.0p25.f000") + link("gfs.t06z.pgrb2.1p00.f000"),
         gfsPrefix,
         3,
         QString(),
         {}},
        {"too few digits", link("gfs.t06z.pgrb2.0p25.f00"), gfsPrefix, 3, QString(), {}},
        {"empty listing", QString(), gfsPrefix, 3, QString(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseForecastHourFiles(c.listing, c.prefix, c.digits, c.suffix), c.files);
    }
}

TEST(GribFilterService, Inventories)
{
    struct Case
    {
        const char *name;
        QString text;
        QList<std::pair<QString, QStringList>> levels; // variable -> levels
    };
    const Case cases[] = {
        {"four fields are too few", "1:0:d=2024030106:UGRD\n", {}},
        {"eight fields keep the fourth and fifth",
         "1:0:d=2024030106:UGRD:10 m above ground:anl:extra:more\n",
         {{"UGRD", {"10 m above ground"}}}},
        {"levels of a variable form a set",
         "1:0:d=2024030106:UGRD:10 m above ground:anl:\n2:9:d=2024030106:UGRD:10 m above ground:1 hour fcst:\n"
         "3:18:d=2024030106:UGRD:2 m above ground:anl:\n",
         {{"UGRD", {"10 m above ground", "2 m above ground"}}}},
        {"five fields and empty lines", "\n\n1:0:d=2024030106:TMP:surface\n\n", {{"TMP", {"surface"}}}},
        {"empty fields and blanks are kept as they stand", "::: TMP :\n", {{" TMP ", {""}}}},
        {"sub-message numbers",
         "211.1:11222118:d=2023120100:UGRD:10 m above ground:anl:\n"
         "211.2:11222118:d=2023120100:VGRD:10 m above ground:anl:\n",
         {{"UGRD", {"10 m above ground"}}, {"VGRD", {"10 m above ground"}}}},
        {"nothing", "", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ModelInventory expected;
        for (const auto &[variable, levels] : c.levels) {
            for (const QString &level : levels)
                expected.levelsForVariable[ModelVariable{variable}].insert(ModelLevel{level});
        }
        EXPECT_EQ(parseInventory(c.text), expected);
    }
}

TEST(GribFilterService, RunDirectoriesAndFilterDirectories)
{
    struct Case
    {
        ModelRun run;
        const char *url;
        const char *dir;
    };
    const Case cases[] = {
        {runOf(ModelConfiguration::gfs_0p25_1hr(), "20240301", 6),
         "https://models.example/pub/data/nccf/com/gfs/prod/gfs.20240301/06/atmos", "/gfs.20240301/06/atmos"},
        {runOf(ModelConfiguration::nam_conus(), "20240301", 12),
         "https://models.example/pub/data/nccf/com/nam/prod/nam.20240301", "/nam.20240301"},
        {runOf(ModelConfiguration::hrrr(), "20231201", 0),
         "https://models.example/pub/data/nccf/com/hrrr/prod/hrrr.20231201/conus", "/hrrr.20231201/conus"},
        {runOf(ModelConfiguration::wave_global(), "20240301", 18),
         "https://models.example/pub/data/nccf/com/gfs/prod/gfs.20240301/18/wave/gridded",
         "/gfs.20240301/18/wave/gridded"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dir);
        EXPECT_EQ(runDirectoryURL(kBase, c.run).toString(), QString::fromLatin1(c.url));
        EXPECT_EQ(filterDirectory(c.run), QString::fromLatin1(c.dir));
    }
}

TEST(GribFilterService, AppendedComponentsGetExactlyOneSlash)
{
    const std::pair<const char *, const char *> bases[] = {
        {"https://models.example", "https://models.example/pub/x"},
        {"https://models.example/", "https://models.example/pub/x"},
        {"https://models.example/root//", "https://models.example/root/pub/x"},
        {"http://127.0.0.1:8080/a", "http://127.0.0.1:8080/a/pub/x"},
    };
    for (const auto &[base, expected] : bases)
        EXPECT_EQ(appendingPathComponent(QUrl(base), "pub/x").toString(), expected) << base;
}

TEST(GribFilterService, FilterURLOfTheParticleRequest)
{
    const ModelRun run = runOf(ModelConfiguration::gfs_0p25_1hr(), "20240301", 12);
    const ForecastHour hour{0, QStringLiteral("gfs.t12z.pgrb2.0p25.f000")};
    const QList<ModelVariableLevel> variables{
        {{"UGRD"}, {"10 m above ground"}}, {{"VGRD"}, {"10 m above ground"}}, {{"TMP"}, {"2 m above ground"}}};
    const QUrl url = filterURL(kBase, run, hour, variables);
    EXPECT_EQ(url.toString(QUrl::RemoveQuery), "https://models.example/cgi-bin/filter_gfs_0p25_1hr.pl");
    const QList<std::pair<QString, QString>> items = cgiQueryItems(url.query(QUrl::FullyEncoded));
    const QList<std::pair<QString, QString>> expected{
        {"file", "gfs.t12z.pgrb2.0p25.f000"}, {"var_UGRD", "on"},
        {"lev_10_m_above_ground", "on"},      {"var_VGRD", "on"},
        {"lev_10_m_above_ground", "on"},      {"var_TMP", "on"},
        {"lev_2_m_above_ground", "on"},       {"dir", "/gfs.20240301/12/atmos"}};
    EXPECT_EQ(items, expected);
}

TEST(GribFilterService, FilterURLKeepsQueryDelimitersInsideValues)
{
    // A level text with the query's own delimiters must reach the server as one value.
    const ModelRun run = runOf(ModelConfiguration::nam_conus(), "20240301", 6);
    const ForecastHour hour{1, QStringLiteral("nam.t06z.awphys01.tm00.grib2")};
    const QUrl url = filterURL(kBase, run, hour, {{{"X&Y"}, {"a=b & c%41+d#e"}}});
    const QList<std::pair<QString, QString>> items = cgiQueryItems(url.query(QUrl::FullyEncoded));
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items.at(1).first, "var_X&Y");
    EXPECT_EQ(items.at(2).first, "lev_a=b_&_c%41+d#e");
    EXPECT_EQ(items.at(3), (std::pair<QString, QString>{"dir", "/nam.20240301"}));
}

TEST(GribFilterService, FilterURLNeedsAnAbsoluteBase)
{
    const ModelRun run = runOf(ModelConfiguration::gfs_0p25_1hr(), "20240301", 12);
    const ForecastHour hour{0, QStringLiteral("gfs.t12z.pgrb2.0p25.f000")};
    for (const char *base : {"", "relative/path", "file:///tmp"}) {
        SCOPED_TRACE(base);
        try {
            filterURL(QUrl(base), run, hour, {});
            ADD_FAILURE() << "no error";
        } catch (const OVGribFilterClient::Error &error) {
            EXPECT_EQ(error.errorCase(), OVGribFilterClient::Error::Case::invalidURL);
        }
    }
}
