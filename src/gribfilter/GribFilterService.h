// How the grib filter client reads the model-data server and addresses it: the plain directory
// listings (searched with ICU regular expressions as text, never parsed as markup), the ".idx"
// inventories, and the directory and filter-script URLs. Every function is pure and safe on any
// thread; texts that do not match are skipped without a word.
#pragma once

#include "gribfilter/ModelInventory.h"
#include "gribfilter/ModelRun.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace GribFilterService {

/// `text` with a backslash before every character that has a meaning in an ICU pattern, so the
/// pattern matches the text literally.
QString escapedPattern(const QString &text);

/// `base` with one path component appended: exactly one "/" between the old path and
/// `component`, which is taken unchanged (it may itself hold "/").
QUrl appendingPathComponent(const QUrl &base, const QString &component);

/// base/pub/data/nccf/com/<dataPath>, e.g. .../gfs/prod.
QUrl modelDirectoryURL(const QUrl &base, const ModelConfiguration &configuration);
/// The model folder + <directoryName>.<date>.
QUrl dateDirectoryURL(const QUrl &base, const ModelConfiguration &configuration, const QString &date);
/// The date folder [+ two-digit cycle hour] [+ subdirectory], e.g. .../gfs.20240301/06/atmos.
QUrl runDirectoryURL(const QUrl &base, const ModelRun &run);

/// The dates of the `directoryName` folders the listing names (<name>.yyyyMMdd/), newest first,
/// each once. A name only counts where a folder name starts: at the start of the text or after
/// a quote, ">", "/" or white space, so "enkfgfs.20240302/" is no "gfs" date.
QStringList parseDateDirectories(const QString &listing, const QString &directoryName);

/// The cycle hours of the quoted link targets ("06/") that `allowedHours` holds, highest first,
/// each once.
QList<int> parseCycleDirectories(const QString &listing, const QList<int> &allowedHours);

/// The files prefix + `digits` digits + suffix the listing names, one per forecast hour (the
/// first file named for an hour wins), by increasing hour.
QList<ForecastHour> parseForecastHourFiles(const QString &listing, const QString &prefix, int digits,
                                           const QString &suffix);

/// The variables and levels of an inventory (lines "n:offset:d=date:VAR:level:forecast:...").
/// Lines with fewer than five fields are skipped.
ModelInventory parseInventory(const QString &text);

/// The value of the filter's "dir" item: /<directoryName>.<date>[/<hh>][/<subdirectory>].
QString filterDirectory(const ModelRun &run);

/// The filter-script URL that asks for `variables` of one forecast file. The items, in order:
/// file, then var_<name>=on and lev_<level with blanks as "_">=on for each entry (a level named
/// twice is sent twice), then dir. Throws OVGribFilterClient::Error (invalidURL) when no
/// absolute URL can be formed from `base`.
QUrl filterURL(const QUrl &base, const ModelRun &run, const ForecastHour &forecastHour,
               const QList<ModelVariableLevel> &variables);

} // namespace GribFilterService
