#include "platform/OVPropertyList.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <plist/plist.h>

#include <QDateTime>
#include <QDir>
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

// Every file name in `dir` that begins with `prefix`.
QStringList filesStartingWith(const QString &dir, const QString &prefix)
{
    return QDir(dir).entryList({prefix + "*"}, QDir::Files, QDir::Name);
}

QByteArray binaryPlist(plist_t root)
{
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    QByteArray result(bytes, qsizetype(length));
    free(bytes);
    plist_free(root);
    return result;
}

// A binary plist {"key": "a?b"} whose '?' is replaced by `replacement`.
QByteArray binaryWithStringByte(char replacement)
{
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "key", plist_new_string("a?b"));
    QByteArray bytes = binaryPlist(dict);
    bytes[bytes.indexOf("a?b") + 1] = replacement;
    return bytes;
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

// The XML form holds whole seconds: a fraction is dropped, rounding down, before and after 2001
// alike, so what is read back is never later than what was written.
TEST(PropertyList, XmlDatesKeepTheWholeSecondRoundedDown)
{
    const QDateTime after(QDate(2024, 5, 22), QTime(18, 30, 15, 750), Qt::UTC);
    const QDateTime before(QDate(1999, 12, 31), QTime(23, 59, 59, 250), Qt::UTC);
    const QVariantList back = OVPropertyList::fromData(OVPropertyList::toXml(QVariantList{after, before})).toList();
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].toDateTime(), after.addMSecs(-750));
    EXPECT_EQ(back[1].toDateTime(), before.addMSecs(-250));
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

TEST(PropertyList, DamagedInputIsRefusedBeforeTheLibraryCanAbort)
{
    const QByteArray xml = OVPropertyList::toXml(cacheLikeValue());
    QByteArray nulInString = xml;
    nulInString.replace("Mostly", QByteArray("Mos\0ly", 6));
    QByteArray nulInKey = xml;
    nulInKey.replace("<key>periods</key>", QByteArray("<key>per\0ods</key>", 18));
    plist_t withUid = plist_new_dict();
    plist_dict_set_item(withUid, "$top", plist_new_uid(1));
    QByteArray deep;
    for (int i = 0; i < 300; ++i)
        deep += "<array>";
    for (int i = 0; i < 300; ++i)
        deep += "</array>";
    deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">" + deep + "</plist>";

    struct Case
    {
        const char *name;
        QByteArray bytes;
        const char *reason;
    };
    const Case cases[] = {
        {"NUL inside an XML string", nulInString, "NUL byte"},
        {"NUL inside an XML key", nulInKey, "NUL byte"},
        {"NUL inside a binary string", binaryWithStringByte('\0'), "NUL character"},
        {"UID node", binaryPlist(withUid), "UID"},
        {"nested 300 deep", deep, "deeper than 256"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_TRUE(OVPropertyList::fromData(c.bytes).isNull());
        EXPECT_TRUE(log.contains(c.reason)) << log.lines().join('\n').toStdString();
    }
    // The same binary document without the NUL reads, and what reads can be written back.
    const QVariant good = OVPropertyList::fromData(binaryWithStringByte('x'));
    EXPECT_EQ(good, QVariant(QVariantMap{{"key", "axb"}}));
    EXPECT_EQ(OVPropertyList::fromData(OVPropertyList::toXml(good)), good);
}

TEST(PropertyList, DamagedFilesAreSetAsideWithTheirBytesAndAGoodSaveStartsAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cache.plist");
    QVariantMap big = cacheLikeValue();
    for (int i = 0; i < 200; ++i)
        big.insert(QStringLiteral("station %1").arg(i), QStringLiteral("forecast text number %1").arg(i));
    ASSERT_TRUE(OVPropertyList::writeFile(path, big));
    const QByteArray good = readTestFile(path);
    ASSERT_GT(good.size(), 8192);
    QByteArray powerCut = good; // one 512-byte block zeroed, as a power cut leaves it
    powerCut.replace(4096, 512, QByteArray(512, '\0'));

    const QByteArray broken[] = {
        powerCut,
        good.left(good.size() / 2), // truncated
        QByteArray("not a plist at all"),
        QByteArray("bplist00\xff\xff\xff", 11), // binary header, garbage body
        QByteArray(2048, '\0'),
    };
    for (const QByteArray &bytes : broken) {
        SCOPED_TRACE(bytes.left(20).toStdString());
        writeTestFile(path, bytes);
        LogCapture log;
        EXPECT_TRUE(OVPropertyList::readFile(path).isNull());
        EXPECT_TRUE(log.contains("set aside as " + path + ".corrupt-")) << log.lines().join('\n').toStdString();
        EXPECT_FALSE(QFile::exists(path));
        const QStringList aside = filesStartingWith(dir.path(), "cache.plist.corrupt-");
        ASSERT_FALSE(aside.isEmpty());
        EXPECT_EQ(readTestFile(dir.filePath(aside.last())), bytes) << "the damaged bytes are kept";
    }
    EXPECT_EQ(filesStartingWith(dir.path(), "cache.plist.corrupt-").size(), std::size(broken));
    EXPECT_TRUE(OVPropertyList::readFile(dir.filePath("absent.plist")).isNull());

    // A value plists cannot hold is refused without writing anything.
    EXPECT_FALSE(OVPropertyList::writeFile(path, QVariantMap{{"bad", QVariant::fromValue(QPoint(1, 2))}}));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(OVPropertyList::writeFile(path, cacheLikeValue()));
    EXPECT_EQ(OVPropertyList::readFile(path).toMap(), cacheLikeValue());
}
