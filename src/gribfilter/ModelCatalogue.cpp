// The catalogue of model products of the public model-data server.
#include "gribfilter/ModelConfiguration.h"

namespace {

// Function-local like the rows themselves, so a row asked for during another file's static
// initialisation never sees them unbuilt.
const QList<int> &sixHourly()
{
    static const QList<int> hours{0, 6, 12, 18};
    return hours;
}

const QList<int> &hourly()
{
    static const QList<int> hours = [] {
        QList<int> all;
        for (int hour = 0; hour < 24; ++hour)
            all.append(hour);
        return all;
    }();
    return hours;
}

constexpr const char *kGlobalForecastSystem = "Global Forecast System";
constexpr const char *kHiRes = "HiRes";
constexpr const char *kRapidRefresh = "Rapid Refresh";
constexpr const char *kNorthAmericanModel = "North American Model";
constexpr const char *kWave = "Wave";

// The four wave products differ only in name, label, file prefix, area and grid.
ModelConfiguration waveRow(const char *name, const char *displayName, const char *filePrefix, double minLat,
                           double maxLat, double minLon, double maxLon, int width, int height)
{
    return {QString::fromLatin1(name),
            QString::fromLatin1(displayName),
            QStringLiteral("gfs"),
            QStringLiteral("filter_gfswave.pl"),
            sixHourly(),
            120,
            true,
            QStringLiteral("wave/gridded"),
            QString::fromLatin1(filePrefix),
            3,
            QStringLiteral(".grib2"),
            QStringLiteral("gfs/prod"),
            minLat,
            maxLat,
            minLon,
            maxLon,
            width,
            height,
            QString::fromLatin1(kWave)};
}

// The five high-resolution window products share one file family and differ by suffix.
ModelConfiguration hireswRow(const char *name, const char *displayName, const char *filterScript,
                             const QList<int> &hours, const char *suffix, double minLat, double maxLat, double minLon,
                             double maxLon, int width, int height)
{
    return {QString::fromLatin1(name),
            QString::fromLatin1(displayName),
            QStringLiteral("hiresw"),
            QString::fromLatin1(filterScript),
            hours,
            48,
            false,
            QString(),
            QStringLiteral("hiresw.t%02dz.arw_5km.f"),
            2,
            QString::fromLatin1(suffix),
            QStringLiteral("hiresw/prod"),
            minLat,
            maxLat,
            minLon,
            maxLon,
            width,
            height,
            QString::fromLatin1(kHiRes)};
}

// The three atmosphere products of the global model.
ModelConfiguration gfsRow(const char *name, const char *displayName, const char *filterScript, int finalForecastHour,
                          const char *filePrefix, int width, int height)
{
    return {QString::fromLatin1(name),
            QString::fromUtf8(displayName),
            QStringLiteral("gfs"),
            QString::fromLatin1(filterScript),
            sixHourly(),
            finalForecastHour,
            true,
            QStringLiteral("atmos"),
            QString::fromLatin1(filePrefix),
            3,
            QString(),
            QStringLiteral("gfs/prod"),
            -90,
            90,
            -180,
            180,
            width,
            height,
            QString::fromLatin1(kGlobalForecastSystem)};
}

ModelConfiguration namRow(const char *name, const char *displayName, const char *filterScript, const char *filePrefix,
                          double minLat, double maxLat, double minLon, double maxLon, int width, int height)
{
    return {QString::fromLatin1(name),
            QString::fromLatin1(displayName),
            QStringLiteral("nam"),
            QString::fromLatin1(filterScript),
            sixHourly(),
            84,
            false,
            QString(),
            QString::fromLatin1(filePrefix),
            2,
            QStringLiteral(".tm00.grib2"),
            QStringLiteral("nam/prod"),
            minLat,
            maxLat,
            minLon,
            maxLon,
            width,
            height,
            QString::fromLatin1(kNorthAmericanModel)};
}

ModelConfiguration rapRow(const char *name, const char *displayName, const char *filterScript, const char *filePrefix,
                          double minLat, double maxLat, double minLon, double maxLon, int width, int height)
{
    return {QString::fromLatin1(name),
            QString::fromLatin1(displayName),
            QStringLiteral("rap"),
            QString::fromLatin1(filterScript),
            hourly(),
            51,
            false,
            QString(),
            QString::fromLatin1(filePrefix),
            2,
            QStringLiteral(".grib2"),
            QStringLiteral("rap/prod"),
            minLat,
            maxLat,
            minLon,
            maxLon,
            width,
            height,
            QString::fromLatin1(kRapidRefresh)};
}

} // namespace

