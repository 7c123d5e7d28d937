// Scroller set-up, its arrowless style and the slot and knob drawing.
#include "core/views/NBScroller.h"

#include "core/NBPrefController.h"

#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace {

// The platform style, without arrow buttons: the groove is the whole bar and the slider is
// placed along it by the usual proportional rule.
class ArrowlessScrollBarStyle : public QProxyStyle
{
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget) const override
    {
        const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control != CC_ScrollBar || !bar)
            return QProxyStyle::subControlRect(control, option, subControl, widget);
        const QRect bounds = bar->rect;
        const bool vertical = bar->orientation == Qt::Vertical;
        const int length = vertical ? bounds.height() : bounds.width();
        const qint64 range = qint64(bar->maximum) - bar->minimum;
        int knobLength = length;
        if (range > 0) {
            knobLength = int(qint64(bar->pageStep) * length / (range + bar->pageStep));
            knobLength = std::clamp(knobLength, std::min(length, pixelMetric(PM_ScrollBarSliderMin, bar, widget)),
                                    length);
        }
        const int knobStart = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                                      length - knobLength, bar->upsideDown);
        auto along = [&](int start, int extent) {
            return vertical ? QRect(bounds.x(), bounds.y() + start, bounds.width(), extent)
                            : QRect(bounds.x() + start, bounds.y(), extent, bounds.height());
        };
        switch (subControl) {
        case SC_ScrollBarGroove:
            return bounds;
        case SC_ScrollBarSlider:
            return along(knobStart, knobLength);
        case SC_ScrollBarSubPage:
            return along(0, knobStart);
        case SC_ScrollBarAddPage:
            return along(knobStart + knobLength, length - knobStart - knobLength);
        default: // arrow buttons and first/last: none
            return QRect();
        }
    }
};

} // namespace

NBScroller::NBScroller(QWidget *parent)
    : QScrollBar(parent)
{
    auto *style = new ArrowlessScrollBarStyle;
    style->setParent(this);
    setStyle(style);
    setup();
}

void NBScroller::setup()
{
    mKnobColor = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.6f);
    mBackgroundColor = NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>();
    update();
}

void NBScroller::setBackgroundGradient(const std::optional<OVGradient> &gradient)
{
    mBackgroundGradient = gradient;
    update();
}

void NBScroller::setKnobGradient(const std::optional<OVGradient> &gradient)
{
    mKnobGradient = gradient;
    update();
}

void NBScroller::setBackgroundColor(const QColor &color)
{
    mBackgroundColor = color;
    update();
}

void NBScroller::setKnobColor(const QColor &color)
{
    mKnobColor = color;
    update();
}

QRectF NBScroller::subControlRect(int subControl) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.orientation = isOrientationVertical() ? Qt::Vertical : Qt::Horizontal;
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SubControl(subControl), this);
}

QRectF NBScroller::knobRect() const
{
    return subControlRect(QStyle::SC_ScrollBarSlider);
}

QRectF NBScroller::knobSlotRect() const
{
    return subControlRect(QStyle::SC_ScrollBarGroove);
}

QPainterPath NBScroller::knobPath() const
{
    QRectF k = knobRect();
    double radius = 0.0;
    if (isOrientationVertical()) {
        k.adjust(3, 1, -3, -1);
        radius = std::trunc(k.width() / 2.0);
    } else {
        k.adjust(1, 3, -1, -3);
        radius = std::trunc(k.height() / 2.0);
    }
    QPainterPath path;
    path.addRoundedRect(k, radius, radius);
    return path;
}

void NBScroller::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dirty = event->rect();
    drawKnobSlotInRect(painter, dirty, false);
    if (dirty.intersects(knobRect()))
        drawKnob(painter);
}

void NBScroller::resizeEvent(QResizeEvent *event)
{
    const Qt::Orientation shape = isOrientationVertical() ? Qt::Vertical : Qt::Horizontal;
    if (orientation() != shape)
        setOrientation(shape);
    QScrollBar::resizeEvent(event);
}

void NBScroller::drawKnobSlotInRect(QPainter &painter, const QRectF &rect, bool)
{
    const QRectF bounds(0, 0, width(), height());
    QRectF slot = rect;
    if (isOrientationVertical()) {
        slot.setLeft(bounds.left());
        slot.setWidth(bounds.width());
    } else {
        slot.setTop(bounds.top());
        slot.setHeight(bounds.height());
    }
    if (mBackgroundGradient)
        mBackgroundGradient->drawInRect(painter, knobSlotRect(), -90.0);
    else if (mBackgroundColor.isValid())
        painter.fillRect(slot, mBackgroundColor);

    if (mBackgroundGradient || mBackgroundColor.isValid()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor::fromRgbF(0.15f, 0.15f, 0.15f, 1.0f), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bounds.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

void NBScroller::drawKnob(QPainter &painter)
{
    const QPainterPath knob = knobPath();
    if (mKnobGradient) {
        mKnobGradient->drawInPath(painter, knob, isOrientationVertical() ? 0.0 : 90.0);
        painter.strokePath(knob, QPen(QColor::fromRgbF(0.11f, 0.10f, 0.13f, 1.0f), 1.0));
    } else if (mKnobColor.isValid()) {
        painter.fillPath(knob, mKnobColor);
    }
}
