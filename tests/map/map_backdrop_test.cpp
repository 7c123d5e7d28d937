// The bundled backdrop level: the map-data build makes the same tiles every time, and land and
// sea lie where they belong in the tiles written beside the application.
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QColor kLand(134, 160, 96);
const QColor kSea(38, 78, 128);
constexpr int kTolerance = 12; // JPEG

QStringList tileNames()
{
    QStringList names;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            names << QStringLiteral("%1_%2.jpg").arg(column).arg(row);
    return names;
}

/// Runs the backdrop step of the map-data build into `folder`; its error output, empty on success.
QString buildBackdrop(const QString &folder)
{
    QProcess build;
    build.start(QStringLiteral("bash"), {QStringLiteral(NIMBREL_SOURCE_DIR "/tools/mapdata/build-backdrop.sh"),
                                         QStringLiteral(NIMBREL_BACKDROP_TOOL), folder,
                                         QStringLiteral(NIMBREL_MAPDATA_WORK)});
    if (!build.waitForFinished(120000) || build.exitStatus() != QProcess::NormalExit || build.exitCode() != 0)
        return QStringLiteral("build-backdrop.sh failed: ") + QString::fromLocal8Bit(build.readAllStandardError());
    return QString();
}

/// The colour of the bundled level at a place, read from its tile (2048 x 1024 in all).
QColor bundledColourAt(double latitude, double longitude)
{
    const int x = std::min(2047, int((longitude + 180.0) / 360.0 * 2048.0));
    const int y = std::min(1023, int((90.0 - latitude) / 180.0 * 1024.0));
    const QImage tile(QStringLiteral(NIMBREL_APP_DIR "/gen2-nb-2048/01/%1_%2.jpg").arg(x / 512).arg(y / 512));
    return tile.isNull() ? QColor() : tile.pixelColor(x % 512, y % 512);
}

bool near(const QColor &actual, const QColor &expected)
{
    return actual.isValid() && std::abs(actual.red() - expected.red()) <= kTolerance
        && std::abs(actual.green() - expected.green()) <= kTolerance
        && std::abs(actual.blue() - expected.blue()) <= kTolerance;
}

} // namespace

TEST(Backdrop, TwoBuildsGiveTheSameTilesAndEveryMonthTheSameFolder)
{
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_EQ(buildBackdrop(first.path()), QString());
    ASSERT_EQ(buildBackdrop(second.path()), QString());
    for (const QString &name : tileNames()) {
        SCOPED_TRACE(qPrintable(name));
        const QByteArray bytes = readTestFile(first.filePath(QStringLiteral("gen2-nb-2048/01/") + name));
        EXPECT_GT(bytes.size(), 1000);
        EXPECT_EQ(bytes, readTestFile(second.filePath(QStringLiteral("gen2-nb-2048/01/") + name)));
        EXPECT_EQ(QImage::fromData(bytes).size(), QSize(512, 512));
    }
    for (int month = 2; month <= 12; ++month) {
        const QFileInfo folder(first.filePath(QStringLiteral("gen2-nb-2048/%1").arg(month, 2, 10, QLatin1Char('0'))));
        EXPECT_TRUE(folder.isDir()) << qPrintable(folder.filePath());
        EXPECT_EQ(folder.canonicalFilePath(), QFileInfo(first.filePath(QStringLiteral("gen2-nb-2048/01"))).canonicalFilePath());
    }
}

TEST(Backdrop, TheBundledLevelHasLandAndSeaInTheirPlaces)
{
    struct Place
    {
        const char *name;
        double latitude;
        double longitude;
        QColor expected;
    };
    const Place places[] = {
        {"central Africa", 0.0, 20.0, kLand},
        {"South Atlantic", -30.0, -20.0, kSea},
        {"Brazil", -10.0, -50.0, kLand},
        {"Pacific near the date line", 0.0, 179.0, kSea},
        {"Chukotka across the date line", 66.0, -175.0, kLand},
        {"Antarctica", -85.0, 0.0, kLand},
    };
    for (const Place &place : places) {
        SCOPED_TRACE(place.name);
        const QColor actual = bundledColourAt(place.latitude, place.longitude);
        EXPECT_TRUE(near(actual, place.expected)) << qPrintable(actual.name()) << " vs " << qPrintable(place.expected.name());
    }
}
