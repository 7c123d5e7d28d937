// Small helpers for the drawing tests: rendering into transparent images and probing pixels.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <functional>

/// A transparent ARGB image of the given size.
inline QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

/// Renders a widget (and its children) into a transparent image of its size.
inline QImage renderWidget(QWidget &widget)
{
    QImage image = transparentImage(widget.width(), widget.height());
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

/// Whether two colours agree within `tolerance` (0..255) on every channel, alpha included.
inline bool sameColor(const QColor &a, const QColor &b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

/// The colour of a pixel, un-premultiplied.
inline QColor pixelAt(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

/// The first row (from the top) that holds a pixel matching `predicate`; -1 when none does.
inline int firstRowWhere(const QImage &image, const std::function<bool(const QColor &)> &predicate)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (predicate(image.pixelColor(x, y)))
                return y;
    return -1;
}

/// The bounding box of the pixels whose alpha is above `alpha`.
inline QRect inkBounds(const QImage &image, int alpha = 0)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > alpha)
                box |= QRect(x, y, 1, 1);
    return box;
}

/// How many pixels of two equally sized images differ by more than `tolerance` on some channel.
inline int differingPixels(const QImage &a, const QImage &b, int tolerance = 0)
{
    if (a.size() != b.size())
        return a.width() * a.height() + b.width() * b.height();
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!sameColor(a.pixelColor(x, y), b.pixelColor(x, y), tolerance))
                ++count;
    return count;
}
