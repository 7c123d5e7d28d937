// The cylinder's image warps, as per-pixel resampling of premultiplied images.
#include "graphs/OVCylinderImageFilters.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Pixel = std::array<double, 4>;

Pixel unpack(QRgb p)
{
    return {double(qRed(p)), double(qGreen(p)), double(qBlue(p)), double(qAlpha(p))};
}

QRgb pack(const Pixel &p)
{
    auto c = [](double v) { return int(std::clamp(std::lround(v), 0L, 255L)); };
    return qRgba(c(p[0]), c(p[1]), c(p[2]), c(p[3]));
}

// The pixel at integer coordinates, transparent outside the image.
Pixel at(const QImage &image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return {0, 0, 0, 0};
    return unpack(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x]);
}

Pixel mix(const Pixel &a, const Pixel &b, double t)
{
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t,
            a[3] + (b[3] - a[3]) * t};
}

// Linear interpolation along a row at a position in pixel-centre coordinates (centre of pixel
// i at i + 0.5).
Pixel sampleRow(const QImage &image, double x, int y)
{
    const double fx = x - 0.5;
    const int x0 = int(std::floor(fx));
    return mix(at(image, x0, y), at(image, x0 + 1, y), fx - x0);
}

// The packed pixel of a row, transparent outside it.
QRgb rawAt(const QRgb *row, int width, int x)
{
    return row && 0 <= x && x < width ? row[x] : QRgb(0);
}

// sampleRow on a row of packed pixels. The stroked faces are mostly transparent: between two
// equal neighbours (above all two transparent ones) the interpolation gives that same pixel, so
// it is skipped.
QRgb sampleRowPacked(const QRgb *row, int width, double x)
{
    const double fx = x - 0.5;
    const int x0 = int(std::floor(fx));
    const QRgb a = rawAt(row, width, x0);
    const QRgb b = rawAt(row, width, x0 + 1);
    if (a == b)
        return a;
    return pack(mix(unpack(a), unpack(b), fx - x0));
}

Pixel sample(const QImage &image, double x, double y)
{
    const double fy = y - 0.5;
    const int y0 = int(std::floor(fy));
    return mix(sampleRow(image, x, y0), sampleRow(image, x, y0 + 1), fy - y0);
}

// sample on the two rows round y, with the same skip where all four neighbours are equal.
QRgb samplePacked(const QImage &image, const QRgb *above, const QRgb *below, double x, double y)
{
    const int width = image.width();
    const int x0 = int(std::floor(x - 0.5));
    const QRgb a = rawAt(above, width, x0);
    if (a == rawAt(above, width, x0 + 1) && a == rawAt(below, width, x0) && a == rawAt(below, width, x0 + 1))
        return a;
    return pack(sample(image, x, y));
}

// Whether a row holds nothing but transparent pixels (the stroked faces are mostly empty).
bool rowIsEmpty(const QImage &image, int y)
{
    const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    const int width = image.width();
    for (int x = 0; x < width; ++x)
        if (row[x] != 0)
            return false;
    return true;
}

QImage premultiplied(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QImage OVHorizontalArchFilter::outputImage() const
{
    if (mInputImage.isNull())
        return QImage();
    const QImage input = premultiplied(mInputImage);
    QImage output(input.size(), QImage::Format_ARGB32_Premultiplied);
    output.setDevicePixelRatio(input.devicePixelRatio());
    const double half = input.height() / 2.0;
    for (int y = 0; y < input.height(); ++y) {
        const double p = std::clamp((y + 0.5 - half) / half, -1.0, 1.0);
        const double shift = std::cos(std::asin(p)) * mBulgePixels;
        auto *row = reinterpret_cast<QRgb *>(output.scanLine(y));
        if (rowIsEmpty(input, y)) {
            std::fill(row, row + input.width(), QRgb(0));
            continue;
        }
        const auto *source = reinterpret_cast<const QRgb *>(input.constScanLine(y));
        const int width = input.width();
        for (int x = 0; x < width; ++x)
            row[x] = sampleRowPacked(source, width, x + 0.5 - shift);
    }
    return output;
}

QImage OVResizeInCenterFilter::outputImage() const
{
    if (mInputImage.isNull())
        return QImage();
    const QImage input = premultiplied(mInputImage);
    QImage output(input.size(), QImage::Format_ARGB32_Premultiplied);
    output.setDevicePixelRatio(input.devicePixelRatio());
    const double w = input.width();
    const double h = input.height();
    // A zero size shows nothing (every source point lies at infinity).
    if (mNewSize.width() <= 0.0 || mNewSize.height() <= 0.0) {
        output.fill(Qt::transparent);
        return output;
    }
    const double sx = w / mNewSize.width();
    const double sy = h / mNewSize.height();
    for (int y = 0; y < input.height(); ++y) {
        const double sourceY = h / 2.0 + (y + 0.5 - h / 2.0) * sy;
        auto *row = reinterpret_cast<QRgb *>(output.scanLine(y));
        // An unchanged height reads whole rows: the vertical interpolation weight is 0.
        if (sy == 1.0) {
            if (rowIsEmpty(input, y)) {
                std::fill(row, row + input.width(), QRgb(0));
                continue;
            }
            const auto *source = reinterpret_cast<const QRgb *>(input.constScanLine(y));
            const int width = input.width();
            for (int x = 0; x < width; ++x)
                row[x] = sampleRowPacked(source, width, w / 2.0 + (x + 0.5 - w / 2.0) * sx);
            continue;
        }
        const int y0 = int(std::floor(sourceY - 0.5));
        const auto rowAt = [&input](int y) {
            return 0 <= y && y < input.height() ? reinterpret_cast<const QRgb *>(input.constScanLine(y)) : nullptr;
        };
        const QRgb *above = rowAt(y0);
        const QRgb *below = rowAt(y0 + 1);
        const int width = input.width();
        for (int x = 0; x < width; ++x)
            row[x] = samplePacked(input, above, below, w / 2.0 + (x + 0.5 - w / 2.0) * sx, sourceY);
    }
    return output;
}
