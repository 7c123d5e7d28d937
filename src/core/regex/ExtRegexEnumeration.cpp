// The block forms of the regular-expression operations. They work on a private clone of the
// cached pattern and a private copy of the subject (ERXBlockEnumerationHelper), so the engine's
// lock is free while a block runs; a block may call the engine or throw.
#include "core/regex/ExtRegexAdditions.h"

#include "core/regex/ERXBlockEnumerationHelper.h"
#include "core/regex/ERXFindAll.h"
#include "core/regex/ERXRegexOperation.h"

#include <QStringView>

#include <algorithm>

using namespace ERXRegexOperation;

namespace {

constexpr ERXRegexEnumerationOptions kValidEnumerationOptions =
    ERXRegexEnumerationCapturedStringsNotRequired | ERXRegexEnumerationReleaseReplacementStrings
    | ERXRegexEnumerationTransientCapturedStrings;

enum class BlockForm { Matched, Separated, Replacement };

ERXCall callFor(const char *operation, ERXRegexEnumerationOptions options)
{
    return ERXCall{operation, false, {{QStringLiteral("ERXICURegexEnumerationOptions"), QVariant::fromValue(options)}}};
}

void requireEnumerationOptions(ERXRegexEnumerationOptions options, BlockForm form)
{
    const bool unknownBits = (options & ~kValidEnumerationOptions) != 0;
    const bool noStringsButTransient = (options & ERXRegexEnumerationCapturedStringsNotRequired)
                                       && (options & ERXRegexEnumerationTransientCapturedStrings);
    const bool releaseOutsideReplacement =
        (options & ERXRegexEnumerationReleaseReplacementStrings) && form != BlockForm::Replacement;
    if (unknownBits || noStringsButTransient || releaseOutsideReplacement)
        throw ERXException(ERXInvalidArgumentException,
                           QStringLiteral("The ERXRegexEnumerationOptions argument is not valid."));
}

// Checks the arguments, then makes the private pattern and text; `range` comes back resolved.
std::optional<ERXBlockEnumerationHelper> prepare(const ERXCall &call, BlockForm form, const QString &regex,
                                                 ERXRegexOptions options, const QString &subject, ERXRange &range,
                                                 RegexError *error, ERXRegexEnumerationOptions enumerationOptions)
{
    if (error)
        *error = RegexError{};
    const QString &text = subjectOrEmpty(subject);
    try {
        requireRegex(regex);
        requireEnumerationOptions(enumerationOptions, form);
        range = resolveRange(text, range);
    } catch (ERXException &exception) {
        raise(call, std::move(exception));
    }
    return ERXBlockEnumerationHelper::make(call, regex, options, text, range, error);
}

// A failed search: raised on behalf of `call`, or, when it only ran out of its limits, reported
// (false) so the operation answers its failure result.
bool searchFailed(const ERXCall &call, ERXException &exception, RegexError *error)
{
    if (!exception.ranOutOfTime())
        raise(call, std::move(exception));
    reportRanOutOfTime(call, exception, error);
    return false;
}

// Calls `visit(count, ranges)` per match (the match and its groups) or per piece of the split
// (the piece and the separator's groups; the last piece alone) until it answers false. False
// when a search ran out of its limits (`error` says so).
template <typename Visit>
bool walk(const ERXCall &call, ERXCachedRegex &regex, BlockForm form, ERXRange range, RegexError *error,
          Visit &&visit)
{
    const size_t groupSize = static_cast<size_t>(regex.captureCount()) + 1;
    if (form == BlockForm::Separated) {
        // The pieces are found first: whether an empty piece is a dropped trailing one is only
        // known at the end.
        std::vector<ERXRange> ranges;
        try {
            ERXFindAll finder(regex, ERXRegexOp::Split, range);
            finder.run();
            ranges = finder.ranges();
        } catch (ERXException &exception) {
            return searchFailed(call, exception, error);
        }
        for (size_t first = 0; first < ranges.size(); first += groupSize) {
            if (!visit(std::min(groupSize, ranges.size() - first), &ranges[first]))
                return true;
        }
        return true;
    }
    ERXFindAll finder(regex, ERXRegexOp::AllCaptures, range);
    for (;;) {
        bool found = false;
        try {
            finder.clearRanges();
            found = finder.next();
        } catch (ERXException &exception) {
            return searchFailed(call, exception, error);
        }
        if (!found || !visit(groupSize, finder.ranges().data()))
            return true;
    }
}

// Runs `block`-like `call(count, strings, ranges, stop)` with the strings the options ask for.
template <typename Call>
auto callBlock(const ERXCachedRegex &regex, ERXRegexEnumerationOptions options, size_t count,
               const ERXRange *ranges, bool &stop, Call &&call)
{
    const qsizetype passed = static_cast<qsizetype>(count);
    if (options & ERXRegexEnumerationCapturedStringsNotRequired)
        return call(passed, nullptr, ranges, stop);
    QStringList strings;
    strings.reserve(passed);
    for (size_t i = 0; i < count; ++i)
        strings.append(regex.text(ranges[i]));
    return call(passed, &strings, ranges, stop);
}

bool enumerate(const ERXCall &call, BlockForm form, const QString &subject, const QString &regex,
               ERXRegexOptions options, ERXRange range, RegexError *error,
               ERXRegexEnumerationOptions enumerationOptions, const ERXEnumerationBlock &block)
{
    std::optional<ERXBlockEnumerationHelper> helper =
        prepare(call, form, regex, options, subject, range, error, enumerationOptions);
    if (!helper)
        return false;
    ERXCachedRegex &clone = helper->regex();
    return walk(call, clone, form, range, error, [&](size_t count, const ERXRange *ranges) {
        bool stop = false;
        callBlock(clone, enumerationOptions, count, ranges, stop, block);
        return !stop;
    });
}

struct BlockReplacement
{
    QString text;
    int64_t count = 0;
    ERXRange range; ///< the resolved range that was searched
};

std::optional<BlockReplacement> replaceWithBlock(const ERXCall &call, const QString &subject, const QString &regex,
                                                 ERXRegexOptions options, ERXRange range, RegexError *error,
                                                 ERXRegexEnumerationOptions enumerationOptions,
                                                 const ERXReplacementBlock &block)
{
    std::optional<ERXBlockEnumerationHelper> helper =
        prepare(call, BlockForm::Replacement, regex, options, subject, range, error, enumerationOptions);
    if (!helper)
        return std::nullopt;
    ERXCachedRegex &clone = helper->regex();
    const QStringView text(helper->subject());
    BlockReplacement result;
    result.range = range;
    uint64_t previousEnd = range.location;
    const bool searched = walk(call, clone, BlockForm::Replacement, range, error, [&](size_t count, const ERXRange *ranges) {
        const ERXRange match = ranges[0];
        result.text.append(text.mid(static_cast<qsizetype>(previousEnd),
                                    static_cast<qsizetype>(match.location - previousEnd)));
        bool stop = false;
        const std::optional<QString> replacement =
            callBlock(clone, enumerationOptions, count, ranges, stop, block);
        if (replacement)
            result.text.append(*replacement);
        previousEnd = match.end();
        ++result.count;
        return !stop;
    });
    if (!searched)
        return std::nullopt;
    if (result.count == 0) {
        result.text = range.length == static_cast<uint64_t>(text.size()) ? helper->subject()
                                                                         : clone.text(range);
        return result;
    }
    result.text.append(text.mid(static_cast<qsizetype>(previousEnd),
                                static_cast<qsizetype>(range.end() - previousEnd)));
    return result;
}

} // namespace

