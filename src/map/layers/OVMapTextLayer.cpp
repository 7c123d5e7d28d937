#include "map/layers/OVMapTextLayer.h"

#include "map/layers/OVGeoVertex.h"
#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/OVCurrentGL.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QPainter>

#include <cmath>

namespace {

/// Labels closer than twice this many pixels to an earlier label are hidden.
constexpr double kOverlapMarginPixels = 5.0;

OVGeoRect grown(const OVGeoRect &rect, double by)
{
    return OVGeoRectMake(rect.minPoint.latitude - by, rect.minPoint.longitude - by, rect.maxPoint.latitude + by,
                         rect.maxPoint.longitude + by);
}

bool overlapsStrictly(const OVGeoRect &a, const OVGeoRect &b)
{
    return a.minPoint.latitude < b.maxPoint.latitude && b.minPoint.latitude < a.maxPoint.latitude &&
           a.minPoint.longitude < b.maxPoint.longitude && b.minPoint.longitude < a.maxPoint.longitude;
}

bool sameArea(const OVGeoRect &a, const OVGeoRect &b)
{
    return a.minPoint.latitude == b.minPoint.latitude && a.minPoint.longitude == b.minPoint.longitude &&
           a.maxPoint.latitude == b.maxPoint.latitude && a.maxPoint.longitude == b.maxPoint.longitude;
}

} // namespace

// ---- Labels ----

std::shared_ptr<OVMapAttributedString> OVMapAttributedString::placeLabel(const QString &text, double fontSize,
                                                                         const QColor &textColor,
                                                                         const QColor &strokeColor, double strokeWidth,
                                                                         const OVGeoPoint &point)
{
    auto label = std::make_shared<OVMapAttributedString>(text);
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPointSizeF(fontSize > 0.0 ? fontSize : 11.0);
    label->setFont(font);
    label->setColor(textColor);
    label->setStrokeColor(strokeColor);
    label->setStrokeWidth(strokeWidth);
    label->setGeoPoint(point);
    label->setPlotPoint(true);
    return label;
}

OVMapAttributedString::~OVMapAttributedString()
{
    // A requested texture is deleted by its callback, which finds this label gone.
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (loader && mTextureStatus.load() == Loaded)
        loader->unmanagedDeleteTextureID(mTextureID.load(), true);
}

QSizeF OVMapAttributedString::labelSize()
{
    std::call_once(mSizeOnce, [this] { mLabelSize = size(); });
    return mLabelSize;
}

bool OVMapAttributedString::isEmptyLabel()
{
    const QSizeF measured = labelSize();
    return string().isEmpty() || measured.width() <= 0.0 || measured.height() <= 0.0;
}

