// The month calendar's cell: the historical leap rule, the weekday count, the grid, drawing and
// hit testing.
#include "app/journal/CalendarCell.h"

#include "app/journal/Calendar.h"
#include "core/views/OVNamedImage.h"
#include "core/views/OVYUp.h"

#include <QDate>
#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;
constexpr int kDaysPerMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days from 1 January of year 1 of 2 and 14 September 1752, the last Julian and the first
// Gregorian day in Britain.
constexpr int kLastJulianDay = 639798;
constexpr int kFirstGregorianDay = 639810;

const QColor kChosenColor = QColor::fromRgbF(0.7686f, 0.8784f, 0.9843f);
const char *const kWeekdayInitials[7] = {"S", "M", "T", "W", "T", "F", "S"};

bool inTheGap(const CalendarDate &date)
{
    return date.year == 1752 && date.month == 9 && date.day >= 3 && date.day <= 13;
}

int positiveModulo(int value, int modulus)
{
    return ((value % modulus) + modulus) % modulus;
}

/// Text in a y-up rectangle of the control, centred and clipped, in Qt's y-down painter.
void drawCentred(QPainter &painter, const QString &text, const QRectF &yUpRect, int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    const QRectF rect = OVYUp::fromWidgetGeometry(yUpRect, CalendarCell::kHeight);
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter, text);
    painter.restore();
}

} // namespace

// --- Dates --------------------------------------------------------------------------------------

CalendarDate CalendarDate::today()
{
    const QDate now = QDate::currentDate();
    return {now.year(), now.month(), now.day()};
}

bool CalendarDate::isValid() const
{
    return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1
           && day <= CalendarCell::daysInMonth(month, year) && !inTheGap(*this);
}