// clang-format off
ModelConfiguration ModelConfiguration::gfs_0p25()
{
    static const ModelConfiguration row = gfsRow("gfs_0p25", "GFS 0.25°", "filter_gfs_0p25.pl", 384,
                                                 "gfs.t%02dz.pgrb2.0p25.f", 1440, 721);
    return row;
}

ModelConfiguration ModelConfiguration::gfs_0p25_1hr()
{
    static const ModelConfiguration row = gfsRow("gfs_0p25_1hr", "GFS 0.25° Hourly", "filter_gfs_0p25_1hr.pl",
                                                 120, "gfs.t%02dz.pgrb2.0p25.f", 1440, 721);
    return row;
}

ModelConfiguration ModelConfiguration::gfs_0p50()
{
    static const ModelConfiguration row = gfsRow("gfs_0p50", "GFS 0.5°", "filter_gfs_0p50.pl", 384,
                                                 "gfs.t%02dz.pgrb2full.0p50.f", 720, 361);
    return row;
}

ModelConfiguration ModelConfiguration::hiresw_alaska()
{
    static const ModelConfiguration row = hireswRow("hiresw_alaska", "HIRES Alaska", "filter_hiresak.pl",
                                                    {6, 18}, ".ak.grib2", 40, 75, -178, -118, 825, 603);
    return row;
}

ModelConfiguration ModelConfiguration::hiresw_conus()
{
    static const ModelConfiguration row = hireswRow("hiresw_conus", "HIRES CONUS", "filter_hiresconus.pl",
                                                    {0, 12}, ".conus.grib2", 20, 55, -125, -60, 1473, 1025);
    return row;
}

ModelConfiguration ModelConfiguration::hiresw_guam()
{
    static const ModelConfiguration row = hireswRow("hiresw_guam", "HIRES Guam", "filter_hiresguam.pl",
                                                    {0, 12}, ".guam.grib2", 5, 25, 135, 155, 223, 170);
    return row;
}

ModelConfiguration ModelConfiguration::hiresw_hawaii()
{
    static const ModelConfiguration row = hireswRow("hiresw_hawaii", "HIRES Hawaii", "filter_hireshi.pl",
                                                    {0, 12}, ".hi.grib2", 15, 25, -163, -150, 223, 170);
    return row;
}

ModelConfiguration ModelConfiguration::hiresw_puertorico()
{
    static const ModelConfiguration row = hireswRow("hiresw_puertorico", "HIRES Puerto Rico", "filter_hirespr.pl",
                                                    {6, 18}, ".pr.grib2", 10, 25, -72, -60, 340, 208);
    return row;
}

ModelConfiguration ModelConfiguration::hrrr()
{
    static const ModelConfiguration row{
        QStringLiteral("hrrr"), QStringLiteral("HRRR"), QStringLiteral("hrrr"), QStringLiteral("filter_hrrr_2d.pl"),
        hourly(), 48, false, QStringLiteral("conus"), QStringLiteral("hrrr.t%02dz.wrfsfcf"), 2,
        QStringLiteral(".grib2"), QStringLiteral("hrrr/prod"), 21, 53, -135, -60, 1799, 1059, QString::fromLatin1(kRapidRefresh)};
    return row;
}

ModelConfiguration ModelConfiguration::nam_conus()
{
    static const ModelConfiguration row = namRow("nam_conus", "NAM CONUS", "filter_nam.pl", "nam.t%02dz.awphys",
                                                 12, 60, -133, -50, 614, 428);
    return row;
}

