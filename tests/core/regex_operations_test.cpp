// The plain regular-expression operations: splitting, matching, captures, ranges, dictionaries,
// replacement, compile errors and misuse.
#include "RegexTestSupport.h"

#include "core/regex/ExtRegexAdditions.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

using namespace ExtRegexAdditions;

namespace {

struct SplitCase
{
    const char *name;
    QString subject;
    QString regex;
    QStringList pieces;
};

const QList<SplitCase> &splitCases()
{
    static const QList<SplitCase> cases = {
        {"empty piece between separators", "a,,b", ",", {"a", "", "b"}},
        {"leading separator", ",a", ",", {"", "a"}},
        {"trailing empty pieces dropped", "a,b,,", ",", {"a", "b"}},
        {"lone separator", ",", ",", {}},
        {"empty subject", "", ",", {}},
        {"no match is the whole text", "abc", ",", {"abc"}},
        {"group adds the separator", "a,b", "(,)", {"a", ",", "b"}},
        {"empty pattern splits each unit", "abc", "", {"a", "b", "c"}},
        {"empty matches never repeat", "axb", "x*", {"a", "b"}},
    };
    return cases;
}

} // namespace

TEST(RegexOperations, SplitTable)
{
    for (const SplitCase &row : splitCases()) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(componentsSeparatedByRegex(row.subject, row.regex), row.pieces);
    }
}

TEST(RegexOperations, GroupThatTakesNoPartGivesNotFoundAndEmptyTextAndNoKey)
{
    const QString subject = QStringLiteral("id=b");
    const QString regex = QStringLiteral("id=(?:(a)|(b))");
    EXPECT_EQ(rangeOfRegex(subject, regex, 1), ERXNotFoundRange);
    EXPECT_EQ(rangeOfRegex(subject, regex, 2), (ERXRange{3, 1}));
    const QString absent = stringByMatching(subject, regex, 1);
    EXPECT_TRUE(absent.isEmpty());
    EXPECT_FALSE(absent.isNull());
    EXPECT_TRUE(stringByMatching(subject, QStringLiteral("z")).isNull());
    EXPECT_EQ(captureComponentsMatchedByRegex(subject, regex), (QStringList{"id=b", "", "b"}));
    EXPECT_EQ(dictionaryByMatchingRegex(subject, regex, {{"first", 1}, {"second", 2}}),
              (QVariantMap{{"second", "b"}}));
    EXPECT_TRUE(dictionaryByMatchingRegex(QStringLiteral("none"), regex, {{"first", 1}}).isEmpty());
}

TEST(RegexOperations, EveryMatchWithItsGroups)
{
    const QString subject = QStringLiteral("KJFK 18010G20KT KLGA 09005KT");
    const QString wind = QStringLiteral("(\\d{3})(\\d{2})(?:G(\\d{2}))?KT");
    EXPECT_EQ(componentsMatchedByRegex(subject, wind), (QStringList{"18010G20KT", "09005KT"}));
    EXPECT_EQ(componentsMatchedByRegex(subject, wind, 3), (QStringList{"20", ""}));
    EXPECT_EQ(arrayOfCaptureComponentsMatchedByRegex(subject, wind),
              (QList<QStringList>{{"18010G20KT", "180", "10", "20"}, {"09005KT", "090", "05", ""}}));
    EXPECT_EQ(arrayOfDictionariesByMatchingRegex(subject, wind, 0, ERXWholeRange, nullptr, {"dir", "gust"}, {1, 3}),
              (QList<QVariantMap>{{{"dir", "180"}, {"gust", "20"}}, {{"dir", "090"}}}));
    // A range limits the search, and positions stay those of the whole subject.
    EXPECT_EQ(rangeOfRegex(subject, wind, ERXRange{5, 23}), (ERXRange{5, 10}));
    EXPECT_EQ(rangeOfRegex(subject, wind, ERXRange{6, 22}), (ERXRange{21, 7}));
}

// Empty matches with groups: more ranges are found than the search location; every one of the
// 5001 empty matches over 5000 characters is collected.
TEST(RegexOperations, EmptyMatchesWithManyGroupsAreAllCollected)
{
    const QString subject(5000, QLatin1Char('x'));
    const QList<QStringList> matches =
        arrayOfCaptureComponentsMatchedByRegex(subject, QStringLiteral("()()()()()()()()()()"));
    ASSERT_EQ(matches.size(), 5001);
    const QStringList empties(11, QString());
    for (const QStringList &match : matches)
        ASSERT_EQ(match, empties);
}

