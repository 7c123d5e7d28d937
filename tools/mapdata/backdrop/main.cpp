// Paints the map's bundled backdrop: land and sea of a GeoJSON land feature on a 2048 x 1024
// equirectangular image (longitude -180..180 across, latitude 90 at the top), cut into eight
// 512-pixel JPEG tiles "<column>_<row>.jpg" (row 0 north), the coarsest level of the terrain
// pyramid. The same input gives the same bytes.
//   nimbrel-backdrop <land.geojson> <output folder>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1024;
constexpr int kTile = 512;
constexpr int kQuality = 90;
const QColor kSea(38, 78, 128);
const QColor kLand(134, 160, 96);

QPointF pixelOf(double longitude, double latitude)
{
    return QPointF((longitude + 180.0) / 360.0 * kWidth, (90.0 - latitude) / 180.0 * kHeight);
}

/// Adds a GeoJSON polygon (outer ring, then holes) to the path; odd-even filling cuts the holes.
/// A ring that steps across the date line is unwrapped (its longitudes run on past 180 or
/// below -180), so it is one shape; the painter fills it again one world east and west. A ring
/// that goes right round the world (about a pole) is closed along the pole's edge.
void addPolygon(QPainterPath &path, const QJsonArray &rings)
{
    for (const QJsonValue &ring : rings) {
        const QJsonArray points = ring.toArray();
        if (points.size() < 3)
            continue;
        QPolygonF shape;
        double offset = 0.0;
        double previous = points.at(0).toArray().at(0).toDouble();
        double latitudeSum = 0.0;
        for (const QJsonValue &value : points) {
            const QJsonArray position = value.toArray();
            const double longitude = position.at(0).toDouble();
            while (longitude + offset - previous > 180.0)
                offset -= 360.0;
            while (longitude + offset - previous < -180.0)
                offset += 360.0;
            previous = longitude + offset;
            latitudeSum += position.at(1).toDouble();
            shape << pixelOf(previous, position.at(1).toDouble());
        }
        if (offset != 0.0) {
            const double pole = latitudeSum < 0.0 ? -90.0 : 90.0;
            shape << pixelOf(previous, pole) << pixelOf(points.at(0).toArray().at(0).toDouble(), pole);
        }
        path.addPolygon(shape);
        path.closeSubpath();
    }
}

void addGeometry(QPainterPath &path, const QJsonObject &geometry)
{
    const QString type = geometry.value(QLatin1String("type")).toString();
    if (type == QLatin1String("Polygon")) {
        addPolygon(path, geometry.value(QLatin1String("coordinates")).toArray());
    } else if (type == QLatin1String("MultiPolygon")) {
        for (const QJsonValue &polygon : geometry.value(QLatin1String("coordinates")).toArray())
            addPolygon(path, polygon.toArray());
    } else if (type == QLatin1String("GeometryCollection")) {
        for (const QJsonValue &part : geometry.value(QLatin1String("geometries")).toArray())
            addGeometry(path, part.toObject());
    }
}

/// The land of a Feature, FeatureCollection or bare geometry.
QPainterPath landPath(const QJsonObject &root)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const QString type = root.value(QLatin1String("type")).toString();
    if (type == QLatin1String("FeatureCollection")) {
        for (const QJsonValue &item : root.value(QLatin1String("features")).toArray())
            addGeometry(path, item.toObject().value(QLatin1String("geometry")).toObject());
    } else if (type == QLatin1String("Feature")) {
        addGeometry(path, root.value(QLatin1String("geometry")).toObject());
    } else {
        addGeometry(path, root);
    }
    return path;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "nimbrel-backdrop: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3)
        return fail(QStringLiteral("usage: nimbrel-backdrop <land.geojson> <output folder>"));

    QFile input(arguments.at(1));
    if (!input.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(input.fileName(), input.errorString()));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return fail(QStringLiteral("%1 is not GeoJSON: %2 at byte %3")
                        .arg(input.fileName(), error.errorString())
                        .arg(error.offset));
    const QPainterPath land = landPath(document.object());
    if (land.isEmpty())
        return fail(QStringLiteral("%1 holds no land polygon").arg(input.fileName()));

    QImage world(kWidth, kHeight, QImage::Format_RGB32);
    world.fill(kSea);
    {
        QPainter painter(&world);
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (const int shift : {0, -kWidth, kWidth})
            painter.fillPath(land.translated(shift, 0), kLand);
    }

    const QDir folder(arguments.at(2));
    if (!QDir().mkpath(folder.path()))
        return fail(QStringLiteral("cannot make %1").arg(folder.path()));
    for (int row = 0; row < kHeight / kTile; ++row) {
        for (int column = 0; column < kWidth / kTile; ++column) {
            const QString path = folder.filePath(QStringLiteral("%1_%2.jpg").arg(column).arg(row));
            QImageWriter writer(path, "jpeg");
            writer.setQuality(kQuality);
            if (!writer.write(world.copy(column * kTile, row * kTile, kTile, kTile)))
                return fail(QStringLiteral("cannot write %1: %2").arg(path, writer.errorString()));
        }
    }
    return 0;
}
