#include "support/ImageCompare.h"

#include "support/TestHelpers.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace {

bool regenerating()
{
    return qEnvironmentVariable("NIMBREL_REGENERATE_IMAGES") == QLatin1String("1");
}

int channelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

QString saveImage(const QImage &image, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path) ? path : QStringLiteral("(could not write %1)").arg(path);
}

} // namespace

QString expectedImagePath(const QString &name)
{
    return testDataPath(QStringLiteral("images/%1.png").arg(name));
}

::testing::AssertionResult imageMatches(const QImage &actual, const QString &name,
                                        ImageTolerance tolerance)
{
    const QString expectedPath = expectedImagePath(name);
    const QImage rendered = actual.convertToFormat(QImage::Format_ARGB32);
    if (regenerating()) {
        saveImage(rendered, expectedPath);
        return ::testing::AssertionSuccess() << "wrote " << expectedPath.toStdString();
    }

    const QString outputFolder = testOutputPath(QStringLiteral("images/%1").arg(name));
    const QImage expected = QImage(expectedPath).convertToFormat(QImage::Format_ARGB32);
    if (expected.isNull()) {
        const QString actualPath = saveImage(rendered, outputFolder + QStringLiteral("/actual.png"));
        return ::testing::AssertionFailure()
               << "no expected image " << expectedPath.toStdString() << " (rendered image: "
               << actualPath.toStdString() << "; set NIMBREL_REGENERATE_IMAGES=1 to write it)";
    }
    if (expected.size() != rendered.size()) {
        const QString actualPath = saveImage(rendered, outputFolder + QStringLiteral("/actual.png"));
        return ::testing::AssertionFailure()
               << name.toStdString() << ": size " << rendered.width() << "x" << rendered.height()
               << ", expected " << expected.width() << "x" << expected.height()
               << " (rendered image: " << actualPath.toStdString() << ")";
    }

    QImage diff(expected.size(), QImage::Format_ARGB32);
    int different = 0;
    int largest = 0;
    for (int y = 0; y < expected.height(); ++y) {
        const QRgb *e = reinterpret_cast<const QRgb *>(expected.constScanLine(y));
        const QRgb *a = reinterpret_cast<const QRgb *>(rendered.constScanLine(y));
        QRgb *d = reinterpret_cast<QRgb *>(diff.scanLine(y));
        for (int x = 0; x < expected.width(); ++x) {
            const int difference = channelDifference(e[x], a[x]);
            largest = std::max(largest, difference);
            if (difference > tolerance.channel) {
                ++different;
                d[x] = qRgb(255, 0, 0);
            } else {
                const int grey = 255 - qGray(e[x]) / 4;
                d[x] = qRgb(grey, grey, grey);
            }
        }
    }
    if (different <= tolerance.maxDifferentPixels)
        return ::testing::AssertionSuccess();

    const QString actualPath = saveImage(rendered, outputFolder + QStringLiteral("/actual.png"));
    const QString diffPath = saveImage(diff, outputFolder + QStringLiteral("/diff.png"));
    return ::testing::AssertionFailure()
           << name.toStdString() << ": " << different << " pixels differ by more than "
           << tolerance.channel << " (largest difference " << largest << ", allowed "
           << tolerance.maxDifferentPixels << " pixels); actual " << actualPath.toStdString()
           << ", diff " << diffPath.toStdString();
}
