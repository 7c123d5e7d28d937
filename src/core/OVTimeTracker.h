// The stepping clock behind the map's time loops (radar and satellite frames).
//
// A date range is divided into `increments` equal steps; while playing, a main-thread timer
// advances one step per tick, holds the last frame for `holdIncrements` extra ticks, then wraps
// to step 0. The delegate is told after every change (a wrap tells it twice). A held tracker
// keeps its play state but its timer stands still, for a loop with nothing to show.
#pragma once

#include <QDateTime>
#include <QPointer>

#include <cstdint>

class QTimer;
class OVTimeTracker;

class OVTimeTrackerDelegate
{
public:
    virtual ~OVTimeTrackerDelegate() = default;
    virtual void incrementUpdated(OVTimeTracker &tracker) = 0;
};

class OVTimeTracker
{
public:
    OVTimeTracker();
    ~OVTimeTracker();
    OVTimeTracker(const OVTimeTracker &) = delete;
    OVTimeTracker &operator=(const OVTimeTracker &) = delete;

    void play();
    void pause();
    void playPause();
    bool isPaused() const { return mTimer == nullptr; }
    /// Stops the timer without pausing (false: it runs again when playing).
    void setHeld(bool held);
    bool isHeld() const { return mHeld; }
    /// Whether the timer runs: playing and not held.
    bool isTicking() const;

    void tick() { next(); }
    void next();
    void previous();
    void first();
    void last();

    /// The frame shown: the tick position, held at `increments` during the hold ticks.
    int64_t currentIncrement() const;
    /// The raw tick position, 0 .. increments + holdIncrements - 1.
    int64_t tickPosition() const { return mCurrentIncrement; }
    /// beginDate + step length x currentIncrement; invalid without both dates or increments.
    QDateTime currentTime() const;
    /// Moves to the step nearest the date, clamped to the range. Without both dates, with no
    /// increments or with an empty range nothing changes. Does not tell the delegate.
    void setCurrentIncrementClosestToDate(const QDateTime &date);

    QDateTime beginDate() const { return mBeginDate; }
    void setBeginDate(const QDateTime &date) { mBeginDate = date; }
    QDateTime endDate() const { return mEndDate; }
    void setEndDate(const QDateTime &date) { mEndDate = date; }
    int64_t increments() const { return mIncrements; }
    void setIncrements(int64_t increments) { mIncrements = increments; }
    int64_t holdIncrements() const { return mHoldIncrements; }
    void setHoldIncrements(int64_t hold) { mHoldIncrements = hold; }
    double timerInterval() const { return mTimerInterval; }
    /// Takes effect at the next `play`.
    void setTimerInterval(double seconds) { mTimerInterval = seconds; }
    /// Not owned.
    void setDelegate(OVTimeTrackerDelegate *delegate) { mDelegate = delegate; }
    OVTimeTrackerDelegate *delegate() const { return mDelegate; }

private:
    void tellDelegate();

    QDateTime mBeginDate;
    QDateTime mEndDate;
    int64_t mIncrements = 0;
    int64_t mHoldIncrements = 5;
    double mTimerInterval = 0.4;
    int64_t mCurrentIncrement = 0;
    QTimer *mTimer = nullptr;
    bool mHeld = false;
    OVTimeTrackerDelegate *mDelegate = nullptr;
};
