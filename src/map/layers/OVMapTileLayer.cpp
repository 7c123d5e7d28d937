#include "map/layers/OVMapTileLayer.h"

#include "map/layers/OVGeoVertex.h"
#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerConfiguration.h"
#include "map/OVMapSupportedView.h"
#include "map/projection/OVMapProjection.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <array>

OVMapTileLayer::OVMapTileLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader)
    : OVMapLayer(mapController, std::move(textureLoader))
    , mTextureInternalFormat(GL_RGBA)
{
}

QString OVMapTileLayer::tileSource(QString pattern, int64_t column, int64_t row)
{
    pattern.replace(QLatin1String("@x"), QString::number(column));
    pattern.replace(QLatin1String("@y"), QString::number(row));
    return pattern;
}

void OVMapTileLayer::applyTileConfiguration(const OVMapLayerConfiguration &configuration)
{
    setNumXTiles(configuration.numXTiles);
    setNumYTiles(configuration.numYTiles);
    setAlpha(configuration.alpha);
    if (!configuration.preferenceKeyForAlpha.isEmpty())
        setPreferenceKeyForAlpha(configuration.preferenceKeyForAlpha);
    setTextureInternalFormat(configuration.textureInternalFormat);
}

bool OVMapTileLayer::shouldDraw() const
{
    if (mAlpha < kMinimumDrawnAlpha)
        return false;
    return OVMapLayer::shouldDraw();
}

QString OVMapTileLayer::prepareTile(int64_t, int64_t)
{
    OVLog(QStringLiteral("[OVMapTileLayer prepareTile] This method must be implemented in a subclass.  It needs to "
                         "load a texture and bind it so it is ready to be used in drawTileX:tileY:"));
    return {};
}

void OVMapTileLayer::prepareFrame()
{
    readAlphaFromSettings();
    QList<PlannedTile> plan;
    if (shouldDraw())
        for (const OVMapTilePlacement &tile : visibleTiles())
            if (QString key = prepareTile(tile.textureColumn, tile.textureRow); !key.isEmpty())
                plan.append({tile, std::move(key)});
    const std::lock_guard lock(mPlanMutex);
    mPlan = std::move(plan);
}

void OVMapTileLayer::readAlphaFromSettings()
{
    if (!mPreferenceKeyForAlpha || !mapController())
        return;
    const QVariant value = mapController()->settings().value(*mPreferenceKeyForAlpha);
    if (value.isValid())
        mAlpha.store(value.toFloat());
}

QList<OVMapTilePlacement> OVMapTileLayer::visibleTiles() const
{
    OVMapControllerInterface *controller = mapController();
    if (!controller)
        return {};
    const OVMapSupportedView *view = controller->view();
    const OVGeoRect visible = view ? view->visibleGeoRect() : OVGeoRect{};
    return OVMapTileGrid::tilesToDraw(visible, controller->mapProjection(), layerRect(), mNumXTiles, mNumYTiles);
}

OVGeoRect OVMapTileLayer::geoRectOfTile(int64_t column, int64_t row) const
{
    const OVMapProjection *projection = mapController() ? mapController()->mapProjection() : nullptr;
    return OVMapTileGrid::geoRectOfTile(projection, layerRect(), mNumXTiles, mNumYTiles, column, row);
}

void OVMapTileLayer::draw()
{
    if (OVDispatch::isMainThread())
        prepareFrame();
    if (!shouldDraw())
        return;
    QOpenGLContext *context = QOpenGLContext::currentContext();
    QOpenGLFunctions_2_1 *gl = context ? QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context) : nullptr;
    if (!gl)
        return;
    QList<PlannedTile> plan;
    {
        const std::lock_guard lock(mPlanMutex);
        plan = mPlan;
    }
    gl->glColor4ub(255, 255, 255, OVMapTileGrid::alphaByte(mAlpha.load()));
    gl->glEnable(GL_TEXTURE_2D);
    // The quads come from client memory: a buffer left bound would turn their addresses into offsets.
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    for (const PlannedTile &tile : std::as_const(plan))
        drawTile(*gl, tile.placement, tile.key);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
    gl->glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl->glDisable(GL_TEXTURE_2D);
}

void OVMapTileLayer::drawTile(QOpenGLFunctions_2_1 &gl, const OVMapTilePlacement &tile, const QString &key)
{
    OVMapControllerInterface *controller = mapController();
    const OVMapProjection *projection = controller ? controller->mapProjection() : nullptr;
    if (!projection || !controller->bindTextureWithKey(key))
        return;
    const QPointF southWest = projection->pointForGeoPoint(tile.geoRect.minPoint);
    const QPointF northEast = projection->pointForGeoPoint(tile.geoRect.maxPoint);
    const float z = float(elevation());
    // Texture row 0 is the tile's northern edge.
    std::array<OVGeoVertex, 4> quad{};
    const auto set = [z](OVGeoVertex &vertex, double x, double y, int16_t s, int16_t t) {
        vertex.x0 = float(x);
        vertex.y0 = float(y);
        vertex.z0 = z;
        vertex.s = s;
        vertex.t = t;
    };
    set(quad[0], southWest.x(), southWest.y(), 0, 1);
    set(quad[1], southWest.x(), northEast.y(), 0, 0);
    set(quad[2], northEast.x(), southWest.y(), 1, 1);
    set(quad[3], northEast.x(), northEast.y(), 1, 0);
    gl.glVertexPointer(3, GL_FLOAT, sizeof(OVGeoVertex), &quad[0].x0);
    gl.glTexCoordPointer(2, GL_SHORT, sizeof(OVGeoVertex), &quad[0].s);
    gl.glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}
