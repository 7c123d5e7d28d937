// bench-libraries: nimbrel_core
// Speed of the regular-expression engine on 1 MB of METAR reports (one per line), against
// QRegularExpression (built once and optimized) and a naive ICU engine that opens and closes the
// pattern on every call. The per-line operations show what the pattern cache is worth.
#include "core/regex/ExtRegexAdditions.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <benchmark/benchmark.h>
#include <unicode/uregex.h>

#include <functional>

using namespace ExtRegexAdditions;

namespace {

const QString kSplit = QStringLiteral("\\s+");
const QString kWind = QStringLiteral("\\b(\\d{3}|VRB)(\\d{2,3})(?:G(\\d{2,3}))?KT\\b");
const QString kTemperature = QStringLiteral("(M?\\d\\d)/(M?\\d\\d)");
const QString kSwapIcu = QStringLiteral("$2/$1");
const QString kSwapQt = QStringLiteral("\\2/\\1");

// The per-line results: whether the line matched, and the first match with its groups.
struct LineResults
{
    QList<bool> matched;
    QList<QStringList> captures;
    friend bool operator==(const LineResults &, const LineResults &) = default;
};

// An engine that compiles its pattern on every call, as a caller without a cache would.
namespace naive {

struct Regex
{
    explicit Regex(const QString &pattern, const QString &subject)
    {
        UErrorCode status = U_ZERO_ERROR;
        regex = uregex_open(reinterpret_cast<const UChar *>(pattern.constData()), int32_t(pattern.size()), 0,
                            nullptr, &status);
        uregex_setText(regex, reinterpret_cast<const UChar *>(subject.constData()), int32_t(subject.size()), &status);
    }
    ~Regex() { uregex_close(regex); }
    QString group(const QString &subject, int32_t index) const
    {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t start = uregex_start(regex, index, &status);
        return start < 0 ? QStringLiteral("") : subject.mid(start, uregex_end(regex, index, &status) - start);
    }
    URegularExpression *regex;
};

QStringList split(const QString &subject, const QString &pattern)
{
    Regex re(pattern, subject);
    UErrorCode status = U_ZERO_ERROR;
    QStringList pieces;
    int32_t previous = 0;
    while (uregex_findNext(re.regex, &status)) {
        const int32_t start = uregex_start(re.regex, 0, &status);
        pieces.append(subject.mid(previous, start - previous));
        previous = uregex_end(re.regex, 0, &status);
    }
    if (previous < subject.size())
        pieces.append(subject.mid(previous));
    while (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

QList<QStringList> allCaptures(const QString &subject, const QString &pattern)
{
    Regex re(pattern, subject);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t groups = uregex_groupCount(re.regex, &status);
    QList<QStringList> matches;
    while (uregex_findNext(re.regex, &status)) {
        QStringList match;
        for (int32_t group = 0; group <= groups; ++group)
            match.append(re.group(subject, group));
        matches.append(match);
    }
    return matches;
}

QString replaceAll(const QString &subject, const QString &pattern, const QString &replacement)
{
    Regex re(pattern, subject);
    UErrorCode status = U_ZERO_ERROR;
    const auto *characters = reinterpret_cast<const UChar *>(replacement.constData());
    const int32_t needed = uregex_replaceAll(re.regex, characters, int32_t(replacement.size()), nullptr, 0, &status);
    QString result(needed, Qt::Uninitialized);
    status = U_ZERO_ERROR;
    uregex_replaceAll(re.regex, characters, int32_t(replacement.size()), reinterpret_cast<UChar *>(result.data()),
                      needed, &status);
    return result;
}

bool isMatched(const QString &subject, const QString &pattern)
{
    Regex re(pattern, subject);
    UErrorCode status = U_ZERO_ERROR;
    return uregex_find(re.regex, 0, &status);
}

QStringList firstCaptures(const QString &subject, const QString &pattern)
{
    Regex re(pattern, subject);
    UErrorCode status = U_ZERO_ERROR;
    QStringList match;
    if (uregex_find(re.regex, 0, &status)) {
        for (int32_t group = 0; group <= uregex_groupCount(re.regex, &status); ++group)
            match.append(re.group(subject, group));
    }
    return match;
}

} // namespace naive

namespace qt {

QStringList split(const QString &subject, const QRegularExpression &regex)
{
    QStringList pieces = subject.split(regex);
    while (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

QStringList capturesOf(const QRegularExpressionMatch &match, int groups)
{
    QStringList texts;
    for (int group = 0; group <= groups; ++group)
        texts.append(match.captured(group));
    return texts;
}

QList<QStringList> allCaptures(const QString &subject, const QRegularExpression &regex)
{
    QList<QStringList> matches;
    QRegularExpressionMatchIterator it = regex.globalMatch(subject);
    while (it.hasNext())
        matches.append(capturesOf(it.next(), regex.captureCount()));
    return matches;
}

} // namespace qt

struct Engine
{
    std::function<QStringList(const QString &)> split;
    std::function<QList<QStringList>(const QString &)> windGroups;
    std::function<QString(const QString &)> swapTemperatures;
    std::function<LineResults(const QStringList &)> perLine;
};

Engine thisEngine()
{
    return Engine{
        [](const QString &text) { return componentsSeparatedByRegex(text, kSplit); },
        [](const QString &text) { return arrayOfCaptureComponentsMatchedByRegex(text, kWind); },
        [](const QString &text) { return stringByReplacingOccurrencesOfRegex(text, kTemperature, kSwapIcu); },
        [](const QStringList &lines) {
            LineResults results;
            for (const QString &line : lines) {
                results.matched.append(isMatchedByRegex(line, kWind));
                results.captures.append(captureComponentsMatchedByRegex(line, kWind));
            }
            return results;
        }};
}

Engine naiveEngine()
{
    return Engine{
        [](const QString &text) { return naive::split(text, kSplit); },
        [](const QString &text) { return naive::allCaptures(text, kWind); },
        [](const QString &text) { return naive::replaceAll(text, kTemperature, kSwapIcu); },
        [](const QStringList &lines) {
            LineResults results;
            for (const QString &line : lines) {
                results.matched.append(naive::isMatched(line, kWind));
                results.captures.append(naive::firstCaptures(line, kWind));
            }
            return results;
        }};
}

Engine qtEngine()
{
    static const auto compiled = [](const QString &pattern) {
        auto *regex = new QRegularExpression(pattern);
        regex->optimize();
        return regex;
    };
    static const QRegularExpression *split = compiled(kSplit);
    static const QRegularExpression *wind = compiled(kWind);
    static const QRegularExpression *temperature = compiled(kTemperature);
    return Engine{
        [](const QString &text) { return qt::split(text, *split); },
        [](const QString &text) { return qt::allCaptures(text, *wind); },
        [](const QString &text) { return QString(text).replace(*temperature, kSwapQt); },
        [](const QStringList &lines) {
            LineResults results;
            for (const QString &line : lines) {
                results.matched.append(wind->match(line).hasMatch());
                const QRegularExpressionMatch match = wind->match(line);
                results.captures.append(match.hasMatch() ? qt::capturesOf(match, wind->captureCount())
                                                         : QStringList());
            }
            return results;
        }};
}

struct BenchData
{
    QString text;
    QStringList lines;
    int64_t bytes = 0;
    QString problem; // why the engines disagree, or why there is no text
};

bool sameResults(const Engine &a, const Engine &b, const BenchData &data)
{
    return a.split(data.text) == b.split(data.text) && a.windGroups(data.text) == b.windGroups(data.text)
           && a.swapTemperatures(data.text) == b.swapTemperatures(data.text)
           && a.perLine(data.lines) == b.perLine(data.lines);
}

// The text, loaded once, and a check made once before any timing that all engines agree.
const BenchData &benchData()
{
    static const BenchData data = [] {
        BenchData loaded;
        QFile file(QStringLiteral(NIMBREL_BENCH_DATA_DIR "/metar_raw_reports.txt"));
        if (!file.open(QIODevice::ReadOnly)) {
            loaded.problem = QStringLiteral("metar_raw_reports.txt is missing");
            return loaded;
        }
        const QString reports = QString::fromUtf8(file.readAll());
        while (loaded.text.size() < (1 << 20))
            loaded.text += reports;
        loaded.bytes = loaded.text.toUtf8().size();
        loaded.lines = loaded.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const Engine ours = thisEngine();
        if (!sameResults(ours, naiveEngine(), loaded))
            loaded.problem = QStringLiteral("this engine and the naive ICU engine disagree");
        else if (!sameResults(ours, qtEngine(), loaded))
            loaded.problem = QStringLiteral("this engine and QRegularExpression disagree");
        return loaded;
    }();
    return data;
}

enum Operation { Split, WindGroups, SwapTemperatures, PerLine };

void runOperation(benchmark::State &state, const Engine &engine, Operation operation)
{
    const BenchData &data = benchData();
    if (!data.problem.isEmpty()) {
        state.SkipWithError(data.problem.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        switch (operation) {
        case Split:
            benchmark::DoNotOptimize(engine.split(data.text));
            break;
        case WindGroups:
            benchmark::DoNotOptimize(engine.windGroups(data.text));
            break;
        case SwapTemperatures:
            benchmark::DoNotOptimize(engine.swapTemperatures(data.text));
            break;
        case PerLine:
            benchmark::DoNotOptimize(engine.perLine(data.lines));
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * data.bytes);
}

} // namespace

#define REGEX_BENCHMARKS(operation)                                                                        \
    BENCHMARK_CAPTURE(runOperation, operation##_ThisEngine, thisEngine(), operation)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(runOperation, operation##_QRegularExpression, qtEngine(), operation)                  \
        ->Unit(benchmark::kMillisecond);                                                                   \
    BENCHMARK_CAPTURE(runOperation, operation##_NaiveICU, naiveEngine(), operation)->Unit(benchmark::kMillisecond)

REGEX_BENCHMARKS(Split);
REGEX_BENCHMARKS(WindGroups);
REGEX_BENCHMARKS(SwapTemperatures);
REGEX_BENCHMARKS(PerLine);
