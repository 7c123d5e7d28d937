// The map settings: the keys of the map controller's settings map, its twelve defaults, the
// user-default keys the map view copies over them at its first frame, and typed reads.
//
// Values come from the user defaults, where booleans may be stored as "YES"/"NO" or "1"/"0"
// text, so every read goes through the user defaults' coercions (QVariant::toBool would take
// "NO" for true). An absent boolean reads as false, an absent number as 0. Pure; any thread.
#pragma once

#include <QLatin1String>
#include <QStringList>
#include <QVariantMap>

namespace OVMapSettingKey {
inline constexpr QLatin1String isPlaying{"OVGeographyMapIsPlaying"};
/// 0: steps of 12 minutes; any other value: steps of 3 hours.
inline constexpr QLatin1String timeInterval{"OVGeographyMapTimeInterval"};
/// Seconds per loop step.
inline constexpr QLatin1String animationSpeed{"OVGeographyMapAnimationSpeed"};
/// Number of loop steps; read once, when the controller is made.
inline constexpr QLatin1String animationFrames{"OVGeographyMapAnimationFrames"};
inline constexpr QLatin1String radarOpacity{"OVGeographyMapRadarOpacity"};
inline constexpr QLatin1String satelliteOpacity{"OVGeographyMapSatelliteOpacity"};
/// Particle columns in the settings map; a density index (0..3) in the user defaults.
inline constexpr QLatin1String particleDensity{"OVGeographyMapParticleDensity"};
inline constexpr QLatin1String useDarkParticles{"OVGeographyMapUseDarkParticles"};
inline constexpr QLatin1String showTerrain{"OVGeographyMapLayerShowTerrain"};
inline constexpr QLatin1String showRadar{"OVGeographyMapLayerShowRadar"};
inline constexpr QLatin1String showSatellite{"OVGeographyMapLayerShowSatellite"};
inline constexpr QLatin1String showGrid{"OVGeographyMapLayerShowGrid"};
inline constexpr QLatin1String showText{"OVGeographyMapLayerShowText"};
inline constexpr QLatin1String showSurfaceAnalysis{"OVGeographyMapLayerShowSurfaceAnalysis"};
inline constexpr QLatin1String showParticleMode{"OVGeographyMapLayerShowParticleMode"};
inline constexpr QLatin1String showPlacemarks{"OVGeographyMapLayerShowPlacemarks"};
inline constexpr QLatin1String pauseParticleModeInBackground{"OVGeographyMapLayerPauseParticleModeInBackground"};
/// Kept for the settings' sake; nothing reads it.
inline constexpr QLatin1String particleModeModelType{"OVGeographyMapLayerParticleModeModelType"};
} // namespace OVMapSettingKey

namespace OVMapSettings {

/// A fresh map of exactly the twelve defaults.
QVariantMap defaults();

/// The 17 user-default keys the map view copies over the defaults at its first frame, in
/// copy order (the placemark switch is not among them).
QStringList userDefaultKeys();

/// Particle columns for a stored density index: 0 100, 1 150, 2 250, 3 400; any other value
/// is passed on unchanged (the controller clamps it).
qint64 particleColumnsForDensityIndex(qint64 index);

bool boolValue(const QVariantMap &settings, QLatin1String key);
qint64 integerValue(const QVariantMap &settings, QLatin1String key);
double doubleValue(const QVariantMap &settings, QLatin1String key);

} // namespace OVMapSettings
