#include "core/OVTimeTracker.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

OVTimeTracker::OVTimeTracker() = default;

OVTimeTracker::~OVTimeTracker()
{
    pause();
}

void OVTimeTracker::play()
{
    if (mTimer)
        return;
    mTimer = new QTimer;
    mTimer->setInterval(int(std::lround(mTimerInterval * 1000.0)));
    QObject::connect(mTimer, &QTimer::timeout, mTimer, [this] { tick(); });
    if (!mHeld)
        mTimer->start();
}

void OVTimeTracker::setHeld(bool held)
{
    mHeld = held;
    if (!mTimer)
        return;
    if (held)
        mTimer->stop();
    else if (!mTimer->isActive())
        mTimer->start();
}

bool OVTimeTracker::isTicking() const
{
    return mTimer && mTimer->isActive();
}

void OVTimeTracker::pause()
{
    if (!mTimer)
        return;
    mTimer->stop();
    delete mTimer;
    mTimer = nullptr;
}

void OVTimeTracker::playPause()
{
    if (isPaused())
        play();
    else
        pause();
}

void OVTimeTracker::tellDelegate()
{
    if (mDelegate)
        mDelegate->incrementUpdated(*this);
}

void OVTimeTracker::next()
{
    // Wrap at or past the end, so a lowered `increments` cannot leave the counter running away.
    if (mCurrentIncrement + 1 >= mIncrements + mHoldIncrements)
        first();
    else
        ++mCurrentIncrement;
    tellDelegate();
}

void OVTimeTracker::previous()
{
    if (mCurrentIncrement == 0)
        last();
    else
        --mCurrentIncrement;
    tellDelegate();
}

void OVTimeTracker::first()
{
    mCurrentIncrement = 0;
    tellDelegate();
}

void OVTimeTracker::last()
{
    mCurrentIncrement = mIncrements;
    tellDelegate();
}

int64_t OVTimeTracker::currentIncrement() const
{
    return std::min(mCurrentIncrement, mIncrements);
}

QDateTime OVTimeTracker::currentTime() const
{
    if (!mBeginDate.isValid() || !mEndDate.isValid() || mIncrements == 0)
        return QDateTime();
    const double span = mBeginDate.msecsTo(mEndDate) / 1000.0;
    const double offset = span / double(mIncrements) * double(currentIncrement());
    return mBeginDate.addMSecs(qint64(std::llround(offset * 1000.0)));
}

void OVTimeTracker::setCurrentIncrementClosestToDate(const QDateTime &date)
{
    if (!mBeginDate.isValid() || !mEndDate.isValid() || !date.isValid() || mIncrements == 0)
        return;
    const double span = mBeginDate.msecsTo(mEndDate) / 1000.0;
    if (span == 0)
        return;
    const double offset = std::clamp(mBeginDate.msecsTo(date) / 1000.0, std::min(0.0, span), std::max(0.0, span));
    mCurrentIncrement = int64_t(std::round(offset / (span / double(mIncrements))));
}