TEST(RegexOperations, RangesToTheEndAndOutOfBounds)
{
    const QString subject = QStringLiteral("abcd");
    EXPECT_EQ(rangeOfRegex(subject, QStringLiteral("abcd"), ERXRange{0, ERXRangeToEnd}), (ERXRange{0, 4}));
    EXPECT_TRUE(isMatchedByRegex(subject, QStringLiteral("d$"), ERXRange{0, ERXRangeToEnd}));
    const QList<ERXRange> outside = {{1, ERXRangeToEnd}, {3, 2}, {5, 0}, ERXNotFoundRange};
    for (const ERXRange &range : outside) {
        SCOPED_TRACE(testing::PrintToString(range));
        const std::optional<ERXException> raised = raisedBy([&] { isMatchedByRegex(subject, QStringLiteral("a"), range); });
        ASSERT_TRUE(raised);
        EXPECT_EQ(raised->name(), ERXRangeException);
        EXPECT_EQ(raised->reason(), "*** -[QString isMatchedByRegex]: Range or index out of bounds.");
    }
}

TEST(RegexOperations, MisuseRaisesWithTheOperationInTheReason)
{
    struct Row
    {
        const char *name;
        std::function<void()> action;
        QString exceptionName;
        QString reason;
    };
    const QString subject = QStringLiteral("a1");
    const QList<Row> rows = {
        {"capture above the groups", [&] { rangeOfRegex(subject, QStringLiteral("(\\d)"), 2); },
         ERXInvalidArgumentException, "*** -[QString rangeOfRegex]: The capture argument is not valid."},
        {"negative capture", [&] { componentsMatchedByRegex(subject, QStringLiteral("\\d"), -1); },
         ERXInvalidArgumentException, "*** -[QString componentsMatchedByRegex]: The capture argument is not valid."},
        {"null pattern", [&] { isMatchedByRegex(subject, QString()); }, ERXInvalidArgumentException,
         "*** -[QString isMatchedByRegex]: The regular expression argument is NULL."},
        {"null pattern, class operation", [&] { captureCountForRegex(QString()); }, ERXInvalidArgumentException,
         "*** +[QString captureCountForRegex]: The regular expression argument is NULL."},
        {"null template", [&] { stringByReplacingOccurrencesOfRegex(subject, QStringLiteral("a"), QString()); },
         ERXInvalidArgumentException,
         "*** -[QString stringByReplacingOccurrencesOfRegex]: The replacement string argument is NULL."},
        {"null key",
         [&] { dictionaryByMatchingRegex(subject, QStringLiteral("(a)(1)"), {{"a", 1}, {QString(), 2}}); },
         ERXInvalidArgumentException,
         "*** -[QString dictionaryByMatchingRegex]: The capture key (key 2 of 2) is NULL."},
        {"key capture above the groups",
         [&] { arrayOfDictionariesByMatchingRegex(subject, QStringLiteral("(a)"), {{"%1 key", 3}}); },
         ERXInvalidArgumentException,
         "*** -[QString arrayOfDictionariesByMatchingRegex]: The capture argument 3 (capture 1 of 1) for key "
         "'%1 key' is not valid."},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ERXException> raised = raisedBy(row.action);
        ASSERT_TRUE(raised);
        EXPECT_EQ(raised->name(), row.exceptionName);
        EXPECT_EQ(raised->reason(), row.reason);
        EXPECT_EQ(QString::fromUtf8(raised->what()), row.reason);
    }
    EXPECT_TRUE(isMatchedByRegex(subject, QStringLiteral("\\d")));
}

TEST(RegexOperations, PositionsCountUtf16Units)
{
    const QString subject = QStringLiteral("\U0001F600 x \U0001F327 y");
    EXPECT_EQ(rangeOfRegex(subject, QStringLiteral("x")), (ERXRange{3, 1}));
    EXPECT_EQ(rangeOfRegex(subject, QStringLiteral("y")), (ERXRange{8, 1}));
    EXPECT_EQ(rangeOfRegex(subject, QStringLiteral(".")), (ERXRange{0, 2}));
    // The empty pattern steps over a surrogate pair as one character.
    EXPECT_EQ(componentsSeparatedByRegex(QStringLiteral("\U0001F600a"), QString("")),
              (QStringList{QStringLiteral("\U0001F600"), "a"}));
}