QImage OVMapAttributedString::renderImage()
{
    if (isEmptyLabel())
        return {};
    const QSizeF measured = labelSize();
    QImage image(int(std::ceil(2.0 * measured.width())), int(std::ceil(2.0 * measured.height())),
                 QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(2.0, 2.0);
    drawInRectInContext(QRectF(QPointF(0.0, 0.0), measured), &painter);
    painter.end();
    return image;
}

void OVMapAttributedString::generateTexture(const std::function<void()> &onLoaded)
{
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (!loader) {
        OVLog(QStringLiteral("[OVMapAttributedString generateTexture] Must have a textureLoader."));
        return;
    }
    // Claim the request before rendering, so a second pass's request finds it taken.
    int32_t expected = NoTexture;
    if (!mTextureStatus.compare_exchange_strong(expected, Requested))
        return;
    const QImage image = renderImage();
    if (image.isNull()) {
        mTextureStatus.store(NoTexture);
        return;
    }
    const uint64_t generation = ++mRequestGeneration;
    std::weak_ptr<OVMapAttributedString> weakSelf = weak_from_this();
    OVTextureLoader *rawLoader = loader.get(); // callbacks never outlive the loader
    loader->loadTextureWithRGBAPixels(image.constBits(), image.width(), image.height(), QString(), GL_RGBA, false,
                                      false, {}, [weakSelf, generation, rawLoader, onLoaded](uint32_t texture) {
                                          const std::shared_ptr<OVMapAttributedString> self = weakSelf.lock();
                                          if (!self || self->mRequestGeneration.load() != generation ||
                                              self->mTextureStatus.load() != Requested) {
                                              // Abandoned: the label is gone or unloaded since it asked.
                                              rawLoader->unmanagedDeleteTextureID(texture, false);
                                              return;
                                          }
                                          self->mTextureID.store(texture);
                                          self->mTextureStatus.store(Loaded);
                                          if (onLoaded)
                                              onLoaded();
                                      });
}

void OVMapAttributedString::unloadTexture()
{
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (!loader)
        return;
    const int32_t status = mTextureStatus.exchange(NoTexture);
    if (status == Loaded)
        loader->unmanagedDeleteTextureID(mTextureID.load(), false);
    else if (status == Requested)
        ++mRequestGeneration;
}

OVGeoPoint OVMapAttributedString::geoPoint() const
{
    const std::lock_guard lock(mMutex);
    return mGeoPoint;
}

void OVMapAttributedString::setGeoPoint(const OVGeoPoint &point)
{
    const std::lock_guard lock(mMutex);
    mGeoPoint = point;
}

std::shared_ptr<OVTextureLoader> OVMapAttributedString::textureLoader() const
{
    const std::lock_guard lock(mMutex);
    return mTextureLoader;
}

void OVMapAttributedString::setTextureLoader(const std::shared_ptr<OVTextureLoader> &loader)
{
    const std::lock_guard lock(mMutex);
    mTextureLoader = loader;
}

OVGeoRect OVMapAttributedString::lastGeoRectDrawnInto() const
{
    const std::lock_guard lock(mMutex);
    return mLastGeoRectDrawnInto;
}

void OVMapAttributedString::setLastGeoRectDrawnInto(const OVGeoRect &rect)
{
    const std::lock_guard lock(mMutex);
    mLastGeoRectDrawnInto = rect;
}

// ---- The layer ----

OVMapTextLayer::OVMapTextLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader)
    : OVMapLayer(mapController, std::move(textureLoader))
    , mRedrawTarget(std::make_shared<std::atomic<OVMapControllerInterface *>>(mapController))
{
    setLayerType(3);
}

OVMapTextLayer::~OVMapTextLayer()
{
    mRedrawTarget->store(nullptr);
    const std::lock_guard lock(lockQueue);
    mStrings.clear();
    mCache = {};
}

OVMapTextPassResult OVMapTextLayer::pass(const QList<OVMapAttributedStringPtr> &strings,
                                         const OVMapTextPassCache &cache, const OVGeoRect &visible, double p,
                                         const PassOptions &options)
{
    OVMapTextPassResult result;
    if (!(p > 0.0) || !std::isfinite(p))
        return result; // no view: nothing to place labels in
    if (cache.valid && sameArea(cache.geoRect, visible) && cache.pixelsPerDegree == p) {
        result.reused = true;
        result.cache = cache;
        for (const OVMapTextDraw &drawn : cache.drawn) {
            const int32_t status = drawn.label->textureStatus();
            if (status == OVMapAttributedString::NoTexture)
                result.requests.append(drawn.label);
            else if (status == OVMapAttributedString::Loaded)
                result.draws.append(drawn);
        }
        return result;
    }

    const double d = 1.0 / p;
    const double margin = kOverlapMarginPixels * d;
    QList<OVGeoRect> loading; // passed the test, texture not there yet
    bool complete = true;
    for (const OVMapAttributedStringPtr &label : strings) {
        if (!label || label->isEmptyLabel())
            continue; // it can never show, so it must not hold the pass open
        const QSizeF size = label->labelSize();
        const OVGeoPoint point = label->geoPoint();
        const OVGeoRect unsnapped =
            OVGeoRectMake(point.latitude, point.longitude, point.latitude + std::ceil(size.height()) / p,
                          point.longitude + std::ceil(size.width()) / p);
        const bool forced = label->forceDraw();
        if (!overlapsStrictly(unsnapped, visible) && !forced)
            continue;
        OVGeoRect rect = unsnapped;
        rect.minPoint.latitude = snappedToPixel(point.latitude, visible.minPoint.latitude, d);
        rect.minPoint.longitude = snappedToPixel(point.longitude, visible.minPoint.longitude, d);

        const bool tested = options.checkOverlappingStrings && !forced;
        if (tested) {
            const OVGeoRect mine = grown(unsnapped, margin);
            bool hidden = false;
            for (const OVMapTextDraw &earlier : std::as_const(result.draws)) {
                if (overlapsStrictly(mine, grown(earlier.rect, margin))) {
                    hidden = true;
                    break;
                }
            }
            if (hidden)
                continue;
        }
        const int32_t status = label->textureStatus();
        if (status == OVMapAttributedString::NoTexture) {
            // Render only what could show: not under a label whose texture is on its way.
            bool blocked = false;
            if (tested) {
                const OVGeoRect mine = grown(unsnapped, margin);
                for (const OVGeoRect &other : std::as_const(loading)) {
                    if (overlapsStrictly(mine, grown(other, margin))) {
                        blocked = true;
                        break;
                    }
                }
            }
            if (!blocked)
                result.requests.append(label);
        }
        if (status == OVMapAttributedString::Loaded) {
            result.draws.append({label, rect});
            if (options.maxDisplayStrings != 0 && result.draws.size() >= options.maxDisplayStrings)
                break;
        } else {
            complete = false;
            if (tested)
                loading.append(rect);
        }
    }
    if (complete) {
        result.cache.valid = true;
        result.cache.drawn = result.draws;
        result.cache.geoRect = visible;
        result.cache.pixelsPerDegree = p;
    }
    return result;
}

