// System sleep and wake: logind's "PrepareForSleep(bool)" signal on the system bus (true before
// the machine sleeps, false after it woke). No inhibitor lock is taken: the program has nothing
// to finish before sleeping. Main thread only.
#pragma once

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QObject>

#include <memory>

/// The part of logind's manager interface the monitor listens to.
class NBLogindManager : public QDBusAbstractInterface
{
    Q_OBJECT

public:
    explicit NBLogindManager(const QDBusConnection &connection, QObject *parent = nullptr);

signals:
    void PrepareForSleep(bool start);
};

class NBSleepWakeMonitor : public QObject
{
    Q_OBJECT

public:
    /// Listens on `connection`; when it is not connected, logs
    /// "Failed to register for sleep/wake events." and never signals.
    explicit NBSleepWakeMonitor(const QDBusConnection &connection, QObject *parent = nullptr);
    ~NBSleepWakeMonitor() override;

    bool registered() const { return bool(mManager); }

signals:
    void systemWillSleep();
    void systemDidWake();

private:
    std::unique_ptr<NBLogindManager> mManager;
};
