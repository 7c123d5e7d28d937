// The journal's files: names, the list of days that have entries (with the days that do not
// exist skipped), saving and deleting, and entries that must never be rewritten.
#include "app/journal/NBJournalStore.h"
#include "app/journal/NBRTFWriter.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>

namespace {

constexpr CalendarDate kMarch5{2024, 3, 5};
constexpr qint64 kDenver = 5419384;

void touch(const QString &path, const QByteArray &bytes = QByteArray())
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(JournalStore, Names)
{
    EXPECT_EQ(NBJournalStore::entryName(kMarch5, 1234), QStringLiteral("24-03-05 1234.rtfd"));
    EXPECT_EQ(NBJournalStore::settingsName(kMarch5, 1234), QStringLiteral("24-03-05 1234.txt"));
    EXPECT_EQ(NBJournalStore::entryName(CalendarDate{2009, 11, 30}, 0), QStringLiteral("09-11-30 0.rtfd"));
}

TEST(JournalStore, OnlyTheYears2000To2099HoldEntries)
{
    struct Case
    {
        CalendarDate date;
        bool holds;
    };
    const Case cases[] = {{{1999, 12, 31}, false}, {{2000, 1, 1}, true},  {{2099, 12, 31}, true},
                          {{2100, 1, 1}, false},   {{1924, 3, 5}, false}, {{2124, 3, 5}, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date.year);
        EXPECT_EQ(NBJournalStore::canHoldEntries(c.date), c.holds);
    }
}

TEST(JournalStore, EntryListKeepsMatchingNamesOfRealDays)
{
    QTemporaryDir folder;
    const QDir dir(folder.path());
    dir.mkdir(QStringLiteral("24-03-05 1234.rtfd"));
    touch(dir.filePath(QStringLiteral("24-03-05 1234.txt")), "icon=Journal-few");
    dir.mkdir(QStringLiteral("24-03-05 99.rtfd"));
    for (const char *reject : {"24-13-05 1234.rtfd", "24-03-00 1.rtfd", "notes.rtfd", "24-03-05 99999999999.rtfd",
                               "24-02-30 7.rtfd", "23-02-29 7.rtfd"})
        dir.mkdir(QString::fromLatin1(reject));
    dir.mkdir(QStringLiteral("24-02-29 7.rtfd"));

    QList<CalendarDate> list = NBJournalStore(folder.path()).loadEntryList();
    std::sort(list.begin(), list.end(), [](const CalendarDate &a, const CalendarDate &b) {
        return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
    });
    const QList<CalendarDate> expected = {{2024, 2, 29}, kMarch5, kMarch5, kMarch5};
    EXPECT_EQ(list, expected);
}

TEST(JournalStore, SavesTextAndIconAndDeletesThemWhenEmptied)
{
    QTemporaryDir folder;
    const NBJournalStore store(folder.path());
    QTextDocument document;
    document.setPlainText(QStringLiteral("Clear, 20°F"));

    NBJournalSaveResult saved = store.save(kMarch5, kDenver, document, QStringLiteral("icon=Journal-few"));
    EXPECT_TRUE(saved.written);
    EXPECT_TRUE(saved.error.isEmpty());
    EXPECT_EQ(filesIn(folder.path()),
              (QStringList{QStringLiteral("24-03-05 5419384.rtfd"), QStringLiteral("24-03-05 5419384.txt")}));
    EXPECT_EQ(readTestFile(folder.filePath(QStringLiteral("24-03-05 5419384.txt"))), QByteArray("icon=Journal-few"));
    EXPECT_EQ(filesIn(folder.filePath(QStringLiteral("24-03-05 5419384.rtfd"))),
              QStringList{QStringLiteral("TXT.rtf")});

    const NBJournalEntry loaded = store.load(kMarch5, kDenver);
    EXPECT_FALSE(loaded.readOnly());
    EXPECT_EQ(loaded.document->toPlainText(), QStringLiteral("Clear, 20°F"));
    EXPECT_EQ(loaded.settings, QStringLiteral("icon=Journal-few"));

    // The icon set back to none removes the ".txt" only.
    EXPECT_TRUE(store.save(kMarch5, kDenver, document, QString()).error.isEmpty());
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("24-03-05 5419384.rtfd")});
    // The text emptied removes the folder, whatever else it holds.
    touch(folder.filePath(QStringLiteral("24-03-05 5419384.rtfd/extra")));
    document.clear();
    const NBJournalSaveResult emptied = store.save(kMarch5, kDenver, document, QString());
    EXPECT_TRUE(emptied.error.isEmpty());
    EXPECT_FALSE(emptied.written);
    EXPECT_TRUE(filesIn(folder.path()).isEmpty());
}

TEST(JournalStore, AFailedWriteIsReported)
{
    QTemporaryDir folder;
    // A file where the entry's folder belongs: the folder cannot be made, even by root.
    touch(folder.filePath(QStringLiteral("24-03-05 5419384.rtfd")), "not mine");
    QTextDocument document;
    document.setPlainText(QStringLiteral("typed"));
    const NBJournalSaveResult result = NBJournalStore(folder.path()).save(kMarch5, kDenver, document, QString());
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(readTestFile(folder.filePath(QStringLiteral("24-03-05 5419384.rtfd"))), QByteArray("not mine"));
}

TEST(JournalStore, DaysOutsideTheNamedYearsTouchNothing)
{
    QTemporaryDir folder;
    const NBJournalStore store(folder.path());
    QTextDocument document;
    document.setPlainText(QStringLiteral("2024's text"));
    ASSERT_TRUE(store.save(kMarch5, kDenver, document, QStringLiteral("icon=Journal-skc")).written);
    const QStringList before = filesIn(folder.path());

    for (const CalendarDate &date : {CalendarDate{1924, 3, 5}, CalendarDate{2124, 3, 5}}) {
        SCOPED_TRACE(date.year);
        const NBJournalEntry entry = store.load(date, kDenver);
        EXPECT_TRUE(entry.readOnly());
        EXPECT_TRUE(entry.document->isEmpty());
        EXPECT_TRUE(entry.settings.isEmpty());
        QTextDocument other;
        EXPECT_FALSE(store.save(date, kDenver, other, QString()).written);
        other.setPlainText(QStringLiteral("other"));
        EXPECT_FALSE(store.save(date, kDenver, other, QStringLiteral("icon=Journal-few")).written);
    }
    EXPECT_EQ(filesIn(folder.path()), before);
    EXPECT_EQ(store.load(kMarch5, kDenver).document->toPlainText(), QStringLiteral("2024's text"));
}

TEST(JournalStore, EntriesItCannotRepresentOpenReadOnly)
{
    struct Case
    {
        const char *name;
        QByteArray text;
        const char *extraFile;
    };
    const Case cases[] = {
        {"not RTF", QByteArray("\x00\x01garbage", 9), nullptr},
        {"picture", "{\\rtf1 see {\\pict\\pngblip 89504e47}\\par}", nullptr},
        {"attachment beside the text", "{\\rtf1 text\\par}", "photo.tiff"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString entryFolder = folder.filePath(NBJournalStore::entryName(kMarch5, kDenver));
        QDir().mkpath(entryFolder);
        touch(entryFolder + QStringLiteral("/TXT.rtf"), c.text);
        if (c.extraFile)
            touch(entryFolder + QLatin1Char('/') + QLatin1String(c.extraFile), "image");
        const NBJournalEntry entry = NBJournalStore(folder.path()).load(kMarch5, kDenver);
        EXPECT_TRUE(entry.readOnly());
    }
}
