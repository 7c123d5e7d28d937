// The kept rendering of the graph views.
#include "graphs/OVKeptRenderingView.h"

#include <QPainter>

OVKeptRenderingView::OVKeptRenderingView(QWidget *parent)
    : QWidget(parent)
{
}

void OVKeptRenderingView::setNeedsDisplay()
{
    mKept = QImage();
    update();
}

void OVKeptRenderingView::markForRedisplay(QWidget *view)
{
    if (!view)
        return;
    if (auto *kept = qobject_cast<OVKeptRenderingView *>(view))
        kept->setNeedsDisplay();
    else
        view->update();
}

bool OVKeptRenderingView::isHiddenOrInHiddenAncestor() const
{
    // Only an explicit hide counts: a widget that was never shown (a test rendering into an image)
    // still draws.
    for (const QWidget *w = this; w; w = w->parentWidget())
        if (w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden))
            return true;
    return false;
}

void OVKeptRenderingView::paintEvent(QPaintEvent *)
{
    const double dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (mKept.isNull() || mKept.size() != pixels || mKept.devicePixelRatio() != dpr) {
        mKept = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        mKept.setDevicePixelRatio(dpr);
        mKept.fill(Qt::transparent);
        QPainter imagePainter(&mKept);
        paint(imagePainter);
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), mKept);
}

void OVKeptRenderingView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    mKept = QImage();
}
