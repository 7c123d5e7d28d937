// The plain regular-expression operations on strings and the cache operations. Each one is a
// thin form of the driver in ERXRegexOperation; the block forms are in ExtRegexEnumeration.cpp.
#include "core/regex/ExtRegexAdditions.h"

#include "core/regex/ERXFindAll.h"
#include "core/regex/ERXRegexOperation.h"
#include "core/regex/ERXTemplateReplacement.h"

#include <vector>

using namespace ERXRegexOperation;

namespace {

void requireCapture(const ERXCachedRegex &regex, int64_t capture)
{
    if (capture < 0 || capture > regex.captureCount())
        throw ERXException(ERXInvalidArgumentException, QStringLiteral("The capture argument is not valid."));
}

void requireReplacement(const ERXCall &call, const QString &replacement)
{
    if (replacement.isNull())
        raise(call, ERXException(ERXInvalidArgumentException,
                                 QStringLiteral("The replacement string argument is NULL.")));
}

// Every key named and every capture within the pattern's groups.
void requireKeys(const ERXCachedRegex &regex, const std::vector<ERXKeyCapture> &pairs)
{
    const QString count = QString::number(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const ERXKeyCapture &pair = pairs[i];
        const QString position = QString::number(i + 1);
        if (pair.key.isNull())
            throw ERXException(ERXInvalidArgumentException,
                               QStringLiteral("The capture key (key %1 of %2) is NULL.").arg(position, count));
        if (pair.capture < 0 || pair.capture > regex.captureCount())
            throw ERXException(
                ERXInvalidArgumentException,
                QStringLiteral("The capture argument %1 (capture %2 of %3) for key '%4' is not valid.")
                    .arg(QString::number(pair.capture), position, count, pair.key));
    }
}

std::vector<ERXKeyCapture> pairsOf(const ERXCall &call, const QStringList &keys, const QList<int64_t> &captures)
{
    if (keys.size() != captures.size())
        raise(call, ERXException(ERXInvalidArgumentException,
                                 QStringLiteral("The keys and captures arguments differ in length.")));
    std::vector<ERXKeyCapture> pairs;
    pairs.reserve(static_cast<size_t>(keys.size()));
    for (qsizetype i = 0; i < keys.size(); ++i)
        pairs.push_back(ERXKeyCapture{keys[i], captures[i]});
    return pairs;
}

QStringList textsOf(const ERXCachedRegex &regex, const ERXRange *ranges, size_t count)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i)
        texts.append(regex.text(ranges[i]));
    return texts;
}

QStringList textsOf(const ERXCachedRegex &regex, const std::vector<ERXRange> &ranges)
{
    return textsOf(regex, ranges.data(), ranges.size());
}

// One dictionary per match; `ranges` holds captureCount + 1 ranges per match.
QList<QVariantMap> dictionariesOf(const ERXCachedRegex &regex, const std::vector<ERXRange> &ranges,
                                  const std::vector<ERXKeyCapture> &pairs)
{
    const size_t groupSize = static_cast<size_t>(regex.captureCount()) + 1;
    QList<QVariantMap> dictionaries;
    for (size_t first = 0; first + groupSize <= ranges.size(); first += groupSize) {
        QVariantMap dictionary;
        for (const ERXKeyCapture &pair : pairs) {
            const ERXRange range = ranges[first + static_cast<size_t>(pair.capture)];
            if (!range.isNotFound())
                dictionary.insert(pair.key, regex.text(range));
        }
        dictionaries.append(dictionary);
    }
    return dictionaries;
}

QList<QVariantMap> matchDictionaries(const ERXCall &call, const QString &subject, const QString &regex,
                                     ERXRegexOptions options, ERXRange range, RegexError *error,
                                     const std::vector<ERXKeyCapture> &pairs, size_t matchLimit)
{
    const auto op = matchLimit == 1 ? ERXRegexOp::CaptureDictionary : ERXRegexOp::CaptureDictionaries;
    return run(call, regex, options, subject, range, error,
               [&](ERXCachedRegex &entry, ERXRange resolved) {
                   requireKeys(entry, pairs);
                   ERXFindAll finder(entry, op, resolved);
                   finder.run(matchLimit);
                   return dictionariesOf(entry, finder.ranges(), pairs);
               })
        .value_or(QList<QVariantMap>());
}

// The text of `range`, the subject itself when it is all of it.
QString textOfRange(const ERXCachedRegex &entry, const QString &subject, ERXRange range)
{
    if (range.location == 0 && range.length == static_cast<uint64_t>(subject.size()) && !subject.isNull())
        return subject;
    return entry.text(range);
}