TEST(RegexOperations, TemplateLongerThanTheSubjectGivesTheFullResult)
{
    const QString subject(1000, QLatin1Char('a'));
    const QString replaced =
        stringByReplacingOccurrencesOfRegex(subject, QStringLiteral("(a)"), QStringLiteral("<$1$1$1>"));
    EXPECT_EQ(replaced.size(), 5000);
    EXPECT_EQ(replaced.left(10), "<aaa><aaa>");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("12/M03"), QStringLiteral("(M?\\d\\d)/(M?\\d\\d)"),
                                                  QStringLiteral("$2/$1")),
              "M03/12");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("abc"), QStringLiteral("b"), QStringLiteral("")),
              "ac");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("a-b-c"), QStringLiteral("-"), QStringLiteral("+"),
                                                  0, ERXRange{1, 3}),
              "+b+");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(QStringLiteral("abc"), QStringLiteral("z"), QStringLiteral("y")),
              "abc");
}

TEST(RegexOperations, InPlaceReplacementCountsAndZeroLeavesTheStringAlone)
{
    QString subject = QStringLiteral("a-b-c");
    EXPECT_EQ(replaceOccurrencesOfRegex(subject, QStringLiteral("-"), QStringLiteral("--")), 2);
    EXPECT_EQ(subject, "a--b--c");
    EXPECT_EQ(replaceOccurrencesOfRegex(subject, QStringLiteral("-+"), QStringLiteral("+"), 0, ERXRange{1, 3}), 1);
    EXPECT_EQ(subject, "a+b--c");

    QString untouched = QStringLiteral("abc").append(QStringLiteral("def"));
    const QString before = untouched;
    EXPECT_EQ(replaceOccurrencesOfRegex(untouched, QStringLiteral("z"), QStringLiteral("y")), 0);
    EXPECT_EQ(untouched, "abcdef");
    EXPECT_TRUE(untouched.isSharedWith(before));
}

