#include "gribfilter/GribFilterService.h"

#include "gribfilter/OVGribFilterClient.h"

#include "core/regex/ExtRegexAdditions.h"

#include <QUrlQuery>

#include <algorithm>
#include <unordered_set>

namespace {

// Characters with a meaning in an ICU pattern outside a set, and those that open or close one.
// Escaping each alone (rather than quoting with \Q...\E) keeps a text holding "\E" literal.
constexpr QStringView kPatternMetacharacters = u"\\^$.|?*+()[]{}";

const QString kDataRoot = QStringLiteral("pub/data/nccf/com/");

// Every match of `pattern` in `text` as its whole text followed by its groups' texts. A pattern
// that does not compile gives no matches.
QList<QStringList> matchesOf(const QString &text, const QString &pattern)
{
    return ExtRegexAdditions::arrayOfCaptureComponentsMatchedByRegex(text, pattern);
}

// QUrlQuery takes its input as already encoded and leaves "+" alone, which a CGI script reads as
// a blank. Encoding those two first makes every key and value reach the script as it is.
QString queryText(QString text)
{
    return text.replace(QLatin1Char('%'), QLatin1String("%25")).replace(QLatin1Char('+'), QLatin1String("%2B"));
}

std::optional<int> decimal(const QString &digits)
{
    bool ok = false;
    const int value = digits.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

namespace GribFilterService {

QString escapedPattern(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (kPatternMetacharacters.contains(c))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

QUrl appendingPathComponent(const QUrl &base, const QString &component)
{
    QString path = base.path(QUrl::FullyDecoded);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    QUrl url = base;
    url.setPath(path + QLatin1Char('/') + component, QUrl::DecodedMode);
    return url;
}

QUrl modelDirectoryURL(const QUrl &base, const ModelConfiguration &configuration)
{
    return appendingPathComponent(base, kDataRoot + configuration.dataPath);
}

QUrl dateDirectoryURL(const QUrl &base, const ModelConfiguration &configuration, const QString &date)
{
    return appendingPathComponent(modelDirectoryURL(base, configuration),
                                  configuration.directoryName + QLatin1Char('.') + date);
}

QUrl runDirectoryURL(const QUrl &base, const ModelRun &run)
{
    const ModelConfiguration &configuration = run.configuration;
    QUrl url = dateDirectoryURL(base, configuration, run.date);
    if (configuration.hasHourDirectory)
        url = appendingPathComponent(url, ModelNumberText::zeroPadded(run.hour, 2));
    if (!configuration.subdirectory.isEmpty())
        url = appendingPathComponent(url, configuration.subdirectory);
    return url;
}

QStringList parseDateDirectories(const QString &listing, const QString &directoryName)
{
    // The look-behind keeps names that merely end in the directory name (enkfgfs., a gdas
    // relative's prefix) from counting as its dates.
    const QString pattern =
        QStringLiteral("(?:^|(?<=[\"'>/\\s]))") + escapedPattern(directoryName) + QStringLiteral("\\.(\\d{8})/");
    QStringList dates;
    for (const QStringList &match : matchesOf(listing, pattern)) {
        if (match.size() > 1 && !dates.contains(match.at(1)))
            dates.append(match.at(1));
    }
    std::sort(dates.begin(), dates.end(), std::greater<>());
    return dates;
}

QList<int> parseCycleDirectories(const QString &listing, const QList<int> &allowedHours)
{
    // Only quoted link targets ("06/") count; the bare link texts beside them do not.
    QList<int> hours;
    for (const QStringList &match : matchesOf(listing, QStringLiteral("\"(\\d{2})/\""))) {
        const std::optional<int> hour = match.size() > 1 ? decimal(match.at(1)) : std::nullopt;
        if (hour && allowedHours.contains(*hour) && !hours.contains(*hour))
            hours.append(*hour);
    }
    std::sort(hours.begin(), hours.end(), std::greater<>());
    return hours;
}

QList<ForecastHour> parseForecastHourFiles(const QString &listing, const QString &prefix, int digits,
                                           const QString &suffix)
{
    const QString pattern = QStringLiteral("(") + escapedPattern(prefix) + QStringLiteral("(\\d{") +
                            QString::number(digits) + QStringLiteral("})") + escapedPattern(suffix) +
                            QStringLiteral(")");
    QList<ForecastHour> files;
    std::unordered_set<int> seen;
    for (const QStringList &match : matchesOf(listing, pattern)) {
        const std::optional<int> hour = match.size() > 2 ? decimal(match.at(2)) : std::nullopt;
        if (hour && seen.insert(*hour).second)
            files.append(ForecastHour{*hour, match.at(1)});
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const ForecastHour &a, const ForecastHour &b) { return a.hour < b.hour; });
    return files;
}

ModelInventory parseInventory(const QString &text)
{
    constexpr qsizetype kMaxPieces = 7;
    ModelInventory inventory;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        // Only the first six separators split; the rest of the line stays one piece.
        QList<QStringView> pieces;
        QStringView rest = line;
        while (pieces.size() < kMaxPieces - 1) {
            const qsizetype colon = rest.indexOf(u':');
            if (colon < 0)
                break;
            pieces.append(rest.first(colon));
            rest = rest.sliced(colon + 1);
        }
        pieces.append(rest);
        if (pieces.size() < 5)
            continue;
        const ModelVariable variable{pieces.at(3).toString()};
        inventory.levelsForVariable[variable].insert(ModelLevel{pieces.at(4).toString()});
    }
    return inventory;
}

QString filterDirectory(const ModelRun &run)
{
    const ModelConfiguration &configuration = run.configuration;
    QString directory = QLatin1Char('/') + configuration.directoryName + QLatin1Char('.') + run.date;
    if (configuration.hasHourDirectory)
        directory += QLatin1Char('/') + ModelNumberText::zeroPadded(run.hour, 2);
    if (!configuration.subdirectory.isEmpty())
        directory += QLatin1Char('/') + configuration.subdirectory;
    return directory;
}

QUrl filterURL(const QUrl &base, const ModelRun &run, const ForecastHour &forecastHour,
               const QList<ModelVariableLevel> &variables)
{
    const QString on = QStringLiteral("on");
    QUrl url = appendingPathComponent(base, QStringLiteral("cgi-bin/") + run.configuration.filterScript);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        throw OVGribFilterClient::Error::invalidURL();
    // Items are added one by one, never merged: a level asked for twice is sent twice.
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("file"), queryText(forecastHour.fileName));
    for (const ModelVariableLevel &entry : variables) {
        QString level = entry.level.description;
        level.replace(QLatin1Char(' '), QLatin1Char('_'));
        query.addQueryItem(queryText(QStringLiteral("var_") + entry.variable.name), on);
        query.addQueryItem(queryText(QStringLiteral("lev_") + level), on);
    }
    query.addQueryItem(QStringLiteral("dir"), queryText(filterDirectory(run)));
    url.setQuery(query);
    if (!url.isValid())
        throw OVGribFilterClient::Error::invalidURL();
    return url;
}

} // namespace GribFilterService
