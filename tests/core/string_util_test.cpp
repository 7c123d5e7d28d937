#include "core/OVConstants.h"
#include "core/OVStringUtil.h"
#include "core/OVTextAttributes.h"
#include "core/OVValueConversion.h"
#include "platform/OVLog.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>

#include <limits>

namespace {

QVariantMap standardAttributes()
{
    QFont font;
    font.setPixelSize(11);
    return {{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor(Qt::black)}};
}

} // namespace

TEST(StringUtil, BoolValue)
{
    const std::pair<const char *, bool> cases[] = {
        {"", false},     {"0", false},   {"no", false},  {"No", false}, {"NO", false}, {"nO", false},
        {"false", true}, {"YES", true},  {"00", true},   {"1", true},   {" 0", true},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(OVStringUtil::boolValue(QString::fromUtf8(text)), expected);
    }
}

TEST(StringUtil, StringWithoutXMLTags)
{
    const std::pair<const char *, const char *> cases[] = {
        {"a<b>c</b>d", "acd"},
        {"", ""},
        {"<i>\u00e9</i>", "\u00e9"},
        {"Sch\u00f6n <b>gr\u00fc\u00df</b> \u2603", "Sch\u00f6n gr\u00fc\u00df \u2603"},
        {"a>b<c", "ac"}, // a stray ">" hides the text until the next "<"
        {"<<a>>b", "b"},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(OVStringUtil::stringWithoutXMLTags(QString::fromUtf8(text)), QString::fromUtf8(expected));
    }
}

TEST(StringUtil, StringWithoutXMLTagsCountsDeeperThan127)
{
    // An 8-bit counter would wrap to negative here and drop the trailing text.
    const QString opened = QString(200, u'<') + QString(200, u'>') + QStringLiteral("kept");
    EXPECT_EQ(OVStringUtil::stringWithoutXMLTags(opened), "kept");
}

TEST(StringUtil, HasAnyStringInArray)
{
    const QString text = QStringLiteral("FEW020 BKN100");
    struct Case
    {
        const char *name;
        QStringList candidates;
        int64_t index;
        int64_t expected;
    };
    const Case cases[] = {
        {"first match wins", {"SCT", "BKN", "BKN1"}, 7, 1},
        {"must start at the index", {"KN"}, 7, OVNotFound},
        {"near the end: longer candidate skipped", {"1000", "100"}, 10, 1},
        {"at the end", {"0"}, 13, OVNotFound},
        {"last character", {"00", "0"}, 12, 1},
        {"empty list", {}, 0, OVNotFound},
        {"negative index", {"FEW"}, -1, OVNotFound},
        {"past the end", {"FEW"}, 99, OVNotFound},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVStringUtil::hasAnyStringInArray(text, c.candidates, c.index), c.expected);
    }
}

TEST(StringUtil, ChopAndMakeUCFirstWorkOnWholeCodePoints)
{
    struct Case
    {
        const char *text;
        const char *chopped;
        const char *capitalised;
    };
    const Case cases[] = {
        {"", "", ""},
        {"rain", "rai", "Rain"},
        {"sun\U0001F600", "sun", "Sun\U0001F600"},
        {"\U0001F600", "", "\U0001F600"},
        {"\u01C6emal", "\u01C6ema", "\u01C5emal"}, // title case, not upper case
        {"\u00e9t\u00e9", "\u00e9t", "\u00c9t\u00e9"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QString chopped = QString::fromUtf8(c.text);
        OVStringUtil::chop(chopped);
        EXPECT_EQ(chopped, QString::fromUtf8(c.chopped));
        QString capitalised = QString::fromUtf8(c.text);
        OVStringUtil::makeUCFirst(capitalised);
        EXPECT_EQ(capitalised, QString::fromUtf8(c.capitalised));
    }
}

TEST(StringUtil, HeightOfString)
{
    const QVariantMap attributes = standardAttributes();
    const QString text = QStringLiteral("Partly cloudy with a chance of showers in the afternoon");
    const double lineHeight = OVStringUtil::heightOfString(QStringLiteral("x"), attributes, 0);
    EXPECT_GT(lineHeight, 0);
    EXPECT_DOUBLE_EQ(OVStringUtil::heightOfString(text, attributes, 0), lineHeight) << "width 0 is one line";
    EXPECT_GT(OVStringUtil::heightOfString(text, attributes, 60), 2 * lineHeight);

    OVSetDebugLoggingEnabled(1);
    LogCapture log;
    EXPECT_EQ(OVStringUtil::heightOfString(text, QVariantMap(), 100), 0.0);
    OVSetDebugLoggingEnabled(0);
    EXPECT_TRUE(log.contains("[NSStringUtil heightOfStringWithAttributes] Error:  Attributes is nil."));
}

TEST(StringUtil, AppendStringAddsStyledText)
{
    QTextDocument document;
    OVStringUtil::appendString(document, QStringLiteral("Sunny "), standardAttributes());
    QVariantMap red = standardAttributes();
    red.insert(OVForegroundColorAttributeName, QColor(Qt::red));
    OVStringUtil::appendString(document, QStringLiteral("hot"), red);
    OVStringUtil::appendString(document, QString(), red);
    OVStringUtil::appendString(document, QStringLiteral("ignored"), QVariantMap());
    EXPECT_EQ(document.toPlainText(), "Sunny hot");

    QTextCursor cursor(&document);
    cursor.setPosition(document.characterCount() - 1);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::red));
    EXPECT_EQ(cursor.charFormat().font().pixelSize(), 11);
}

TEST(ValueConversion, TextAndNumbers)
{
    struct Case
    {
        const char *name;
        QVariant value;
        bool asBool;
        int64_t asInteger;
        double asDouble;
    };
    const Case cases[] = {
        {"YES", "YES", true, 0, 0},
        {"NO", "NO", false, 0, 0},
        {"1.0", "1.0", true, 1, 1},
        {"0.7", "0.7", true, 0, 0.7},
        {"signed with blanks", "  -42abc", true, -42, -42},
        {"plus sign", "+8", true, 8, 8},
        {"leading point", ".5", true, 0, 0.5},
        {"exponent", "2.5e2x", true, 2, 250},
        {"hexadecimal is not a number", "0x1A", true, 0, 0},
        {"infinity is not a number", "inf", true, 0, 0},
        {"integer overflow clamps", "99999999999999999999", true, std::numeric_limits<int64_t>::max(), 1e20},
        {"negative overflow clamps", "-99999999999999999999", true, std::numeric_limits<int64_t>::min(), -1e20},
        {"number 0", 0, false, 0, 0},
        {"double -2.7", -2.7, true, -2, -2.7},
        {"bool", true, true, 1, 1},
        {"list", QVariantList{1}, false, 0, 0},
        {"nothing", QVariant(), false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVValueConversion::toBool(c.value), c.asBool);
        EXPECT_EQ(OVValueConversion::toInteger(c.value), c.asInteger);
        EXPECT_DOUBLE_EQ(OVValueConversion::toDouble(c.value), c.asDouble);
    }
}
