#include "map/OVMapSettings.h"

#include "platform/OVUserDefaults.h"

namespace OVMapSettings {

QVariantMap defaults()
{
    using namespace OVMapSettingKey;
    return {
        {QString(isPlaying), false},
        {QString(timeInterval), 0},
        {QString(animationSpeed), 0.2},
        {QString(animationFrames), 10},
        {QString(radarOpacity), 1.0},
        {QString(showParticleMode), true},
        {QString(particleDensity), 1},
        {QString(pauseParticleModeInBackground), false},
        {QString(useDarkParticles), false},
        {QString(showPlacemarks), true},
        {QString(satelliteOpacity), 0.75},
        {QString(particleModeModelType), 21},
    };
}

QStringList userDefaultKeys()
{
    using namespace OVMapSettingKey;
    return {isPlaying,          timeInterval, animationSpeed,      animationFrames,
            radarOpacity,       satelliteOpacity, particleDensity, useDarkParticles,
            showTerrain,        showRadar,    showSatellite,       showGrid,
            showText,           showSurfaceAnalysis, showParticleMode, pauseParticleModeInBackground,
            particleModeModelType};
}

qint64 particleColumnsForDensityIndex(qint64 index)
{
    static constexpr qint64 kColumns[] = {100, 150, 250, 400};
    // Taken as unsigned, so a negative index is passed on like any other out-of-table value.
    return static_cast<quint64>(index) <= 3 ? kColumns[index] : index;
}

bool boolValue(const QVariantMap &settings, QLatin1String key)
{
    return OVUserDefaults::variantToBool(settings.value(QString(key)));
}

qint64 integerValue(const QVariantMap &settings, QLatin1String key)
{
    return OVUserDefaults::variantToInteger(settings.value(QString(key)));
}

double doubleValue(const QVariantMap &settings, QLatin1String key)
{
    return OVUserDefaults::variantToDouble(settings.value(QString(key)));
}

} // namespace OVMapSettings