namespace ExtRegexAdditions {

bool enumerateStringsMatchedByRegex(const QString &subject, const QString &regex, const ERXEnumerationBlock &block)
{
    return enumerateStringsMatchedByRegex(subject, regex, 0, ERXWholeRange, nullptr, ERXRegexEnumerationNoOptions,
                                          block);
}

bool enumerateStringsMatchedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                    ERXRange range, RegexError *error,
                                    ERXRegexEnumerationOptions enumerationOptions, const ERXEnumerationBlock &block)
{
    return enumerate(callFor("enumerateStringsMatchedByRegex", enumerationOptions), BlockForm::Matched, subject,
                     regex, options, range, error, enumerationOptions, block);
}

bool enumerateStringsSeparatedByRegex(const QString &subject, const QString &regex,
                                      const ERXEnumerationBlock &block)
{
    return enumerateStringsSeparatedByRegex(subject, regex, 0, ERXWholeRange, nullptr,
                                            ERXRegexEnumerationNoOptions, block);
}

bool enumerateStringsSeparatedByRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                      ERXRange range, RegexError *error,
                                      ERXRegexEnumerationOptions enumerationOptions, const ERXEnumerationBlock &block)
{
    return enumerate(callFor("enumerateStringsSeparatedByRegex", enumerationOptions), BlockForm::Separated,
                     subject, regex, options, range, error, enumerationOptions, block);
}

QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex,
                                            const ERXReplacementBlock &block)
{
    return stringByReplacingOccurrencesOfRegex(subject, regex, 0, ERXWholeRange, nullptr,
                                               ERXRegexEnumerationNoOptions, block);
}

QString stringByReplacingOccurrencesOfRegex(const QString &subject, const QString &regex, ERXRegexOptions options,
                                            ERXRange range, RegexError *error,
                                            ERXRegexEnumerationOptions enumerationOptions,
                                            const ERXReplacementBlock &block)
{
    const std::optional<BlockReplacement> replaced =
        replaceWithBlock(callFor("stringByReplacingOccurrencesOfRegex", enumerationOptions), subject, regex, options,
                         range, error, enumerationOptions, block);
    return replaced ? replaced->text : QString();
}

int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, const ERXReplacementBlock &block)
{
    return replaceOccurrencesOfRegex(subject, regex, 0, ERXWholeRange, nullptr, ERXRegexEnumerationNoOptions, block);
}

int64_t replaceOccurrencesOfRegex(QString &subject, const QString &regex, ERXRegexOptions options, ERXRange range,
                                  RegexError *error, ERXRegexEnumerationOptions enumerationOptions,
                                  const ERXReplacementBlock &block)
{
    std::optional<BlockReplacement> replaced =
        replaceWithBlock(callFor("replaceOccurrencesOfRegex", enumerationOptions), subject, regex, options, range,
                         error, enumerationOptions, block);
    if (!replaced)
        return -1;
    if (replaced->count > 0)
        subject.replace(static_cast<qsizetype>(replaced->range.location),
                        static_cast<qsizetype>(replaced->range.length), replaced->text);
    return replaced->count;
}

} // namespace ExtRegexAdditions
