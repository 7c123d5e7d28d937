#include "platform/OVNotificationCenter.h"

#include "platform/OVDispatch.h"

#include <algorithm>

OVNotificationCenter &OVNotificationCenter::defaultCenter()
{
    // Never destroyed: shared objects that outlive main (registries, shared clients) still
    // remove their observers in their destructors during static destruction.
    static OVNotificationCenter *center = new OVNotificationCenter;
    return *center;
}

uint64_t OVNotificationCenter::addObserver(const void *owner, const QString &name, Handler handler,
                                           const QVariant &object)
{
    std::lock_guard lock(mMutex);
    const uint64_t id = mNextId++;
    mObservers.push_back({id, owner, name, object, std::move(handler), std::make_shared<bool>(true),
                          std::make_shared<std::recursive_mutex>()});
    return id;
}

namespace {

// Marks an observer dead. Taking its gate waits for a delivery running on another thread;
// the gate is recursive so an observer may remove itself from inside its own handler.
template <typename Entry>
void retire(const Entry &observer)
{
    std::lock_guard gate(*observer.gate);
    *observer.alive = false;
}

} // namespace

void OVNotificationCenter::removeObserver(const void *owner, const QString &name)
{
    std::vector<Observer> removed;
    {
        std::lock_guard lock(mMutex);
        auto matches = [&](const Observer &o) {
            return o.owner == owner && (name.isEmpty() || o.name == name);
        };
        std::copy_if(mObservers.begin(), mObservers.end(), std::back_inserter(removed), matches);
        std::erase_if(mObservers, matches);
    }
    for (const Observer &o : removed)
        retire(o);
}

void OVNotificationCenter::removeObserverWithId(uint64_t id)
{
    std::vector<Observer> removed;
    {
        std::lock_guard lock(mMutex);
        auto matches = [&](const Observer &o) { return o.id == id; };
        std::copy_if(mObservers.begin(), mObservers.end(), std::back_inserter(removed), matches);
        std::erase_if(mObservers, matches);
    }
    for (const Observer &o : removed)
        retire(o);
}

void OVNotificationCenter::post(const QString &name, const QVariant &object,
                                const QVariantMap &userInfo)
{
    post(OVNotification{name, object, userInfo});
}

void OVNotificationCenter::post(const OVNotification &notification)
{
    std::vector<Observer> targets;
    {
        std::lock_guard lock(mMutex);
        for (const Observer &o : mObservers) {
            if (!o.name.isEmpty() && o.name != notification.name)
                continue;
            if (!o.object.isNull() && o.object != notification.object)
                continue;
            targets.push_back(o);
        }
    }
    for (const Observer &o : targets) {
        std::lock_guard gate(*o.gate);
        if (*o.alive)
            o.handler(notification);
    }
}

void OVNotificationCenter::postOnMainThread(const QString &name, const QVariant &object,
                                            const QVariantMap &userInfo, bool wait)
{
    OVNotification notification{name, object, userInfo};
    auto deliver = [this, notification] { post(notification); };
    if (wait)
        OVDispatch::mainSync(deliver);
    else
        OVDispatch::mainAsync(deliver);
}
