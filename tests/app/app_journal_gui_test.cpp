// The weather journal window under the X server: typing, the icon menu and the calendar store
// and bring back entries; the place choice; deletion; the day header from a KDEN station file;
// the conditions table; the preferences close; a write that fails; browsing months and years
// without entries; entries other programs wrote; closing and quitting.
// Clock 2024-03-05T18:00Z, process zone UTC; Denver (id 5419384) saved as a full place.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "app/journal/Calendar.h"
#include "app/journal/NBJournalConditionsButton.h"
#include "app/journal/NBJournalController.h"
#include "app/journal/NBJournalTextView.h"
#include "app/journal/NBJournalWindow.h"
#include "app/NBNotifications.h"
#include "core/NBPrefController.h"
#include "core/OVConstants.h"
#include "core/OVDateFormattingTool.h"
#include "core/views/OVNamedImage.h"
#include "core/views/OVYUp.h"
#include "support/FakeClock.h"
#include "support/TestHelpers.h"
#include "weather/OVSun.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextTable>
#include <QToolButton>

#include <iostream>

namespace {

constexpr qint64 kDenverID = 5419384;
const QString kDay5 = QStringLiteral("24-03-05 5419384");
const QString kEmoji = QString::fromUtf8("\xF0\x9F\x8C\xA7");

QVariantMap denverWithID()
{
    QVariantMap dictionary = denverDictionary();
    dictionary[QStringLiteral("location_id")] = kDenverID;
    return dictionary;
}

QVariantMap customPlace()
{
    return placeDictionary("Backyard", "CO", "Colorado", "US", "United States", "KDEN", 39.6, -104.9, "America/Denver");
}

QTextTable *firstTable(const QTextDocument &document)
{
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto *table = qobject_cast<QTextTable *>(it.currentFrame()))
            return table;
    }
    return nullptr;
}

QString unrtfText(const QString &path, QTextDocument &html)
{
    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    if (!unrtf.waitForFinished(30000))
        return {};
    html.setHtml(QString::fromUtf8(unrtf.readAllStandardOutput()));
    return html.toPlainText();
}

class JournalTest : public testing::Test
{
protected:
    void SetUp() override
    {
        denver = placeFrom(denverWithID());
        custom = placeFrom(customPlace());
        locations = {denver, custom};
    }