void OVMapTextLayer::draw()
{
    if (!shouldDraw())
        return;
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    const OVMapSupportedView *view = mapController() ? mapController()->view() : nullptr;
    const double p = view ? view->resolutionPixelsPerDegree() : 0.0;
    const OVGeoRect visible = view ? view->visibleGeoRect() : OVGeoRect{};

    OVMapTextPassResult result;
    {
        const std::lock_guard lock(lockQueue);
        result = pass(mStrings, mCache, visible, p, mOptions);
        mCache = result.cache;
    }
    if (!result.reused) {
        for (const OVMapAttributedStringPtr &label : std::as_const(mLastDrawnLabels))
            label->setLastGeoRectDrawnInto(OVGeoRect{});
        mLastDrawnLabels.clear();
        for (const OVMapTextDraw &drawn : std::as_const(result.draws)) {
            drawn.label->setLastGeoRectDrawnInto(drawn.rect);
            mLastDrawnLabels.append(drawn.label);
        }
    }
    for (const OVMapAttributedStringPtr &label : std::as_const(result.requests)) {
        std::weak_ptr<OVMapAttributedString> weakLabel = label;
        OVDispatch::mainAsync([weakLabel, target = mRedrawTarget] {
            const auto redraw = [target] { redrawViewOf(target->load()); };
            if (const std::shared_ptr<OVMapAttributedString> label = weakLabel.lock())
                label->generateTexture(redraw);
        });
    }

    gl->glColor4ub(255, 255, 255, 255);
    gl->glEnable(GL_TEXTURE_2D);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (shouldSmoothPoints())
        gl->glEnable(GL_POINT_SMOOTH);
    gl->glPointSize(float(4.0 * layerScaleFactor()));
    for (const OVMapTextDraw &drawn : std::as_const(result.draws))
        drawLabel(drawn);
    gl->glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
    gl->glDisable(GL_TEXTURE_2D);
}

double OVMapTextLayer::snappedToPixel(double value, double origin, double degreesPerPixel)
{
    const auto pixels = float((value - origin) / degreesPerPixel);
    return double(std::round(pixels)) * degreesPerPixel + origin;
}