TEST(RegexOperations, TemplateNamingAMissingGroupRaisesTheIcuError)
{
    const std::optional<ERXException> raised = raisedBy(
        [] { stringByReplacingOccurrencesOfRegex(QStringLiteral("abc"), QStringLiteral("b"), QStringLiteral("$4")); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->name(), ERXICURegexException);
    EXPECT_EQ(raised->reason(),
              "*** -[QString stringByReplacingOccurrencesOfRegex]: ICU regular expression error #8, "
              "U_INDEX_OUTOFBOUNDS_ERROR.");
    EXPECT_EQ(raised->userInfo().value("ERXICURegexReplacementString"), "$4");
    EXPECT_EQ(raised->userInfo().value("ERXICURegexSubjectString"), "abc");
    EXPECT_EQ(raised->userInfo().value("ERXICURegexRegex"), "b");
}

TEST(RegexOperations, PatternThatDoesNotCompile)
{
    const QString bad = QStringLiteral("wind (\\d+");
    EXPECT_EQ(captureCount(bad), -1);
    EXPECT_FALSE(isRegexValid(bad));
    EXPECT_FALSE(isMatchedByRegex(QStringLiteral("wind 10"), bad));
    EXPECT_TRUE(componentsSeparatedByRegex(QStringLiteral("a b"), bad).isEmpty());

    RegexError error;
    EXPECT_EQ(rangeOfRegex(QStringLiteral("wind 10"), bad, 0, ERXWholeRange, 0, &error), ERXNotFoundRange);
    EXPECT_EQ(error.domain, "ERXICURegexErrorDomain");
    EXPECT_EQ(error.code, U_REGEX_MISMATCHED_PAREN);
    const QVariantMap &info = error.userInfo;
    EXPECT_EQ(info.value("ERXICURegexErrorName"), "U_REGEX_MISMATCHED_PAREN");
    EXPECT_TRUE(info.contains("ERXICURegexLine"));
    EXPECT_TRUE(info.contains("ERXICURegexOffset"));
    EXPECT_EQ(info.value("ERXICURegexRegex"), bad);
    EXPECT_EQ(info.value("NSLocalizedDescription"), "There was an error compiling the regular expression.");
    EXPECT_TRUE(info.value("NSLocalizedFailureReason").toString().contains("<<HERE>>"));

    EXPECT_EQ(captureCountWithOptions(QStringLiteral("(a)(b)"), 0), 2);
    EXPECT_TRUE(isRegexValidWithOptions(QString(""), 0));
    RegexError cleared = error;
    EXPECT_TRUE(isMatchedByRegex(QStringLiteral("x"), QStringLiteral("x"), 0, ERXWholeRange, &cleared));
    EXPECT_TRUE(cleared.domain.isEmpty());
}

// A string changed in place to another text of the same length: the engine sees the new text
// without being told.
TEST(RegexOperations, StringChangedInPlaceIsSeenWithoutAFlush)
{
    QString subject = QStringLiteral("KJFK 18010KT");
    subject.detach();
    const QString wind = QStringLiteral("(\\d{3})(\\d{2})KT");
    EXPECT_EQ(stringByMatching(subject, wind, 1), "180");
    subject[5] = QLatin1Char('2');
    EXPECT_EQ(stringByMatching(subject, wind, 1), "280");
    subject.replace(5, 3, QStringLiteral("310"));
    EXPECT_EQ(stringByMatching(subject, wind, 1), "310");
    EXPECT_EQ(replaceOccurrencesOfRegex(subject, QStringLiteral("KJFK"), QStringLiteral("KLGA")), 1);
    EXPECT_EQ(stringByMatching(subject, QStringLiteral("^\\w+")), "KLGA");

    // Characters that belong to the caller are copied when the engine keeps them.
    QChar characters[] = {u'a', u'b', u'c'};
    const QString raw = QString::fromRawData(characters, 3);
    EXPECT_TRUE(isMatchedByRegex(raw, QStringLiteral("abc")));
    characters[1] = u'x';
    EXPECT_TRUE(isMatchedByRegex(raw, QStringLiteral("axc")));
    EXPECT_FALSE(isMatchedByRegex(raw, QStringLiteral("abc")));
}

// ICU gives up on a search whose backtracking stack outgrows its limit: the operation raises
// ICU's error and the engine stays usable.
TEST(RegexOperations, IcuFailureWhileSearchingRaises)
{
    const QString subject(2000000, QLatin1Char('a'));
    const std::optional<ERXException> raised =
        raisedBy([&] { isMatchedByRegex(subject, QStringLiteral("(a|b)*c")); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->name(), ERXICURegexException);
    EXPECT_EQ(raised->userInfo().value("ERXICURegexErrorName"), "U_REGEX_STACK_OVERFLOW");
    EXPECT_EQ(raised->userInfo().value("ERXICURegexSubjectRange").value<ERXRange>(), (ERXRange{0, 2000000}));
    EXPECT_TRUE(isMatchedByRegex(QStringLiteral("abc"), QStringLiteral("(a|b)*c")));
}

// A pattern that backtracks without end gives up after the engine's time limit: no match and a
// RegexError (never a hang, never a raise), from the plain and the block forms alike, and the
// engine goes on working.
TEST(RegexOperations, SearchThatRunsOutOfTimeIsAnErrorNotAHang)
{
    const QString pattern = QStringLiteral("()+?a|");
    LogCapture log;
    EXPECT_FALSE(isMatchedByRegex(QString(""), pattern));
    EXPECT_TRUE(log.contains("[ExtRegex] isMatchedByRegex: U_REGEX_TIME_OUT for the pattern '()+?a|'"));

    RegexError error;
    EXPECT_EQ(rangeOfRegex(QString(""), pattern, 0, ERXWholeRange, 0, &error), ERXNotFoundRange);
    EXPECT_EQ(error.domain, "ERXICURegexErrorDomain");
    EXPECT_EQ(error.code, U_REGEX_TIME_OUT);
    EXPECT_EQ(error.userInfo.value("NSLocalizedDescription"), "The regular expression ran out of its time limit.");

    RegexError blockError;
    int calls = 0;
    EXPECT_FALSE(enumerateStringsMatchedByRegex(QString(""), pattern, 0, ERXWholeRange, &blockError,
                                                ERXRegexEnumerationNoOptions,
                                                [&](qsizetype, const QStringList *, const ERXRange *, bool &) { ++calls; }));
    EXPECT_EQ(blockError.code, U_REGEX_TIME_OUT);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(isMatchedByRegex(QStringLiteral("xay"), QStringLiteral("a")));
}