    NBJournalController &make()
    {
        NBJournalController::Environment environment;
        environment.journalDirectory = journal.path();
        environment.clock = &clock;
        environment.alerts = alerts;
        environment.monitoredLocations = [this] { return locations; };
        controller = std::make_unique<NBJournalController>(environment);
        controller->showWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window()));
        return *controller;
    }

    NBJournalWindow *window() const { return controller->window(); }
    NBJournalTextView *textView() const { return window()->textView(); }
    Calendar *calendar() const { return window()->datePicker(); }

    /// Types ASCII as key presses and everything else as input-method commits (one per run).
    void type(const QString &text)
    {
        textView()->setFocus();
        QString ascii;
        QString other;
        const auto flush = [&] {
            if (!ascii.isEmpty())
                QTest::keyClicks(textView(), ascii);
            if (!other.isEmpty()) {
                QInputMethodEvent commit;
                commit.setCommitString(other);
                QApplication::sendEvent(textView(), &commit);
            }
            ascii.clear();
            other.clear();
        };
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                if (!other.isEmpty())
                    flush();
                ascii += c;
            } else {
                if (!ascii.isEmpty())
                    flush();
                other += c;
            }
        }
        flush();
    }

    void clickDay(int day)
    {
        const auto &days = calendar()->cell().days();
        const int index = int(std::find(days.begin(), days.end(), day) - days.begin());
        ASSERT_LT(index, CalendarCell::kGridSize) << "day " << day << " is not shown";
        const QPoint point =
            OVYUp::toWidget(CalendarCell::rectForIndex(index).center(), CalendarCell::kHeight).toPoint();
        QTest::mouseClick(calendar(), Qt::LeftButton, Qt::NoModifier, point);
    }

    QColor dayColour(int day)
    {
        const QImage image = calendar()->grab().toImage();
        const auto &days = calendar()->cell().days();
        const int index = int(std::find(days.begin(), days.end(), day) - days.begin());
        return image.pixelColor(
            OVYUp::toWidgetGeometry(CalendarCell::rectForIndex(index), CalendarCell::kHeight).topLeft() + QPoint(1, 1));
    }

    void chooseIcon(const QString &title)
    {
        for (QAction *action : window()->conditionsButton()->menu()->actions()) {
            if (action->text() == title) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no icon item " << title.toStdString();
    }

    QStringList journalFiles() const
    {
        return QDir(journal.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString entryText(const QString &name) const { return journal.filePath(name + QStringLiteral(".rtfd/TXT.rtf")); }

    /// An observation of KDEN stored at `minutesAfter` minutes past 17:00Z on 5 March; a
    /// negative wind speed stores none.
    void storeObservation(int minutesAfter, double temperatureF, double windMPH)
    {
        OVWeatherConditions conditions = observation(temperatureF, std::max(0.0, windMPH));
        if (windMPH < 0)
            conditions.setWindSpeedKnots(OVNoValue);
        conditions.setDate(QDateTime(QDate(2024, 3, 5), QTime(17, 0), Qt::UTC).addSecs(60 * minutesAfter));
        data.store(conditions, QStringLiteral("KDEN"));
    }

    ViewTestData data;
    QTemporaryDir journal;
    FakeClock clock{QDateTime(QDate(2024, 3, 5), QTime(18, 0), Qt::UTC)};
    std::shared_ptr<RecordingAlerts> alerts = std::make_shared<RecordingAlerts>();
    std::shared_ptr<OVWeatherLocation> denver;
    std::shared_ptr<OVWeatherLocation> custom;
    OVWeatherLocationList locations;
    std::unique_ptr<NBJournalController> controller;
};

} // namespace

TEST_F(JournalTest, TypedTextAndIconAreStoredWhenTheDayChangesAndComeBack)
{
    make();
    QComboBox *choice = window()->locationSelect();
    ASSERT_EQ(choice->count(), 1);
    EXPECT_EQ(choice->itemText(0), denver->locationString());
    EXPECT_EQ(choice->currentIndex(), 0);
    EXPECT_EQ(controller->currentDate(), (CalendarDate{2024, 3, 5}));

    const QString typed = QStringLiteral("Clear, 20\u00b0F \u2014 caf\u00e9 ") + kEmoji;
    type(typed);
    EXPECT_EQ(textView()->toPlainText(), typed);
    chooseIcon(QStringLiteral("Partly Cloudy"));
    clickDay(6);
    EXPECT_EQ(controller->currentDate(), (CalendarDate{2024, 3, 6}));
    EXPECT_TRUE(textView()->toPlainText().isEmpty());
    EXPECT_EQ(window()->conditionsButton()->chosenImageName(), QStringLiteral("Journal-na"));

    ASSERT_TRUE(QFile::exists(entryText(kDay5)));
    EXPECT_EQ(readTestFile(journal.filePath(kDay5 + QStringLiteral(".txt"))), QByteArray("icon=Journal-few"));
    QTextDocument html;
    EXPECT_TRUE(unrtfText(entryText(kDay5), html).contains(typed)) << html.toPlainText().toStdString();

    EXPECT_EQ(dayColour(5), QColor(255, 255, 128));
    EXPECT_EQ(dayColour(6), QColor(196, 224, 251));
    const QString path = testOutputPath(QStringLiteral("journal_calendar.png"));
    window()->grab().save(path);
    std::cout << "journal window: " << path.toStdString() << std::endl;

    clickDay(5);
    EXPECT_EQ(textView()->toPlainText(), typed);
    EXPECT_EQ(window()->conditionsButton()->chosenImageName(), QStringLiteral("Journal-few"));
    EXPECT_TRUE(alerts->alerts.empty());

    // The icons are findable by their journal names, at 48 x 48; no icon keeps its own picture.
    EXPECT_EQ(OVNamedImage::imageNamed(QStringLiteral("Journal-few")).size(), QSize(48, 48));
    const QImage noIcon = OVNamedImage::imageNamed(QStringLiteral("journal-select"))
                              .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(OVNamedImage::imageNamed(QStringLiteral("Journal-na")).convertToFormat(QImage::Format_ARGB32), noIcon);
}

TEST_F(JournalTest, ACustomPlaceFirstLeavesTheChoiceEmptyUntilOneIsChosen)
{
    locations = {custom, denver};
    make();
    QComboBox *choice = window()->locationSelect();
    ASSERT_EQ(choice->count(), 1);
    EXPECT_EQ(choice->currentIndex(), -1);
    EXPECT_EQ(controller->locationIDForFiles(), 0);
    EXPECT_EQ(window()->highTemperatureValue()->text(), QStringLiteral("Not Available"));
    EXPECT_EQ(window()->sunriseValue()->text(), QStringLiteral("\u2013"));
    EXPECT_EQ(window()->dayLengthValue()->text(), QStringLiteral("0h 0m"));

    type(QStringLiteral("no place"));
    emit choice->activated(0);
    EXPECT_EQ(controller->selectedLocation(), denver);
    EXPECT_EQ(choice->currentIndex(), 0);
    EXPECT_EQ(controller->locationIDForFiles(), kDenverID);
    // The text typed without a place went to the files named with 0.
    EXPECT_TRUE(QFile::exists(entryText(QStringLiteral("24-03-05 0"))));
    EXPECT_TRUE(textView()->toPlainText().isEmpty());

    // The choice follows the list.
    locations = {custom};
    OVNotificationCenter::defaultCenter().post(OVNotifyMapGeneratorNeedsDisplay);
    EXPECT_EQ(choice->count(), 0);
}

TEST_F(JournalTest, EmptiedTextAndNoIconRemoveTheFiles)
{
    make();
    type(QStringLiteral("to be removed"));
    chooseIcon(QStringLiteral("Snow"));
    clickDay(6);
    ASSERT_EQ(journalFiles(), (QStringList{kDay5 + QStringLiteral(".rtfd"), kDay5 + QStringLiteral(".txt")}));

    clickDay(5);
    textView()->selectAll();
    QTest::keyClick(textView(), Qt::Key_Delete);
    clickDay(6);
    EXPECT_EQ(journalFiles(), QStringList{kDay5 + QStringLiteral(".txt")});

    clickDay(5);
    chooseIcon(QStringLiteral("Not Available"));
    EXPECT_EQ(window()->conditionsButton()->settingsString(), QString());
    clickDay(6);
    EXPECT_TRUE(journalFiles().isEmpty());
}

TEST_F(JournalTest, HighlightsFollowTheFolder)
{
    const QDir dir(journal.path());
    for (const char *name : {"24-03-12 5419384.rtfd", "24-03-20 99.rtfd", "24-02-30 5419384.rtfd", "24-13-01 1.rtfd"})
        dir.mkdir(QString::fromLatin1(name));
    make();
    EXPECT_EQ(controller->entryList().size(), 2);
    EXPECT_EQ(calendar()->highlightList(), controller->entryList());
    EXPECT_EQ(dayColour(12), QColor(255, 255, 128));
    EXPECT_EQ(dayColour(20), QColor(255, 255, 128));
    EXPECT_EQ(dayColour(1), QColor(255, 255, 255));
    EXPECT_EQ(dayColour(29), QColor(255, 255, 255));
}

TEST_F(JournalTest, HeaderShowsTheDenverDay)
{
    QProcess sqlite;
    sqlite.setStandardInputFile(testDataPath(QStringLiteral("journal/kden_2024-03-05.sql")));
    data.database.reset();
    QDir().mkpath(data.folder.filePath(QStringLiteral("Observations")));
    sqlite.start(QStringLiteral("sqlite3"), {data.folder.filePath(QStringLiteral("Observations/KDEN.db"))});
    ASSERT_TRUE(sqlite.waitForFinished(30000));
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
    data.database = std::make_unique<OVObservationsDB>(data.folder.filePath(QStringLiteral("Observations")));

    make();
    OVWeatherConditions high;
    high.setTemperatureC(10.0);
    OVWeatherConditions low;
    low.setTemperatureC(-5.0);
    EXPECT_EQ(window()->highTemperatureValue()->text(), high.temperatureStringWithUnits(OVTemperatureUnit::Fahrenheit));
    EXPECT_EQ(window()->lowTemperatureValue()->text(), low.temperatureStringWithUnits(OVTemperatureUnit::Fahrenheit));

    const QTimeZone zone("America/Denver");
    const QDateTime start = QDate(2024, 3, 5).startOfDay(zone);
    const QDateTime sunrise = OVSun::sunrise(start, *denver);
    const QDateTime sunset = OVSun::sunset(start, *denver);
    ASSERT_TRUE(sunrise.isValid() && sunset.isValid());
    OVDateFormattingTool &format = OVDateFormattingTool::sharedFormattingTool();
    EXPECT_EQ(window()->sunriseValue()->text(), format.timeStringFromDate(sunrise, zone));
    EXPECT_EQ(window()->sunsetValue()->text(), format.timeStringFromDate(sunset, zone));
    // Denver's sunrise is in the morning there, whatever the process's zone (UTC here).
    EXPECT_TRUE(window()->sunriseValue()->text().startsWith(QStringLiteral("6:")))
        << window()->sunriseValue()->text().toStdString();
    const qint64 length = sunrise.secsTo(sunset);
    EXPECT_EQ(window()->dayLengthValue()->text(), QStringLiteral("%1h %2m").arg(length / 3600).arg(length / 60 % 60));
    EXPECT_EQ(window()->monthHeader()->text(), QStringLiteral("March 2024"));

    clickDay(6);
    EXPECT_EQ(window()->highTemperatureValue()->text(), QStringLiteral("Not Available"));
    EXPECT_EQ(window()->lowTemperatureValue()->text(), QStringLiteral("Not Available"));
}

TEST_F(JournalTest, InsertedConditionsTable)
{
    struct Case
    {
        const char *name;
        double temperatureF;
        double windMPH;
        int rows;
        bool windChill;
    };
    const Case cases[] = {
        {"mild, no wind chill reading", 70.0, 5.0, 8, false},
        {"cold and windy", 20.0, 15.0, 9, true},
        {"cold, no wind reading: the wind chill is missing", 20.0, -1.0, 8, false},
    };
    make();
    int minutes = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        storeObservation(++minutes, c.temperatureF, c.windMPH);
        textView()->clear();
        type(QStringLiteral("before"));
        window()->insertCurrentConditionsButton()->click();
        QTextTable *table = firstTable(*textView()->document());
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->columns(), 2);
        EXPECT_EQ(table->rows(), c.rows);
        QStringList labels;
        for (int row = 0; row < table->rows(); ++row)
            labels << table->cellAt(row, 0).firstCursorPosition().block().text();
        EXPECT_EQ(labels.contains(QStringLiteral("Wind Chill:")), c.windChill) << labels.join('|').toStdString();
        EXPECT_EQ(labels.constFirst(), QStringLiteral("Conditions for Time:"));
        EXPECT_EQ(labels.constLast(), QStringLiteral("Notes:"));
        EXPECT_EQ(table->format().borderBrush().color(), QColor(204, 204, 204));
        EXPECT_EQ(table->cellAt(0, 1).format().background().color(), QColor(Qt::white));

        textView()->undo();
        EXPECT_EQ(firstTable(*textView()->document()), nullptr);
        EXPECT_EQ(textView()->toPlainText(), QStringLiteral("before"));
    }

    // What another reader makes of the saved table.
    window()->insertCurrentConditionsButton()->click();
    clickDay(6);
    QTextDocument html;
    const QString text = unrtfText(entryText(kDay5), html);
    QTextTable *table = firstTable(html);
    ASSERT_NE(table, nullptr) << text.toStdString();
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->rows(), 8);
    EXPECT_TRUE(table->cellAt(1, 0).firstCursorPosition().block().text().contains(QStringLiteral("Temperature:")));
}

