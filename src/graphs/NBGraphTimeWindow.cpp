#include "graphs/NBGraphTimeWindow.h"

#include <algorithm>
#include <cmath>

void NBGraphTimeWindow::setIntervalHoldingEnd(double seconds)
{
    mPanOffset -= (seconds - mInterval) * (1.0 - kCenterRatio);
    mInterval = seconds;
}

void NBGraphTimeWindow::panFrom(double startOffset, double dx, double referenceWidth, double snapPixels)
{
    if (referenceWidth <= 0)
        return;
    mPanOffset = startOffset + dx / referenceWidth * mInterval;
    if (std::abs(mPanOffset) < snapPixels / referenceWidth * mInterval)
        mPanOffset = 0.0;
}

NBGraphTimeWindow::Dates NBGraphTimeWindow::clamp(const QDateTime &now, const std::optional<QDateTime> &earliest)
{
    // Everything in seconds from now.
    const double start = mPanOffset - kCenterRatio * mInterval;
    const double end = start + mInterval;
    const std::optional<double> first =
        earliest ? std::optional<double>(double(now.msecsTo(*earliest)) / 1000.0) : std::nullopt;

    const double tooEarly = first ? std::max(0.0, *first - start) : 0.0;
    const double tooLate = std::max(0.0, end + tooEarly - kWeekSeconds);
    const double shift = tooEarly - tooLate;
    if (std::abs(shift) > kShiftTolerance)
        mPanOffset += shift;
    return {now.addMSecs(qint64(std::llround((start + shift) * 1000.0))),
            now.addMSecs(qint64(std::llround((end + shift) * 1000.0)))};
}
