// Filling and centring for the filled view.
#include "core/views/OVFilledView.h"

#include "core/views/OVYUp.h"

#include <QPainter>

OVFilledView::OVFilledView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void OVFilledView::setBackgroundColor(const QColor &color)
{
    if (color == mBackgroundColor)
        return;
    mBackgroundColor = color;
    update();
}

void OVFilledView::setBackgroundGradient(const std::optional<OVGradient> &gradient)
{
    if (gradient == mBackgroundGradient)
        return;
    mBackgroundGradient = gradient;
    update();
}

void OVFilledView::setCenteredImage(const QImage &image)
{
    if (image.cacheKey() == mCenteredImage.cacheKey())
        return;
    mCenteredImage = image;
    update();
}

void OVFilledView::setCenteredText(const std::shared_ptr<OVAttributedString> &text)
{
    if (text == mCenteredText)
        return;
    mCenteredText = text;
    update();
}

void OVFilledView::setFlipped(bool flipped)
{
    mFlipped = flipped;
    update();
}

void OVFilledView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    OVYUp::beginView(painter, *this, mFlipped);
    const QRectF bounds(0, 0, width(), height());
    if (mBackgroundGradient)
        mBackgroundGradient->drawInRect(painter, bounds, 90.0);
    else if (mBackgroundColor.isValid())
        painter.fillRect(bounds, mBackgroundColor);

    // Centred without rounding, at the image's or the text's own size.
    auto centered = [&bounds](const QSizeF &size) {
        return QPointF(bounds.x() + (bounds.width() - size.width()) / 2.0,
                       bounds.y() + (bounds.height() - size.height()) / 2.0);
    };
    if (!mCenteredImage.isNull()) {
        const QSizeF size = mCenteredImage.deviceIndependentSize();
        OVYUp::drawImage(painter, QRectF(centered(size), size), mCenteredImage);
    }
    if (mCenteredText)
        mCenteredText->drawAtPoint(painter, centered(mCenteredText->size()));
}