TEST_F(JournalTest, ClosingThePreferencesKeepsAndSavesTheText)
{
    make();
    type(QStringLiteral("typed before the units changed"));
    controller->updateJournalValues();
    EXPECT_EQ(textView()->toPlainText(), QStringLiteral("typed before the units changed"));
    ASSERT_TRUE(QFile::exists(entryText(kDay5)));
    EXPECT_TRUE(alerts->alerts.empty());
}

TEST_F(JournalTest, AFailedWriteKeepsTheDayAndTheText)
{
    make();
    type(QStringLiteral("must not be lost"));
    writeTestFile(journal.filePath(kDay5 + QStringLiteral(".rtfd")), "in the way");
    LogCapture log;
    clickDay(6);
    ASSERT_EQ(alerts->alerts.size(), 1u);
    EXPECT_TRUE(log.contains(QStringLiteral("[NBJournalController saveEntry]")));
    EXPECT_EQ(controller->currentDate(), (CalendarDate{2024, 3, 5}));
    EXPECT_EQ(calendar()->date(), (CalendarDate{2024, 3, 5}));
    EXPECT_EQ(textView()->toPlainText(), QStringLiteral("must not be lost"));

    QFile::remove(journal.filePath(kDay5 + QStringLiteral(".rtfd")));
    clickDay(6);
    EXPECT_EQ(alerts->alerts.size(), 1u);
    EXPECT_EQ(controller->currentDate(), (CalendarDate{2024, 3, 6}));
    EXPECT_TRUE(QFile::exists(entryText(kDay5)));
}

