#include "map/gl/OVTextureLoaderJob.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

QString OVTextureLoaderJob::description() const
{
    const QString address = QString::number(reinterpret_cast<quintptr>(this), 16);
    if (isDeleteJob)
        return QStringLiteral("OVTextureLoaderJob <%1> Delete %2").arg(address).arg(int32_t(textureNumber));
    return QStringLiteral("OVTextureLoaderJob <%1> Add %2")
        .arg(address, textureKey.isNull() ? QStringLiteral("n/a") : textureKey);
}

void OVTextureLoaderJob::generateCGImage()
{
    if (imageData.isEmpty())
        return;
    QBuffer buffer(&imageData);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return;
    cgImage = image;
}

void OVTextureLoaderJob::generateRGBA()
{
    generatePixels(QImage::Format_RGBA8888_Premultiplied, rgba);
}

void OVTextureLoaderJob::generateBGRA()
{
    // ARGB32 is one 32-bit word 0xAARRGGBB per pixel: blue, green, red, alpha in memory on the
    // little-endian machines this runs on.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    generatePixels(QImage::Format_ARGB32_Premultiplied, bgra);
}

void OVTextureLoaderJob::generatePixels(QImage::Format format, QByteArray &out)
{
    if (cgImage.isNull())
        return;
    width = cgImage.width();
    height = cgImage.height();
    if (width == 0 || height == 0)
        return;
    const QImage converted = cgImage.convertToFormat(format);
    const qsizetype rowBytes = qsizetype(width) * 4;
    QByteArray pixels(rowBytes * height, Qt::Uninitialized);
    for (int row = 0; row < height; ++row)
        std::memcpy(pixels.data() + row * rowBytes, converted.constScanLine(row), size_t(rowBytes));
    out = pixels;
}
