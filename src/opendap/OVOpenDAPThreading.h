// Thread helpers shared by the OpenDAP objects.
//
// Serial queues: work queued on them holds a std::shared_ptr to its object, so the last
// reference may drop inside a job on the queue's own thread; the queue is then handed to the
// global pool for release, because a queue cannot be torn down from its own worker without
// outliving the object that owns it.
//
// Download notifications: an object observes them through a weak pointer, so a delivery never
// keeps it alive and never reaches it after its destruction.
#pragma once

#include "opendap/OVOpenDAPNotifications.h"
#include "platform/OVDispatch.h"
#include "platform/OVNotificationCenter.h"

#include <memory>
#include <mutex>

namespace OVOpenDAPThreading {

inline std::shared_ptr<OVSerialQueue> makeQueue(const char *label)
{
    return std::make_shared<OVSerialQueue>(QString::fromLatin1(label));
}

inline void releaseQueue(std::shared_ptr<OVSerialQueue> queue)
{
    if (queue && queue->isCurrent())
        OVDispatch::global([queue = std::move(queue)] {});
}

/// Calls `object->gatherDataPostProcessing` for every OpenDAP download notification while the
/// object lives. The object removes the observer (owner: itself) in its destructor.
template <class T>
void observeDataLoaded(const std::shared_ptr<T> &object)
{
    std::weak_ptr<T> weak = object;
    OVNotificationCenter::defaultCenter().addObserver(object.get(), OVNotifyOpenDAPDataLoaded,
                                                      [weak](const OVNotification &notification) {
                                                          if (const auto self = weak.lock())
                                                              self->gatherDataPostProcessing(notification);
                                                      });
}

template <class Mutex, class T>
T lockedCopy(Mutex &mutex, const T &member)
{
    std::lock_guard lock(mutex);
    return member;
}

template <class Mutex, class T>
void lockedAssign(Mutex &mutex, T &member, const T &value)
{
    std::lock_guard lock(mutex);
    member = value;
}

} // namespace OVOpenDAPThreading
