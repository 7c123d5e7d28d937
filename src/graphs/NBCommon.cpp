// The temperature colour scale.
#include "graphs/NBCommon.h"

#include "core/views/OVColorUtil.h"
#include "weather/OVUnitConversions.h"

#include <QHash>

#include <cmath>

namespace {

struct Scale
{
    OVGradient full;
    OVGradient medium;
    OVGradient light;
};

QList<QColor> blendedTowardWhite(const QList<QColor> &colors, double fraction)
{
    QList<QColor> blended;
    for (const QColor &c : colors)
        blended.append(OVColorUtil::blendedColor(c, fraction, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f)));
    return blended;
}

const Scale &scale()
{
    // Cold to warm; evenly spaced, so stop k sits at -40 + 83 k / 7 °C.
    static const Scale instance = [] {
        const QList<QColor> colors{
            QColor::fromRgbF(0.937254f, 0.878431f, 1.0f), QColor::fromRgbF(0.5f, 0.0f, 1.0f),
            QColor::fromRgbF(0.0f, 0.0f, 1.0f),           QColor::fromRgbF(0.0f, 0.752941f, 1.0f),
            QColor::fromRgbF(0.0f, 1.0f, 0.0f),           QColor::fromRgbF(1.0f, 1.0f, 0.0f),
            QColor::fromRgbF(1.0f, 0.0f, 0.0f),           QColor::fromRgbF(0.580392f, 0.180392f, 0.0f),
        };
        return Scale{OVGradient(colors), OVGradient(blendedTowardWhite(colors, 0.4)),
                     OVGradient(blendedTowardWhite(colors, 0.7))};
    }();
    return instance;
}

double celsiusOf(double fahrenheit)
{
    return double(celsiusFromFahrenheit(float(fahrenheit)));
}

} // namespace

const OVGradient &NBCommon::temperatureGradient()
{
    return scale().full;
}

const OVGradient &NBCommon::mediumTemperatureGradient()
{
    return scale().medium;
}

const OVGradient &NBCommon::lightTemperatureGradient()
{
    return scale().light;
}

double NBCommon::scalePositionForTemperatureC(double celsius)
{
    if (std::isnan(celsius) || celsius < temperatureGradientMinC())
        return 0.0;
    if (celsius > temperatureGradientMaxC())
        return 1.0;
    return (celsius - temperatureGradientMinC()) / (temperatureGradientMaxC() - temperatureGradientMinC());
}

QColor NBCommon::colorForTemperatureC(double celsius)
{
    return temperatureGradient().interpolatedColorAtLocation(scalePositionForTemperatureC(celsius));
}

QColor NBCommon::mediumColorForTemperatureC(double celsius)
{
    return mediumTemperatureGradient().interpolatedColorAtLocation(scalePositionForTemperatureC(celsius));
}

QColor NBCommon::lightColorForTemperatureC(double celsius)
{
    return lightTemperatureGradient().interpolatedColorAtLocation(scalePositionForTemperatureC(celsius));
}

QColor NBCommon::colorForTemperatureF(double fahrenheit)
{
    return colorForTemperatureC(celsiusOf(fahrenheit));
}

QColor NBCommon::mediumColorForTemperatureF(double fahrenheit)
{
    return mediumColorForTemperatureC(celsiusOf(fahrenheit));
}

QColor NBCommon::lightColorForTemperatureF(double fahrenheit)
{
    return lightColorForTemperatureC(celsiusOf(fahrenheit));
}

QColor NBCommon::colorForTemperatureCInt(int celsius)
{
    static QHash<int, QColor> cache;
    const auto found = cache.constFind(celsius);
    if (found != cache.constEnd())
        return *found;
    const QColor color = colorForTemperatureC(double(celsius)).toRgb();
    if (color.isValid())
        cache.insert(celsius, color);
    return color;
}
