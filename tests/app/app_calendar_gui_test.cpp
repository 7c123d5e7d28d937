// The month calendar: its grids against the system's own calendar program (British calendar
// change included), picking days with the mouse under the X server, the date setters and month
// steps with their edges, and the colours of the chosen and highlighted days.
#include "ViewTestSupport.h"
#include "app/journal/Calendar.h"
#include "core/views/OVYUp.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <iostream>

namespace {

/// Rows 3 to 8 of the system calendar's month, trailing blanks stripped.
QStringList ncalRows(int month, int year)
{
    QProcess ncal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    ncal.setProcessEnvironment(environment);
    ncal.start(QStringLiteral("ncal"), {"-h", "-b", "-s", "GB", QString::number(month), QString::number(year)});
    if (!ncal.waitForFinished(10000))
        return {};
    return QString::fromUtf8(ncal.readAllStandardOutput()).split('\n').mid(2, 6);
}

QStringList stripped(QStringList rows)
{
    for (QString &row : rows) {
        while (row.endsWith(' '))
            row.chop(1);
    }
    return rows;
}

/// The widget point at the centre of the cell showing `day`.
QPoint pointOfDay(const CalendarCell &cell, int day)
{
    const auto &days = cell.days();
    const int index = int(std::find(days.begin(), days.end(), day) - days.begin());
    return OVYUp::toWidget(CalendarCell::rectForIndex(index).center(), CalendarCell::kHeight).toPoint();
}

TEST(CalendarTest, GridsMatchTheSystemCalendar)
{
    ViewTestData data;
    Calendar calendar;
    const std::pair<int, int> months[] = {{9, 1752}, {12, 1752}, {1, 1753}, {2, 1700}, {2, 1900}, {2, 2000},
                                          {2, 2100}, {3, 2024}, {2, 2015}, {1, 1},    {12, 9999}};
    for (const auto &[month, year] : months) {
        SCOPED_TRACE(testing::Message() << month << "/" << year);
        calendar.setDate({year, month, 1});
        ASSERT_EQ(calendar.month(), month);
        ASSERT_EQ(calendar.year(), year);
        const QStringList expected = stripped(ncalRows(month, year));
        ASSERT_EQ(expected.size(), 6);
        const QString description = calendar.cell().description();
        ASSERT_TRUE(description.startsWith('\n'));
        EXPECT_EQ(stripped(description.mid(1).split('\n').mid(0, 6)), expected);
    }
    calendar.setDate({2024, 3, 1});
    EXPECT_EQ(calendar.cell().days()[5], 1);
    EXPECT_EQ(calendar.cell().days()[35], 31);
    EXPECT_EQ(calendar.cell().numberOfDaysInMonth(), 31);
}

class CalendarInputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        calendar.setDate({2024, 3, 1});
        calendar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&calendar));
    }

    ViewTestData data;
    Calendar calendar;
};

TEST_F(CalendarInputTest, PressAndDragPickEachDayUnderTheMouse)
{
    QSignalSpy changes(&calendar, &Calendar::action);
    const CalendarCell &cell = calendar.cell();
    QTest::mousePress(&calendar, Qt::LeftButton, Qt::NoModifier, pointOfDay(cell, 3));
    QTest::mouseMove(&calendar, pointOfDay(cell, 4));
    QTest::mouseMove(&calendar, pointOfDay(cell, 4) + QPoint(2, 0));
    QTest::mouseMove(&calendar, pointOfDay(cell, 5));
    EXPECT_EQ(changes.size(), 3);
    EXPECT_EQ(calendar.date(), (CalendarDate{2024, 3, 5}));

    // On to the left of the control, in the same row: nothing there to pick.
    const int rowY = pointOfDay(cell, 5).y();
    for (int x : {2, -5, -20, -40})
        QTest::mouseMove(&calendar, QPoint(x, rowY));
    EXPECT_EQ(changes.size(), 3);
    EXPECT_EQ(calendar.day(), 5);
    QTest::mouseRelease(&calendar, Qt::LeftButton, Qt::NoModifier, QPoint(-40, rowY));

    // After the release, moving picks nothing; an empty cell and the weekday row pick nothing.
    QTest::mouseMove(&calendar, pointOfDay(cell, 9));
    const QPoint emptyCell = OVYUp::toWidget(CalendarCell::rectForIndex(0).center(), CalendarCell::kHeight).toPoint();
    QTest::mouseClick(&calendar, Qt::LeftButton, Qt::NoModifier, emptyCell);
    QTest::mouseClick(&calendar, Qt::LeftButton, Qt::NoModifier, QPoint(40, 8));
    EXPECT_EQ(changes.size(), 3);
    EXPECT_EQ(calendar.day(), 5);
}

