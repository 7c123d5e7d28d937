// Names of the notifications the map engine observes.
#pragma once

#include <QString>

/// An overlay image of the map arrived; the map redraws.
inline const QString OVGeographyGeoDatasetLoaded = QStringLiteral("OVGeographyGeoDatasetLoaded");
