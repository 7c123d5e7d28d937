// The name-based notification centre.
//
// A notification carries a name, an object (any value in a QVariant; shared objects travel as
// std::shared_ptr in the variant) and a user-info map. `post` delivers synchronously, on the
// posting thread, to every matching observer in registration order. `postOnMainThread` hands
// the notification to the main thread's event loop (or waits for its delivery there).
//
// Observers are registered under an owner (any stable pointer, usually `this`) and removed by
// owner. An observer removed before or during a delivery is not called after its removal
// returns, even from another thread, so an owner may remove itself in its destructor.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct OVNotification
{
    QString name;
    QVariant object;
    QVariantMap userInfo;
};

class OVNotificationCenter
{
public:
    using Handler = std::function<void(const OVNotification &)>;

    /// The process's centre.
    static OVNotificationCenter &defaultCenter();

    /// Calls `handler` for every notification named `name` (empty: every name) whose object
    /// equals `object` (a null variant: any object). Returns an id for `removeObserver(id)`.
    uint64_t addObserver(const void *owner, const QString &name, Handler handler,
                         const QVariant &object = QVariant());
    /// Removes every observer of the owner; with a name, only those of that name.
    void removeObserver(const void *owner, const QString &name = QString());
    void removeObserverWithId(uint64_t id);

    /// Delivers now, on this thread.
    void post(const QString &name, const QVariant &object = QVariant(),
              const QVariantMap &userInfo = QVariantMap());
    void post(const OVNotification &notification);

    /// Delivers on the main thread: queued through the event loop, or, with `wait`, before this
    /// call returns (directly when already on the main thread).
    void postOnMainThread(const QString &name, const QVariant &object = QVariant(),
                          const QVariantMap &userInfo = QVariantMap(), bool wait = false);

private:
    struct Observer
    {
        uint64_t id;
        const void *owner;
        QString name;
        QVariant object;
        Handler handler;
        // Cleared on removal; checked under `gate` right before each call.
        std::shared_ptr<bool> alive;
        std::shared_ptr<std::recursive_mutex> gate;
    };

    std::mutex mMutex;
    std::vector<Observer> mObservers;
    uint64_t mNextId = 1;
};