TEST_F(CalendarInputTest, SettersAndMonthSteps)
{
    QSignalSpy changes(&calendar, &Calendar::action);
    struct Case
    {
        const char *name;
        CalendarDate from;
        std::function<void()> change;
        CalendarDate expected;
    };
    const Case cases[] = {
        {"month to February", {2023, 1, 31}, [&] { calendar.setMonth(2); }, {2023, 2, 28}},
        {"year without 29 February", {2024, 2, 29}, [&] { calendar.setYear(2023); }, {2023, 2, 28}},
        {"year 0 ignored", {2024, 2, 29}, [&] { calendar.setYear(0); }, {2024, 2, 29}},
        {"year 10000 ignored", {2024, 2, 29}, [&] { calendar.setYear(10000); }, {2024, 2, 29}},
        {"before year 1 ignored", {1, 1, 15}, [&] { calendar.setPreviousMonth(); }, {1, 1, 15}},
        {"after 9999 ignored", {9999, 12, 15}, [&] { calendar.setNextMonth(); }, {9999, 12, 15}},
        {"into the change of 1752", {1752, 8, 5}, [&] { calendar.setNextMonth(); }, {1752, 9, 14}},
        {"a lost day refused", {1752, 9, 2}, [&] { calendar.setDay(5); }, {1752, 9, 2}},
        {"the month after the change", {1752, 9, 30}, [&] { calendar.setNextMonth(); }, {1752, 10, 30}},
        {"29 February 1700 exists", {1700, 1, 29}, [&] { calendar.setNextMonth(); }, {1700, 2, 29}},
        {"December to January", {2023, 12, 31}, [&] { calendar.setNextMonth(); }, {2024, 1, 31}},
        {"month 13 ignored", {2023, 12, 31}, [&] { calendar.setMonth(13); }, {2023, 12, 31}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        calendar.setDate(c.from);
        ASSERT_EQ(calendar.date(), c.from);
        const qsizetype before = changes.size();
        c.change();
        EXPECT_EQ(calendar.date(), c.expected);
        EXPECT_EQ(changes.size(), before + (c.expected == c.from ? 0 : 1));
    }
    const qsizetype before = changes.size();
    calendar.setDate(calendar.date());
    EXPECT_EQ(changes.size(), before);
}

TEST_F(CalendarInputTest, ChosenAndHighlightedDaysAreColoured)
{
    calendar.setHighlightList({{2024, 3, 10}, {2024, 3, 21}, {2024, 4, 12}});
    calendar.setDay(12);
    const std::unique_ptr<CalendarCell> copy = calendar.cell().copy();
    EXPECT_EQ(copy->date(), (CalendarDate{2024, 3, 12}));
    EXPECT_TRUE(copy->highlightList().isEmpty());
    const QImage image = calendar.grab().toImage();
    const QString path = testOutputPath(QStringLiteral("calendar.png"));
    EXPECT_TRUE(image.save(path));
    std::cout << "calendar: " << path.toStdString() << std::endl;
    const auto cellCorner = [&](int day) {
        const auto &days = calendar.cell().days();
        const int index = int(std::find(days.begin(), days.end(), day) - days.begin());
        return OVYUp::toWidgetGeometry(CalendarCell::rectForIndex(index), CalendarCell::kHeight).topLeft() + QPoint(1, 1);
    };
    const std::pair<int, QColor> probes[] = {
        {12, QColor(196, 224, 251)}, {10, QColor(255, 255, 128)}, {21, QColor(255, 255, 128)},
        {11, QColor(255, 255, 255)}, {1, QColor(255, 255, 255)},  {31, QColor(255, 255, 255)},
    };
    for (const auto &[day, colour] : probes) {
        const QColor got = image.pixelColor(cellCorner(day));
        EXPECT_LE(std::abs(got.red() - colour.red()) + std::abs(got.green() - colour.green())
                      + std::abs(got.blue() - colour.blue()),
                  3)
            << "day " << day;
    }
}

} // namespace
