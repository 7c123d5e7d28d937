#include "map/layers/OVMapVectorLayers.h"

#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/OVCurrentGL.h"
#include "map/gl/OVTextureLoader.h"
#include "map/projection/OVMapProjection.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QFile>
#include <QOpenGLContext>

#include <charconv>
#include <cmath>
#include <numbers>

namespace {

/// The C-locale numeric prefix of a field; 0 when it starts with no number.
float fieldValue(const char *begin, const char *end)
{
    if (begin != end && *begin == '+')
        ++begin;
    float value = 0.0f;
    const auto [ptr, error] = std::from_chars(begin, end, value);
    return error == std::errc() ? value : 0.0f;
}

OVGeoVertex vertexAt(float latitude, float longitude)
{
    OVGeoVertex vertex{};
    vertex.latitude = latitude;
    vertex.longitude = longitude;
    return vertex;
}

} // namespace

const OVMapProjection &OVMapProjectedLayer::projection() const
{
    static const OVEquirectangularMapProjection fallback;
    if (mProjection)
        return *mProjection;
    const OVMapProjection *controllers = mapController() ? mapController()->mapProjection() : nullptr;
    return controllers ? *controllers : fallback;
}

// ---- Boundary lines ----

OVMapLinesLayer::OVMapLinesLayer(OVMapControllerInterface *mapController,
                                 std::shared_ptr<OVTextureLoader> textureLoader, const QString &boundaryFile)
    : OVMapProjectedLayer(mapController, std::move(textureLoader))
    , mParsed(std::make_shared<Parsed>())
{
    OVDispatch::global([parsed = mParsed, boundaryFile] {
        QFile file(boundaryFile);
        QByteArray text;
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
        std::optional<std::vector<OVGeoVertex>> vertices;
        if (text.isEmpty())
            OVLog(QStringLiteral("Boundary file %1 is missing or empty; no lines drawn").arg(boundaryFile));
        else
            vertices = parseBoundaryText(text);
        const std::lock_guard lock(parsed->mutex);
        parsed->vertices = std::move(vertices);
        parsed->finished = true;
    });
}

OVMapLinesLayer::~OVMapLinesLayer()
{
    deleteBufferOfGroup(mVertexVBOID, mVertexBufferGroup);
}

std::vector<OVGeoVertex> OVMapLinesLayer::parseBoundaryText(const QByteArray &text)
{
    std::vector<OVGeoVertex> vertices;
    vertices.reserve(size_t(text.count('\n') + text.count('\r') + 1) * 2);
    const char *data = text.constData();
    const qsizetype size = text.size();
    qsizetype lineStart = 0;
    while (lineStart <= size) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < size && data[lineEnd] != '\n' && data[lineEnd] != '\r')
            ++lineEnd;
        // Exactly four non-empty fields between single blanks.
        const char *fields[5];
        const char *ends[4];
        int count = 0;
        bool valid = lineEnd > lineStart && data[lineStart] != '#'; // '#' starts a comment
        fields[0] = data + lineStart;
        for (qsizetype i = lineStart; valid && i <= lineEnd; ++i) {
            if (i == lineEnd || data[i] == ' ') {
                if (count >= 4 || data + i == fields[count]) {
                    valid = false;
                    break;
                }
                ends[count] = data + i;
                ++count;
                fields[count] = data + i + 1;
            }
        }
        if (valid && count == 4) {
            vertices.push_back(vertexAt(fieldValue(fields[0], ends[0]), fieldValue(fields[1], ends[1])));
            vertices.push_back(vertexAt(fieldValue(fields[2], ends[2]), fieldValue(fields[3], ends[3])));
        }
        if (lineEnd < size && data[lineEnd] == '\r' && lineEnd + 1 < size && data[lineEnd + 1] == '\n')
            ++lineEnd;
        lineStart = lineEnd + 1;
    }
    return vertices;
}

bool OVMapLinesLayer::parseFinished() const
{
    const std::lock_guard lock(mParsed->mutex);
    return mParsed->finished;
}

