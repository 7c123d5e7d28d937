// Place names on the map: labels pinned by their lower-left corner to a geographic point, each
// rendered once into a texture at twice its size and then drawn as one textured quad.
//
// Threads: a label renders (`generateTexture`) on the GUI thread; the loader's callback arrives
// there too. The layer's pass runs on the drawing thread under `lockQueue`, which `setStrings`
// (any thread), `cleanupMemory` and the destructor also take. The pass itself is a pure function
// (`OVMapTextLayer::pass`): the labels, the visible rectangle and the resolution decide what is
// drawn and which textures are asked for; `draw` only issues GL calls and queues the requests.
#pragma once

#include "core/views/OVAttributedString.h"
#include "map/layers/OVMapLayerControls.h"
#include "map/layers/OVMapLayer.h"

#include <QColor>
#include <QImage>
#include <QList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class OVMapAttributedString : public OVAttributedString, public std::enable_shared_from_this<OVMapAttributedString>
{
public:
    enum TextureStatus : int32_t { NoTexture = 0, Requested = 1, Loaded = 2 };

    OVMapAttributedString() = default;
    using OVAttributedString::OVAttributedString;
    /// A place label: bold sans-serif at `fontSize`, filled with `textColor`, outlined with
    /// `strokeColor` at `strokeWidth` percent of the font size, with a dot at its anchor.
    static std::shared_ptr<OVMapAttributedString> placeLabel(const QString &text, double fontSize,
                                                             const QColor &textColor, const QColor &strokeColor,
                                                             double strokeWidth, const OVGeoPoint &point);
    /// Deletes a loaded texture (high priority); a texture still on its way is deleted when it
    /// arrives.
    ~OVMapAttributedString() override;

    /// The label drawn upright into a premultiplied RGBA image of ceil(2w) x ceil(2h) pixels,
    /// row 0 on top; a null image for an empty label.
    QImage renderImage();
    /// Renders and queues the texture, only when none is loaded or on its way. GUI thread.
    /// `onLoaded` runs on the GUI thread once the texture is there.
    void generateTexture(const std::function<void()> &onLoaded = {});
    /// Drops the texture: a loaded one is deleted, a requested one abandoned (deleted on arrival).
    void unloadTexture();

    OVGeoPoint geoPoint() const;
    void setGeoPoint(const OVGeoPoint &point);
    bool plotPoint() const { return mPlotPoint; }
    void setPlotPoint(bool plot) { mPlotPoint = plot; }
    bool forceDraw() const { return mForceDraw; }
    void setForceDraw(bool force) { mForceDraw = force; }
    std::shared_ptr<OVTextureLoader> textureLoader() const;
    void setTextureLoader(const std::shared_ptr<OVTextureLoader> &loader);
    uint32_t textureID() const { return mTextureID.load(); }
    int32_t textureStatus() const { return mTextureStatus.load(); }
    /// For tests and benchmarks: marks a texture as loaded.
    void setTextureStatus(int32_t status) { mTextureStatus.store(status); }
    void setTextureID(uint32_t texture) { mTextureID.store(texture); }
    OVGeoRect lastGeoRectDrawnInto() const;
    void setLastGeoRectDrawnInto(const OVGeoRect &rect);
    /// The text's size in points, measured once (labels do not change their text).
    virtual QSizeF labelSize();
    bool isEmptyLabel();

private:
    mutable std::mutex mMutex; // point, rectangle and loader
    OVGeoPoint mGeoPoint;
    OVGeoRect mLastGeoRectDrawnInto;
    std::shared_ptr<OVTextureLoader> mTextureLoader;
    std::atomic<bool> mPlotPoint{false};
    std::atomic<bool> mForceDraw{false};
    std::atomic<uint32_t> mTextureID{0};
    std::atomic<int32_t> mTextureStatus{NoTexture};
    std::atomic<uint64_t> mRequestGeneration{0}; // a request whose generation is stale is abandoned
    std::once_flag mSizeOnce;
    QSizeF mLabelSize;
};

using OVMapAttributedStringPtr = std::shared_ptr<OVMapAttributedString>;

/// One label of a pass and the rectangle (degrees) it is drawn into.
struct OVMapTextDraw
{
    OVMapAttributedStringPtr label;
    OVGeoRect rect;
};

/// What the layer remembers of the last complete pass.
struct OVMapTextPassCache
{
    bool valid = false;
    QList<OVMapTextDraw> drawn;
    OVGeoRect geoRect;
    double pixelsPerDegree = 0.0;
};

/// The outcome of one pass.
struct OVMapTextPassResult
{
    QList<OVMapTextDraw> draws;               // in drawing order
    QList<OVMapAttributedStringPtr> requests; // textures to make on the GUI thread
    bool reused = false;                      // the cached pass was drawn without testing
    OVMapTextPassCache cache;                 // what to remember for the next frame
};

class OVMapTextLayer : public OVMapLayer, public OVMapTextLayerControl
{
public:
    OVMapTextLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader);
    ~OVMapTextLayer() override;

    struct PassOptions
    {
        bool checkOverlappingStrings = false;
        int64_t maxDisplayStrings = 0;
    };
    /// Which labels to draw where, and which textures to ask for, over `visible` at `p` pixels
    /// per degree. Labels already drawn in a cached pass of the same rectangle and resolution are
    /// drawn again without testing.
    static OVMapTextPassResult pass(const QList<OVMapAttributedStringPtr> &strings, const OVMapTextPassCache &cache,
                                    const OVGeoRect &visible, double p, const PassOptions &options);

    void draw() override;
    void cleanupMemory() override;

    void addString(const OVMapAttributedStringPtr &label);
    void addStrings(const QList<OVMapAttributedStringPtr> &labels);
    void setStrings(const QList<OVMapAttributedStringPtr> &labels);
    /// The place labels of these records (bold sans-serif, outlined, with a dot at the anchor).
    void setStrings(const QList<OVMapLabelRecord> &records) override;
    static QList<OVMapAttributedStringPtr> labelsForRecords(const QList<OVMapLabelRecord> &records);
    QList<OVMapAttributedStringPtr> strings() const;
    /// Moves the first label with this text within 0.001 degree of `point` to the front.
    void bringToFront(const QString &text, const OVGeoPoint &point) override;

    int64_t maxDisplayStrings() const { return mOptions.maxDisplayStrings; }
    void setMaxDisplayStrings(int64_t count);
    bool checkOverlappingStrings() const { return mOptions.checkOverlappingStrings; }
    void setCheckOverlappingStrings(bool check);
    /// The cached pass (for tests).
    OVMapTextPassCache cache() const;

    /// `value` moved onto the nearest whole pixel counted from `origin` (degrees).
    static double snappedToPixel(double value, double origin, double degreesPerPixel);
    /// Draws `texture` over `rect` (degrees) at `z` as one triangle strip, texture row 0 at the
    /// top; leaves the vertex and texture-coordinate arrays pointing at its own vertices, which
    /// the caller must have enabled. Drawing thread.
    static void drawTexturedRect(const OVGeoRect &rect, uint32_t texture, float z);

private:
    void drawLabel(const OVMapTextDraw &draw);

    mutable std::mutex lockQueue; // the labels, the options and the cached pass
    QList<OVMapAttributedStringPtr> mStrings;
    PassOptions mOptions;
    OVMapTextPassCache mCache;
    QList<OVMapAttributedStringPtr> mLastDrawnLabels; // drawing thread
    /// Who the queued texture requests ask for a new frame; cleared when the layer goes.
    std::shared_ptr<std::atomic<OVMapControllerInterface *>> mRedrawTarget;
};