void OVMapTextLayer::drawTexturedRect(const OVGeoRect &r, uint32_t texture, float z)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    OVGeoVertex vertices[4] = {};
    const float xs[4] = {float(r.minPoint.longitude), float(r.minPoint.longitude), float(r.maxPoint.longitude),
                         float(r.maxPoint.longitude)};
    const float ys[4] = {float(r.minPoint.latitude), float(r.maxPoint.latitude), float(r.minPoint.latitude),
                         float(r.maxPoint.latitude)};
    const int16_t ss[4] = {0, 0, 1, 1};
    const int16_t ts[4] = {1, 0, 1, 0}; // texture row 0 (the image's top) at the top edge
    for (int i = 0; i < 4; ++i) {
        vertices[i].x0 = xs[i];
        vertices[i].y0 = ys[i];
        vertices[i].z0 = z;
        vertices[i].s = ss[i];
        vertices[i].t = ts[i];
    }
    gl->glVertexPointer(3, GL_FLOAT, sizeof(OVGeoVertex), &vertices[0].x0);
    gl->glTexCoordPointer(2, GL_SHORT, sizeof(OVGeoVertex), &vertices[0].s);
    gl->glBindTexture(GL_TEXTURE_2D, texture);
    gl->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void OVMapTextLayer::drawLabel(const OVMapTextDraw &drawn)
{
    const auto z = float(elevation());
    drawTexturedRect(drawn.rect, drawn.label->textureID(), z);
    if (drawn.label->plotPoint()) {
        // The anchor dot at the rectangle's lower-left corner.
        OVGeoVertex anchor{};
        anchor.x0 = float(drawn.rect.minPoint.longitude);
        anchor.y0 = float(drawn.rect.minPoint.latitude);
        anchor.z0 = z;
        QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
        gl->glVertexPointer(3, GL_FLOAT, sizeof(OVGeoVertex), &anchor.x0);
        gl->glTexCoordPointer(2, GL_SHORT, sizeof(OVGeoVertex), &anchor.s);
        gl->glBindTexture(GL_TEXTURE_2D, 0);
        gl->glDrawArrays(GL_POINTS, 0, 1);
    }
}

void OVMapTextLayer::cleanupMemory()
{
    {
        const std::lock_guard lock(lockQueue);
        for (const OVMapAttributedStringPtr &label : std::as_const(mStrings))
            label->unloadTexture();
    }
    OVMapLayer::cleanupMemory();
}

void OVMapTextLayer::addString(const OVMapAttributedStringPtr &label)
{
    addStrings({label});
}

void OVMapTextLayer::addStrings(const QList<OVMapAttributedStringPtr> &labels)
{
    setStrings(strings() + labels);
}

void OVMapTextLayer::setStrings(const QList<OVMapAttributedStringPtr> &labels)
{
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (!loader) {
        OVLog(QStringLiteral("[OVMapTextLayer setStrings:] Must have a textureLoader."));
        return;
    }
    const std::lock_guard lock(lockQueue);
    for (const OVMapAttributedStringPtr &label : labels) {
        if (label)
            label->setTextureLoader(loader);
    }
    mCache = {};
    mStrings = labels;
}

QList<OVMapAttributedStringPtr> OVMapTextLayer::labelsForRecords(const QList<OVMapLabelRecord> &records)
{
    QList<OVMapAttributedStringPtr> labels;
    labels.reserve(records.size());
    for (const OVMapLabelRecord &record : records)
        labels.append(OVMapAttributedString::placeLabel(record.text, record.fontSize, record.textColor,
                                                        record.strokeColor, record.strokeWidth, record.point));
    return labels;
}

void OVMapTextLayer::setStrings(const QList<OVMapLabelRecord> &records)
{
    setStrings(labelsForRecords(records));
}

QList<OVMapAttributedStringPtr> OVMapTextLayer::strings() const
{
    const std::lock_guard lock(lockQueue);
    return mStrings;
}

void OVMapTextLayer::bringToFront(const QString &text, const OVGeoPoint &point)
{
    QList<OVMapAttributedStringPtr> labels = strings();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const OVMapAttributedStringPtr &label = labels.at(i);
        if (!label || label->string() != text)
            continue;
        const OVGeoPoint at = label->geoPoint();
        if (std::abs(at.latitude - point.latitude) < 0.001 && std::abs(at.longitude - point.longitude) < 0.001) {
            labels.move(i, 0);
            break;
        }
    }
    setStrings(labels);
}

void OVMapTextLayer::setMaxDisplayStrings(int64_t count)
{
    const std::lock_guard lock(lockQueue);
    mOptions.maxDisplayStrings = count;
}

void OVMapTextLayer::setCheckOverlappingStrings(bool check)
{
    const std::lock_guard lock(lockQueue);
    mOptions.checkOverlappingStrings = check;
}

OVMapTextPassCache OVMapTextLayer::cache() const
{
    const std::lock_guard lock(lockQueue);
    return mCache;
}
