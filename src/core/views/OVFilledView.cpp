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

    if (!mCenteredImage.isNull()) {
        if (const std::optional<QRectF> imageRect = centeredImageRect())
            OVYUp::drawImage(painter, *imageRect, mCenteredImage);
    }
    if (mCenteredText)
        mCenteredText->drawAtPoint(painter, centeredTextRect().topLeft());
}

namespace {

// Space between the image and the text when both are shown.
constexpr double kImageTextGap = 8.0;

// Centred without rounding, at the image's or the text's own size.
QRectF centeredIn(const QRectF &bounds, const QSizeF &size)
{
    return QRectF(QPointF(bounds.x() + (bounds.width() - size.width()) / 2.0,
                          bounds.y() + (bounds.height() - size.height()) / 2.0),
                  size);
}

} // namespace

QRectF OVFilledView::centeredTextRect() const
{
    if (!mCenteredText)
        return QRectF();
    const QRectF bounds(0, 0, width(), height());
    const QSizeF textSize = mCenteredText->size();
    const std::optional<QRectF> image = centeredImageRect();
    if (!image || !image->intersects(centeredIn(bounds, textSize)))
        return centeredIn(bounds, textSize);
    // Image and text side by side, centred as a pair.
    const QRectF text = centeredIn(bounds, textSize);
    return text.translated((image->width() + kImageTextGap) / 2.0, 0.0);
}

std::optional<QRectF> OVFilledView::centeredImageRect() const
{
    if (mCenteredImage.isNull())
        return std::nullopt;
    const QRectF bounds(0, 0, width(), height());
    const QSizeF imageSize = mCenteredImage.deviceIndependentSize();
    const QRectF image = centeredIn(bounds, imageSize);
    if (!mCenteredText)
        return image;
    const QSizeF textSize = mCenteredText->size();
    if (!image.intersects(centeredIn(bounds, textSize)))
        return image;
    // A message is never covered by its icon: the icon stands left of it, or, where the pair
    // is wider than the view, it is left out.
    const double pairWidth = imageSize.width() + kImageTextGap + textSize.width();
    if (pairWidth > bounds.width())
        return std::nullopt;
    const double left = bounds.x() + (bounds.width() - pairWidth) / 2.0;
    return QRectF(QPointF(left, bounds.y() + (bounds.height() - imageSize.height()) / 2.0), imageSize);
}