bool CalendarCell::isLeapYear(int year)
{
    if (year <= 1752)
        return year % 4 == 0;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int CalendarCell::daysInMonth(int month, int year)
{
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDaysPerMonth[month - 1];
}

QRectF CalendarCell::rectForIndex(int index)
{
    return QRectF(5 + 17 * (index % 7), 9 + 14 * (5 - index / 7), 17, 13);
}

// --- Cell ---------------------------------------------------------------------------------------

CalendarCell::CalendarCell()
    : mDate(CalendarDate::today())
    , mHighlightColor(QColor::fromRgbF(1.0f, 1.0f, 0.5f))
{
    setup();
    setupDayArray();
}

std::unique_ptr<CalendarCell> CalendarCell::copy() const
{
    auto cell = std::make_unique<CalendarCell>();
    cell->mDate = mDate;
    cell->setupDayArray();
    return cell;
}

void CalendarCell::setup()
{
    const QImage back = OVNamedImage::imageNamed(QStringLiteral("calendarBack"));
    mBackgroundImage = back.isNull() ? QImage(int(kWidth), int(kHeight), QImage::Format_ARGB32_Premultiplied)
                                     : back.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (back.isNull())
        mBackgroundImage.fill(Qt::white);
    QPainter painter(&mBackgroundImage);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The artwork is made for the control's size; draw in its coordinates whatever its pixels.
    painter.scale(mBackgroundImage.width() / kWidth, mBackgroundImage.height() / kHeight);
    for (int k = 0; k < 7; ++k)
        drawCentred(painter, QLatin1String(kWeekdayInitials[k]), QRectF(6 + 17 * k, 94, 17, 15), 11);
}

void CalendarCell::setDate(CalendarDate date)
{
    if (inTheGap(date))
        date = {1752, 9, 14};
    if (!date.isValid() || date == mDate)
        return;
    mDate = date;
    setupDayArray();
    if (mControl)
        mControl->update();
    sendAction();
}

void CalendarCell::setDay(int day)
{
    if (day < 1 || day > mDaysInMonth || inTheGap({mDate.year, mDate.month, day}))
        return;
    setDate({mDate.year, mDate.month, day});
}

void CalendarCell::setMonth(int month)
{
    if (month < 1 || month > 12)
        return;
    setDate({mDate.year, month, std::max(1, std::min(mDate.day, daysInMonth(month, mDate.year)))});
}

void CalendarCell::setYear(int year)
{
    if (year < kFirstYear || year > kLastYear)
        return;
    setDate({year, mDate.month, std::max(1, std::min(mDate.day, daysInMonth(mDate.month, year)))});
}

void CalendarCell::moveByMonths(int months)
{
    const int index = mDate.year * 12 + (mDate.month - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    if (year < kFirstYear || year > kLastYear)
        return;
    setDate({year, month, std::max(1, std::min(mDate.day, daysInMonth(month, year)))});
}

void CalendarCell::sendAction() const
{
    if (mControl)
        emit mControl->action();
}

// --- Grid ---------------------------------------------------------------------------------------

int CalendarCell::dayInYear(int day) const
{
    int ordinal = day;
    for (int month = 1; month < mDate.month; ++month)
        ordinal += daysInMonth(month, mDate.year);
    return ordinal;
}

int CalendarCell::dayInWeek(int day) const
{
    const int y = mDate.year;
    const int c = y >= 1702 ? -((y - 1) / 100 - 17) : 0;
    const int q = y >= 1602 ? (y - 1601) / 400 : 0;
    const int n = (y - 1) * 365 + (y - 1) / 4 + c + q + dayInYear(day);
    if (n <= kLastJulianDay)
        return positiveModulo(n + 5, 7);
    if (n < kFirstGregorianDay)
        return 4;
    return positiveModulo(n - 6, 7);
}

void CalendarCell::setupDayArray()
{
    mDays.fill(-1);
    mDaysInMonth = daysInMonth(mDate.month, mDate.year);
    if (mDate.year == 1752 && mDate.month == 9) {
        mDays[2] = 1;
        mDays[3] = 2;
        for (int index = 4; index <= 20; ++index)
            mDays[index] = index + 10;
        return;
    }
    const int first = dayInWeek(1);
    for (int k = 0; k < mDaysInMonth && first + k < kGridSize; ++k)
        mDays[first + k] = k + 1;
}

int CalendarCell::dayAtPoint(const QPointF &point) const
{
    // Rounded down, so a point left of or below the grid is outside it, never a cell of the
    // first column or the bottom row (nor, further left, the Saturday of the row above).
    const int column = int(std::floor((point.x() - 5.0) / 17.0));
    const int row = int(std::floor((point.y() - 9.0) / 14.0));
    if (column < 0 || column > 6 || row < 0)
        return -1;
    const int index = column + 35 - 7 * row;
    return index < 0 ? -1 : mDays[index];
}

QString CalendarCell::description() const
{
    QString text = QStringLiteral("\n");
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 7; ++column) {
            const int day = mDays[row * 7 + column];
            text += (day < 1 ? QStringLiteral("  ") : QString::asprintf("%2d", day)) + QLatin1Char(' ');
        }
        text += QLatin1Char('\n');
    }
    return text;
}

// --- Drawing and tracking -----------------------------------------------------------------------

void CalendarCell::drawWithFrame(QPainter &painter) const
{
    painter.drawImage(QRectF(0, 0, kWidth, kHeight), mBackgroundImage);
    drawCalendar(painter);
}

void CalendarCell::drawCalendar(QPainter &painter) const
{
    for (int day = 1; day <= mDaysInMonth; ++day)
        dayDraw(painter, day);
}

void CalendarCell::dayDraw(QPainter &painter, int day) const
{
    const auto found = std::find(mDays.begin(), mDays.end(), day);
    if (found == mDays.end())
        return;
    const QRectF rect = rectForIndex(int(found - mDays.begin()));
    const bool highlighted = mHighlightList.contains(CalendarDate{mDate.year, mDate.month, day});
    const QColor fill = day == mDate.day ? kChosenColor : highlighted ? mHighlightColor : QColor(Qt::white);
    painter.fillRect(OVYUp::fromWidgetGeometry(rect, kHeight), fill);
    drawCentred(painter, QString::number(day), rect, 10);
}

void CalendarCell::redrawDay(int day) const
{
    const auto found = std::find(mDays.begin(), mDays.end(), day);
    if (mControl && found != mDays.end())
        mControl->update(OVYUp::toWidgetGeometry(rectForIndex(int(found - mDays.begin())), kHeight));
}

void CalendarCell::dayChange(int day)
{
    if (day < 1 || day == mDate.day)
        return;
    const int old = mDate.day;
    mDate.day = day;
    redrawDay(old);
    redrawDay(day);
    sendAction();
}
