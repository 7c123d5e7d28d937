// The simple vector layers of the map: boundary lines read from a file, the latitude/longitude
// grid and the placemarks. They draw with the fixed-function pipeline in the projection's plane.
//
// Each layer draws through the projection it is given (`setProjection`), else its controller's;
// without either it uses the plain equirectangular projection, whose plane is longitude/latitude
// itself. Drawing happens on
// the drawing thread with a context current; the boundary file is parsed on the global pool and
// handed to the layer in one step under a mutex, so a frame sees either nothing or the whole
// parse.
#pragma once

#include "map/layers/OVGeoVertex.h"
#include "map/layers/OVMapLayer.h"

#include <QByteArray>
#include <QList>
#include <QOpenGLContext>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class OVMapProjection;

/// What the vector layers share: the projection they draw through.
class OVMapProjectedLayer : public OVMapLayer
{
public:
    using OVMapLayer::OVMapLayer;
    /// Not owned; it must outlive the layer (the controller's does).
    void setProjection(const OVMapProjection *projection) { mProjection = projection; }
    /// The projection given, else the controller's, else the shared equirectangular default.
    const OVMapProjection &projection() const;

private:
    const OVMapProjection *mProjection = nullptr;
};

class OVMapLinesLayer : public OVMapProjectedLayer
{
public:
    /// Starts parsing `boundaryFile` on the global pool at once.
    OVMapLinesLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader,
                    const QString &boundaryFile);
    /// Deletes the buffer when a context is current (the drawing thread's).
    ~OVMapLinesLayer() override;

    /// Segments of a boundary file: a line of exactly four fields split on single blanks
    /// ("lat1 lon1 lat2 lon2") gives two vertices; every other line gives none. "\n", "\r" and
    /// "\r\n" end lines; a line starting with '#' is a comment; a field is read by its C-locale numeric prefix (no
    /// number reads 0).
    static std::vector<OVGeoVertex> parseBoundaryText(const QByteArray &text);

    void draw() override;
    /// Projects the vertices once and uploads them to a static buffer.
    void createVBOUsingVertices(std::vector<OVGeoVertex> vertices);

    /// The parse has been handed over (whether or not it is uploaded yet).
    bool parseFinished() const;
    bool verticesReady() const { return mVerticesReady; }
    uint32_t numVertices() const { return mNumVertices; }

    float lineColorRed() const { return mLineColorRed; }
    void setLineColorRed(float value) { mLineColorRed = value; }
    float lineColorGreen() const { return mLineColorGreen; }
    void setLineColorGreen(float value) { mLineColorGreen = value; }
    float lineColorBlue() const { return mLineColorBlue; }
    void setLineColorBlue(float value) { mLineColorBlue = value; }
    float lineColorAlpha() const { return mLineColorAlpha; }
    void setLineColorAlpha(float value) { mLineColorAlpha = value; }
    float lineWidth() const { return mLineWidth; }
    void setLineWidth(float value) { mLineWidth = value; }

private:
    /// The parse's hand-over, shared with the background job so the layer may go first.
    struct Parsed
    {
        std::mutex mutex;
        bool finished = false;
        std::optional<std::vector<OVGeoVertex>> vertices;
    };

    uint32_t mVertexVBOID = 0;
    /// The share group the buffer was made in: only a context of it may delete the name.
    QPointer<QOpenGLContextGroup> mVertexBufferGroup;
    uint32_t mNumVertices = 0;
    float mLineColorRed = 0.0f;
    float mLineColorGreen = 0.0f;
    float mLineColorBlue = 0.0f;
    float mLineColorAlpha = 0.0f;
    float mLineWidth = 1.0f;
    std::shared_ptr<Parsed> mParsed;
    bool mVerticesReady = false;
};

class OVMapGridLayer : public OVMapProjectedLayer
{
public:
    OVMapGridLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader);

    /// The grid over the projection's valid range, three floats per vertex: the meridians' pairs
    /// first, then the parallels'. Nothing for a spacing that is not finite or not above 0.
    static void gridVertices(const OVMapProjection &projection, double spacing, double elevation,
                             std::vector<float> &vertices, int &meridianCount, int &parallelCount);

    /// Lines of 1 point (times the scale factor), whatever the layer before left.
    void draw() override;

    double gridColorRed() const { return mGridColorRed; }
    void setGridColorRed(double value) { mGridColorRed = value; }
    double gridColorGreen() const { return mGridColorGreen; }
    void setGridColorGreen(double value) { mGridColorGreen = value; }
    double gridColorBlue() const { return mGridColorBlue; }
    void setGridColorBlue(double value) { mGridColorBlue = value; }
    double gridColorAlpha() const { return mGridColorAlpha; }
    void setGridColorAlpha(double value) { mGridColorAlpha = value; }
    double spacing() const { return mSpacing; }
    void setSpacing(double value) { mSpacing = value; }

private:
    double mGridColorRed = 1.0;
    double mGridColorGreen = 1.0;
    double mGridColorBlue = 1.0;
    double mGridColorAlpha = 1.0;
    double mSpacing = 10.0;
    std::vector<float> mVertices; // reused frame to frame
};

/// One marker: 0 square, 1 disc, 2 diamond, 3 ring; other shapes draw nothing.
class OVMapPlacemarkItem
{
public:
    /// The vertices of the marker and the primitive they form (x, y set; elevation 0). Empty
    /// for an unknown shape.
    struct Geometry
    {
        unsigned mode = 0;
        std::vector<OVGeoVertex> vertices;
    };
    Geometry geometry(const OVMapProjection &projection, const OVGeoRect &visibleGeoRect, const QSizeF &viewSize) const;
    void drawUsingProjection(const OVMapProjection &projection, const OVGeoRect &visibleGeoRect,
                             const QSizeF &viewSize) const;

    OVGeoPoint geoPoint() const;
    void setGeoPoint(const OVGeoPoint &point);
    float colorRed = 0.0f;
    float colorGreen = 0.0f;
    float colorBlue = 0.0f;
    float colorAlpha = 0.0f;
    /// Edge length in view points, or in degrees with `sizeInDegrees`.
    float size = 0.0f;
    int64_t shape = 0;
    bool sizeInDegrees = false;

private:
    mutable std::mutex mPointMutex;
    OVGeoPoint mGeoPoint;
};

using OVMapPlacemarkItemPtr = std::shared_ptr<OVMapPlacemarkItem>;

class OVMapPlacemarkLayer : public OVMapProjectedLayer
{
public:
    OVMapPlacemarkLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader);
    void draw() override;
    QList<OVMapPlacemarkItemPtr> placemarks() const;
    void setPlacemarks(const QList<OVMapPlacemarkItemPtr> &placemarks);

private:
    mutable std::mutex mMutex;
    QList<OVMapPlacemarkItemPtr> mPlacemarks;
};
