// A view filled with a colour or a gradient that shows an image or a label centred on it: the
// status overlay of a graph panel. Geometry is y-up unless `flipped`; the image and the text are
// drawn upright either way. Main thread.
#pragma once

#include "core/views/OVAttributedString.h"
#include "core/views/OVGradient.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

class OVFilledView : public QWidget
{
    Q_OBJECT

public:
    explicit OVFilledView(QWidget *parent = nullptr);

    /// An invalid colour means none. A gradient, when set, is drawn instead of the colour.
    QColor backgroundColor() const { return mBackgroundColor; }
    void setBackgroundColor(const QColor &color);
    const std::optional<OVGradient> &backgroundGradient() const { return mBackgroundGradient; }
    void setBackgroundGradient(const std::optional<OVGradient> &gradient);
    /// A null image means none.
    QImage centeredImage() const { return mCenteredImage; }
    void setCenteredImage(const QImage &image);
    std::shared_ptr<OVAttributedString> centeredText() const { return mCenteredText; }
    void setCenteredText(const std::shared_ptr<OVAttributedString> &text);
    /// Where the centred image and text are drawn (view coordinates, the view's own flip). With
    /// both set, the pair stands side by side; the image is left out when the pair is too wide.
    std::optional<QRectF> centeredImageRect() const;
    QRectF centeredTextRect() const;
    bool flipped() const { return mFlipped; }
    void setFlipped(bool flipped);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor mBackgroundColor;
    std::optional<OVGradient> mBackgroundGradient;
    QImage mCenteredImage;
    std::shared_ptr<OVAttributedString> mCenteredText;
    bool mFlipped = false;
};
