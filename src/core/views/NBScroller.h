// The slim custom-drawn scroller of the graph stack and the location list: a slot filled with a
// colour (or a gradient) and framed, and a rounded translucent knob; no arrow buttons.
//
// The slot and knob rectangles come from the scroller's own style, which has no arrow buttons.
// "Vertical" means taller than wide; the scroll bar's orientation follows its shape. Drawn in
// Qt's y-down space. Main thread.
#pragma once

#include "core/views/OVGradient.h"

#include <QColor>
#include <QPainterPath>
#include <QScrollBar>

#include <optional>

class NBScroller : public QScrollBar
{
    Q_OBJECT

public:
    /// The only arrows position: no arrow buttons.
    static constexpr int kArrowsNone = 2;

    explicit NBScroller(QWidget *parent = nullptr);

    /// Knob white alpha 0.6, slot "viewBackgroundColor" from the settings store, no gradients,
    /// no arrows. Run by the constructor; again for a scroller built elsewhere.
    void setup();

    int arrowsPosition() const { return kArrowsNone; }
    /// Ignored: the scroller never has arrow buttons.
    void setArrowsPosition(int) {}

    bool isOrientationVertical() const { return height() > width(); }

    const std::optional<OVGradient> &backgroundGradient() const { return mBackgroundGradient; }
    void setBackgroundGradient(const std::optional<OVGradient> &gradient);
    const std::optional<OVGradient> &knobGradient() const { return mKnobGradient; }
    void setKnobGradient(const std::optional<OVGradient> &gradient);
    /// An invalid colour means none.
    QColor backgroundColor() const { return mBackgroundColor; }
    void setBackgroundColor(const QColor &color);
    QColor knobColor() const { return mKnobColor; }
    void setKnobColor(const QColor &color);

    /// The knob rectangle and the slot rectangle of the style (no arrow buttons).
    QRectF knobRect() const;
    QRectF knobSlotRect() const;
    /// The knob as drawn: inset 3 across and 1 along, radius half the thickness (truncated).
    QPainterPath knobPath() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    void drawKnobSlotInRect(QPainter &painter, const QRectF &rect, bool highlight);
    void drawKnob(QPainter &painter);

private:
    QRectF subControlRect(int subControl) const;

    std::optional<OVGradient> mBackgroundGradient;
    std::optional<OVGradient> mKnobGradient;
    QColor mBackgroundColor;
    QColor mKnobColor;
};
