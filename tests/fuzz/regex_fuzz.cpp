// Fuzz target for the regular-expression operations. The first byte picks the pattern options,
// the rest is "pattern\nsubject" (the first newline splits them). Every operation must answer,
// fail with a RegexError or raise the engine's exception for ICU's own limits; whatever it
// answers must agree with a copy of the subject taken before (ranges inside it, matched texts
// equal to the subject's text at their ranges, the subject itself unchanged).
#include "FuzzSupport.h"
#include "core/regex/ERXException.h"
#include "core/regex/ExtRegexAdditions.h"

#include <cstddef>
#include <cstdint>

using namespace ExtRegexAdditions;

namespace {

// A few of ICU's pattern flags: case-insensitive, comments, dot-all, multi-line, word bounds.
constexpr ERXRegexOptions kOptionBits[] = {2, 4, 32, 8, 256};

void checkRange(const QString &copy, ERXRange range)
{
    if (range.isNotFound())
        return;
    FuzzSupport::require(range.location <= uint64_t(copy.size()) && range.length <= uint64_t(copy.size()) - range.location,
                         "a range lies outside the subject");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    ERXRegexOptions options = 0;
    for (size_t bit = 0; bit < std::size(kOptionBits); ++bit) {
        if (data[0] & (1u << bit))
            options |= kOptionBits[bit];
    }
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype split = input.indexOf(QLatin1Char('\n'));
    const QString pattern = split < 0 ? input : input.left(split);
    QString subject = split < 0 ? QString() : input.mid(split + 1);
    subject.detach();
    const QString copy(subject.constData(), subject.size()); // an independent copy

    try {
        RegexError error;
        const ERXRange range = rangeOfRegex(subject, pattern, options, ERXWholeRange, 0, &error);
        checkRange(copy, range);
        if (error.code != 0)
            return 0; // does not compile, or ran out of time: nothing more to ask of it
        if (!range.isNotFound()) {
            FuzzSupport::require(stringByMatching(subject, pattern, options, ERXWholeRange, 0, &error)
                                     == copy.mid(qsizetype(range.location), qsizetype(range.length)),
                                 "the matched text is not the subject's text at the match");
        }
        const QList<QStringList> all =
            arrayOfCaptureComponentsMatchedByRegex(subject, pattern, options, ERXWholeRange, &error);
        for (const QStringList &match : all)
            FuzzSupport::require(match.isEmpty() || copy.contains(match.first()), "a match is not in the subject");
        const QStringList pieces = componentsSeparatedByRegex(subject, pattern, options, ERXWholeRange, &error);
        for (const QString &piece : pieces)
            FuzzSupport::require(copy.contains(piece), "a piece is not in the subject");
        (void)stringByReplacingOccurrencesOfRegex(subject, pattern, QStringLiteral("<$0>"), options, ERXWholeRange, &error);
        int calls = 0;
        enumerateStringsMatchedByRegex(subject, pattern, options, ERXWholeRange, &error, ERXRegexEnumerationNoOptions,
                                       [&](qsizetype count, const QStringList *strings, const ERXRange *ranges, bool &stop) {
                                           for (qsizetype i = 0; i < count; ++i) {
                                               checkRange(copy, ranges[i]);
                                               if (!ranges[i].isNotFound())
                                                   FuzzSupport::require(strings->at(i) == copy.mid(qsizetype(ranges[i].location),
                                                                                                   qsizetype(ranges[i].length)),
                                                                        "a block's text is not the subject's text");
                                           }
                                           stop = ++calls > 1000;
                                       });
    } catch (const ERXException &exception) {
        // ICU's backtracking stack limit and similar failures of ICU itself are raised by design.
        FuzzSupport::require(exception.name() == ERXICURegexException, "an operation raised a misuse exception");
    }
    FuzzSupport::require(subject == copy, "the subject changed");
    return 0;
}