TEST_F(JournalTest, BrowsingMonthsAndYearsWithoutEntries)
{
    make();
    type(QStringLiteral("March"));
    window()->nextMonthButton()->click();
    EXPECT_EQ(controller->currentDate(), (CalendarDate{2024, 4, 5}));
    EXPECT_EQ(window()->monthHeader()->text(), QStringLiteral("April 2024"));
    ASSERT_TRUE(QFile::exists(entryText(kDay5)));
    const QByteArray march = readTestFile(entryText(kDay5));
    const QStringList before = journalFiles();

    for (const int year : {1999, 2124}) {
        SCOPED_TRACE(year);
        calendar()->setYear(year);
        EXPECT_EQ(controller->currentDate(), (CalendarDate{year, 4, 5}));
        EXPECT_TRUE(textView()->isReadOnly());
        EXPECT_TRUE(textView()->toPlainText().isEmpty());
        EXPECT_FALSE(textView()->placeholderText().isEmpty());
        EXPECT_FALSE(window()->conditionsButton()->isVisible());
        storeObservation(1, 20.0, 15.0);
        controller->insertCurrentConditions();
        EXPECT_TRUE(textView()->toPlainText().isEmpty());
    }
    calendar()->setYear(2024);
    EXPECT_EQ(journalFiles(), before);
    EXPECT_EQ(readTestFile(entryText(kDay5)), march);
    EXPECT_FALSE(textView()->isReadOnly());
}