int64_t captureCountOf(const ERXCall &call, const QString &regex, ERXRegexOptions options, RegexError *error)
{
    return withCompiled(call, regex, options, error, [](ERXCachedRegex &entry) { return entry.captureCount(); })
        .value_or(-1);
}

} // namespace

namespace ExtRegexAdditions {

bool isMatchedByRegex(const QString &subject, const QString &regex)
{
    return isMatchedByRegex(subject, regex, 0, ERXWholeRange);
}

bool isMatchedByRegex(const QString &subject, const QString &regex, ERXRange range)
{
    return isMatchedByRegex(subject, regex, 0, range);
}

bool isMatchedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                      RegexError *error)
{
    return run(ERXCall{"isMatchedByRegex"}, regex, options, subject, range, error,
               [](ERXCachedRegex &entry, ERXRange resolved) { return entry.search(resolved.location).has_value(); })
        .value_or(false);
}

ERXRange rangeOfRegex(const QString &subject, const QString &regex)
{
    return rangeOfRegex(subject, regex, 0, ERXWholeRange, 0);
}

ERXRange rangeOfRegex(const QString &subject, const QString &regex, int64_t capture)
{
    return rangeOfRegex(subject, regex, 0, ERXWholeRange, capture);
}

ERXRange rangeOfRegex(const QString &subject, const QString &regex, ERXRange range)
{
    return rangeOfRegex(subject, regex, 0, range, 0);
}

ERXRange rangeOfRegex(const QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                      int64_t capture, RegexError *error)
{
    return run(ERXCall{"rangeOfRegex"}, regex, options, subject, range, error,
               [&](ERXCachedRegex &entry, ERXRange resolved) {
                   requireCapture(entry, capture);
                   const std::optional<ERXRange> match = entry.search(resolved.location);
                   if (!match)
                       return ERXNotFoundRange;
                   return capture == 0 ? *match : entry.captureRange(capture);
               })
        .value_or(ERXNotFoundRange);
}

QString stringByMatching(const QString &subject, const QString &regex)
{
    return stringByMatching(subject, regex, 0, ERXWholeRange, 0);
}

QString stringByMatching(const QString &subject, const QString &regex, int64_t capture)
{
    return stringByMatching(subject, regex, 0, ERXWholeRange, capture);
}

QString stringByMatching(const QString &subject, const QString &regex, ERXRange range)
{
    return stringByMatching(subject, regex, 0, range, 0);
}

QString stringByMatching(const QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                         int64_t capture, RegexError *error)
{
    return run(ERXCall{"stringByMatching"}, regex, options, subject, range, error,
               [&](ERXCachedRegex &entry, ERXRange resolved) {
                   requireCapture(entry, capture);
                   if (!entry.search(resolved.location))
                       return QString();
                   return entry.text(entry.captureRange(capture));
               })
        .value_or(QString());
}

QStringList componentsSeparatedByRegex(const QString &subject, const QString &regex)
{
    return componentsSeparatedByRegex(subject, regex, 0, ERXWholeRange);
}

QStringList componentsSeparatedByRegex(const QString &subject, const QString &regex, ERXRange range)
{
    return componentsSeparatedByRegex(subject, regex, 0, range);
}

QStringList componentsSeparatedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                       ERXRange range, RegexError *error)
{
    return run(ERXCall{"componentsSeparatedByRegex"}, regex, options, subject, range, error,
               [](ERXCachedRegex &entry, ERXRange resolved) {
                   ERXFindAll finder(entry, ERXRegexOp::Split, resolved);
                   finder.run();
                   return textsOf(entry, finder.ranges());
               })
        .value_or(QStringList());
}

QStringList componentsMatchedByRegex(const QString &subject, const QString &regex)
{
    return componentsMatchedByRegex(subject, regex, 0, ERXWholeRange, 0);
}

QStringList componentsMatchedByRegex(const QString &subject, const QString &regex, int64_t capture)
{
    return componentsMatchedByRegex(subject, regex, 0, ERXWholeRange, capture);
}

QStringList componentsMatchedByRegex(const QString &subject, const QString &regex, ERXRange range)
{
    return componentsMatchedByRegex(subject, regex, 0, range, 0);
}

