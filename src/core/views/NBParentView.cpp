// Panel base: geometry, gradients from the settings store's colours, and the rounded fill.
#include "core/views/NBParentView.h"

#include "core/NBPrefController.h"
#include "core/views/OVYUp.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr double kInset = 3.0;
constexpr double kClipRadius = 5.0;

QColor storeColor(const char *key)
{
    return NBPrefController::settingForKey(QLatin1String(key)).value<QColor>();
}

} // namespace

NBParentView::NBParentView(QWidget *parent)
    : QWidget(parent)
    , mBorderGradient(storeColor("OVColorLightBackground"), storeColor("OVColorDarkBackground"))
    , mBackgroundGradient(storeColor("OVColorDarkBackground"), storeColor("OVColorLightBackground"))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void NBParentView::setFlipped(bool flipped)
{
    mFlipped = flipped;
    update();
}

QRectF NBParentView::outerRect() const
{
    return QRectF(0, 0, width(), height());
}

QRectF NBParentView::innerRect() const
{
    return outerRect().adjusted(kInset, kInset, -kInset, -kInset);
}

QPainterPath NBParentView::clippingPath() const
{
    QPainterPath path;
    path.addRoundedRect(innerRect(), kClipRadius, kClipRadius);
    return path;
}

void NBParentView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    OVYUp::beginView(painter, *this, mFlipped);
    const QRectF dirty = mFlipped ? QRectF(event->rect()) : OVYUp::fromWidgetGeometry(event->rect(), height());
    drawRect(painter, dirty);
}

void NBParentView::drawRect(QPainter &painter, const QRectF &)
{
    const QColor fill = storeColor("viewBackgroundColor");
    if (!fill.isValid())
        return;
    QPainterPath panel;
    panel.addRoundedRect(outerRect(), cornerRadius(), cornerRadius());
    painter.fillPath(panel, fill);
}