TEST_F(JournalTest, EntriesOfOtherProgramsAndUnreadableOnes)
{
    const QDir dir(journal.path());
    const QString day4 = QStringLiteral("24-03-04 5419384");
    const QString day3 = QStringLiteral("24-03-03 5419384");
    writeTestFile(entryText(day4), readTestFile(testDataPath(QStringLiteral("journal/libreoffice_entry.rtf"))));
    const QByteArray garbage("\x00\xff not an entry", 16);
    const QByteArray picture("{\\rtf1 sky {\\pict\\pngblip 89504e470d0a1a0a}\\par}");
    writeTestFile(entryText(kDay5), garbage);
    writeTestFile(entryText(day3), picture);

    make();
    EXPECT_TRUE(controller->isReadOnly());
    EXPECT_TRUE(textView()->isReadOnly());
    clickDay(3);
    EXPECT_TRUE(controller->isReadOnly());
    clickDay(4);
    EXPECT_FALSE(controller->isReadOnly());
    const QTextDocument &document = *textView()->document();
    EXPECT_TRUE(document.toPlainText().contains(QStringLiteral("Morning was bright and cold, then snow by noon.")));
    EXPECT_TRUE(document.toPlainText().contains(QStringLiteral("Evening caf\u00e9 visit.")));
    bool bold = false;
    bool italic = false;
    for (QTextBlock::iterator it = document.firstBlock().begin(); !it.atEnd(); ++it) {
        bold |= it.fragment().text() == QStringLiteral("bright and cold") &&
                it.fragment().charFormat().fontWeight() >= QFont::Bold;
        italic |= it.fragment().text() == QStringLiteral("snow by noon") && it.fragment().charFormat().fontItalic();
    }
    EXPECT_TRUE(bold);
    EXPECT_TRUE(italic);
    QTextTable *table = firstTable(document);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().text(), QStringLiteral("20\u00b0F"));

    clickDay(6);
    EXPECT_EQ(readTestFile(entryText(kDay5)), garbage);
    EXPECT_EQ(readTestFile(entryText(day3)), picture);
}

