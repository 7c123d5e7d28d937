// The fronts and pressure centres of the latest surface-analysis bulletin: cold fronts blue with
// triangles, warm fronts red with half discs, occluded fronts purple with both in turn,
// stationary fronts in alternating red and blue runs with the symbols on opposite sides, and a
// blue "H" or red "L" on each high or low. Geometry is in degrees used directly as map
// coordinates (x = longitude, y = latitude).
//
// The bulletin is read from the forecast data broker (its "SURFACE_ANALYSIS" / "LATEST" rows)
// at creation and whenever that broker announces a reply; the feature list is swapped whole.
// Each front is smoothed once, on its first draw; its symbols are placed each frame, since
// their spacing is in pixels.
//
// Threads: made, reloaded and destroyed on the GUI thread, where the broker's notifications and
// the label textures' callbacks arrive; `draw` runs on the map's render thread and takes the
// feature list under a small mutex.
#pragma once

#include "map/layers/OVMapFrontCaret.h"
#include "map/layers/OVMapHPCSurfaceAnalysisSurfaceFeature.h"
#include "map/layers/OVMapLayer.h"
#include "map/layers/OVMapTextLayer.h"

#include <QColor>
#include <QList>
#include <QPointF>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class OVBrisantDataBroker;
class OVMapLayerFactory;
struct OVNotification;

class OVMapHPCSurfaceAnalysisLayer final : public OVMapLayer
{
public:
    /// `broker`: where the bulletin is read (none: the shared forecast data broker).
    OVMapHPCSurfaceAnalysisLayer(OVMapControllerInterface *mapController,
                                 std::shared_ptr<OVTextureLoader> textureLoader, OVBrisantDataBroker *broker = nullptr);
    ~OVMapHPCSurfaceAnalysisLayer() override;

    /// Registers the builder of the surface-analysis layer.
    static void registerWithFactory(OVMapLayerFactory &factory);

    void draw() override;

    /// Rebuilds the features from the broker's rows and asks for a frame. A notification from
    /// any object other than the layer's broker (or none) changes nothing.
    void reload(const OVNotification *notification = nullptr);

    QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> surfaceFeatures() const;
    void setSurfaceFeatures(const QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> &features);
    OVMapAttributedStringPtr lowString() const { return mLowString; }
    OVMapAttributedStringPtr highString() const { return mHighString; }

    /// A front's drawable geometry at a resolution.
    struct FrontGeometry
    {
        QList<QPointF> points;       // the bulletin points
        QList<QPointF> splinePoints; // the smoothed line
        QList<OVMapFrontCaret> carets;
        double heading = 0.0; // first to last bulletin point, radians
    };
    /// Smooths the feature's line on first use (kept on the feature) and places its carets;
    /// nothing for fewer than two points or a point without a position.
    std::optional<FrontGeometry> frontGeometry(OVMapHPCSurfaceAnalysisSurfaceFeature &feature,
                                               double pixelsPerDegree) const;

    /// Which side the symbols of a front of `type` point to, from its heading: cold fronts
    /// heading between 0 and pi/2 to the right, warm and occluded fronts heading at 3 pi/4 or
    /// more either way to the right, stationary ones heading within pi/2 to the right (before
    /// their warm symbols are turned to the other side); otherwise to the left.
    static void orientCarets(const QString &type, FrontGeometry &geometry);

    /// One run of a stationary front's line: smoothed points `first`..`last` (inclusive) that
    /// lie nearest to caret `caret`. Neighbouring runs share their end point.
    struct Run
    {
        qsizetype first = 0;
        qsizetype last = 0;
        qsizetype caret = 0;
        bool operator==(const Run &) const = default;
    };
    /// The runs of `pointCount` smoothed points among the carets (by nearest placement index,
    /// the earlier caret on a tie). Empty without carets.
    static QList<Run> stationaryRuns(const QList<OVMapFrontCaret> &carets, qsizetype pointCount);

    /// The rectangle (degrees) the "H" or "L" is drawn into: `size` points at `p` pixels per
    /// degree, its corner snapped to the pixels of `visible`, centred on `point` (x longitude,
    /// y latitude).
    static OVGeoRect labelRect(const QPointF &point, const QSizeF &size, const OVGeoRect &visible, double p);

    void drawColdFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature);
    void drawWarmFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature);
    void drawOccludedFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature);
    void drawStationaryFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature);
    void drawHigh(OVMapHPCSurfaceAnalysisSurfaceFeature &feature);
    void drawLow(OVMapHPCSurfaceAnalysisSurfaceFeature &feature);

private:
    OVMapAttributedStringPtr makeLabel(const QString &text, const QColor &color);
    double pixelsPerDegree() const;
    void drawLine(const QList<QPointF> &points, qsizetype first, qsizetype last);
    /// A front of one colour whose symbols are all of one kind.
    void drawOneKindFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature, const QColor &color,
                          void (OVMapFrontCaret::*drawCaret)() const);
    void drawCentres(OVMapHPCSurfaceAnalysisSurfaceFeature &feature, OVMapAttributedString &label);

    OVBrisantDataBroker *mBroker;
    mutable std::mutex mFeaturesMutex;
    QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> mSurfaceFeatures;
    OVMapAttributedStringPtr mLowString;
    OVMapAttributedStringPtr mHighString;
    std::vector<float> mLineVertices; // drawing thread; reused frame to frame
    /// Who the label textures ask for a frame when they arrive; cleared when the layer goes.
    std::shared_ptr<std::atomic<OVMapControllerInterface *>> mRedrawTarget;
};
