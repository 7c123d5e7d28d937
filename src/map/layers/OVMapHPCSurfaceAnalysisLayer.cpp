#include "map/layers/OVMapHPCSurfaceAnalysisLayer.h"

#include "core/OVSpline.h"
#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/OVCurrentGL.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantReplyParser.h"
#include "weather/OVWeatherNotifications.h"

#include <QFont>
#include <QFontDatabase>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
const QColor kRed(224, 0, 0, 255);
const QColor kBlue(0, 0, 255, 255);
const QColor kPurple(128, 0, 128, 255);
constexpr float kFrontLineWidth = 3.0f;

void setColor(QOpenGLFunctions_2_1 *gl, const QColor &color)
{
    gl->glColor4ub(GLubyte(color.red()), GLubyte(color.green()), GLubyte(color.blue()), GLubyte(color.alpha()));
}

} // namespace

OVMapHPCSurfaceAnalysisLayer::OVMapHPCSurfaceAnalysisLayer(OVMapControllerInterface *mapController,
                                                           std::shared_ptr<OVTextureLoader> textureLoader,
                                                           OVBrisantDataBroker *broker)
    : OVMapLayer(mapController, std::move(textureLoader))
    , mBroker(broker ? broker : &OVBrisantDataBroker::sharedBrisantClient())
    , mRedrawTarget(std::make_shared<std::atomic<OVMapControllerInterface *>>(mapController))
{
    setLayerType(4);
    mLowString = makeLabel(QStringLiteral("L"), QColor::fromRgbF(224.0f / 255.0f, 0.0f, 0.0f, 1.0f));
    mHighString = makeLabel(QStringLiteral("H"), QColor::fromRgbF(0.0f, 0.0f, 1.0f, 1.0f));
    reload(nullptr);
    OVNotificationCenter::defaultCenter().addObserver(
        this, OVEnvironmentNotifySurfaceAnalysisLoaded,
        [this](const OVNotification &notification) { reload(&notification); });
}

OVMapHPCSurfaceAnalysisLayer::~OVMapHPCSurfaceAnalysisLayer()
{
    mRedrawTarget->store(nullptr);
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void OVMapHPCSurfaceAnalysisLayer::registerWithFactory(OVMapLayerFactory &factory)
{
    factory.registerBuilder(OVMapLayerKind::SurfaceAnalysis,
                            [](const OVMapLayerConfiguration &, OVMapControllerInterface *controller,
                               const std::shared_ptr<OVTextureLoader> &loader) -> std::shared_ptr<OVMapLayer> {
                                return std::make_shared<OVMapHPCSurfaceAnalysisLayer>(controller, loader);
                            });
}

OVMapAttributedStringPtr OVMapHPCSurfaceAnalysisLayer::makeLabel(const QString &text, const QColor &color)
{
    auto label = std::make_shared<OVMapAttributedString>(text);
    label->setTextureLoader(textureLoader());
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    font.setPointSizeF(40.0);
    label->setFont(font);
    label->setColor(color);
    label->setStrokeColor(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f));
    label->setStrokeWidth(5.0);
    label->setPlotPoint(false);
    // One request: without a loader it logs and the label stays without a texture.
    if (label->textureStatus() == OVMapAttributedString::NoTexture) {
        label->generateTexture([target = mRedrawTarget] { redrawViewOf(target->load()); });
    }
    return label;
}

// ---- The bulletin ----

void OVMapHPCSurfaceAnalysisLayer::reload(const OVNotification *notification)
{
    if (notification && !notification->object.isNull()) {
        if (notification->object.value<OVBrisantDataBroker *>() != mBroker)
            return;
    }
    const QStringList rows =
        mBroker->dataArrayForSection(OVBrisantSection::surfaceAnalysis, OVBrisantSection::latest).toStringList();
    setSurfaceFeatures(OVMapHPCSurfaceAnalysisSurfaceFeature::featuresForRows(rows));
    redrawView();
}

QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> OVMapHPCSurfaceAnalysisLayer::surfaceFeatures() const
{
    const std::lock_guard lock(mFeaturesMutex);
    return mSurfaceFeatures;
}

void OVMapHPCSurfaceAnalysisLayer::setSurfaceFeatures(const QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> &features)
{
    const std::lock_guard lock(mFeaturesMutex);
    mSurfaceFeatures = features;
}

// ---- Geometry ----

std::optional<OVMapHPCSurfaceAnalysisLayer::FrontGeometry>
OVMapHPCSurfaceAnalysisLayer::frontGeometry(OVMapHPCSurfaceAnalysisSurfaceFeature &feature,
                                            double pixelsPerDegree) const
{
    if (feature.points().size() < 2)
        return std::nullopt;
    const std::optional<QList<QPointF>> points = feature.cartesianPoints();
    if (!points)
        return std::nullopt;
    std::optional<QList<QPointF>> smoothed = feature.splinePoints();
    if (!smoothed) {
        OVSpline spline(*points);
        spline.setType(OVSpline::BSpline);
        smoothed = spline.smoothedPoints();
        if (!smoothed)
            return std::nullopt;
        feature.setSplinePoints(*smoothed);
    }
    FrontGeometry geometry;
    geometry.points = *points;
    geometry.splinePoints = *smoothed;
    geometry.carets = OVMapFrontCaret::caretsForPoints(geometry.points, geometry.splinePoints, pixelsPerDegree,
                                                       elevation());
    geometry.heading = std::atan2(points->last().y() - points->first().y(), points->last().x() - points->first().x());
    return geometry;
}

void OVMapHPCSurfaceAnalysisLayer::orientCarets(const QString &type, FrontGeometry &geometry)
{
    const double a = geometry.heading;
    bool right = false;
    if (type == QLatin1String("COLD"))
        right = a >= 0.0 && a <= kPi / 2.0;
    else if (type == QLatin1String("WARM") || type == QLatin1String("OCFNT"))
        right = std::abs(a) >= 3.0 * kPi / 4.0;
    else if (type == QLatin1String("STNRY"))
        right = std::abs(a) <= kPi / 2.0;
    if (right)
        for (OVMapFrontCaret &caret : geometry.carets)
            caret.drawOnLeft = false;
}

QList<OVMapHPCSurfaceAnalysisLayer::Run> OVMapHPCSurfaceAnalysisLayer::stationaryRuns(
    const QList<OVMapFrontCaret> &carets, qsizetype pointCount)
{
    QList<Run> runs;
    if (carets.isEmpty() || pointCount <= 0)
        return runs;
    // Each point belongs to its nearest caret, the earlier caret on a tie. The carets sorted by
    // their point, keeping the earliest caret at each point, are walked once alongside the points
    // so a long front costs n log n rather than points times carets.
    struct Anchor
    {
        int64_t index;
        qsizetype caret;
    };
    std::vector<Anchor> anchors;
    anchors.reserve(size_t(carets.size()));
    for (qsizetype k = 0; k < carets.size(); ++k)
        anchors.push_back({carets[k].splinePointIndex, k});
    std::sort(anchors.begin(), anchors.end(), [](const Anchor &a, const Anchor &b) {
        return a.index != b.index ? a.index < b.index : a.caret < b.caret;
    });
    anchors.erase(std::unique(anchors.begin(), anchors.end(),
                              [](const Anchor &a, const Anchor &b) { return a.index == b.index; }),
                  anchors.end());
    size_t above = 0; // the first anchor at or after the point
    const auto nearestCaret = [&anchors, &above](int64_t j) {
        while (above < anchors.size() && anchors[above].index < j)
            ++above;
        if (above == anchors.size())
            return anchors.back().caret;
        if (above == 0 || anchors[above].index == j)
            return anchors[above].caret;
        const Anchor &before = anchors[above - 1];
        const Anchor &after = anchors[above];
        const int64_t toBefore = j - before.index;
        const int64_t toAfter = after.index - j;
        if (toBefore != toAfter)
            return toBefore < toAfter ? before.caret : after.caret;
        return std::min(before.caret, after.caret);
    };
    qsizetype start = 0;
    qsizetype previous = nearestCaret(0);
    for (qsizetype j = 1; j < pointCount; ++j) {
        const qsizetype owner = nearestCaret(j);
        if (owner != previous) {
            runs.append({start, j - 1, previous});
            start = j - 1;
            previous = owner;
        }
    }
    runs.append({start, pointCount - 1, previous});
    return runs;
}

