// The application controller's source of time: "now" (UTC) and the delayed calls that drive it
// (the first tick, the 60-second ticker, the progress polls, the delayed network dialog).
// The program runs them on main-thread QTimers; tests give a scheduler whose time they advance
// by hand, so a whole launch can be stepped through in a moment. Main thread only.
#pragma once

#include "platform/OVClock.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class NBScheduler
{
public:
    using Job = std::function<void()>;

    virtual ~NBScheduler() = default;

    /// The current instant, in UTC.
    virtual QDateTime now() const = 0;
    /// Runs `job` once, `seconds` from now, unless `context` is gone by then or the call was
    /// cancelled. Returns an id for `cancel`.
    virtual uint64_t callAfter(double seconds, QObject *context, Job job) = 0;
    /// Runs `job` every `seconds`, first `seconds` from now, until cancelled or `context` goes.
    virtual uint64_t callEvery(double seconds, QObject *context, Job job) = 0;
    /// Forgets a call; an unknown id is ignored.
    virtual void cancel(uint64_t id) = 0;

    /// The real clock and main-thread timers.
    static std::shared_ptr<NBScheduler> system();
};

/// The program's scheduler: the system clock and one QTimer per call.
class NBTimerScheduler final : public NBScheduler
{
public:
    NBTimerScheduler();
    ~NBTimerScheduler() override;

    QDateTime now() const override;
    uint64_t callAfter(double seconds, QObject *context, Job job) override;
    uint64_t callEvery(double seconds, QObject *context, Job job) override;
    void cancel(uint64_t id) override;

private:
    uint64_t start(double seconds, bool repeating, QObject *context, Job job);

    // Owns the timers, so none outlives the scheduler.
    std::unique_ptr<QObject> mTimerParent;
    std::map<uint64_t, QPointer<QObject>> mTimers;
    uint64_t mNextId = 1;
};

/// The scheduler's "now" as an OVClock, for parts that only read the time (the journal's day).
class NBSchedulerClock final : public OVClock
{
public:
    explicit NBSchedulerClock(std::shared_ptr<NBScheduler> scheduler)
        : mScheduler(std::move(scheduler))
    {
    }

    QDateTime now() const override { return mScheduler->now(); }

private:
    std::shared_ptr<NBScheduler> mScheduler;
};
