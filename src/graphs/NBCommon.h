// The program's temperature colour scale: eight colours from -40 °C (pale lavender) to 43 °C
// (brown), with a medium (paler) and a light (palest) version, and temperature -> colour lookups.
//
// The gradients are made once, thread-safely, on first use; the whole-degree colour cache is for
// the main thread only.
#pragma once

#include "core/views/OVGradient.h"

#include <QColor>

class NBCommon
{
public:
    static constexpr double temperatureGradientMinC() { return -40.0; }
    static constexpr double temperatureGradientMaxC() { return 43.0; }

    static const OVGradient &temperatureGradient();
    /// The colours blended 40 % toward white.
    static const OVGradient &mediumTemperatureGradient();
    /// The colours blended 70 % toward white.
    static const OVGradient &lightTemperatureGradient();

    /// The position of a temperature on the scale: 0 at -40 °C and below, 1 at 43 °C and above.
    /// A NaN has no place on the scale and lands at 0.
    static double scalePositionForTemperatureC(double celsius);

    static QColor colorForTemperatureC(double celsius);
    static QColor mediumColorForTemperatureC(double celsius);
    static QColor lightColorForTemperatureC(double celsius);
    /// Fahrenheit goes through single precision and `celsiusFromFahrenheit` first.
    static QColor colorForTemperatureF(double fahrenheit);
    static QColor mediumColorForTemperatureF(double fahrenheit);
    static QColor lightColorForTemperatureF(double fahrenheit);
    /// The full scale's colour of a whole degree, cached. Main thread.
    static QColor colorForTemperatureCInt(int celsius);
};
