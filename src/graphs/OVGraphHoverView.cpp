// The hover read-out's geometry and drawing.
#include "graphs/OVGraphHoverView.h"

#include "core/OVTextAttributes.h"
#include "core/views/OVAttributedString.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The system font size the read-out's time text is 3 below.
constexpr int kSystemFontPixels = 13;
constexpr double kCorner = 3.0;

double roundHalfAway(double v)
{
    return std::round(v);
}

QVariantMap whiteAttributes(const QVariantMap &base)
{
    QVariantMap attributes = base;
    attributes.insert(OVForegroundColorAttributeName, QColor(Qt::white));
    return attributes;
}

} // namespace

OVGraphHoverView::OVGraphHoverView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    QFont timeFont = OVAttributedString::defaultAttributes().value(OVFontAttributeName).value<QFont>();
    timeFont.setPixelSize(kSystemFontPixels - 3);
    QVariantMap timeAttributes = whiteAttributes(OVAttributedString::addCenterAttributes());
    timeAttributes.insert(OVFontAttributeName, timeFont);
    mTimeString = OVAttributedString::ovString(QString(), timeAttributes);
    mLabel = OVAttributedString::ovString(
        QString(), whiteAttributes(OVAttributedString::addCenterAttributes(OVAttributedString::defaultAttributes())));
    mLabel2 = OVAttributedString::ovString(QString(), whiteAttributes(OVAttributedString::defaultAttributes()));
}

OVGraphHoverView::~OVGraphHoverView() = default;

void OVGraphHoverView::showReadout()
{
    raise();
    show();
    setOpacity(1.0);
}

void OVGraphHoverView::hideReadout()
{
    setOpacity(0.0);
}

void OVGraphHoverView::setOpacity(double opacity)
{
    mOpacity = opacity;
    update();
}

#define OV_HOVER_SETTER(Name, Type, member)                                                                        \
    void OVGraphHoverView::Name(Type value)                                                                        \
    {                                                                                                              \
        member = value;                                                                                            \
        update();                                                                                                  \
    }
OV_HOVER_SETTER(setX, double, mX)
OV_HOVER_SETTER(setY, double, mY)
OV_HOVER_SETTER(setDrawVerticalLine, bool, mDrawVerticalLine)
OV_HOVER_SETTER(setDrawYPoint, bool, mDrawYPoint)
OV_HOVER_SETTER(setLineColor, const QColor &, mLineColor)
OV_HOVER_SETTER(setBubbleBackgroundColor, const QColor &, mBubbleBackgroundColor)
OV_HOVER_SETTER(setLineBulgeAmount, double, mLineBulgeAmount)
#undef OV_HOVER_SETTER

QSizeF OVGraphHoverView::bubbleContentSize() const
{
    const QSizeF label = mLabel->size();
    double w = label.width() + 10.0;
    double h = label.height() + 10.0;
    if (!mLabel2->string().isEmpty()) {
        const QSizeF label2 = mLabel2->size();
        w += label2.width();
        h = std::max(h, label2.height() + 10.0);
    }
    if (!mTimeString->string().isEmpty()) {
        const QSizeF time = mTimeString->size();
        w = std::max(w, time.width() + 10.0);
        h += time.height() + 6.0;
    }
    return QSizeF(w, h);
}

QRect OVGraphHoverView::frameForGraphView(const QWidget &graph)
{
    const QWidget *space = parentWidget() ? parentWidget() : this;
    const QPoint origin = space->mapFromGlobal(graph.mapToGlobal(QPoint(0, 0)));
    QRectF r(origin.x() - kSideRoom, origin.y(), graph.width() + 2 * kSideRoom, graph.height());
    const double b = bubbleContentSize().height() + 6.0;
    r.translate(0, -b);
    r.setHeight(r.height() + b);
    mDrawBubbleOnBottom = false;
    if (r.y() < space->rect().y() && mCheckForBubbleSpace) {
        r.translate(0, b);
        mDrawBubbleOnBottom = true;
    }
    return r.toAlignedRect();
}

void OVGraphHoverView::paintEvent(QPaintEvent *)
{
    if (isReadoutHidden())
        return;
    QPainter painter(this);
    painter.setOpacity(mOpacity);
    paint(painter);
}

double OVGraphHoverView::pointerX() const
{
    return float(roundHalfAway(mX + kSideRoom));
}

