// Arrow geometry, drawing and the damped swing animation of the wind-direction disc.
#include "core/views/OVCircularArrowView.h"

#include "core/views/OVPathUtil.h"
#include "core/views/OVYUp.h"

#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSwingKeyCount = 32;
constexpr double kSwingTimeStep = 0.25;
constexpr double kDampingBase = 2.71;
constexpr int kSwingDurationMs = 1500;

} // namespace

OVCircularArrowView::Geometry OVCircularArrowView::geometryForBounds(const QRectF &bounds)
{
    const QRectF r = bounds.adjusted(1.0, 1.0, -1.0, -1.0);
    const double s = std::min(r.width(), r.height());
    Geometry g;
    g.disc = QRectF(r.x() + (r.width() - s) / 2.0, r.y() + (r.height() - s) / 2.0, s, s);
    g.length = 0.6 * s;
    g.shaftWidth = std::round(0.27 * g.length); // halves away from zero
    g.headLength = 3.2 * g.shaftWidth;
    return g;
}

OVCircularArrowView::OVCircularArrowView(QWidget *parent)
    : QWidget(parent)
    , mAnimation(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    mAnimation->setDuration(kSwingDurationMs);
    connect(mAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        mRotation = value.toDouble();
        update();
    });
}

void OVCircularArrowView::setCircleColor(const QColor &color)
{
    if (color == mCircleColor)
        return;
    mCircleColor = color;
    update();
}

void OVCircularArrowView::setStrokeColor(const QColor &color)
{
    if (color == mStrokeColor)
        return;
    mStrokeColor = color;
    update();
}

QList<double> OVCircularArrowView::swingAngles(double target, double delta)
{
    QList<double> angles;
    for (int i = 0; i < kSwingKeyCount; ++i) {
        const double t = i * kSwingTimeStep;
        angles.append(target - delta * std::pow(kDampingBase, -t / 2.0) * std::cos(t));
    }
    return angles;
}

void OVCircularArrowView::setDirection(double degrees, bool animated)
{
    const double target = 180.0 - degrees;
    if (std::fabs(target - mLastDirection) < 0.1)
        return;

    if (!animated) {
        mAnimation->stop();
        mRotation = target;
        // Recorded as well, so a later animated turn starts from what is shown.
        mLastDirection = target;
        update();
        return;
    }

    double delta = target - mLastDirection;
    while (delta > 180.0)
        delta -= 360.0;
    while (delta < -180.0)
        delta += 360.0;

    const QList<double> angles = swingAngles(target, delta);
    mAnimation->stop();
    mAnimation->setKeyValues({});
    for (int i = 0; i < kSwingKeyCount; ++i)
        mAnimation->setKeyValueAt(double(i) / double(kSwingKeyCount - 1), angles[i]);
    mLastDirection = target;
    mAnimation->start(); // stays at its last value when it ends
}

QPainterPath OVCircularArrowView::arrowPath() const
{
    const Geometry g = geometryForBounds(QRectF(0, 0, width(), height()));
    const double s = g.disc.width();
    const double w = g.shaftWidth;
    const double h = g.headLength;
    const double cx = g.disc.x() + s / 2.0;
    const double yb = g.disc.y() + (s - g.length) / 2.0;
    const double yt = g.disc.y() + (s + g.length) / 2.0 + h / 4.0;

    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addEllipse(g.disc);

    QPainterPath arrow;
    arrow.moveTo(cx - w / 2.0, yb);
    OVPathUtil::appendArc(arrow, QPointF(cx, yb), w / 2.0, 180.0, 0.0, false);
    arrow.lineTo(cx + w / 2.0, yt - 0.7 * h);
    arrow.lineTo(cx + h / 2.0, yt - 0.9 * h);
    arrow.lineTo(cx, yt);
    arrow.lineTo(cx - h / 2.0, yt - 0.9 * h);
    arrow.lineTo(cx - w / 2.0, yt - 0.7 * h);
    arrow.lineTo(cx - w / 2.0, yb);
    path.addPath(arrow);
    return path;
}

void OVCircularArrowView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    OVYUp::begin(painter, height());
    const QPointF center(width() / 2.0, height() / 2.0);
    painter.translate(center);
    painter.rotate(mRotation);
    painter.translate(-center);

    const QPainterPath path = arrowPath();
    if (mCircleColor.isValid())
        painter.fillPath(path, mCircleColor);
    if (mStrokeColor.isValid())
        painter.strokePath(path, QPen(mStrokeColor, 1.0));
}

void OVCircularArrowView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    update();
}
