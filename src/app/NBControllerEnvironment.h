// What the application controller takes from outside, so tests can run a whole launch with a
// stepped clock, recorded alerts, a fixture location database, a network they switch by hand,
// a private message bus and a recorded position. `standard()` gives the program's own.
#pragma once

#include "app/NBAlertService.h"
#include "app/NBReachabilitySource.h"
#include "app/NBScheduler.h"

#include <QDBusConnection>

#include <functional>
#include <memory>

class OVLocationDB;
class QGeoPositionInfoSource;
class QObject;

struct NBControllerEnvironment
{
    /// "Now" and the delayed calls.
    std::shared_ptr<NBScheduler> scheduler;
    std::shared_ptr<NBAlertService> alerts;
    /// The location database that restores saved places and finds the nearest place.
    std::function<std::shared_ptr<OVLocationDB>()> locationDatabase;
    /// The network state behind the reachability monitor.
    std::function<std::unique_ptr<NBReachabilitySource>()> reachabilitySource;
    /// The bus that carries logind's sleep and wake signals.
    std::function<QDBusConnection()> systemBus;
    /// A position source owned by `parent`, or null when the machine has none.
    std::function<QGeoPositionInfoSource *(QObject *parent)> positionSource;
    /// Ends the program with this exit code (the shutdown path runs as for any quit).
    std::function<void(int exitCode)> terminate;

    /// System clock and timers, message boxes, the shipped location database, Qt's network
    /// information, the system bus, the default position source, QCoreApplication::exit.
    static NBControllerEnvironment standard();
};
