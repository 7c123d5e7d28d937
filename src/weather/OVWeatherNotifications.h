// Names of the notifications with which the forecast clients announce new data. Each is posted
// on the main thread with the posting client (a pointer to it) as object.
#pragma once

#include <QString>

/// A forecast client stored a reply.
inline const QString OVEnvironmentNotifyForecastLoaded =
    QStringLiteral("OVEnvironmentNotifyForecastLoaded");
/// The forecast data service client stored a reply, which may hold a new surface analysis.
inline const QString OVEnvironmentNotifySurfaceAnalysisLoaded =
    QStringLiteral("OVEnvironmentNotifySurfaceAnalysisLoaded");
/// Views showing forecasts should redraw.
inline const QString OVNotifyForecastNeedsDisplay = QStringLiteral("OVNotifyForecastNeedsDisplay");
/// The weather controller has a new current location (object: the location, null for none).
inline const QString OVNotifyNewCurrentLocation = QStringLiteral("OVNotifyNewCurrentLocation");
/// A location's time zone changed (object: the location).
inline const QString OVNotifyTimeNeedsDisplay = QStringLiteral("OVNotifyTimeNeedsDisplay");