void OVMapLinesLayer::createVBOUsingVertices(std::vector<OVGeoVertex> vertices)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    const OVMapProjection &proj = projection();
    // The plain projection's plane is longitude/latitude itself.
    const bool plain = dynamic_cast<const OVEquirectangularMapProjection *>(&proj) != nullptr;
    const auto z = float(elevation());
    for (OVGeoVertex &vertex : vertices) {
        if (plain) {
            vertex.x0 = vertex.longitude;
            vertex.y0 = vertex.latitude;
        } else {
            const QPointF point = proj.pointForLatitude(vertex.latitude, vertex.longitude);
            vertex.x0 = float(point.x());
            vertex.y0 = float(point.y());
        }
        vertex.z0 = z;
    }
    gl->glGenBuffers(1, &mVertexVBOID);
    mVertexBufferGroup = QOpenGLContext::currentContext()->shareGroup();
    gl->glBindBuffer(GL_ARRAY_BUFFER, mVertexVBOID);
    gl->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(OVGeoVertex)), vertices.data(),
                     GL_STATIC_DRAW);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    mNumVertices = uint32_t(vertices.size());
    mVerticesReady = true;
}

void OVMapLinesLayer::draw()
{
    if (!shouldDraw())
        return;
    if (!mVerticesReady) {
        std::optional<std::vector<OVGeoVertex>> vertices;
        {
            const std::lock_guard lock(mParsed->mutex);
            vertices.swap(mParsed->vertices);
        }
        if (!vertices)
            return;
        createVBOUsingVertices(std::move(*vertices));
        if (!mVerticesReady)
            return;
    }
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl || mNumVertices == 0)
        return;
    gl->glColor4f(mLineColorRed, mLineColorGreen, mLineColorBlue, mLineColorAlpha);
    gl->glLineWidth(mLineWidth);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glBindBuffer(GL_ARRAY_BUFFER, mVertexVBOID);
    gl->glVertexPointer(3, GL_FLOAT, sizeof(OVGeoVertex), reinterpret_cast<const void *>(offsetof(OVGeoVertex, x0)));
    gl->glDrawArrays(GL_LINES, 0, GLsizei(mNumVertices));
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
}

// ---- Grid ----

OVMapGridLayer::OVMapGridLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader)
    : OVMapProjectedLayer(mapController, std::move(textureLoader))
{
    setLayerType(5);
}

void OVMapGridLayer::gridVertices(const OVMapProjection &projection, double spacing, double elevation,
                                  std::vector<float> &vertices, int &meridianCount, int &parallelCount)
{
    vertices.clear();
    meridianCount = 0;
    parallelCount = 0;
    if (!std::isfinite(spacing) || spacing <= 0.0)
        return;
    const OVGeoRect r = projection.validGeoRect();
    const auto z = float(elevation);
    const auto add = [&](double latitude, double longitude) {
        const QPointF point = projection.pointForLatitude(latitude, longitude);
        vertices.push_back(float(point.x()));
        vertices.push_back(float(point.y()));
        vertices.push_back(z);
    };
    const auto first = [spacing](double value) { return int64_t(std::trunc(value / spacing)); };
    for (int64_t i = first(r.minPoint.longitude); i <= first(r.maxPoint.longitude); ++i) {
        const float longitude = float(double(i) * spacing);
        add(r.minPoint.latitude, longitude);
        add(r.maxPoint.latitude, longitude);
        ++meridianCount;
    }
    for (int64_t j = first(r.minPoint.latitude); j <= first(r.maxPoint.latitude); ++j) {
        const float latitude = float(double(j) * spacing);
        add(latitude, r.minPoint.longitude);
        add(latitude, r.maxPoint.longitude);
        ++parallelCount;
    }
}

void OVMapGridLayer::draw()
{
    if (!shouldDraw())
        return;
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    int meridians = 0;
    int parallels = 0;
    gridVertices(projection(), mSpacing, elevation(), mVertices, meridians, parallels);
    if (mVertices.empty())
        return;
    gl->glColor4f(float(mGridColorRed), float(mGridColorGreen), float(mGridColorBlue), float(mGridColorAlpha));
    gl->glLineWidth(float(1.0 * layerScaleFactor()));
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glVertexPointer(3, GL_FLOAT, 0, mVertices.data());
    gl->glDrawArrays(GL_LINES, 0, 2 * meridians);
    gl->glDrawArrays(GL_LINES, 2 * meridians, 2 * parallels);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
}

// ---- Placemarks ----

OVGeoPoint OVMapPlacemarkItem::geoPoint() const
{
    const std::lock_guard lock(mPointMutex);
    return mGeoPoint;
}

void OVMapPlacemarkItem::setGeoPoint(const OVGeoPoint &point)
{
    const std::lock_guard lock(mPointMutex);
    mGeoPoint = point;
}