OVGeoRect OVMapHPCSurfaceAnalysisLayer::labelRect(const QPointF &point, const QSizeF &size, const OVGeoRect &visible,
                                                  double p)
{
    const double width = std::ceil(size.width()) / p;
    const double height = std::ceil(size.height()) / p;
    OVGeoRect rect = OVGeoRectMake(point.y(), point.x(), point.y() + height, point.x() + width);
    rect.minPoint.latitude = OVMapTextLayer::snappedToPixel(point.y(), visible.minPoint.latitude, 1.0 / p);
    rect.minPoint.longitude = OVMapTextLayer::snappedToPixel(point.x(), visible.minPoint.longitude, 1.0 / p);
    // Centred on the point rather than standing on it.
    rect.minPoint.latitude -= height / 2.0;
    rect.maxPoint.latitude -= height / 2.0;
    rect.minPoint.longitude -= width / 2.0;
    rect.maxPoint.longitude -= width / 2.0;
    return rect;
}

// ---- Drawing ----

double OVMapHPCSurfaceAnalysisLayer::pixelsPerDegree() const
{
    const OVMapSupportedView *view = mapController() ? mapController()->view() : nullptr;
    return view ? view->resolutionPixelsPerDegree() : 0.0;
}

void OVMapHPCSurfaceAnalysisLayer::draw()
{
    if (!shouldDraw())
        return;
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    if (shouldSmoothPoints())
        gl->glEnable(GL_LINE_SMOOTH);
    const QList<OVMapHPCSurfaceAnalysisSurfaceFeaturePtr> features = surfaceFeatures();
    // All fronts first, so every "H" and "L" lies above them.
    for (const OVMapHPCSurfaceAnalysisSurfaceFeaturePtr &feature : features) {
        const QString &type = feature->type();
        if (type == QLatin1String("COLD"))
            drawColdFront(*feature);
        else if (type == QLatin1String("WARM"))
            drawWarmFront(*feature);
        else if (type == QLatin1String("OCFNT"))
            drawOccludedFront(*feature);
        else if (type == QLatin1String("STNRY"))
            drawStationaryFront(*feature);
    }
    for (const OVMapHPCSurfaceAnalysisSurfaceFeaturePtr &feature : features) {
        if (feature->type() == QLatin1String("HIGHS"))
            drawHigh(*feature);
        else if (feature->type() == QLatin1String("LOWS"))
            drawLow(*feature);
    }
}

void OVMapHPCSurfaceAnalysisLayer::drawLine(const QList<QPointF> &points, qsizetype first, qsizetype last)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (last < first)
        return;
    mLineVertices.clear();
    const auto z = float(elevation());
    for (qsizetype i = first; i <= last; ++i) {
        mLineVertices.push_back(float(points[i].x()));
        mLineVertices.push_back(float(points[i].y()));
        mLineVertices.push_back(z);
    }
    gl->glLineWidth(kFrontLineWidth);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glVertexPointer(3, GL_FLOAT, 0, mLineVertices.data());
    gl->glDrawArrays(GL_LINE_STRIP, 0, GLsizei(last - first + 1));
    gl->glDisableClientState(GL_VERTEX_ARRAY);
}

void OVMapHPCSurfaceAnalysisLayer::drawColdFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature)
{
    drawOneKindFront(feature, kBlue, &OVMapFrontCaret::drawColdCaret);
}

