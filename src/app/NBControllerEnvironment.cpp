#include "app/NBControllerEnvironment.h"

#include "core/OVLocationDB.h"

#include <QCoreApplication>
#include <QGeoPositionInfoSource>

NBControllerEnvironment NBControllerEnvironment::standard()
{
    NBControllerEnvironment environment;
    environment.scheduler = NBScheduler::system();
    environment.alerts = NBAlertService::messageBoxes();
    environment.locationDatabase = [] { return OVLocationDB::sharedLocationManager(); };
    environment.reachabilitySource = [] { return NBReachabilitySource::networkInformation(); };
    environment.systemBus = [] { return QDBusConnection::systemBus(); };
    environment.positionSource = [](QObject *parent) { return QGeoPositionInfoSource::createDefaultSource(parent); };
    environment.terminate = [](int exitCode) { QCoreApplication::exit(exitCode); };
    return environment;
}
