// The month calendar's state and drawing: the chosen day, the 6 x 7 grid of the shown month
// (Sunday first), the highlighted days, hit testing and the text form of the grid.
//
// Dates follow the calendar of Britain and its colonies: Julian leap years up to 1752,
// Gregorian ones after, and September 1752 without its 3rd to 13th. A date is therefore a
// year/month/day triple under that rule, never a QDate (29 February 1700 exists here). Years
// run from 1 to 9999. Geometry is y-up in the 130 x 110 control (OVYUp). Main thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>

class Calendar;
class QPainter;

/// A day of the historical British calendar.
struct CalendarDate
{
    int year = 1;
    int month = 1;
    int day = 1;

    friend bool operator==(const CalendarDate &, const CalendarDate &) = default;
    /// Today in the process's default time zone.
    static CalendarDate today();
    /// Whether the day exists (years 1..9999, none of 3..13 September 1752).
    bool isValid() const;
};

class CalendarCell
{
public:
    static constexpr int kGridSize = 42;
    static constexpr double kWidth = 130.0;
    static constexpr double kHeight = 110.0;

    /// Julian rule up to 1752, Gregorian from 1753.
    static bool isLeapYear(int year);
    /// Days of the month in that year (September 1752 counts 30, gap included).
    static int daysInMonth(int month, int year);
    /// Cell rectangle of grid index i, y-up in the control.
    static QRectF rectForIndex(int index);

    /// Today, the highlight colour (1, 1, 0.5) and the background.
    CalendarCell();
    /// A new cell with the same date only.
    std::unique_ptr<CalendarCell> copy() const;

    /// The control that is redrawn and that signals each change.
    void setControlView(Calendar *control) { mControl = control; }

    CalendarDate date() const { return mDate; }
    /// Ignores an invalid date and the current one; otherwise rebuilds the grid, redraws and
    /// signals. A date in the gap of September 1752 becomes 14 September 1752.
    void setDate(CalendarDate date);
    int day() const { return mDate.day; }
    int month() const { return mDate.month; }
    int year() const { return mDate.year; }
    /// Ignored outside 1..days of the month and in the gap of September 1752.
    void setDay(int day);
    /// Ignored outside 1..12; the day is clamped to the new month.
    void setMonth(int month);
    /// Ignored outside 1..9999; the day is clamped to the month in the new year.
    void setYear(int year);
    /// Moves by whole months (day clamped to the target month); nothing beyond years 1..9999.
    void moveByMonths(int months);

    const QList<CalendarDate> &highlightList() const { return mHighlightList; }
    void setHighlightList(const QList<CalendarDate> &list) { mHighlightList = list; }
    QColor highlightColor() const { return mHighlightColor; }
    void setHighlightColor(const QColor &color) { mHighlightColor = color; }

    /// Background with the weekday initials, then every day of the month. The painter is in
    /// Qt's y-down space of the control.
    void drawWithFrame(QPainter &painter) const;
    void drawCalendar(QPainter &painter) const;
    void dayDraw(QPainter &painter, int day) const;

    /// Makes day n of the shown month the chosen one; nothing for n < 1 or the chosen day.
    void dayChange(int day);
    /// The day number under a y-up point of the control; -1 for none.
    int dayAtPoint(const QPointF &point) const;
    /// 0 Sunday .. 6 Saturday for day d of the shown month.
    int dayInWeek(int day) const;
    /// Ordinal day of the year of day d of the shown month.
    int dayInYear(int day) const;
    void setupDayArray();

    int numberOfDaysInMonth() const { return mDaysInMonth; }
    const std::array<int, kGridSize> &days() const { return mDays; }
    /// A line break, then the six grid rows, each cell as "%2d " or three blanks.
    QString description() const;

private:
    void setup();
    void redrawDay(int day) const;
    void sendAction() const;

    CalendarDate mDate;
    QImage mBackgroundImage;
    int mDaysInMonth = 31;
    std::array<int, kGridSize> mDays{};
    QList<CalendarDate> mHighlightList;
    QColor mHighlightColor;
    Calendar *mControl = nullptr;
};
