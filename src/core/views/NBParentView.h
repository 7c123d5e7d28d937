// The dark, rounded panel every main-window panel is built on (forecast strip, sun and moon dial,
// current conditions, the graph stack).
//
// The base fills a rounded rectangle over its bounds (radius `cornerRadius`) with the settings
// store's "viewBackgroundColor" and is transparent outside it. Subclasses override `drawRect`:
// call the base first, then save the painter, clip to `clippingPath`, draw within `drawingRect`
// and restore. Geometry is in the view's own space: y-up unless `flipped` is set. Main thread.
#pragma once

#include "core/views/OVGradient.h"

#include <QPainterPath>
#include <QRectF>
#include <QWidget>

class NBParentView : public QWidget
{
    Q_OBJECT

public:
    /// Corner radius of the panel fill; the main window's layout reads it too.
    static double cornerRadius() { return 8.0; }

    explicit NBParentView(QWidget *parent = nullptr);

    /// Offered to subclasses; the base draws neither. Light to dark and dark to light
    /// ("OVColorLightBackground", "OVColorDarkBackground").
    const OVGradient &borderGradient() const { return mBorderGradient; }
    void setBorderGradient(const OVGradient &gradient) { mBorderGradient = gradient; }
    const OVGradient &backgroundGradient() const { return mBackgroundGradient; }
    void setBackgroundGradient(const OVGradient &gradient) { mBackgroundGradient = gradient; }

    /// A flipped panel draws in Qt's y-down space; otherwise the origin is the bottom left.
    bool flipped() const { return mFlipped; }
    void setFlipped(bool flipped);

    QRectF outerRect() const;
    /// The bounds inset by 3 on every side.
    QRectF innerRect() const;
    /// Where subclasses draw and lay out: the inner rectangle.
    QRectF drawingRect() const { return innerRect(); }
    /// A rounded rectangle (radius 5) over the inner rectangle, for subclasses to clip to.
    QPainterPath clippingPath() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    /// Fills the panel; `painter` is already in the view's space. The dirty rectangle (in the
    /// same space) is not used by the base.
    virtual void drawRect(QPainter &painter, const QRectF &dirty);

private:
    OVGradient mBorderGradient;
    OVGradient mBackgroundGradient;
    bool mFlipped = false;
};
