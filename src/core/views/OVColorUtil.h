// Colour helpers the views share: component getters, blending, and brightness and saturation
// scaling. Components are doubles in 0..1; every operation includes alpha where it blends.
// Stateless; any thread.
#pragma once

#include <QColor>

class OVColorUtil
{
public:
    static double redComponent(const QColor &color) { return color.redF(); }
    static double greenComponent(const QColor &color) { return color.greenF(); }
    static double blueComponent(const QColor &color) { return color.blueF(); }
    static double alphaComponent(const QColor &color) { return color.alphaF(); }
    /// The grey level of the colour (luma weights 0.299, 0.587, 0.114; a grey answers its level).
    static double whiteComponent(const QColor &color);

    /// (1 - fraction) x color + fraction x other, component by component, alpha included.
    /// The fraction is clamped to 0..1; an invalid colour on either side gives an invalid colour.
    static QColor blendedColor(const QColor &color, double fraction, const QColor &other);

    struct HSB
    {
        double hue = 0.0; // 0..1
        double saturation = 0.0;
        double brightness = 0.0;
        double alpha = 0.0;
    };
    /// The colour's hue, saturation, brightness (HSV value) and alpha, all in 0..1.
    static HSB hsb(const QColor &color);

    /// Same hue, saturation and alpha; brightness min(1, (1 + factor) x brightness).
    static QColor brightnessAdjustedColor(const QColor &color, double factor);
    /// Same hue, brightness and alpha; saturation min(1, (1 + factor) x saturation).
    static QColor saturationAdjustedColor(const QColor &color, double factor);
};