// Viewing an entry and moving on saves it; an entry holding text the editor has no place for
// opens read-only with a log line saying why, and its file keeps every byte.
TEST_F(JournalTest, EntriesWithTextTheEditorCannotShowKeepEveryByte)
{
    struct Case
    {
        int day;
        QByteArray rtf;
        const char *why;
    };
    const Case cases[] = {
        {1, "{\\rtf1 Snow{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} 8 inches by noon}\\par}", "\\footnote"},
        {2, "{\\rtf1{\\header\\pard Weather log\\par}{\\footer\\pard Page\\par}Clear\\par}", "\\header"},
        {3, "{\\rtf1 Fog{\\*\\annotation ask the neighbours}\\par}", "\\annotation"},
        {4, "{\\rtf1\\trowd\\pard\\intbl" + QByteArray("\\cell").repeated(800) + QByteArray("\\row").repeated(800) + "}",
         "a table of 1 rows and 800 columns"},
    };
    for (const Case &c : cases)
        writeTestFile(entryText(QStringLiteral("24-03-0%1 5419384").arg(c.day)), c.rtf);
    make();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.day);
        LogCapture log;
        clickDay(c.day);
        EXPECT_TRUE(controller->isReadOnly());
        EXPECT_TRUE(textView()->isReadOnly());
        EXPECT_TRUE(log.contains(QStringLiteral("Opening the entry read-only")));
        EXPECT_TRUE(log.contains(QString::fromLatin1(c.why))) << c.why;
        textView()->setFocus();
        QTest::keyClicks(textView(), QStringLiteral("typed"));
        clickDay(6);
        EXPECT_EQ(readTestFile(entryText(QStringLiteral("24-03-0%1 5419384").arg(c.day))), c.rtf);
    }
    controller->applicationWillTerminate();
    for (const Case &c : cases)
        EXPECT_EQ(readTestFile(entryText(QStringLiteral("24-03-0%1 5419384").arg(c.day))), c.rtf);
    EXPECT_TRUE(alerts->alerts.empty());
}

TEST_F(JournalTest, PastedRichTextIsReducedAndImagesRefused)
{
    make();
    auto *html = new QMimeData;
    html->setHtml(QStringLiteral("<p><b>bold</b> <span style=\"font-family:serif\">plain</span><img "
                                 "src=\"data:image/png;base64,iVBORw0KGgo=\"></p>"));
    QApplication::clipboard()->setMimeData(html);
    textView()->paste();
    EXPECT_EQ(textView()->toPlainText(), QStringLiteral("bold plain"));

    auto *image = new QMimeData;
    image->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(image);
    textView()->paste();
    EXPECT_EQ(textView()->toPlainText(), QStringLiteral("bold plain"));
}

