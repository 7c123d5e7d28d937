#include "platform/OVDispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Serial queue

OVSerialQueue::OVSerialQueue(QString label)
    : mLabel(std::move(label))
{
    mWorker = std::thread([this] { run(); });
    std::unique_lock lock(mMutex);
    mWake.wait(lock, [this] { return mWorkerId != std::thread::id(); });
}

OVSerialQueue::~OVSerialQueue()
{
    {
        std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mWake.notify_all();
    if (mWorker.joinable()) {
        if (std::this_thread::get_id() == mWorkerId)
            mWorker.detach(); // destroyed by its own job: the worker ends after this job
        else
            mWorker.join();
    }
}

void OVSerialQueue::run()
{
    {
        std::lock_guard lock(mMutex);
        mWorkerId = std::this_thread::get_id();
    }
    mWake.notify_all();
    for (;;) {
        OVJob job;
        {
            std::unique_lock lock(mMutex);
            mWake.wait(lock, [this] { return mStopping || !mJobs.empty(); });
            if (mJobs.empty())
                return;
            job = std::move(mJobs.front());
            mJobs.pop_front();
        }
        job();
    }
}

void OVSerialQueue::async(OVJob job)
{
    {
        std::lock_guard lock(mMutex);
        mJobs.push_back(std::move(job));
    }
    mWake.notify_one();
}

void OVSerialQueue::sync(const OVJob &job)
{
    if (isCurrent()) {
        job();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneCondition;
    bool done = false;
    async([&] {
        job();
        std::lock_guard lock(doneMutex);
        done = true;
        doneCondition.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneCondition.wait(lock, [&] { return done; });
}

bool OVSerialQueue::isCurrent() const
{
    return std::this_thread::get_id() == mWorkerId;
}

// ---------------------------------------------------------------------------------------------
// Global pool, main thread, apply

namespace OVDispatch {

void global(OVJob job)
{
    QThreadPool::globalInstance()->start(std::move(job));
}

bool isMainThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void mainAsync(OVJob job)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(job), Qt::QueuedConnection);
}

void mainSync(const OVJob &job)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        job();
        return;
    }
    QMetaObject::invokeMethod(app, job, Qt::BlockingQueuedConnection);
}

void apply(size_t count, const std::function<void(size_t)> &body)
{
    if (count == 0)
        return;
    struct Shared
    {
        std::atomic<size_t> next{0};
        std::atomic<size_t> finished{0};
        std::mutex mutex;
        std::condition_variable allDone;
    };
    auto shared = std::make_shared<Shared>();
    const size_t total = count;
    auto work = [shared, total, &body] {
        size_t done = 0;
        for (size_t i = shared->next++; i < total; i = shared->next++) {
            body(i);
            ++done;
        }
        if (done && shared->finished.fetch_add(done) + done == total) {
            std::lock_guard lock(shared->mutex);
            shared->allDone.notify_all();
        }
    };
    const int helpers = std::max(0, QThreadPool::globalInstance()->maxThreadCount() - 1);
    for (int h = 0; h < helpers && size_t(h) + 1 < count; ++h)
        QThreadPool::globalInstance()->start(work);
    work();
    std::unique_lock lock(shared->mutex);
    shared->allDone.wait(lock, [&] { return shared->finished.load() == total; });
}

} // namespace OVDispatch

// ---------------------------------------------------------------------------------------------
// Groups

struct OVDispatchGroup::State
{
    std::mutex mutex;
    std::condition_variable emptied;
    int outstanding = 0;
    std::vector<OVJob> waiters; // run (each on its own target) when the group empties
};

OVDispatchGroup::OVDispatchGroup()
    : mState(std::make_shared<State>())
{
}

void OVDispatchGroup::enter()
{
    std::lock_guard lock(mState->mutex);
    ++mState->outstanding;
}

void OVDispatchGroup::leave()
{
    std::vector<OVJob> ready;
    {
        std::lock_guard lock(mState->mutex);
        if (mState->outstanding == 0)
            return;
        if (--mState->outstanding > 0)
            return;
        ready.swap(mState->waiters);
        mState->emptied.notify_all();
    }
    for (OVJob &job : ready)
        job();
}

void OVDispatchGroup::async(OVJob job)
{
    enter();
    auto state = *this;
    OVDispatch::global([state, job = std::move(job)]() mutable {
        job();
        state.leave();
    });
}

void OVDispatchGroup::async(OVSerialQueue &queue, OVJob job)
{
    enter();
    auto state = *this;
    queue.async([state, job = std::move(job)]() mutable {
        job();
        state.leave();
    });
}

bool OVDispatchGroup::wait(int timeoutMs)
{
    std::unique_lock lock(mState->mutex);
    auto isEmpty = [this] { return mState->outstanding == 0; };
    if (timeoutMs < 0) {
        mState->emptied.wait(lock, isEmpty);
        return true;
    }
    return mState->emptied.wait_for(lock, std::chrono::milliseconds(timeoutMs), isEmpty);
}

void OVDispatchGroup::notifyMain(OVJob job)
{
    OVJob onMain = [job = std::move(job)] { OVDispatch::mainAsync(job); };
    {
        std::lock_guard lock(mState->mutex);
        if (mState->outstanding > 0) {
            mState->waiters.push_back(std::move(onMain));
            return;
        }
    }
    onMain();
}

void OVDispatchGroup::notify(OVSerialQueue &queue, OVJob job)
{
    OVJob onQueue = [&queue, job = std::move(job)] { queue.async(job); };
    {
        std::lock_guard lock(mState->mutex);
        if (mState->outstanding > 0) {
            mState->waiters.push_back(std::move(onQueue));
            return;
        }
    }
    onQueue();
}
