// The model catalogue, runs and inventories as plain values.
#include "gribfilter/ModelInventory.h"
#include "gribfilter/ModelRun.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

ModelConfiguration named(const char *name)
{
    const std::optional<ModelConfiguration> configuration = ModelConfiguration::configurationNamed(name);
    EXPECT_TRUE(configuration.has_value()) << name;
    return configuration.value_or(ModelConfiguration{});
}

} // namespace

TEST(ModelCatalogue, HoldsTwentyUniqueEntriesInOrder)
{
    const QList<ModelConfiguration> all = ModelConfiguration::allConfigurations();
    ASSERT_EQ(all.size(), 20);
    EXPECT_EQ(all.first().name, "gfs_0p25");
    EXPECT_EQ(all.at(1), ModelConfiguration::gfs_0p25_1hr());
    EXPECT_EQ(all.last().name, "wave_eastern_north_pacific");
    QSet<QString> names;
    for (const ModelConfiguration &configuration : all) {
        SCOPED_TRACE(configuration.name.toStdString());
        names.insert(configuration.name);
        // Every prefix takes the cycle hour through exactly one "%02d".
        EXPECT_EQ(configuration.filePrefix.count(QStringLiteral("%02d")), 1);
        EXPECT_EQ(ModelConfiguration::configurationNamed(configuration.name), configuration);
    }
    EXPECT_EQ(names.size(), 20);
}

TEST(ModelCatalogue, LooksUpNamesExactly)
{
    const std::optional<ModelConfiguration> hourly = ModelConfiguration::configurationNamed("gfs_0p25_1hr");
    ASSERT_TRUE(hourly);
    EXPECT_EQ(hourly->finalForecastHour, 120);
    EXPECT_EQ(hourly->displayName, QStringLiteral("GFS 0.25° Hourly"));
    for (const char *missing : {"GFS_0P25_1HR", "", "gfs_0p25_1hr ", "gfs"})
        EXPECT_FALSE(ModelConfiguration::configurationNamed(missing)) << missing;
}

TEST(ModelCatalogue, RowsHoldTheirValues)
{
    const ModelConfiguration hrrr = ModelConfiguration::hrrr();
    EXPECT_EQ(hrrr.hours.size(), 24);
    EXPECT_EQ(hrrr.hours.first(), 0);
    EXPECT_EQ(hrrr.hours.last(), 23);
    EXPECT_EQ(hrrr.subdirectory, "conus");
    EXPECT_FALSE(hrrr.hasHourDirectory);
    const ModelConfiguration wave = ModelConfiguration::wave_north_pacific_hurricane();
    EXPECT_EQ(wave.filterScript, "filter_gfswave.pl");
    EXPECT_EQ(wave.subdirectory, "wave/gridded");
    EXPECT_EQ(wave.minLongitude, -178);
    EXPECT_EQ(wave.estimatedGridWidth, 511);
    EXPECT_EQ(ModelConfiguration::hiresw_alaska().hours, (QList<int>{6, 18}));
    EXPECT_EQ(ModelConfiguration::rap_enp().displayGroup, "Rapid Refresh");
    EXPECT_EQ(ModelConfiguration::gfs_0p25_1hr().estimatedBytesPerVariable(), 4152960);
}