OVMapPlacemarkItem::Geometry OVMapPlacemarkItem::geometry(const OVMapProjection &projection,
                                                          const OVGeoRect &visibleGeoRect, const QSizeF &viewSize) const
{
    const OVGeoPoint point = geoPoint();
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
    if (sizeInDegrees) {
        const double half = size / 2.0;
        const QPointF sw = projection.pointForLatitude(point.latitude - half, point.longitude - half);
        const QPointF ne = projection.pointForLatitude(point.latitude + half, point.longitude + half);
        minX = sw.x();
        minY = sw.y();
        maxX = ne.x();
        maxY = ne.y();
    } else {
        const QRectF c = projection.rectForGeoRect(visibleGeoRect);
        const QPointF p = projection.pointForGeoPoint(point);
        const double unitsX = viewSize.width() / c.width();
        const double unitsY = viewSize.height() / c.height();
        const double halfX = (size / 2.0) / unitsX;
        const double halfY = (size / 2.0) / unitsY;
        minX = p.x() - halfX;
        minY = p.y() - halfY;
        maxX = p.x() + halfX;
        maxY = p.y() + halfY;
    }
    Geometry result;
    const auto add = [&result](double x, double y) {
        OVGeoVertex vertex{};
        vertex.x0 = float(x);
        vertex.y0 = float(y);
        result.vertices.push_back(vertex);
    };
    const double mx = (minX + maxX) / 2.0;
    const double my = (minY + maxY) / 2.0;
    const double rx = float(maxX - mx);
    const double ry = float(maxY - my);
    constexpr double twoPi = 2.0 * std::numbers::pi;
    switch (shape) {
    case 0:
        result.mode = GL_TRIANGLE_STRIP;
        add(minX, minY);
        add(minX, maxY);
        add(maxX, minY);
        add(maxX, maxY);
        break;
    case 1:
        result.mode = GL_TRIANGLE_FAN;
        add(mx, my);
        for (int k = 1; k <= 15; ++k) {
            const double a = double(float(k) / 14.0f) * twoPi;
            add(mx + rx * std::cos(a), my + ry * std::sin(a));
        }
        break;
    case 2:
        result.mode = GL_TRIANGLE_STRIP;
        add(mx, minY);
        add(minX, my);
        add(maxX, my);
        add(mx, maxY);
        break;
    case 3:
        result.mode = GL_TRIANGLE_STRIP;
        for (int n = 0; n <= 16; n += 2) {
            const double a = (n * 0.0625) * twoPi;
            add(mx + 0.35 * rx * std::cos(a), my + 0.35 * ry * std::sin(a));
            add(mx + rx * std::cos(a), my + ry * std::sin(a));
        }
        break;
    default: break;
    }
    return result;
}

void OVMapPlacemarkItem::drawUsingProjection(const OVMapProjection &projection, const OVGeoRect &visibleGeoRect,
                                             const QSizeF &viewSize) const
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    gl->glColor4f(colorRed, colorGreen, colorBlue, colorAlpha);
    const Geometry shapeGeometry = geometry(projection, visibleGeoRect, viewSize);
    if (shapeGeometry.vertices.empty())
        return;
    gl->glVertexPointer(3, GL_FLOAT, sizeof(OVGeoVertex), &shapeGeometry.vertices.front().x0);
    gl->glDrawArrays(shapeGeometry.mode, 0, GLsizei(shapeGeometry.vertices.size()));
}

OVMapPlacemarkLayer::OVMapPlacemarkLayer(OVMapControllerInterface *mapController,
                                         std::shared_ptr<OVTextureLoader> textureLoader)
    : OVMapProjectedLayer(mapController, std::move(textureLoader))
{
    setLayerType(7);
}

QList<OVMapPlacemarkItemPtr> OVMapPlacemarkLayer::placemarks() const
{
    const std::lock_guard lock(mMutex);
    return mPlacemarks;
}

void OVMapPlacemarkLayer::setPlacemarks(const QList<OVMapPlacemarkItemPtr> &placemarks)
{
    const std::lock_guard lock(mMutex);
    mPlacemarks = placemarks;
}

void OVMapPlacemarkLayer::draw()
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    const OVMapSupportedView *view = mapController() ? mapController()->view() : nullptr;
    const OVGeoRect visible = view ? view->visibleGeoRect() : OVGeoRect{};
    const QSizeF size = view ? view->viewSize() : QSizeF();
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    for (const OVMapPlacemarkItemPtr &item : placemarks()) {
        if (item)
            item->drawUsingProjection(projection(), visible, size);
    }
    gl->glDisableClientState(GL_VERTEX_ARRAY);
}
