#include "app/NBScheduler.h"

#include <QTimer>

#include <cmath>

std::shared_ptr<NBScheduler> NBScheduler::system()
{
    return std::make_shared<NBTimerScheduler>();
}

NBTimerScheduler::NBTimerScheduler()
    : mTimerParent(std::make_unique<QObject>())
{
}

NBTimerScheduler::~NBTimerScheduler() = default;

QDateTime NBTimerScheduler::now() const
{
    return QDateTime::currentDateTimeUtc();
}

uint64_t NBTimerScheduler::callAfter(double seconds, QObject *context, Job job)
{
    return start(seconds, false, context, std::move(job));
}

uint64_t NBTimerScheduler::callEvery(double seconds, QObject *context, Job job)
{
    return start(seconds, true, context, std::move(job));
}

void NBTimerScheduler::cancel(uint64_t id)
{
    const auto it = mTimers.find(id);
    if (it == mTimers.end())
        return;
    if (it->second)
        it->second->deleteLater();
    mTimers.erase(it);
}

uint64_t NBTimerScheduler::start(double seconds, bool repeating, QObject *context, Job job)
{
    const uint64_t id = mNextId++;
    auto *timer = new QTimer(mTimerParent.get());
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(std::max(0, int(std::lround(seconds * 1000.0))));
    QPointer<QObject> guard(context);
    QObject::connect(timer, &QTimer::timeout, timer, [this, id, repeating, guard, job = std::move(job)] {
        if (!guard) {
            cancel(id);
            return;
        }
        if (!repeating)
            cancel(id);
        job();
    });
    mTimers.emplace(id, timer);
    timer->start();
    return id;
}
