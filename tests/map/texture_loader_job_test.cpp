// Loader jobs: decoding image bytes and turning them into the premultiplied pixel layouts the
// uploads read, checked against an independent decoder's output.
#include "map/gl/OVTextureLoaderJob.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cmath>

namespace {

QByteArray fixture(const QString &name)
{
    return readTestFile(testDataPath(QStringLiteral("map/") + name));
}

OVTextureLoaderJob decodedJob(const QString &name)
{
    OVTextureLoaderJob job;
    job.imageData = fixture(name);
    job.generateCGImage();
    job.generateRGBA();
    job.generateBGRA();
    return job;
}

QList<int> bytes(const QByteArray &data)
{
    QList<int> values;
    for (char c : data)
        values.append(uchar(c));
    return values;
}

/// A binary netpbm image (P5 grey or P6 colour, maxval up to 65535) as 8-bit samples per pixel.
struct Pnm
{
    int width = 0;
    int height = 0;
    int channels = 0;
    QList<int> samples; // scaled to 0..255
};

Pnm readPnm(const QString &name)
{
    const QByteArray data = fixture(name);
    Pnm pnm;
    int pos = 0;
    QList<int> header;
    const QByteArray magic = data.left(2);
    pos = 2;
    while (header.size() < 3) {
        while (pos < data.size() && std::isspace(uchar(data[pos])))
            ++pos;
        int value = 0;
        while (pos < data.size() && std::isdigit(uchar(data[pos])))
            value = value * 10 + (data[pos++] - '0');
        header.append(value);
    }
    ++pos; // the single white-space character before the samples
    pnm.width = header[0];
    pnm.height = header[1];
    pnm.channels = magic == "P6" ? 3 : 1;
    const int maxval = header[2];
    const int sampleBytes = maxval > 255 ? 2 : 1;
    for (int i = 0; i < pnm.width * pnm.height * pnm.channels; ++i) {
        const int at = pos + i * sampleBytes;
        const int raw = sampleBytes == 2 ? (uchar(data[at]) << 8) | uchar(data[at + 1]) : uchar(data[at]);
        pnm.samples.append(int(std::lround(raw * 255.0 / maxval)));
    }
    return pnm;
}

TEST(TextureLoaderJob, SinglePixelsComeOutInBothLayoutsPremultiplied)
{
    const OVTextureLoaderJob red = decodedJob(QStringLiteral("red_1x1.png"));
    EXPECT_EQ(bytes(red.bgra), (QList<int>{0, 0, 255, 255}));
    EXPECT_EQ(bytes(red.rgba), (QList<int>{255, 0, 0, 255}));
    EXPECT_EQ(red.width, 1);
    EXPECT_EQ(red.height, 1);
    const OVTextureLoaderJob white = decodedJob(QStringLiteral("white_a128_1x1.png"));
    EXPECT_EQ(bytes(white.bgra), (QList<int>{128, 128, 128, 128}));
    EXPECT_EQ(bytes(white.rgba), (QList<int>{128, 128, 128, 128}));
}

TEST(TextureLoaderJob, RowZeroIsTheTopOfTheImage)
{
    const OVTextureLoaderJob job = decodedJob(QStringLiteral("rows_red_top.png"));
    EXPECT_EQ(bytes(job.rgba.left(8)), (QList<int>{255, 0, 0, 255, 255, 0, 0, 255}));
    EXPECT_EQ(bytes(job.rgba.mid(8, 4)), (QList<int>{0, 0, 255, 255}));
}

TEST(TextureLoaderJob, DecodesMatchAnIndependentDecoderPremultiplied)
{
    for (const QString stem : {QStringLiteral("palette_trns"), QStringLiteral("grey8"), QStringLiteral("rgba16")}) {
        SCOPED_TRACE(stem.toStdString());
        const OVTextureLoaderJob job = decodedJob(stem + QStringLiteral(".png"));
        const Pnm colour = readPnm(stem + QStringLiteral(".pnm"));
        const Pnm alpha = readPnm(stem + QStringLiteral(".alpha.pgm"));
        ASSERT_EQ(job.width, colour.width);
        ASSERT_EQ(job.height, colour.height);
        ASSERT_EQ(job.rgba.size(), qsizetype(colour.width) * colour.height * 4);
        for (int i = 0; i < colour.width * colour.height; ++i) {
            const int a = alpha.samples[i];
            for (int c = 0; c < 3; ++c) {
                const int straight = colour.samples[i * colour.channels + (colour.channels == 3 ? c : 0)];
                const int expected = int(std::lround(straight * a / 255.0));
                EXPECT_NEAR(uchar(job.rgba[i * 4 + c]), expected, 1) << "pixel " << i << " channel " << c;
                EXPECT_NEAR(uchar(job.bgra[i * 4 + 2 - c]), expected, 1) << "pixel " << i << " channel " << c;
            }
            EXPECT_NEAR(uchar(job.rgba[i * 4 + 3]), a, 1) << "pixel " << i;
        }
    }
}

TEST(TextureLoaderJob, BytesThatAreNoImageLeaveNoImageAndNoPixels)
{
    for (const QByteArray &data : {fixture(QStringLiteral("truncated.png")), QByteArray("not an image at all")}) {
        OVTextureLoaderJob job;
        job.imageData = data;
        job.generateCGImage();
        EXPECT_TRUE(job.cgImage.isNull());
        job.generateBGRA();
        EXPECT_TRUE(job.bgra.isNull());
        EXPECT_EQ(job.width, 0);
    }
}

TEST(TextureLoaderJob, DescribesItself)
{
    OVTextureLoaderJob job;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^OVTextureLoaderJob <[0-9a-f]+> Add n/a$")).match(job.description()).hasMatch())
        << job.description().toStdString();
    EXPECT_EQ(job.textureNumber, 0xFFFFFFFFu);
    job.isDeleteJob = true;
    job.textureNumber = 7;
    EXPECT_TRUE(job.description().endsWith(QStringLiteral("> Delete 7")));
}

} // namespace
