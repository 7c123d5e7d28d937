#include "opendap/OVOpenDAPProducts.h"

#include <QStringList>

#include <algorithm>

namespace OVOpenDAPProducts {
namespace {

// A family's run names share one folder; each product skips its siblings' runs: the
// alternation of every sibling name except its own.
QString excludingAllBut(const QStringList &family, const QString &own)
{
    QStringList others = family;
    others.removeAll(own);
    return u'(' + others.join(u'|') + u')';
}

const QStringList kNAM = {"nam1hr",  "nam_[0-9]",      "nam_ak", "nam_alaskanest", "nam_conusnest",
                          "nam_crb", "nam_hawaiinest", "nam_na", "nam_pac",        "nam_priconest"};
const QStringList kHIRES = {"hiresw_akarw",   "hiresw_aknmm", "hiresw_conusarw", "hiresw_conusnmm", "hiresw_guamarw",
                            "hiresw_guamnmm", "hiresw_hiarw", "hiresw_hinmm",    "hiresw_prarw",    "hiresw_prnmm"};

// GFS, NAM, RAP, HRRR and HIRES: "<folder><prefix>yyyyMMdd/<run>HHz" below /dods/<folder>.
QString dayRunPattern(const QString &folder, const QString &dayPrefix, const QString &runPrefix)
{
    return QStringLiteral("'/dods/%1/%2'yyyyMMdd'/%3'HH'z'").arg(folder, dayPrefix, runPrefix);
}

// Most wave runs repeat the day in the run name.
QString waveRunPattern(const QString &area)
{
    return QStringLiteral("'/dods/wave/%1/%1'yyyyMMdd'/%1'yyyyMMdd'_'HH'z'").arg(area);
}

Product gfs(int64_t type, const QString &resolution, const QString &folder, const QString &label)
{
    return {type,
            label,
            QStringLiteral("GFS"),
            QStringLiteral("NOMADS Global Forecast System %1 Degree").arg(resolution),
            QStringLiteral("/dods/%1/").arg(folder),
            dayRunPattern(folder, QStringLiteral("gfs"), folder + u'_'),
            QStringLiteral("_anl"),
            label};
}

Product nam(int64_t type, const QString &region, const QString &run, const QString &excluded)
{
    const QString name = QStringLiteral("NAM 12km ") + region;
    return {type,
            name,
            QStringLiteral("NAM"),
            QStringLiteral("NOMADS North American Model 12km ") + region,
            QStringLiteral("/dods/nam/"),
            dayRunPattern(QStringLiteral("nam"), QStringLiteral("nam"), run),
            excludingAllBut(kNAM, excluded),
            name};
}

Product hires(int64_t type, const QString &region, const QString &core, const QString &run, const QString &label)
{
    const QString detailCore = core == u"NMM" ? QStringLiteral("NMMB") : core;
    return {type,
            QStringLiteral("HIRES %1 %2 Core").arg(region, core),
            QStringLiteral("HIRES"),
            QStringLiteral("NOMADS HIRES (WRF-based) %1 Core").arg(detailCore),
            QStringLiteral("/dods/hiresw/"),
            dayRunPattern(QStringLiteral("hiresw"), QStringLiteral("hiresw"), QStringLiteral("hiresw_%1_").arg(run)),
            excludingAllBut(kHIRES, QStringLiteral("hiresw_") + run.left(run.size() - (core == u"NMM" ? 1 : 0))),
            label};
}

Product wave(int64_t type, const QString &name, const QString &area, const QString &pattern,
             const QString &excludePattern = QString())
{
    return {type,
            name,
            QStringLiteral("Wave"),
            QStringLiteral("NOMADS Wave (WAVEWATCH-based)"),
            QStringLiteral("/dods/wave/%1/").arg(area),
            pattern.isEmpty() ? waveRunPattern(area) : pattern,
            excludePattern,
            name};
}

std::vector<Product> makeTable()
{
    const QString glwNAM = QStringLiteral("'/dods/wave/glw/glw'yyyyMMdd'/glw_'HH'z'");
    const QString glwNDFD = QStringLiteral("'/dods/wave/glw/glw'yyyyMMdd'/glwn_'HH'z'");
    return {
        gfs(20, QStringLiteral("0.25"), QStringLiteral("gfs_0p25"), QStringLiteral("GFS 0.25°")),
        gfs(21, QStringLiteral("0.5"), QStringLiteral("gfs_0p50"), QStringLiteral("GFS 0.5°")),
        gfs(22, QStringLiteral("1.0"), QStringLiteral("gfs_1p00"), QStringLiteral("GFS 1.0°")),
        nam(40, QStringLiteral("CONUS"), QStringLiteral("nam_"), QStringLiteral("nam_[0-9]")),
        nam(41, QStringLiteral("North America"), QStringLiteral("nam_na_"), QStringLiteral("nam_na")),
        nam(42, QStringLiteral("Pacific"), QStringLiteral("nam_pac_"), QStringLiteral("nam_pac")),
        nam(43, QStringLiteral("Caribbean"), QStringLiteral("nam_crb_"), QStringLiteral("nam_crb")),
        nam(44, QStringLiteral("Alaska"), QStringLiteral("nam_ak_"), QStringLiteral("nam_ak")),
        {60, QStringLiteral("RAP"), QStringLiteral("RAP"), QStringLiteral("NOMADS Rapid Refresh"),
         QStringLiteral("/dods/rap/"),
         dayRunPattern(QStringLiteral("rap"), QStringLiteral("rap"), QStringLiteral("rap_")),
         QStringLiteral("(rap32|rap_f)"), QStringLiteral("RAP")},
        {61, QStringLiteral("RAP 32km North America"), QStringLiteral("RAP"),
         QStringLiteral("NOMADS Rapid Refresh 32km North America"), QStringLiteral("/dods/rap/"),
         dayRunPattern(QStringLiteral("rap"), QStringLiteral("rap"), QStringLiteral("rap32_")),
         QStringLiteral("(rap_|rap_f)"), QStringLiteral("RAP 32km North America")},
        {62, QStringLiteral("High Resolution Rapid Refresh 3km"), QStringLiteral("HRRR"), QStringLiteral("NOMADS HRRR"),
         QStringLiteral("/dods/hrrr/"),
         dayRunPattern(QStringLiteral("hrrr"), QStringLiteral("hrrr"), QStringLiteral("hrrr_sfc_")), QString(),
         QStringLiteral("HRRR")},
        hires(80, QStringLiteral("CONUS"), QStringLiteral("ARW"), QStringLiteral("conusarw"),
              QStringLiteral("HIRES CONUS ARW")),
        hires(81, QStringLiteral("CONUS"), QStringLiteral("NMM"), QStringLiteral("conusnmmb"),
              QStringLiteral("HIRES CONUS NMMB")),
        hires(82, QStringLiteral("Alaska"), QStringLiteral("ARW"), QStringLiteral("akarw"),
              QStringLiteral("HIRES Alaska ARW")),
        hires(83, QStringLiteral("Alaska"), QStringLiteral("NMM"), QStringLiteral("aknmmb"),
              QStringLiteral("HIRES Alaska NMMB")),
        hires(84, QStringLiteral("Hawaii"), QStringLiteral("ARW"), QStringLiteral("hiarw"),
              QStringLiteral("HIRES Hawaii ARW")),
        hires(85, QStringLiteral("Hawaii"), QStringLiteral("NMM"), QStringLiteral("hinmmb"),
              QStringLiteral("HIRES Hawaii NMMB")),
        hires(86, QStringLiteral("Guam"), QStringLiteral("ARW"), QStringLiteral("guamarw"),
              QStringLiteral("HIRES Guam ARW")),
        hires(87, QStringLiteral("Guam"), QStringLiteral("NMM"), QStringLiteral("guamnmmb"),
              QStringLiteral("HIRES Guam NMMB")),
        hires(88, QStringLiteral("Puerto Rico"), QStringLiteral("ARW"), QStringLiteral("prarw"),
              QStringLiteral("HIRES Puerto Rico ARW")),
        hires(89, QStringLiteral("Puerto Rico"), QStringLiteral("NMM"), QStringLiteral("prnmmb"),
              QStringLiteral("HIRES Puerto Rico NMMB")),
        wave(100, QStringLiteral("Wave Global"), QStringLiteral("nww3"), QString()),
        wave(101, QStringLiteral("Wave Atlantic Hurricane"), QStringLiteral("nah"), QString()),
        wave(102, QStringLiteral("Wave Western North Atlantic"), QStringLiteral("wna"), QString()),
        wave(103, QStringLiteral("Wave North Pacific Hurricane"), QStringLiteral("nph"), QString()),
        wave(104, QStringLiteral("Wave Eastern North Pacific"), QStringLiteral("enp"), QString()),
        wave(105, QStringLiteral("Wave Great Lakes (NAM Winds)"), QStringLiteral("glw"), glwNAM,
             QStringLiteral("(glwn_)")),
        wave(106, QStringLiteral("Wave Great Lakes (NDFD Winds)"), QStringLiteral("glw"), glwNDFD,
             QStringLiteral("(glw_)")),
        wave(107, QStringLiteral("Wave Alaska Waters"), QStringLiteral("akw"), QString()),
    };
}

} // namespace

const std::vector<Product> &all()
{
    static const std::vector<Product> table = makeTable();
    return table;
}

const Product *productOfType(int64_t type)
{
    const auto &table = all();
    const auto it = std::find_if(table.begin(), table.end(), [type](const Product &row) { return row.type == type; });
    return it == table.end() ? nullptr : &*it;
}

} // namespace OVOpenDAPProducts
