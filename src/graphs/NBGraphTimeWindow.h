// The time window every graph panel shows: a width, and a pan offset that says where "now" sits.
// The window's anchor lies a third of the way from its start; the pan offset is the anchor's
// distance from now in seconds (positive is later). Clamping keeps the window between the
// station's earliest observation and a week ahead, and keeps that correction in the offset so a
// later pan starts from where the user sees the window. A plain value: no clock, no database.
#pragma once

#include <QDateTime>

#include <optional>

class NBGraphTimeWindow
{
public:
    /// Where the anchor lies in the window, as a fraction of its width from the start.
    static constexpr double kCenterRatio = 0.33;
    /// How far ahead of now the window may reach, and how far back without a location.
    static constexpr double kWeekSeconds = 604800.0;
    /// Corrections of a second or less are left out of the offset (rounding, not a clamp).
    static constexpr double kShiftTolerance = 1.0;

    struct Dates
    {
        QDateTime start, end;
    };

    /// Width in seconds.
    double interval() const { return mInterval; }
    void setInterval(double seconds) { mInterval = seconds; }
    /// Seconds from now to the anchor.
    double panOffset() const { return mPanOffset; }
    void setPanOffset(double seconds) { mPanOffset = seconds; }

    /// A new width that keeps the window's end where it was.
    void setIntervalHoldingEnd(double seconds);
    /// A drag of `dx` pixels over a graph `referenceWidth` pixels wide, from a drag that started
    /// at offset `startOffset`: the offset moves by the same share of the width, and snaps to
    /// now within `snapPixels`. A reference width of zero or less changes nothing.
    void panFrom(double startOffset, double dx, double referenceWidth, double snapPixels);

    /// The window as dates around `now`, shifted later when it starts before `earliest` and
    /// earlier when it ends more than a week ahead; a window wider than the span between them
    /// ends a week ahead. No `earliest` leaves the start free. The shift is kept in the pan
    /// offset.
    Dates clamp(const QDateTime &now, const std::optional<QDateTime> &earliest);

private:
    double mInterval = 86400.0;
    double mPanOffset = 0.0;
};