TEST(ModelCatalogue, NamesFilesOfACycle)
{
    struct Case
    {
        const char *configuration;
        int cycle;
        int forecastHour;
        const char *fileName;
    };
    const Case cases[] = {
        {"hiresw_conus", 12, 7, "hiresw.t12z.arw_5km.f07.conus.grib2"},
        {"gfs_0p25_1hr", 18, 120, "gfs.t18z.pgrb2.0p25.f120"},
        {"gfs_0p25_1hr", 6, 0, "gfs.t06z.pgrb2.0p25.f000"},
        {"nam_conus", 0, 84, "nam.t00z.awphys84.tm00.grib2"},
        {"hrrr", 23, 48, "hrrr.t23z.wrfsfcf48.grib2"},
        {"wave_global", 6, 120, "gfswave.t06z.global.0p25.f120.grib2"},
        // Wider numbers are written out whole, as printf does.
        {"rap", 0, 120, "rap.t00z.awp130pgrbf120.grib2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fileName);
        EXPECT_EQ(named(c.configuration).fileNameForCycle(c.cycle, c.forecastHour), c.fileName);
    }
}

TEST(ModelCatalogue, APrefixIsNeverAFormat)
{
    // Only the one "%02d" is filled; any other conversion in the text stays as written.
    ModelConfiguration odd = ModelConfiguration::gfs_0p25_1hr();
    odd.filePrefix = QStringLiteral("x%s%n.t%02dz.%d%02d.f");
    odd.fileSuffix = QStringLiteral("%s");
    EXPECT_EQ(odd.fileNameForCycle(6, 1), "x%s%n.t06z.%d%02d.f001%s");
    odd.forecastHourDigits = 0;
    EXPECT_EQ(odd.fileNameForCycle(6, 1), "x%s%n.t06z.%d%02d.f%s");
}

TEST(ModelRun, RunDateTextAndInstant)
{
    struct Case
    {
        const char *date;
        int hour;
        const char *text;
        const char *instant; // ISO in UTC, or null for nothing
    };
    const Case cases[] = {
        {"20240301", 12, "202403011200", "2024-03-01T12:00:00Z"},
        {"20240301", 0, "202403010000", "2024-03-01T00:00:00Z"},
        {"20240229", 6, "202402290600", "2024-02-29T06:00:00Z"},
        {"20231231", 23, "202312312300", "2023-12-31T23:00:00Z"},
        // Not eight digits: a short date must not be read as another instant.
        {"2024031", 12, "20240311200", nullptr},
        {"202403011", 0, "2024030110000", nullptr},
        {"", 6, "0600", nullptr},
        {"2024-3-1", 6, "2024-3-10600", nullptr},
        {"٢٠٢٤٠٣٠١", 6, "٢٠٢٤٠٣٠١0600", nullptr},
        // A day or hour that does not exist is nothing rather than a rolled-over instant.
        {"20230229", 0, "202302290000", nullptr},
        {"20240230", 0, "202402300000", nullptr},
        {"20240301", 24, "202403012400", nullptr},
        {"20240301", 100, "2024030110000", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + std::to_string(c.hour));
        const ModelRun run{ModelConfiguration::gfs_0p25_1hr(), QString::fromUtf8(c.date), c.hour};
        EXPECT_EQ(run.runDateText(), QString::fromUtf8(c.text));
        const std::optional<QDateTime> instant = run.runDate();
        if (!c.instant) {
            EXPECT_FALSE(instant) << instant.value_or(QDateTime()).toString(Qt::ISODate).toStdString();
            EXPECT_FALSE(run.validDateForForecastHour(120));
            continue;
        }
        ASSERT_TRUE(instant);
        EXPECT_EQ(*instant, QDateTime::fromString(QString::fromLatin1(c.instant), Qt::ISODate));
        EXPECT_EQ(instant->secsTo(*run.validDateForForecastHour(120)), 432000);
    }
}

TEST(ModelRun, EqualityCoversEveryFieldAndTheHashTheKey)
{
    const ModelRun run{ModelConfiguration::gfs_0p25_1hr(), QStringLiteral("20240301"), 12};
    ModelConfiguration changed = run.configuration;
    changed.finalForecastHour = 384;
    const ModelRun sameNameOtherConfiguration{changed, run.date, run.hour};
    EXPECT_NE(run, sameNameOtherConfiguration);
    EXPECT_EQ(std::hash<ModelRun>()(run), std::hash<ModelRun>()(sameNameOtherConfiguration));

    const ModelRun copy = run;
    EXPECT_EQ(run, copy);
    EXPECT_EQ(std::hash<ModelRun>()(run), std::hash<ModelRun>()(copy));
    EXPECT_NE(run, (ModelRun{run.configuration, run.date, 6}));
    EXPECT_NE(run, (ModelRun{run.configuration, QStringLiteral("20240229"), 12}));

    // Configurations compare and hash by all their fields.
    EXPECT_NE(changed, run.configuration);
    EXPECT_NE(std::hash<ModelConfiguration>()(changed), std::hash<ModelConfiguration>()(run.configuration));
    EXPECT_EQ(std::hash<ModelConfiguration>()(ModelConfiguration::hrrr()),
              std::hash<ModelConfiguration>()(ModelConfiguration::hrrr()));
}

TEST(ModelInventory, DerivedSetsAndTheInvertedMap)
{
    const ModelVariable ugrd{QStringLiteral("UGRD")};
    const ModelVariable tmp{QStringLiteral("TMP")};
    const ModelLevel tenMetres{QStringLiteral("10 m above ground")};
    const ModelLevel twoMetres{QStringLiteral("2 m above ground")};
    ModelInventory inventory;
    inventory.levelsForVariable[ugrd] = {tenMetres, twoMetres};
    inventory.levelsForVariable[tmp] = {twoMetres};

    EXPECT_EQ(inventory.allVariables(), (ModelInventory::VariableSet{ugrd, tmp}));
    EXPECT_EQ(inventory.allLevels(), (ModelInventory::LevelSet{tenMetres, twoMetres}));
    const auto byLevel = inventory.variablesForLevel();
    ASSERT_EQ(byLevel.size(), 2u);
    EXPECT_EQ(byLevel.at(twoMetres), (ModelInventory::VariableSet{ugrd, tmp}));
    EXPECT_EQ(byLevel.at(tenMetres), (ModelInventory::VariableSet{ugrd}));
    EXPECT_TRUE(ModelInventory().variablesForLevel().empty());
}
