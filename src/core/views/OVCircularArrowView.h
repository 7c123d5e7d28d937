// A wind-direction arrow cut out of a translucent disc, which swings to a new direction like a
// compass needle settling (the current-conditions panel).
//
// Directions are meteorological degrees (0 = wind from the north, 90 = from the east). The arrow
// is drawn pointing up in the view's y-up space and the whole drawing is turned about the view's
// centre by A = 180 - direction degrees counter-clockwise, so wind from the north points down and
// wind from the east points left. Main thread.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QWidget>

class QVariantAnimation;

class OVCircularArrowView : public QWidget
{
    Q_OBJECT

public:
    /// The arrow's measures in a view of the given bounds (y-up).
    struct Geometry
    {
        QRectF disc;          // the square S holding the disc
        double length = 0.0;  // L = 0.6 s
        double shaftWidth = 0.0;
        double headLength = 0.0;
    };
    static Geometry geometryForBounds(const QRectF &bounds);

    explicit OVCircularArrowView(QWidget *parent = nullptr);

    QColor circleColor() const { return mCircleColor; }
    void setCircleColor(const QColor &color);
    /// An invalid colour draws no outline.
    QColor strokeColor() const { return mStrokeColor; }
    void setStrokeColor(const QColor &color);

    void setDirection(double degrees, bool animated = true);

    /// The disc with the arrow cut out (even-odd fill), in the view's y-up space before rotation.
    QPainterPath arrowPath() const;

    /// The rotation shown now, in degrees counter-clockwise.
    double currentRotation() const { return mRotation; }
    /// The rotation of the last turn (180 - direction).
    double lastDirection() const { return mLastDirection; }
    /// The swing animation (exposed for its key values and state).
    const QVariantAnimation *animation() const { return mAnimation; }

    /// The 32 angles of a swing to `target` by `delta` degrees: target - delta x 2.71^(-t/2) x cos t
    /// for t = 0, 0.25, ..., 7.75.
    static QList<double> swingAngles(double target, double delta);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor mCircleColor = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.7f);
    QColor mStrokeColor;
    double mLastDirection = 0.0;
    double mRotation = 0.0;
    QVariantAnimation *mAnimation = nullptr;
};
