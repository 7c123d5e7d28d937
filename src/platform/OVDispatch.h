// The dispatch layer: serial queues, the global concurrent pool, groups, the main thread and a
// parallel apply. One implementation, used by every subsystem that hands work between threads.
//
// - OVSerialQueue runs its jobs one at a time, in submission order, on a worker thread of its
//   own. `sync` from a job of the same queue runs inline instead of deadlocking.
// - OVDispatch::global runs jobs on a shared pool (QThreadPool's global instance).
// - OVDispatch::mainAsync / mainSync run a job on the main thread's event loop.
// - OVDispatchGroup counts outstanding work: wait for it, or be notified when it empties.
// - OVDispatch::apply(n, f) calls f(0..n-1) across the pool and returns when all are done.
// For once-only initialisation, use a function-local static or std::call_once.
#pragma once

#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using OVJob = std::function<void()>;

class OVSerialQueue
{
public:
    explicit OVSerialQueue(QString label);
    /// Runs the jobs already queued, then stops the worker.
    ~OVSerialQueue();

    OVSerialQueue(const OVSerialQueue &) = delete;
    OVSerialQueue &operator=(const OVSerialQueue &) = delete;

    const QString &label() const { return mLabel; }

    void async(OVJob job);
    /// Runs the job on the queue and returns when it has run.
    void sync(const OVJob &job);
    /// Whether the calling code is running as a job of this queue.
    bool isCurrent() const;

private:
    void run();

    QString mLabel;
    std::mutex mMutex;
    std::condition_variable mWake;
    std::deque<OVJob> mJobs;
    bool mStopping = false;
    std::thread mWorker;
    std::thread::id mWorkerId;
};

class OVDispatchGroup
{
public:
    OVDispatchGroup();

    void enter();
    void leave();
    /// Runs the job on the global pool inside the group.
    void async(OVJob job);
    /// Runs the job on the queue inside the group.
    void async(OVSerialQueue &queue, OVJob job);
    /// Waits until the group is empty; false when `timeoutMs` (>= 0) passed first.
    bool wait(int timeoutMs = -1);
    /// Runs `job` on the main thread once the group is empty (at once if it is empty now).
    void notifyMain(OVJob job);
    /// Runs `job` on the queue once the group is empty.
    void notify(OVSerialQueue &queue, OVJob job);

private:
    struct State;
    std::shared_ptr<State> mState;
};

namespace OVDispatch {

/// Runs the job on the global concurrent pool.
void global(OVJob job);
/// Runs the job on the main thread's event loop, later.
void mainAsync(OVJob job);
/// Runs the job on the main thread and returns when it has run (directly on the main thread).
void mainSync(const OVJob &job);
bool isMainThread();
/// Calls `body(i)` for every i in [0, count) across the pool; returns when all calls are done.
/// The calling thread takes part, so nested applies cannot starve the pool.
void apply(size_t count, const std::function<void(size_t)> &body);

} // namespace OVDispatch
