#include "platform/OVPropertyList.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QPoint>
#include <QTemporaryDir>
#include <QTimeZone>

namespace {

QVariantMap cacheLikeValue()
{
    const QDateTime issued(QDate(2024, 5, 22), QTime(18, 30, 15), Qt::UTC);
    const QDateTime beforePlistEpoch(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::UTC);
    return {
        {"39.70,-104.75", QVariantMap{
             {"lastUpdate", issued},
             {"periods", QVariantList{
                  QVariantMap{{"startDate", issued}, {"isDay", true}, {"temp", qint64(72)},
                              {"shortDesc", QString::fromUtf8("Mostly Sunny — 20% \u00b0")}},
                  QVariantMap{{"startDate", beforePlistEpoch}, {"isDay", false}, {"pop", 0.25}},
              }},
             {"raw", QByteArray("\x00\x01\xffGRIB", 7)},
             {"empty", QVariantList{}},
         }},
        {"count", qint64(-3)},
    };
}



} // namespace

TEST(PropertyList, NestedCacheRoundTripsThroughAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Cache/forecast.plist");
    const QVariantMap value = cacheLikeValue();
    ASSERT_TRUE(OVPropertyList::writeFile(path, value));
    EXPECT_TRUE(readTestFile(path).startsWith("<?xml"));
    const QVariant back = OVPropertyList::readFile(path);
    EXPECT_EQ(back.toMap(), value);
    const QDateTime date = back.toMap().value("39.70,-104.75").toMap().value("lastUpdate").toDateTime();
    EXPECT_EQ(date.timeSpec(), Qt::UTC);
    EXPECT_EQ(date.toString(Qt::ISODate), "2024-05-22T18:30:15Z");
}

TEST(PropertyList, DatesBeyondTheFormatsRangeKeepTheirSide)
{
    const QDateTime distantPast(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime distantFuture(QDate(4001, 1, 1), QTime(0, 0), Qt::UTC);
    const QVariant back = OVPropertyList::fromData(OVPropertyList::toXml(QVariantList{distantPast, distantFuture}));
    const QVariantList dates = back.toList();
    ASSERT_EQ(dates.size(), 2);
    EXPECT_LT(dates[0].toDateTime().date().year(), 1935);
    EXPECT_GT(dates[1].toDateTime().date().year(), 2067);
}

TEST(PropertyList, BrokenFilesGiveAnEmptyResultAndStayUntilAGoodSave)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cache.plist");
    ASSERT_TRUE(OVPropertyList::writeFile(path, cacheLikeValue()));
    const QByteArray good = readTestFile(path);

    const QByteArray broken[] = {
        good.left(good.size() / 2),                       // truncated
        QByteArray("not a plist at all"),
        QByteArray("bplist00\xff\xff\xff", 11),           // binary header, garbage body
        QByteArray(2048, '\0'),
    };
    for (const QByteArray &bytes : broken) {
        SCOPED_TRACE(bytes.left(20).toStdString());
        writeTestFile(path, bytes);
        LogCapture log;
        EXPECT_TRUE(OVPropertyList::readFile(path).isNull());
        EXPECT_TRUE(log.contains("[OVPropertyList"));
        EXPECT_EQ(readTestFile(path), bytes) << "reading must not touch the file";
    }
    EXPECT_TRUE(OVPropertyList::readFile(dir.filePath("absent.plist")).isNull());

    // A value plists cannot hold is refused without touching the file.
    EXPECT_FALSE(OVPropertyList::writeFile(path, QVariantMap{{"bad", QVariant::fromValue(QPoint(1, 2))}}));
    EXPECT_EQ(readTestFile(path), broken[3]);
    ASSERT_TRUE(OVPropertyList::writeFile(path, cacheLikeValue()));
    EXPECT_EQ(OVPropertyList::readFile(path).toMap(), cacheLikeValue());
}