void OVMapHPCSurfaceAnalysisLayer::drawWarmFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature)
{
    drawOneKindFront(feature, kRed, &OVMapFrontCaret::drawWarmCaret);
}

void OVMapHPCSurfaceAnalysisLayer::drawOneKindFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature,
                                                    const QColor &color, void (OVMapFrontCaret::*drawCaret)() const)
{
    std::optional<FrontGeometry> front = frontGeometry(feature, pixelsPerDegree());
    if (!front)
        return;
    orientCarets(feature.type(), *front);
    setColor(OVCurrentGLFunctions(), color);
    drawLine(front->splinePoints, 0, front->splinePoints.size() - 1);
    for (const OVMapFrontCaret &caret : std::as_const(front->carets))
        (caret.*drawCaret)();
}

void OVMapHPCSurfaceAnalysisLayer::drawOccludedFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature)
{
    std::optional<FrontGeometry> front = frontGeometry(feature, pixelsPerDegree());
    if (!front)
        return;
    setColor(OVCurrentGLFunctions(), kPurple);
    orientCarets(feature.type(), *front);
    drawLine(front->splinePoints, 0, front->splinePoints.size() - 1);
    for (qsizetype k = 0; k < front->carets.size(); ++k) {
        if (k % 2 == 0)
            front->carets[k].drawColdCaret();
        else
            front->carets[k].drawWarmCaret();
    }
}

void OVMapHPCSurfaceAnalysisLayer::drawStationaryFront(OVMapHPCSurfaceAnalysisSurfaceFeature &feature)
{
    std::optional<FrontGeometry> front = frontGeometry(feature, pixelsPerDegree());
    if (!front || front->carets.isEmpty())
        return;
    orientCarets(feature.type(), *front);
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    for (const Run &run : stationaryRuns(front->carets, front->splinePoints.size())) {
        setColor(gl, run.caret % 2 == 0 ? kRed : kBlue);
        drawLine(front->splinePoints, run.first, run.last);
    }
    for (qsizetype k = 0; k < front->carets.size(); ++k) {
        OVMapFrontCaret caret = front->carets[k];
        if (k % 2 == 0) {
            setColor(gl, kRed);
            caret.drawOnLeft = !caret.drawOnLeft;
            caret.drawWarmCaret();
        } else {
            setColor(gl, kBlue);
            caret.drawColdCaret();
        }
    }
}

void OVMapHPCSurfaceAnalysisLayer::drawHigh(OVMapHPCSurfaceAnalysisSurfaceFeature &feature)
{
    drawCentres(feature, *mHighString);
}

void OVMapHPCSurfaceAnalysisLayer::drawLow(OVMapHPCSurfaceAnalysisSurfaceFeature &feature)
{
    drawCentres(feature, *mLowString);
}

void OVMapHPCSurfaceAnalysisLayer::drawCentres(OVMapHPCSurfaceAnalysisSurfaceFeature &feature,
                                               OVMapAttributedString &label)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    const OVMapSupportedView *view = mapController() ? mapController()->view() : nullptr;
    const double p = view ? view->resolutionPixelsPerDegree() : 0.0;
    const std::optional<QList<QPointF>> points = feature.cartesianPoints();
    if (!gl || !view || !std::isfinite(p) || p <= 0.0 || !points ||
        label.textureStatus() != OVMapAttributedString::Loaded)
        return;
    const OVGeoRect visible = view->visibleGeoRect();
    const QSizeF size = label.labelSize();
    gl->glColor4ub(255, 255, 255, 255);
    gl->glEnable(GL_TEXTURE_2D);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    for (const QPointF &point : *points)
        OVMapTextLayer::drawTexturedRect(labelRect(point, size, visible, p), label.textureID(), float(elevation()));
    gl->glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
    gl->glDisable(GL_TEXTURE_2D);
}
