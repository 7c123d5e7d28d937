// The base of every map layer: drawing order, the resolutions at which it draws, whether point
// smoothing may be used, and dropping the layer's textures by key pattern.
//
// The controller makes layers after the texture loader and drops them before it; `draw`,
// `shouldDraw` and `shouldSmoothPoints` run on the drawing thread with the drawing context
// current; `prepareFrame` and `cleanupMemory` on the GUI thread.
#pragma once

#include "core/OVGeoTypes.h"
#include "map/gl/OVTextureLoader.h"

#include <QString>

#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

class OVMapControllerInterface;
class QOpenGLContextGroup;

class OVMapLayer
{
public:
    /// Textures used this many seconds before the newest use survive `cleanupMemory`.
    static constexpr double kCleanupGraceInterval = 10.0;

    OVMapLayer() = delete;
    OVMapLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader);
    /// Deletes the textures matching `texturePatternForCleanup`; a layer without a pattern owns
    /// no keyed textures and deletes nothing (the others' textures are not its to drop).
    virtual ~OVMapLayer();
    OVMapLayer(const OVMapLayer &) = delete;
    OVMapLayer &operator=(const OVMapLayer &) = delete;

    QString description() const;
    virtual void draw() = 0;
    /// What the next frame needs that only the GUI thread may do (downloads, loader requests),
    /// called there before the frame is asked for. The base does nothing.
    virtual void prepareFrame() {}
    /// Not disabled, and the view's resolution lies within the display range divided by the
    /// scale factor (both ends included).
    virtual bool shouldDraw() const;
    /// Whether drawn points may be smoothed: not on the adapters that draw smoothed points
    /// wrongly. Asks the current context's renderer once per layer.
    bool shouldSmoothPoints();
    /// The renderer-name rule behind `shouldSmoothPoints`.
    static bool smoothPointsAllowedForRenderer(const QString &renderer);
    /// Device pixels per point of the view (1 without a view).
    double layerScaleFactor() const;
    virtual void invalidateTimers() {}
    /// Drops this layer's textures not used within the grace interval of the newest use.
    virtual void cleanupMemory();

    double elevation() const { return mElevation; }
    virtual void setElevation(double elevation) { mElevation = elevation; }
    double minDisplayResolution() const { return mMinDisplayResolution; }
    void setMinDisplayResolution(double pixelsPerDegree) { mMinDisplayResolution = pixelsPerDegree; }
    double maxDisplayResolution() const { return mMaxDisplayResolution; }
    void setMaxDisplayResolution(double pixelsPerDegree) { mMaxDisplayResolution = pixelsPerDegree; }
    bool disable() const { return mDisable; }
    void setDisable(bool disable) { mDisable = disable; }
    int64_t layerType() const { return mLayerType; }
    void setLayerType(int64_t type) { mLayerType = type; }
    OVGeoRect layerRect() const;
    void setLayerRect(const OVGeoRect &rect);
    OVMapControllerInterface *mapController() const { return mMapController; }
    void setMapController(OVMapControllerInterface *controller) { mMapController = controller; }
    std::shared_ptr<OVTextureLoader> textureLoader() const;
    void setTextureLoader(std::shared_ptr<OVTextureLoader> loader);
    std::optional<QString> texturePatternForCleanup() const;
    void setTexturePatternForCleanup(const std::optional<QString> &pattern);

    /// Asks the controller's view, when there is one, for a frame (no controller: nothing). For
    /// callbacks that may outlive their layer and hold only the controller.
    static void redrawViewOf(OVMapControllerInterface *controller);

protected:
    /// Asks this layer's controller's view, when there is one, for a frame.
    void redrawView() const { redrawViewOf(mMapController); }
    /// Deletes a vertex buffer made in `group`. Buffer names belong to a share group: deleting
    /// the name in another group's context would free someone else's buffer. Without a context
    /// of the group current, the texture loader (which shares it) deletes it; a group that is
    /// gone took its buffers with it.
    void deleteBufferOfGroup(uint32_t buffer, QOpenGLContextGroup *group) const;

private:
    double mElevation = 0.0;
    double mMinDisplayResolution = std::numeric_limits<double>::min();
    double mMaxDisplayResolution = std::numeric_limits<double>::max();
    bool mDisable = false;
    OVGeoRect mLayerRect = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0);
    int64_t mLayerType = 0;
    OVMapControllerInterface *mMapController = nullptr;
    bool mSmoothPointCompatible = true;
    bool mHaveCheckedSmoothPointCompatibility = false;
    mutable std::mutex mPropertyMutex; // the layer rect, loader and pattern are read across threads
    std::shared_ptr<OVTextureLoader> mTextureLoader;
    std::optional<QString> mTexturePatternForCleanup;
};