QStringList componentsMatchedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                     ERXRange range, int64_t capture, RegexError *error)
{
    return run(ERXCall{"componentsMatchedByRegex"}, regex, options, subject, range, error,
               [&](ERXCachedRegex &entry, ERXRange resolved) {
                   requireCapture(entry, capture);
                   ERXFindAll finder(entry, ERXRegexOp::MatchedStrings, resolved, capture);
                   finder.run();
                   return textsOf(entry, finder.ranges());
               })
        .value_or(QStringList());
}

QStringList captureComponentsMatchedByRegex(const QString &subject, const QString &regex)
{
    return captureComponentsMatchedByRegex(subject, regex, 0, ERXWholeRange);
}

QStringList captureComponentsMatchedByRegex(const QString &subject, const QString &regex, ERXRange range)
{
    return captureComponentsMatchedByRegex(subject, regex, 0, range);
}

QStringList captureComponentsMatchedByRegex(const QString &subject, const QString &regex,
                                            ERXRegexOptions options, ERXRange range, RegexError *error)
{
    return run(ERXCall{"captureComponentsMatchedByRegex"}, regex, options, subject, range, error,
               [](ERXCachedRegex &entry, ERXRange resolved) {
                   ERXFindAll finder(entry, ERXRegexOp::CapturesArray, resolved);
                   finder.run(1);
                   return textsOf(entry, finder.ranges());
               })
        .value_or(QStringList());
}

QList<QStringList> arrayOfCaptureComponentsMatchedByRegex(const QString &subject, const QString &regex)
{
    return arrayOfCaptureComponentsMatchedByRegex(subject, regex, 0, ERXWholeRange);
}

QList<QStringList> arrayOfCaptureComponentsMatchedByRegex(const QString &subject, const QString &regex,
                                                          ERXRange range)
{
    return arrayOfCaptureComponentsMatchedByRegex(subject, regex, 0, range);
}

QList<QStringList> arrayOfCaptureComponentsMatchedByRegex(const QString &subject, const QString &regex,
                                                          ERXRegexOptions options, ERXRange range,
                                                          RegexError *error)
{
    return run(ERXCall{"arrayOfCaptureComponentsMatchedByRegex"}, regex, options, subject, range, error,
               [](ERXCachedRegex &entry, ERXRange resolved) {
                   ERXFindAll finder(entry, ERXRegexOp::AllCaptures, resolved);
                   finder.run();
                   const std::vector<ERXRange> &ranges = finder.ranges();
                   const size_t groupSize = static_cast<size_t>(entry.captureCount()) + 1;
                   QList<QStringList> matches;
                   matches.reserve(static_cast<qsizetype>(ranges.size() / groupSize));
                   for (size_t first = 0; first < ranges.size(); first += groupSize)
                       matches.append(textsOf(entry, &ranges[first], groupSize));
                   return matches;
               })
        .value_or(QList<QStringList>());
}

QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex,
                                      std::initializer_list<ERXKeyCapture> keysAndCaptures)
{
    return dictionaryByMatchingRegex(subject, regex, 0, ERXWholeRange, nullptr, keysAndCaptures);
}

QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex, ERXRange range,
                                      std::initializer_list<ERXKeyCapture> keysAndCaptures)
{
    return dictionaryByMatchingRegex(subject, regex, 0, range, nullptr, keysAndCaptures);
}

QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                      ERXRange range, RegexError *error,
                                      std::initializer_list<ERXKeyCapture> keysAndCaptures)
{
    const QList<QVariantMap> first = matchDictionaries(ERXCall{"dictionaryByMatchingRegex"}, subject, regex, options,
                                                       range, error, keysAndCaptures, 1);
    return first.isEmpty() ? QVariantMap() : first.front();
}

QVariantMap dictionaryByMatchingRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                      ERXRange range, RegexError *error, const QStringList &keys,
                                      const QList<int64_t> &captures)
{
    const ERXCall call{"dictionaryByMatchingRegex"};
    const QList<QVariantMap> first =
        matchDictionaries(call, subject, regex, options, range, error, pairsOf(call, keys, captures), 1);
    return first.isEmpty() ? QVariantMap() : first.front();
}

QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      std::initializer_list<ERXKeyCapture> keysAndCaptures)
{
    return arrayOfDictionariesByMatchingRegex(subject, regex, 0, ERXWholeRange, nullptr, keysAndCaptures);
}

QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      ERXRange range,
                                                      std::initializer_list<ERXKeyCapture> keysAndCaptures)
{
    return arrayOfDictionariesByMatchingRegex(subject, regex, 0, range, nullptr, keysAndCaptures);
}

QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      ERXRegexOptions options, ERXRange range, RegexError *error,
                                                      std::initializer_list<ERXKeyCapture> keysAndCaptures)
{
    return matchDictionaries(ERXCall{"arrayOfDictionariesByMatchingRegex"}, subject, regex, options, range, error,
                             keysAndCaptures, SIZE_MAX);
}

QList<QVariantMap> arrayOfDictionariesByMatchingRegex(const QString &subject, const QString &regex,
                                                      ERXRegexOptions options, ERXRange range, RegexError *error,
                                                      const QStringList &keys, const QList<int64_t> &captures)
{
    const ERXCall call{"arrayOfDictionariesByMatchingRegex"};
    return matchDictionaries(call, subject, regex, options, range, error, pairsOf(call, keys, captures), SIZE_MAX);
}

QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const QString &replacement)
{
    return stringByReplacingOccurrencesOfRegex(subject, regex, replacement, 0, ERXWholeRange);
}

QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const QString &replacement, ERXRange range)
{
    return stringByReplacingOccurrencesOfRegex(subject, regex, replacement, 0, range);
}

QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const QString &replacement, ERXRegexOptions options, ERXRange range,
                                            RegexError *error)
{
    const ERXCall call{"stringByReplacingOccurrencesOfRegex", false,
                       {{QStringLiteral("ERXICURegexReplacementString"), replacement}}};
    requireReplacement(call, replacement);
    return run(call, regex, options, subject, range, error,
               [&](ERXCachedRegex &entry, ERXRange resolved) {
                   ERXTemplateReplacement replaced = ERXTemplateReplacement::replaceAll(entry, replacement);
                   if (replaced.count == 0)
                       return textOfRange(entry, subject, resolved);
                   return replaced.text;
               })
        .value_or(QString());
}

int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const QString &replacement)
{
    return replaceOccurrencesOfRegex(subject, regex, replacement, 0, ERXWholeRange);
}

int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const QString &replacement,
                                  ERXRange range)
{
    return replaceOccurrencesOfRegex(subject, regex, replacement, 0, range);
}

int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const QString &replacement,
                                  ERXRegexOptions options, ERXRange range, RegexError *error)
{
    const ERXCall call{"replaceOccurrencesOfRegex", false,
                       {{QStringLiteral("ERXICURegexReplacementString"), replacement}}};
    requireReplacement(call, replacement);
    ERXRange resolved;
    std::optional<ERXTemplateReplacement> replaced =
        run(call, regex, options, subject, range, error, [&](ERXCachedRegex &entry, ERXRange wanted) {
            resolved = wanted;
            ERXTemplateReplacement result = ERXTemplateReplacement::replaceAll(entry, replacement);
            // The subject is about to change: let go of the engine's copy so it changes in place.
            if (result.count > 0)
                entry.clearSetToState();
            return result;
        });
    if (!replaced)
        return -1;
    if (replaced->count > 0)
        subject.replace(static_cast<qsizetype>(resolved.location), static_cast<qsizetype>(resolved.length),
                        replaced->text);
    return replaced->count;
}

int64_t captureCountForRegex(const QString &regex, ERXRegexOptions options, RegexError *error)
{
    return captureCountOf(ERXCall{"captureCountForRegex", true}, regex, options, error);
}

int64_t captureCount(const QString &regex)
{
    return captureCountOf(ERXCall{"captureCount"}, regex, 0, nullptr);
}

int64_t captureCountWithOptions(const QString &regex, ERXRegexOptions options, RegexError *error)
{
    return captureCountOf(ERXCall{"captureCountWithOptions"}, regex, options, error);
}

bool isRegexValid(const QString &regex)
{
    return isRegexValidWithOptions(regex, 0, nullptr);
}

bool isRegexValidWithOptions(const QString &regex, ERXRegexOptions options, RegexError *error)
{
    return captureCountOf(ERXCall{"isRegexValidWithOptions"}, regex, options, error) >= 0;
}

void clearStringCache()
{
    ERXRegexCache &cache = ERXRegexCache::shared();
    std::unique_lock<std::mutex> lock(cache.mutex());
    cache.clear(lock);
}

void flushCachedRegexData(const QString &subject)
{
    ERXRegexCache &cache = ERXRegexCache::shared();
    std::unique_lock<std::mutex> lock(cache.mutex());
    cache.flush(lock, subject);
}

} // namespace ExtRegexAdditions