TEST_F(JournalTest, OpenCloseAndQuit)
{
    make();
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("showJournalWindow")), 1);
    type(QStringLiteral("closing"));
    window()->close();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("showJournalWindow")), 0);
    EXPECT_TRUE(QFile::exists(entryText(kDay5)));

    controller->showWindow();
    textView()->clear();
    type(QStringLiteral("quitting"));
    controller->applicationWillTerminate();
    QTextDocument html;
    EXPECT_TRUE(unrtfText(entryText(kDay5), html).contains(QStringLiteral("quitting")));

    // A hidden window whose text changed since it was stored still has it saved at quit; one
    // whose text did not is not written again (another program may have changed the file).
    window()->hide();
    textView()->clear();
    type(QStringLiteral("typed while hidden"));
    controller->applicationWillTerminate();
    EXPECT_TRUE(unrtfText(entryText(kDay5), html).contains(QStringLiteral("typed while hidden")));
    writeTestFile(entryText(kDay5), "{\\rtf1 changed by another program\\par}");
    controller->applicationWillTerminate();
    EXPECT_EQ(readTestFile(entryText(kDay5)), QByteArray("{\\rtf1 changed by another program\\par}"));
}

namespace {

/// Installed before the journal's controller, it sees the program's quit after the journal
/// did and stops it there, so the test process goes on; it counts the quits that got through.
class QuitCatcher : public QObject
{
public:
    QuitCatcher() { QCoreApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Quit || watched != QCoreApplication::instance())
            return false;
        ++quits;
        return true;
    }
    int quits = 0;
};

void sendQuit()
{
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
}

} // namespace

TEST_F(JournalTest, AFailedSaveAtCloseKeepsTheWindowAndTheQuitTriesAgain)
{
    QuitCatcher catcher;
    make();
    type(QStringLiteral("must outlive the close"));
    const QString folder = journal.filePath(kDay5 + QStringLiteral(".rtfd"));
    writeTestFile(folder, "in the way");
    window()->close();
    ASSERT_EQ(alerts->alerts.size(), 1u);
    EXPECT_TRUE(window()->isVisible()) << "the window stays open with the text";
    EXPECT_EQ(textView()->toPlainText(), QStringLiteral("must outlive the close"));
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("showJournalWindow")), 1);

    // The quit tries again; failing again it asks, and "Don't Quit" holds the quit.
    alerts->answers = {QStringLiteral("Don't Quit")};
    sendQuit();
    ASSERT_EQ(alerts->alerts.size(), 2u);
    EXPECT_EQ(alerts->alerts.back().button, QStringLiteral("Don't Quit|Quit Anyway"));
    EXPECT_TRUE(alerts->alerts.back().message.contains(folder)) << alerts->alerts.back().message.toStdString();
    EXPECT_EQ(catcher.quits, 0);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(textView()->toPlainText(), QStringLiteral("must outlive the close"));

    // Closed and hidden behind the program's back, the changed text is still saved by the quit.
    QFile::remove(folder);
    window()->hide();
    sendQuit();
    EXPECT_GE(catcher.quits, 1);
    EXPECT_EQ(alerts->alerts.size(), 2u);
    QTextDocument html;
    EXPECT_TRUE(unrtfText(entryText(kDay5), html).contains(QStringLiteral("must outlive the close")));
}

TEST_F(JournalTest, QuitAnywayLeavesTheUnsavableEntryAlone)
{
    QuitCatcher catcher;
    make();
    type(QStringLiteral("cannot be stored"));
    writeTestFile(journal.filePath(kDay5 + QStringLiteral(".rtfd")), "in the way");
    alerts->answers = {QStringLiteral("Quit Anyway")};
    sendQuit();
    ASSERT_EQ(alerts->alerts.size(), 1u);
    EXPECT_EQ(catcher.quits, 0) << "held until the answer's own quit";
    ASSERT_TRUE(waitUntil([&] { return catcher.quits == 1; }, 10000));
    EXPECT_EQ(alerts->alerts.size(), 1u) << "asked once";
    EXPECT_EQ(readTestFile(journal.filePath(kDay5 + QStringLiteral(".rtfd"))), QByteArray("in the way"));
}
