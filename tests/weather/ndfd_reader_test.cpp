// Reading DWML: unwrapping replies, time texts, time layouts, value series and icon names.
#include "NDFDTestSupport.h"

#include "weather/OVDWMLReader.h"
#include "weather/OVNDFDDateParser.h"

#include <gtest/gtest.h>

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc());
}

// A reply with one layout and one temperature over it.
QString reply(const QString &layout, const QString &values = QString())
{
    return QStringLiteral("<dwml xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><data>"
                          "<time-layout><layout-key>k1</layout-key>%1</time-layout>"
                          "<parameters applicable-location=\"point1\">"
                          "<temperature type=\"hourly\" time-layout=\"k1\">%2</temperature>"
                          "</parameters></data></dwml>")
        .arg(layout, values);
}

QString starts(const QStringList &texts, const QString &element = QStringLiteral("start-valid-time"))
{
    QString xml;
    for (const QString &text : texts)
        xml += QStringLiteral("<%1>%2</%1>").arg(element, text);
    return xml;
}

QDomElement data(const QDomDocument &document)
{
    return OVDWMLReader::dataElement(document);
}

} // namespace

TEST(NDFDReader, CleaningUnwrapsOnlyEscapedDocuments)
{
    struct Case
    {
        const char *name;
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {"plain reply ending in its root's end tag", "<?xml version=\"1.0\"?><dwml><a/></dwml>",
         "<?xml version=\"1.0\"?><dwml><a/></dwml>"},
        {"plain reply keeps its escapes", "<dwml><t>a &lt;b&gt; &quot;c&quot;</t></dwml>",
         "<dwml><t>a &lt;b&gt; &quot;c&quot;</t></dwml>"},
        {"escaped reply inside wrapper text",
         "<w>&lt;?xml version=&quot;1.0&quot;?&gt;&lt;dwml a=&apos;1&apos;&gt;&lt;/dwml&gt;</w>",
         "<?xml version=\"1.0\"?><dwml a='1'></dwml>"},
        {"escaped ampersand stays escaped",
         "&lt;?xml v?&gt;&lt;dwml&gt;x&amp;amp;y&lt;/dwml&gt;tail", "<?xml v?><dwml>x&amp;amp;y</dwml>"},
        {"escaped reply without its end tag runs to the end", "junk &lt;?xml v?&gt;&lt;dwml&gt;abc",
         "<?xml v?><dwml>abc"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVDWMLReader::cleanupResponseXML(c.text), c.expected);
    }
}

TEST(NDFDReader, TimeTextsNeedTheirOffset)
{
    OVNDFDDateParser dates;
    struct Case
    {
        const char *text;
        QDateTime expected;
    };
    const Case cases[] = {
        {"2024-01-05T06:00:00-05:00", utc(2024, 1, 5, 11)},
        {"2024-01-05T06:00:00-0500", utc(2024, 1, 5, 11)},
        {"2013-11-10T23:59:59+00:00", utc(2013, 11, 10, 23, 59, 59)},
        {"2024-01-05T06:00:00", QDateTime()},
        {"2024-01-05T06:00:00-05:00 trailing", QDateTime()},
        {"2024-02-30T06:00:00-05:00", QDateTime()},
        {"", QDateTime()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dates.dateForNDFDString(QString::fromLatin1(c.text)), c.expected);
    }
    EXPECT_EQ(dates.cacheSize(), 3) << "only parsed texts are cached";
    dates.clearCache();
    EXPECT_EQ(dates.cacheSize(), 0);
}

