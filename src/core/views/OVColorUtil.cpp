// Colour blending and HSB scaling over QColor's floating-point components.
#include "core/views/OVColorUtil.h"

#include <algorithm>

namespace {

double clamp01(double value)
{
    return std::clamp(value, 0.0, 1.0);
}

} // namespace

double OVColorUtil::whiteComponent(const QColor &color)
{
    return 0.299 * color.redF() + 0.587 * color.greenF() + 0.114 * color.blueF();
}

QColor OVColorUtil::blendedColor(const QColor &color, double fraction, const QColor &other)
{
    if (!color.isValid() || !other.isValid())
        return QColor();
    const double f = clamp01(fraction);
    const QColor a = color.toRgb();
    const QColor b = other.toRgb();
    return QColor::fromRgbF(float((1.0 - f) * a.redF() + f * b.redF()), float((1.0 - f) * a.greenF() + f * b.greenF()),
                            float((1.0 - f) * a.blueF() + f * b.blueF()),
                            float((1.0 - f) * a.alphaF() + f * b.alphaF()));
}

OVColorUtil::HSB OVColorUtil::hsb(const QColor &color)
{
    float h = 0, s = 0, v = 0, a = 0;
    color.toHsv().getHsvF(&h, &s, &v, &a);
    // An achromatic colour reports hue -1; its hue is irrelevant, so say 0.
    return HSB{h < 0 ? 0.0 : double(h), s, v, a};
}

QColor OVColorUtil::brightnessAdjustedColor(const QColor &color, double factor)
{
    const HSB c = hsb(color);
    return QColor::fromHsvF(float(c.hue), float(c.saturation), float(clamp01((1.0 + factor) * c.brightness)),
                            float(c.alpha));
}

QColor OVColorUtil::saturationAdjustedColor(const QColor &color, double factor)
{
    const HSB c = hsb(color);
    return QColor::fromHsvF(float(c.hue), float(clamp01((1.0 + factor) * c.saturation)), float(c.brightness),
                            float(c.alpha));
}
