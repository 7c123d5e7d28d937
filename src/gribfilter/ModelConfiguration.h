// One model product of the public model-data server, and the catalogue of the twenty the
// program knows: where a product's runs lie on the server, how its files are named, when a run
// counts as complete and which grib filter script serves it. Plain immutable values; the
// catalogue rows are built once, on first use, and handed out as copies.
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct ModelConfiguration
{
    QString name;                  ///< key of the catalogue entry ("gfs_0p25_1hr")
    QString displayName;           ///< label; ends every progress description of the client
    QString directoryName;         ///< prefix of the date directories ("gfs" gives gfs.yyyyMMdd)
    QString filterScript;          ///< file name of the filter script under /cgi-bin/
    QList<int> hours;              ///< cycle hours (UTC) at which runs start, in catalogue order
    int finalForecastHour = 0;     ///< a run is complete once the file of this hour is listed
    bool hasHourDirectory = false; ///< runs lie in a two-digit cycle-hour folder of the date folder
    QString subdirectory;          ///< folder inside the run folder that holds the files; may be empty
    QString filePrefix;            ///< start of every file name; its one "%02d" takes the cycle hour
    int forecastHourDigits = 0;    ///< width of the zero-padded forecast hour after the prefix
    QString fileSuffix;            ///< end of every file name; may be empty
    QString dataPath;              ///< path of the model folder under /pub/data/nccf/com/
    double minLatitude = 0;        ///< degrees
    double maxLatitude = 0;
    double minLongitude = 0; ///< degrees, negative west
    double maxLongitude = 0;
    int estimatedGridWidth = 0;  ///< expected grid columns
    int estimatedGridHeight = 0; ///< expected grid rows
    QString displayGroup;        ///< heading under which the entry is grouped

    /// The file prefix with its "%02d" replaced by the cycle hour ("gfs.t06z.pgrb2.0p25.f").
    QString filePrefixForCycle(int cycle) const;
    /// The name of the file of one forecast hour of one cycle
    /// (hiresw_conus, 12, 7: "hiresw.t12z.arw_5km.f07.conus.grib2").
    QString fileNameForCycle(int cycle, int forecastHour) const;
    /// Bytes of one field at four bytes a value.
    qint64 estimatedBytesPerVariable() const;

    friend bool operator==(const ModelConfiguration &, const ModelConfiguration &) = default;

    // The catalogue rows.
    static ModelConfiguration gfs_0p25();
    static ModelConfiguration gfs_0p25_1hr();
    static ModelConfiguration gfs_0p50();
    static ModelConfiguration hiresw_alaska();
    static ModelConfiguration hiresw_conus();
    static ModelConfiguration hiresw_guam();
    static ModelConfiguration hiresw_hawaii();
    static ModelConfiguration hiresw_puertorico();
    static ModelConfiguration hrrr();
    static ModelConfiguration nam_conus();
    static ModelConfiguration nam_na();
    static ModelConfiguration nam_caribbean();
    static ModelConfiguration rap();
    static ModelConfiguration rap_32km();
    static ModelConfiguration rap_alaska();
    static ModelConfiguration rap_enp();
    static ModelConfiguration wave_global();
    static ModelConfiguration wave_atlantic_hurricane();
    static ModelConfiguration wave_north_pacific_hurricane();
    static ModelConfiguration wave_eastern_north_pacific();

    /// The twenty rows in catalogue order.
    static QList<ModelConfiguration> allConfigurations();
    /// The first row whose name is exactly `name`, or nothing.
    static std::optional<ModelConfiguration> configurationNamed(const QString &name);
};

template <>
struct std::hash<ModelConfiguration>
{
    size_t operator()(const ModelConfiguration &c) const noexcept;
};

namespace ModelNumberText {
/// `value` in decimal, zero-padded to `width` characters as printf's "%0<width>d" does.
QString zeroPadded(int value, int width);
} // namespace ModelNumberText
