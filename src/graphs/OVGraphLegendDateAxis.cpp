// The legend's date axis: levels of labels from day names with hours down to years, each placed
// whole or not at all. Everything is read in the view's zone, and day steps are calendar days,
// so labels stay on local midnights across daylight-saving changes.
#include "graphs/OVGraphLegendView.h"

#include "core/NSDateUtil.h"
#include "core/OVDateFormattingTool.h"

namespace {

void append(OVGraphLegendContent &to, const OVGraphLegendContent &level)
{
    to.rects.insert(to.rects.end(), level.rects.begin(), level.rects.end());
    to.strings.insert(to.strings.end(), level.strings.begin(), level.strings.end());
    to.dates.insert(to.dates.end(), level.dates.begin(), level.dates.end());
}

} // namespace

bool OVGraphLegendView::rectOverlapsWithRectInArray(const QRectF &rect, const std::vector<QRectF> &rects)
{
    return std::any_of(rects.begin(), rects.end(), [&rect](const QRectF &r) { return r.intersects(rect); });
}

bool OVGraphLegendView::dateIsInArray(const QDateTime &date, const std::vector<QDateTime> &dates)
{
    return std::find(dates.begin(), dates.end(), date) != dates.end();
}

QRectF OVGraphLegendView::textRectForString(OVAttributedString &text, const QDateTime &date,
                                            const QRectF &xLegendRect, const QRectF &yLegendRect) const
{
    const double w = text.size().width();
    const double x = std::round(xForDate(date, yLegendRect));
    return QRectF(x - 0.5 * w - 5.0, xLegendRect.y() + mBorderWidth, w + 10.0,
                  xLegendRect.height() - mBorderWidth - 1.0);
}

QDateTime OVGraphLegendView::addDays(const QDateTime &date, int days) const
{
    return NSDateUtil::dateByAddingYears(date, 0, 0, days, 0, 0, 0, mTimeZone);
}

std::optional<OVGraphLegendContent> OVGraphLegendView::placeLevel(const QDateTime &start, const DateText &text,
                                                                  const DateStep &step, const QRectF &xr,
                                                                  const QRectF &yr,
                                                                  const OVGraphLegendContent &taken) const
{
    OVGraphLegendContent level;
    for (QDateTime d = start; d.isValid() && d <= mMaxDate;) {
        if (!dateIsInArray(d, taken.dates)) {
            OVAttributedString label(text(d), mXLabelAttributes);
            const QRectF r = textRectForString(label, d, xr, yr);
            if (rectOverlapsWithRectInArray(r, taken.rects) || rectOverlapsWithRectInArray(r, level.rects))
                return std::nullopt;
            level.rects.push_back(r);
            level.strings.push_back(std::move(label));
            level.dates.push_back(d);
        }
        const QDateTime next = step(d);
        if (!(next > d))
            break; // a step that does not move on would never end
        d = next;
    }
    if (level.dates.empty())
        return std::nullopt;
    return level;
}

std::optional<OVGraphLegendContent> OVGraphLegendView::xLegendContent() const
{
    if (mGraphXMode != OVGraphXMode::Dates || !mMinDate.isValid() || !mMaxDate.isValid())
        return std::nullopt;
    const QRectF xr = xLegendRect();
    const QRectF yr = yLegendRect();
    const QTimeZone zone = mTimeZone;
    const OVClock &clock = *mClock;
    OVGraphLegendContent axis;
    const auto take = [&axis](const std::optional<OVGraphLegendContent> &level) {
        if (level)
            append(axis, *level);
        return level.has_value();
    };
    const auto days = [this](int k) { return [this, k](const QDateTime &d) { return addDays(d, k); }; };
    const auto formatted = [zone](const char *pattern) {
        return [zone, pattern](const QDateTime &d) {
            return NSDateUtil::stringValueWithFormat(d, QString::fromLatin1(pattern), zone);
        };
    };
    const QDateTime dayStart = NSDateUtil::beginningOfDayInTimeZone(mMinDate, zone);

    const bool dayNames = take(placeLevel(
        dayStart, [&](const QDateTime &d) { return NSDateUtil::dayStringInTimeZone(d, zone, clock); }, days(1), xr,
        yr, axis));
    if (dayNames) {
        OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
        for (int k : {12, 6, 3, 1}) {
            const auto hours = [k](const QDateTime &d) { return d.addSecs(qint64(k) * 3600); };
            if (!take(placeLevel(
                    dayStart, [&](const QDateTime &d) { return tool.timeStringFromDate(d, zone); }, hours, xr, yr,
                    axis)))
                break;
        }
    } else {
        take(placeLevel(
            dayStart, [&](const QDateTime &d) { return NSDateUtil::shortDayStringInTimeZone(d, zone, clock); },
            days(1), xr, yr, axis));
        const QDateTime weekStart = NSDateUtil::beginningOfWeekInTimeZone(mMinDate, zone);
        take(placeLevel(weekStart, formatted("M/d"), days(2), xr, yr, axis));
        take(placeLevel(weekStart, formatted("M/d"), days(7), xr, yr, axis));
        const OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
        const QDateTime monthStart = NSDateUtil::beginningOfMonthInTimeZone(mMinDate, zone);
        const auto months = [zone](const QDateTime &d) {
            return NSDateUtil::dateByAddingYears(d, 0, 1, 0, 0, 0, 0, zone);
        };
        const auto monthName = [zone](const QStringList &names) {
            return [zone, names](const QDateTime &d) {
                const int month = NSDateUtil::stringValueWithFormat(d, QStringLiteral("M"), zone).toInt();
                return names.value(month - 1);
            };
        };
        take(placeLevel(monthStart, monthName(tool.monthSymbols()), months, xr, yr, axis));
        take(placeLevel(monthStart, monthName(tool.shortMonthSymbols()), months, xr, yr, axis));
        const auto years = [zone](const QDateTime &d) {
            return NSDateUtil::dateByAddingYears(d, 1, 0, 0, 0, 0, 0, zone);
        };
        take(placeLevel(NSDateUtil::beginningOfYearInTimeZone(mMinDate, zone), formatted("y"), years, xr, yr, axis));
    }
    if (axis.dates.empty() || axis.rects.size() != axis.dates.size() || axis.strings.size() != axis.dates.size())
        return std::nullopt;
    return axis;
}
