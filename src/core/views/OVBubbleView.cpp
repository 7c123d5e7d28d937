// The bubble outline, its drawing and the placement of the hosted view.
#include "core/views/OVBubbleView.h"

#include "core/views/OVPathUtil.h"
#include "core/views/OVYUp.h"

#include <QPainter>

namespace {

constexpr double kArrowMargin = 16.0; // body edge on the arrow's side
constexpr double kMargin = 4.0;       // body edge on the other sides

} // namespace

OVBubbleView::OVBubbleView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

OVBubbleView::~OVBubbleView()
{
    delete mContentView;
}

void OVBubbleView::setArrowDisplayMode(int mode)
{
    mArrowDisplayMode = mode;
    placeContent();
    update();
}

void OVBubbleView::setCornerRadius(double radius)
{
    mCornerRadius = radius;
    update();
}

void OVBubbleView::setArrowDimension(double dimension)
{
    mArrowDimension = dimension;
    update();
}

void OVBubbleView::setFillColor(const QColor &color)
{
    mFillColor = color;
    update();
}

void OVBubbleView::setStrokeColor(const QColor &color)
{
    mStrokeColor = color;
    update();
}

void OVBubbleView::setContentView(QWidget *view)
{
    if (view == mContentView)
        return;
    delete mContentView;
    mContentView = view;
    if (view) {
        view->setParent(this);
        placeContent();
        view->show();
    }
}

QSizeF OVBubbleView::requestedSize() const
{
    const QSizeF content = mContentView ? QSizeF(mContentView->size()) : QSizeF(0, 0);
    return content + QSizeF(16, 8);
}

void OVBubbleView::placeContent()
{
    if (!mContentView || (mArrowDisplayMode != 0 && mArrowDisplayMode != 1))
        return;
    const double x = mArrowDisplayMode == 0 ? kArrowMargin : kMargin;
    OVYUp::setFrame(*mContentView, QRectF(QPointF(x, kMargin), QSizeF(mContentView->size())));
}

QPainterPath OVBubbleView::bubblePath() const
{
    QPainterPath path;
    if (mArrowDisplayMode != 0 && mArrowDisplayMode != 1)
        return path;
    const double r = mCornerRadius;
    const double a = mArrowDimension;
    const double w = width() - 20.0;
    const double h = height() - 8.0;
    const double top = h + kMargin;
    const double bottom = kMargin;
    auto corner = [&](double cx, double cy, double from, double to) {
        OVPathUtil::appendArc(path, QPointF(cx, cy), r, from, to, true);
    };

    if (mArrowDisplayMode == 0) {
        const double left = kArrowMargin;
        const double right = w + kArrowMargin;
        path.moveTo(left, r + bottom);
        path.lineTo(left, top - r - 2 * a);
        path.lineTo(0.0, top - r - a); // the tip, at the view's left edge
        path.lineTo(left, top - r);
        corner(left + r, top - r, 180, 90);
        path.lineTo(right - r, top);
        corner(right - r, top - r, 90, 0);
        path.lineTo(right, r + bottom);
        corner(right - r, r + bottom, 0, -90);
        path.lineTo(r + left, bottom);
        corner(r + left, r + bottom, -90, -180);
    } else {
        const double left = kMargin;
        const double right = w + kMargin;
        path.moveTo(left, r + bottom);
        path.lineTo(left, top - r);
        corner(r + left, top - r, 180, 90);
        path.lineTo(right - r, top);
        corner(right - r, top - r, 90, 0);
        path.lineTo(width(), top - r - a); // the tip, at the view's right edge
        path.lineTo(right, top - r - 2 * a);
        path.lineTo(right, r + bottom);
        corner(right - r, r + bottom, 0, -90);
        path.lineTo(r + left, bottom);
        corner(r + left, r + bottom, -90, -180);
    }
    return path;
}

void OVBubbleView::paintEvent(QPaintEvent *)
{
    const QPainterPath path = bubblePath();
    if (path.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    OVYUp::begin(painter, height());
    if (mFillColor.isValid())
        painter.fillPath(path, mFillColor);
    if (mStrokeColor.isValid())
        painter.strokePath(path, QPen(mStrokeColor, 1.0));
}

void OVBubbleView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeContent();
}
