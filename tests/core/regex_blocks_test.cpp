// The block forms: enumeration of matches and pieces, replacement by a block, options, and blocks
// that use the engine themselves or throw.
#include "RegexTestSupport.h"

#include "core/regex/ExtRegexAdditions.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace ExtRegexAdditions;

namespace {

// The pieces the separated form hands out, in order.
QStringList separatedPieces(const QString &subject, const QString &regex)
{
    QStringList pieces;
    enumerateStringsSeparatedByRegex(subject, regex,
                                     [&](qsizetype count, const QStringList *strings, const ERXRange *, bool &) {
                                         pieces.append(strings->mid(0, count));
                                     });
    return pieces;
}

} // namespace

TEST(RegexBlocks, SeparatedFormYieldsTheSplitPieces)
{
    const QList<std::pair<QString, QString>> cases = {
        {"a,,b", ","}, {",a", ","}, {"a,b,,", ","}, {",", ","}, {"", ","}, {"abc", ","},
        {"a,b;c", "([,;])"}, {"abc", ""}, {"KJFK 18010KT  10SM", "\\s+"},
    };
    for (const auto &[subject, regex] : cases) {
        SCOPED_TRACE((subject + " / " + regex).toStdString());
        EXPECT_EQ(separatedPieces(subject, regex), componentsSeparatedByRegex(subject, regex));
    }
}

TEST(RegexBlocks, MatchedFormGivesTheMatchAndItsGroupsWithRanges)
{
    QList<QStringList> strings;
    QList<ERXRange> gustRanges;
    const bool ok = enumerateStringsMatchedByRegex(
        QStringLiteral("18010G20KT 09005KT"), QStringLiteral("(\\d{3})(\\d{2})(?:G(\\d{2}))?KT"),
        [&](qsizetype count, const QStringList *captured, const ERXRange *ranges, bool &) {
            EXPECT_EQ(count, 4);
            strings.append(*captured);
            gustRanges.append(ranges[3]);
        });
    EXPECT_TRUE(ok);
    EXPECT_EQ(strings, (QList<QStringList>{{"18010G20KT", "180", "10", "20"}, {"09005KT", "090", "05", ""}}));
    EXPECT_EQ(gustRanges, (QList<ERXRange>{{6, 2}, ERXNotFoundRange}));

    int calls = 0;
    enumerateStringsMatchedByRegex(QStringLiteral("a1b2"), QStringLiteral("\\d"), 0, ERXWholeRange, nullptr,
                                   ERXRegexEnumerationCapturedStringsNotRequired,
                                   [&](qsizetype, const QStringList *captured, const ERXRange *, bool &stop) {
                                       EXPECT_EQ(captured, nullptr);
                                       stop = true;
                                       ++calls;
                                   });
    EXPECT_EQ(calls, 1);
}

TEST(RegexBlocks, ReplacementBlockThatStopsKeepsTheRest)
{
    const auto bracketFirst = [](qsizetype, const QStringList *captured, const ERXRange *, bool &stop) {
        stop = true;
        return std::optional<QString>(QLatin1Char('<') + captured->at(0) + QLatin1Char('>'));
    };
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("a1b2c3"), QStringLiteral("\\d"), bracketFirst),
              "a<1>b2c3");

    const auto dropDigits = [](qsizetype, const QStringList *, const ERXRange *, bool &) {
        return std::optional<QString>();
    };
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("a1b2c3"), QStringLiteral("\\d"), dropDigits), "abc");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("a1b2c3"), QStringLiteral("\\d"), 0, ERXRange{2, 3},
                                                  nullptr, ERXRegexEnumerationNoOptions, dropDigits),
              "bc");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("abc"), QStringLiteral("\\d"), dropDigits), "abc");

    QString subject = QStringLiteral("T01230045");
    EXPECT_EQ(replaceOccurrencesOfRegex(subject, QStringLiteral("0(\\d{3})"), dropDigits), 2);
    EXPECT_EQ(subject, "T");
}

TEST(RegexBlocks, BlockMayUseTheEngineOrThrow)
{
    const QString regex = QStringLiteral("\\w+");
    QStringList inner;
    enumerateStringsMatchedByRegex(QStringLiteral("ab cd"), regex,
                                   [&](qsizetype, const QStringList *captured, const ERXRange *, bool &) {
                                       inner += componentsMatchedByRegex(captured->at(0) + " x", regex);
                                   });
    EXPECT_EQ(inner, (QStringList{"ab", "x", "cd", "x"}));

    EXPECT_THROW(stringByReplacingOccurrencesOfRegex(
                     QStringLiteral("ab cd"), regex,
                     [](qsizetype, const QStringList *, const ERXRange *, bool &) -> std::optional<QString> {
                         throw std::runtime_error("block failed");
                     }),
                 std::runtime_error);

    // A misuse inside the block keeps the reason of the operation that raised it.
    const std::optional<ERXException> raised = raisedBy([&] {
        enumerateStringsMatchedByRegex(QStringLiteral("ab"), regex,
                                       [&](qsizetype, const QStringList *, const ERXRange *, bool &) {
                                           rangeOfRegex(QStringLiteral("ab"), regex, 1);
                                       });
    });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->reason(), "*** -[QString rangeOfRegex]: The capture argument is not valid.");
    EXPECT_EQ(componentsSeparatedByRegex(QStringLiteral("a b"), QStringLiteral(" ")), (QStringList{"a", "b"}));
}

TEST(RegexBlocks, InvalidEnumerationOptionsRaise)
{
    const auto none = [](qsizetype, const QStringList *, const ERXRange *, bool &) {};
    const auto keep = [](qsizetype, const QStringList *, const ERXRange *, bool &) { return std::optional<QString>(); };
    const QString reason = "*** -[QString %1]: The ERXRegexEnumerationOptions argument is not valid.";
    const QString subject = QStringLiteral("a");
    const QList<ERXRegexEnumerationOptions> invalid = {
        1, 4096, ERXRegexEnumerationCapturedStringsNotRequired | ERXRegexEnumerationTransientCapturedStrings,
        ERXRegexEnumerationReleaseReplacementStrings};
    for (ERXRegexEnumerationOptions options : invalid) {
        SCOPED_TRACE(options);
        const std::optional<ERXException> raised = raisedBy(
            [&] { enumerateStringsMatchedByRegex(subject, subject, 0, ERXWholeRange, nullptr, options, none); });
        ASSERT_TRUE(raised);
        EXPECT_EQ(raised->name(), ERXInvalidArgumentException);
        EXPECT_EQ(raised->reason(), reason.arg("enumerateStringsMatchedByRegex"));
    }
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(subject, subject, 0, ERXWholeRange, nullptr,
                                                  ERXRegexEnumerationReleaseReplacementStrings
                                                      | ERXRegexEnumerationTransientCapturedStrings,
                                                  keep),
              "");
    const std::optional<ERXException> outside = raisedBy(
        [&] { enumerateStringsSeparatedByRegex(subject, subject, 0, ERXRange{0, 2}, nullptr, 0, none); });
    ASSERT_TRUE(outside);
    EXPECT_EQ(outside->reason(), "*** -[QString enumerateStringsSeparatedByRegex]: Range or index out of bounds.");

    RegexError error;
    EXPECT_FALSE(enumerateStringsMatchedByRegex(subject, QStringLiteral("("), 0, ERXWholeRange, &error, 0, none));
    EXPECT_EQ(error.userInfo.value("ERXICURegexErrorName"), "U_REGEX_MISMATCHED_PAREN");
    EXPECT_TRUE(stringByReplacingOccurrencesOfRegex(subject, QStringLiteral("("), keep).isNull());
}
