#include "app/NBSleepWakeMonitor.h"

#include "platform/OVLog.h"

NBLogindManager::NBLogindManager(const QDBusConnection &connection, QObject *parent)
    : QDBusAbstractInterface(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                             "org.freedesktop.login1.Manager", connection, parent)
{
}

NBSleepWakeMonitor::NBSleepWakeMonitor(const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
{
    if (!connection.isConnected()) {
        OVLog(QStringLiteral("Failed to register for sleep/wake events."));
        return;
    }
    mManager = std::make_unique<NBLogindManager>(connection);
    connect(mManager.get(), &NBLogindManager::PrepareForSleep, this, [this](bool start) {
        if (start)
            emit systemWillSleep();
        else
            emit systemDidWake();
    });
}

NBSleepWakeMonitor::~NBSleepWakeMonitor() = default;