ModelConfiguration ModelConfiguration::nam_na()
{
    static const ModelConfiguration row = namRow("nam_na", "NAM NA", "filter_nam_na.pl", "nam.t%02dz.awip32",
                                                 1, 75, -170, -30, 349, 277);
    return row;
}

ModelConfiguration ModelConfiguration::nam_caribbean()
{
    static const ModelConfiguration row = namRow("nam_caribbean", "NAM Caribbean", "filter_nam_crb.pl",
                                                 "nam.t%02dz.afwaca", 0, 35, -100, -50, 370, 278);
    return row;
}

ModelConfiguration ModelConfiguration::rap()
{
    static const ModelConfiguration row = rapRow("rap", "RAP", "filter_rap.pl", "rap.t%02dz.awp130pgrbf",
                                                 16, 58, -140, -57, 451, 337);
    return row;
}

ModelConfiguration ModelConfiguration::rap_32km()
{
    static const ModelConfiguration row = rapRow("rap_32km", "RAP 32km", "filter_rap32.pl", "rap.t%02dz.awip32f",
                                                 1, 75, -170, -30, 349, 277);
    return row;
}

ModelConfiguration ModelConfiguration::rap_alaska()
{
    static const ModelConfiguration row = rapRow("rap_alaska", "RAP Alaska", "filter_rap242.pl", "rap.t%02dz.awp242f",
                                                 40, 75, -178, -93, 553, 425);
    return row;
}

ModelConfiguration ModelConfiguration::rap_enp()
{
    static const ModelConfiguration row = rapRow("rap_enp", "RAP NE Pacific", "filter_rap243.pl", "rap.t%02dz.awp243f",
                                                 10, 60, -170, -110, 126, 101);
    return row;
}

ModelConfiguration ModelConfiguration::wave_global()
{
    static const ModelConfiguration row = waveRow("wave_global", "WAVE Global", "gfswave.t%02dz.global.0p25.f",
                                                  -90, 90, -180, 180, 1440, 721);
    return row;
}

ModelConfiguration ModelConfiguration::wave_atlantic_hurricane()
{
    static const ModelConfiguration row = waveRow("wave_atlantic_hurricane", "WAVE Atlantic",
                                                  "gfswave.t%02dz.atlocn.0p16.f", 0, 55, -98, -30, 301, 331);
    return row;
}

ModelConfiguration ModelConfiguration::wave_north_pacific_hurricane()
{
    static const ModelConfiguration row = waveRow("wave_north_pacific_hurricane", "WAVE N Pacific",
                                                  "gfswave.t%02dz.epacif.0p16.f", 0, 55, -178, -100, 511, 301);
    return row;
}

ModelConfiguration ModelConfiguration::wave_eastern_north_pacific()
{
    static const ModelConfiguration row = waveRow("wave_eastern_north_pacific", "WAVE NE Pacific",
                                                  "gfswave.t%02dz.wcoast.0p16.f", 25, 55, -135, -110, 241, 151);
    return row;
}
// clang-format on

QList<ModelConfiguration> ModelConfiguration::allConfigurations()
{
    static const QList<ModelConfiguration> all{
        gfs_0p25(),
        gfs_0p25_1hr(),
        gfs_0p50(),
        hiresw_alaska(),
        hiresw_conus(),
        hiresw_guam(),
        hiresw_hawaii(),
        hiresw_puertorico(),
        hrrr(),
        nam_conus(),
        nam_na(),
        nam_caribbean(),
        rap(),
        rap_32km(),
        rap_alaska(),
        rap_enp(),
        wave_global(),
        wave_atlantic_hurricane(),
        wave_north_pacific_hurricane(),
        wave_eastern_north_pacific(),
    };
    return all;
}

std::optional<ModelConfiguration> ModelConfiguration::configurationNamed(const QString &name)
{
    for (const ModelConfiguration &configuration : allConfigurations()) {
        if (configuration.name == name)
            return configuration;
    }
    return std::nullopt;
}