TEST(NDFDReader, LayoutsWithoutEndTimesEndASecondBeforeTheNextStart)
{
    OVNDFDDateParser dates;
    struct Case
    {
        const char *name;
        QString layout;
        QList<QPair<QDateTime, QDateTime>> periods; // empty: the layout is left out
    };
    const Case cases[] = {
        {"hourly starts",
         starts({"2024-01-05T06:00:00-05:00", "2024-01-05T07:00:00-05:00", "2024-01-05T08:00:00-05:00"}),
         {{utc(2024, 1, 5, 11), utc(2024, 1, 5, 11, 59, 59)},
          {utc(2024, 1, 5, 12), utc(2024, 1, 5, 12, 59, 59)},
          {utc(2024, 1, 5, 13), utc(2024, 1, 5, 13, 59, 59)}}},
        {"a lone start lasts three hours", starts({"2024-01-05T06:00:00-05:00"}),
         {{utc(2024, 1, 5, 11), utc(2024, 1, 5, 14)}}},
        {"given ends are taken",
         starts({"2024-01-05T06:00:00-05:00"}) + starts({"2024-01-05T18:00:00-05:00"}, "end-valid-time"),
         {{utc(2024, 1, 5, 11), utc(2024, 1, 5, 23)}}},
        {"an end that does not parse drops the layout",
         starts({"2024-01-05T06:00:00-05:00"}) + starts({"never"}, "end-valid-time"), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto document = OVDWMLReader::parseDocument(reply(c.layout));
        ASSERT_TRUE(std::holds_alternative<QDomDocument>(document));
        auto layouts = OVDWMLReader::timeLayouts(data(std::get<QDomDocument>(document)), dates);
        ASSERT_TRUE(std::holds_alternative<OVDWMLTimeLayouts>(layouts));
        const auto &found = std::get<OVDWMLTimeLayouts>(layouts);
        if (c.periods.isEmpty()) {
            EXPECT_FALSE(found.contains("k1"));
            continue;
        }
        ASSERT_TRUE(found.contains("k1"));
        const auto &periods = found.value("k1");
        ASSERT_EQ(periods.size(), c.periods.size());
        for (qsizetype i = 0; i < periods.size(); ++i) {
            EXPECT_EQ(periods[i].start, c.periods[i].first);
            EXPECT_EQ(periods[i].end, c.periods[i].second);
        }
    }
}

TEST(NDFDReader, ALayoutWithoutStartsFailsTheReply)
{
    OVNDFDDateParser dates;
    auto document = OVDWMLReader::parseDocument(reply(QString()));
    ASSERT_TRUE(std::holds_alternative<QDomDocument>(document));
    EXPECT_TRUE(std::holds_alternative<OVDWMLError>(
        OVDWMLReader::timeLayouts(data(std::get<QDomDocument>(document)), dates)));
}

TEST(NDFDReader, NumberValues)
{
    OVNDFDDateParser dates;
    const QString values = QStringLiteral(
        "<value>51</value><value/><value xsi:nil=\"true\"/><value>1e999</value>"
        "<value>abc</value><value>0.03 in</value>");
    QStringList texts;
    for (int h = 0; h < 6; ++h)
        texts << QStringLiteral("2024-01-05T%1:00:00-05:00").arg(h, 2, 10, QLatin1Char('0'));
    auto document = std::get<QDomDocument>(OVDWMLReader::parseDocument(reply(starts(texts), values)));
    const auto layouts = std::get<OVDWMLTimeLayouts>(OVDWMLReader::timeLayouts(data(document), dates));
    const QDomElement temperature = data(document)
                                        .firstChildElement("parameters")
                                        .firstChildElement("temperature");
    const auto series = OVDWMLReader::createForecastFloatDataset(temperature, layouts);
    ASSERT_TRUE(series.has_value());
    const QList<float> expected = {51, -1000, -1000, -1000, 0, 0.03f};
    ASSERT_EQ(series->size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(series->at(i).toMap().value("value").toFloat(), expected[i]);
    }
    EXPECT_FALSE(OVDWMLReader::createForecastFloatDataset(temperature, layouts, "k-missing"));
}

TEST(NDFDReader, IconNames)
{
    struct Case
    {
        const char *link;
        const char *name;
        int probability;
    };
    const Case cases[] = {
        {"http://forecast.weather.gov/images/wtf/hi_nshwrs10.jpg", "hi_nshwrs", 10},
        {"http://www.nws.noaa.gov/weather/images/fcicons/nskc.jpg", "nskc", 0},
        {"http://www.nws.noaa.gov/weather/images/fcicons/hi_tsra40.jpg", "hi_tsra", 40},
        {"http://www.nws.noaa.gov/weather/images/fcicons/ra1.jpg", "ra1", 0},
        {"http://www.nws.noaa.gov/weather/images/fcicons/ra0.jpg", "ra", 0},
        {"", "na", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link);
        const OVDWMLIcon icon = OVDWMLReader::iconFromLink(QString::fromLatin1(c.link));
        EXPECT_EQ(icon.name, QString::fromLatin1(c.name));
        EXPECT_EQ(icon.probability, c.probability);
    }
}

TEST(NDFDReader, DocumentsThatParseAndDocumentsThatDoNot)
{
    struct Case
    {
        const char *name;
        QString text;
        bool parses;
    };
    const QString blankLine = QString::fromLatin1(ndfdBytes("timeseries_maxt_mint_2012-11-26.xml"));
    const QString byDay = QString::fromLatin1(ndfdBytes("byday_24hourly_2012-11-26.xml"));
    const QString all = QString::fromLatin1(ndfdBytes("timeseries_all_elements_2013-11-10_39.70_-104.75.xml"));
    const Case cases[] = {
        {"time series beginning with a blank line", blankLine, true},
        {"by-day reply beginning with a blank line", byDay, true},
        {"byte-order mark", QString::fromLatin1("\xEF\xBB\xBF") + blankLine.trimmed(), true},
        {"service error document",
         "<error><h2>ERROR</h2><pre>Point with latitude \"\" longitude \"\" is not on an NDFD grid</pre></error>",
         false},
        {"HTML page", "<!DOCTYPE html><html><head><title>503</title></head><body><p>Busy<br></body></html>", false},
        {"reply cut mid-element", all.left(all.size() / 2), false},
        {"not XML", "Service Unavailable", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::holds_alternative<QDomDocument>(OVDWMLReader::parseDocument(c.text)), c.parses);
    }
}
