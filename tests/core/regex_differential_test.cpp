// Checks the engine against an independent one: over real METAR reports, patterns that mean the
// same in ICU and PCRE2 give the same matches, groups and positions as QRegularExpression.
#include "RegexTestSupport.h"

#include "core/regex/ExtRegexAdditions.h"
#include "support/TestHelpers.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace ExtRegexAdditions;

namespace {

QStringList rawReports()
{
    QFile file(testDataPath(QStringLiteral("core/regex/adds_metars_decoded.tsv")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList reports;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1))
        reports.append(line.section(QLatin1Char('\t'), 1, 1));
    return reports;
}

struct Match
{
    QStringList texts;
    QList<ERXRange> ranges;
    friend bool operator==(const Match &, const Match &) = default;
};

void PrintTo(const Match &match, std::ostream *out)
{
    *out << match.texts.join(QLatin1Char('|')).toStdString();
}

QList<Match> referenceMatches(const QRegularExpression &regex, const QString &subject)
{
    QList<Match> matches;
    QRegularExpressionMatchIterator it = regex.globalMatch(subject);
    while (it.hasNext()) {
        const QRegularExpressionMatch found = it.next();
        Match match;
        for (int group = 0; group <= regex.captureCount(); ++group) {
            match.texts.append(found.captured(group));
            match.ranges.append(found.capturedStart(group) < 0
                                    ? ERXNotFoundRange
                                    : ERXRange{static_cast<uint64_t>(found.capturedStart(group)),
                                               static_cast<uint64_t>(found.capturedLength(group))});
        }
        matches.append(match);
    }
    return matches;
}

QList<Match> engineMatches(const QString &regex, const QString &subject)
{
    QList<Match> matches;
    enumerateStringsMatchedByRegex(subject, regex,
                                   [&](qsizetype count, const QStringList *strings, const ERXRange *ranges, bool &) {
                                       matches.append(Match{*strings, QList<ERXRange>(ranges, ranges + count)});
                                   });
    return matches;
}

} // namespace

TEST(RegexDifferential, MetarGroupsMatchLikeQRegularExpression)
{
    const QStringList reports = rawReports();
    ASSERT_EQ(reports.size(), 735);
    const QStringList patterns = {
        QStringLiteral("\\b(\\d{3}|VRB)(\\d{2,3})(?:G(\\d{2,3}))?(KT|MPS)\\b"),
        QStringLiteral("\\b(M?\\d\\d)/(M?\\d\\d)?\\b"),
        QStringLiteral("\\b(FEW|SCT|BKN|OVC|VV)(\\d{3})(CB|TCU)?\\b"),
        QStringLiteral("\\b([AQ])(\\d{4})\\b"),
        QStringLiteral("(?:^|\\s)([-+]|VC)?(SH|TS|FZ|BL|DR|MI|BC|PR)?((?:DZ|RA|SN|SG|PL|GR|GS|UP|BR|FG|HZ)+)(?=\\s|$)"),
        QStringLiteral("\\bT([01])(\\d{3})([01])(\\d{3})\\b"),
        QStringLiteral("\\s+"),
    };
    int compared = 0;
    for (const QString &pattern : patterns) {
        SCOPED_TRACE(pattern.toStdString());
        QRegularExpression reference(pattern);
        ASSERT_TRUE(reference.isValid());
        for (const QString &report : reports) {
            const QList<Match> expected = referenceMatches(reference, report);
            ASSERT_EQ(engineMatches(pattern, report), expected) << report.toStdString();
            QList<QStringList> expectedTexts;
            for (const Match &match : expected)
                expectedTexts.append(match.texts);
            ASSERT_EQ(arrayOfCaptureComponentsMatchedByRegex(report, pattern), expectedTexts);
            compared += expected.size();
        }
    }
    EXPECT_GT(compared, 10000);
}