QRectF OVGraphHoverView::bubbleBodyRect() const
{
    const QRectF v = rect();
    const QSizeF content = bubbleContentSize();
    const double px = pointerX();
    // At least 12 wide, never wider than the view allows, and kept 2 inside either edge.
    const double bw = std::min(std::max(12.0, content.width() + 10.0) + 6.0, v.width() - 6.0);
    double bx = std::max(2.0, px - roundHalfAway(bw * 0.5));
    if (bx + bw > v.width() - 2.0)
        bx = v.width() - bw - 2.0;
    const double top = mDrawBubbleOnBottom ? v.height() - content.height() : v.y() + 1.0;
    const double bottom = mDrawBubbleOnBottom ? v.height() - 2.0 : v.y() + content.height() - 2.0;
    return QRectF(bx, top, bw, bottom - top);
}

void OVGraphHoverView::paint(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF v = rect();
    const QSizeF content = bubbleContentSize();
    const double ch = content.height();
    const double px = pointerX();
    const QRectF body = bubbleBodyRect();
    const double bx = body.x();
    const double bw = body.width();

    // The bubble: a rounded body with a pointer triangle toward the graph.
    QPainterPath bubble;
    const double top = body.top();
    const double bottom = body.bottom();
    const double left = body.left();
    const double right = body.right();
    const double d = 2 * kCorner;
    bubble.moveTo(left + kCorner, top);
    if (mDrawBubbleOnBottom) {
        const double tip = v.height() - ch - 6.0;
        bubble.lineTo(px - 6.0, top);
        bubble.lineTo(px - 1.0, tip);
        bubble.lineTo(px, tip);
        bubble.lineTo(px + 6.0, top);
    }
    bubble.lineTo(right - kCorner, top);
    bubble.arcTo(QRectF(right - d, top, d, d), 90.0, -90.0);
    bubble.lineTo(right, bottom - kCorner);
    bubble.arcTo(QRectF(right - d, bottom - d, d, d), 0.0, -90.0);
    if (!mDrawBubbleOnBottom) {
        const double tip = v.y() + ch + 6.0;
        bubble.lineTo(px + 6.0, bottom);
        bubble.lineTo(px + 1.0, tip);
        bubble.lineTo(px, tip);
        bubble.lineTo(px - 6.0, bottom);
    }
    bubble.lineTo(left + kCorner, bottom);
    bubble.arcTo(QRectF(left, bottom - d, d, d), 270.0, -90.0);
    bubble.lineTo(left, top + kCorner);
    bubble.arcTo(QRectF(left, top, d, d), 180.0, -90.0);
    bubble.closeSubpath();
    painter.fillPath(bubble, mBubbleBackgroundColor);
    if (mLineColor.isValid())
        painter.strokePath(bubble, QPen(mLineColor, 2.0));

    const QColor current = mLineColor.isValid() ? mLineColor : mBubbleBackgroundColor;
    if (mDrawVerticalLine) {
        if (mLineBulgeAmount < 1.0) {
            painter.fillRect(QRectF(px - 1.0, mDrawBubbleOnBottom ? 0.0 : ch + 6.0, 2.0, v.height() - 6.0 - ch),
                             current);
        } else {
            const double a = mLineBulgeAmount;
            const QRectF arcRect(px - a, mDrawBubbleOnBottom ? 2.0 : ch + 8.0, 2.0 * a, v.height() - 6.0 - ch - 4.0);
            QPainterPath arc;
            arc.arcMoveTo(arcRect, 90.0);
            arc.arcTo(arcRect, 90.0, 180.0);
            painter.strokePath(arc, QPen(current, 2.0));
        }
    }

    // The texts inside the body, 5 from each edge.
    QRectF t = QRectF(bx, top, bw, ch - 2.0).adjusted(5.0, 5.0, -5.0, -5.0);
    const double labelWidth = mLabel->size().width();
    if (!mTimeString->string().isEmpty()) {
        const double timeHeight = mTimeString->size().height();
        mTimeString->drawInRect(painter, QRectF(t.x(), t.y(), t.width(), timeHeight));
        t.setY(t.y() + timeHeight + 6.0);
        if (!mLabel2->string().isEmpty())
            mLabel2->drawInRect(painter, QRectF(t.x() + labelWidth, t.y(), t.width() - labelWidth, t.height()));
        t.setHeight(t.height() + 5.0);
        mLabel->drawInRect(painter, t);
        painter.fillRect(QRectF(bx + 1.0, t.y() - 3.0, bw - 2.0, 1.0), mLineColor);
    } else {
        if (!mLabel2->string().isEmpty())
            mLabel2->drawInRect(painter, QRectF(t.x() + labelWidth, t.y(), t.width() - labelWidth, t.height() + 5.0));
        t.setHeight(t.height() + 5.0);
        mLabel->drawInRect(painter, t);
    }

    if (mDrawYPoint && mLineBulgeAmount < 1.0) {
        const double dotY = mY + (mDrawBubbleOnBottom ? 0.0 : ch + 6.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(px, dotY), 3.0, 3.0);
    }
}
