#include "map/layers/OVMapParticleModeLayer.h"

#include "core/OVConstants.h"
#include "core/OVGrid.h"
#include "core/OVReloadNotifications.h"
#include "core/views/OVColorUtil.h"
#include "core/views/OVGradient.h"
#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/OVMapSettings.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/OVCurrentGL.h"
#include "map/projection/OVMapProjection.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t kSetStartAges[OVMapParticleModeLayer::kSetCount] = {-50, 0, 50};
constexpr int32_t kReseedAge = 100;
constexpr int64_t kBackgroundSteps = 20;

/// The nine key colours of the temperature ramp, cold to warm.
QList<QColor> rampKeyColors()
{
    constexpr float keys[9][3] = {
        {0.937254f, 0.878431f, 1.0f}, {0.5f, 0.0f, 1.0f},   {0.0f, 0.0f, 1.0f},
        {0.0f, 0.752941f, 1.0f},      {0.0f, 1.0f, 0.0f},   {1.0f, 1.0f, 0.0f},
        {1.0f, 0.5f, 0.0f},           {1.0f, 0.0f, 0.0f},   {0.580392f, 0.180392f, 0.0f},
    };
    QList<QColor> colors;
    for (const auto &key : keys)
        colors.append(QColor::fromRgbF(key[0], key[1], key[2], 1.0f));
    return colors;
}

OVMapParticleModeLayer::Ramp rampFromKeys(const QList<QColor> &keys)
{
    const OVGradient gradient(keys);
    OVMapParticleModeLayer::Ramp ramp;
    for (int i = 0; i < OVMapParticleModeLayer::kRampSteps; ++i) {
        const QColor color =
            gradient.interpolatedColorAtLocation(double(i) / OVMapParticleModeLayer::kRampSteps).toRgb();
        ramp.red[size_t(i)] = OVColorUtil::redComponent(color);
        ramp.green[size_t(i)] = OVColorUtil::greenComponent(color);
        ramp.blue[size_t(i)] = OVColorUtil::blueComponent(color);
    }
    return ramp;
}

} // namespace

// ---- The rules ----

uint64_t OVMapParticleModeLayer::rowsForColumns(uint64_t columns)
{
    return uint64_t(std::trunc(double(columns) * 160.0 / 360.0));
}

float OVMapParticleModeLayer::latticeLatitude(uint64_t row, uint64_t rows)
{
    return float(row) / float(rows) * 160.0f - 80.0f;
}

float OVMapParticleModeLayer::latticeLongitude(uint64_t column, uint64_t columns)
{
    return float(column) / float(columns) * 360.0f - 180.0f;
}

float OVMapParticleModeLayer::alphaForAge(int32_t age)
{
    if (age < -20)
        return 0.0f;
    if (age < 0)
        return float(age + 20) * 0.05f;
    if (age <= 80)
        return 1.0f;
    return std::max(0.0f, float(100 - age) * 0.05f);
}

int OVMapParticleModeLayer::colorIndexForTemperature(double kelvin)
{
    const float index = std::trunc(float(kelvin) - 273.15f + 40.0f);
    if (std::isnan(index))
        return 0;
    // Held within the ramp before the conversion, which would be undefined for ±inf.
    return int(std::clamp(index, 0.0f, float(kRampSteps - 1)));
}

float OVMapParticleModeLayer::wrappedLongitude(float longitude)
{
    double x = longitude;
    if (!std::isfinite(x))
        return 0.0f;
    // The turns a loop of ±360 would take, counted at once.
    if (x < -180.0)
        x += 360.0 * std::ceil((-180.0 - x) / 360.0);
    else if (x > 180.0)
        x -= 360.0 * std::ceil((x - 180.0) / 360.0);
    return std::clamp(float(x), -180.0f, 180.0f);
}

int64_t OVMapParticleModeLayer::nextBackgroundCounter(int64_t counter, bool pauseInBackground, bool active)
{
    if (!pauseInBackground)
        return counter;
    if (active)
        return std::max<int64_t>(counter, 1) - 1;
    return std::min<int64_t>(kBackgroundSteps, counter + 1);
}

double OVMapParticleModeLayer::stepFactorForCounter(int64_t counter)
{
    if (counter == 0)
        return 2.0;
    return double(kBackgroundSteps - counter) / double(kBackgroundSteps) * 2.0;
}

double OVMapParticleModeLayer::pointSizeForColumns(uint64_t columns, double pixelsPerDegree)
{
    const double base = columns < 200 ? 3.0 : columns < 300 ? 2.0 : 1.0;
    const double wanted = std::isfinite(pixelsPerDegree) ? 0.1 * pixelsPerDegree : 0.0;
    return std::min(std::max(wanted, base), 10.0);
}

OVMapParticleModeLayer::Ramp OVMapParticleModeLayer::normalRamp()
{
    return rampFromKeys(rampKeyColors());
}

OVMapParticleModeLayer::Ramp OVMapParticleModeLayer::darkRamp()
{
    QList<QColor> keys = rampKeyColors();
    for (QColor &key : keys)
        key = OVColorUtil::blendedColor(key, 0.2, QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f));
    return rampFromKeys(keys);
}

const std::array<float, 181> &OVMapParticleModeLayer::invCircumferenceForLatitudes()
{
    static const std::array<float, 181> table = [] {
        std::array<float, 181> values{};
        for (int a = 0; a < 90; ++a) {
            const auto value = float(1.0 / (std::cos(a * std::numbers::pi / 180.0) * kCircumferenceKm));
            values[size_t(90 - a)] = value;
            values[size_t(90 + a)] = value;
        }
        // The poles: 1 rather than the infinite inverse of a zero circumference.
        values[0] = 1.0f;
        values[180] = 1.0f;
        return values;
    }();
    return table;
}

// ---- The layer ----

OVMapParticleModeLayer::OVMapParticleModeLayer(OVMapControllerInterface *mapController,
                                               std::shared_ptr<OVTextureLoader> textureLoader,
                                               OVMapParticleDataSourcePtr source, const OVClock &clock)
    : OVMapLayer(mapController, std::move(textureLoader))
    , mSource(source ? std::move(source) : OVMapParticleDataSource::sharedDataSource())
    , mClock(clock)
    , mRamp(normalRamp())
    , mDarkRamp(darkRamp())
{
    setLayerType(6);
    std::copy(std::begin(kSetStartAges), std::end(kSetStartAges), mParticleSetAge.begin());
    resizeParticleArrayUsingNumXParticles(int64_t(kInitialColumns));

    if (OVDispatch::isMainThread()) {
        mTimer = std::make_unique<QTimer>();
        mTimer->setTimerType(Qt::PreciseTimer);
        mTimer->setInterval(kTimerIntervalMs);
        QObject::connect(mTimer.get(), &QTimer::timeout, [this] { moveParticlesUsingTimer(); });
        mTimer->start();
    } else {
        OVLog(QStringLiteral("[OVMapParticleModeLayer init] Made off the main thread; the particles will not move."));
    }

    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyLoadDataIfNeeded, [this](const OVNotification &) { updateWeatherIfNeeded(); });
    center.addObserver(this, OVNotifyForceReload, [this](const OVNotification &) { forceUpdateWeather(); });
}

OVMapParticleModeLayer::~OVMapParticleModeLayer()
{
    invalidateTimers();
    OVNotificationCenter::defaultCenter().removeObserver(this);
    const std::lock_guard lock(lockQueue);
    QPointer<QOpenGLContextGroup> group;
    const uint32_t buffer = mTrails.takeBuffer(&group);
    deleteBufferOfGroup(buffer, group);
    mParticles.clear();
    mUGrid.reset();
    mVGrid.reset();
    mTmpGrid.reset();
}

void OVMapParticleModeLayer::registerWithFactory(OVMapLayerFactory &factory)
{
    factory.registerBuilder(OVMapLayerKind::ParticleMode,
                            [](const OVMapLayerConfiguration &, OVMapControllerInterface *controller,
                               const std::shared_ptr<OVTextureLoader> &loader) -> std::shared_ptr<OVMapLayer> {
                                return std::make_shared<OVMapParticleModeLayer>(controller, loader);
                            });
}

void OVMapParticleModeLayer::invalidateTimers()
{
    mTimer.reset();
}

bool OVMapParticleModeLayer::timerActive() const
{
    return mTimer && mTimer->isActive();
}

OVMapParticleModeLayer::Placement OVMapParticleModeLayer::placement() const
{
    Placement result;
    result.projection = mapController() ? mapController()->mapProjection() : nullptr;
    if (!result.projection || dynamic_cast<const OVEquirectangularMapProjection *>(result.projection))
        result.kind = ProjectionKind::Equirectangular;
    else if (dynamic_cast<const OVMercatorMapProjection *>(result.projection))
        result.kind = ProjectionKind::Mercator;
    else
        result.kind = ProjectionKind::Other;
    return result;
}

void OVMapParticleModeLayer::projectHead(OVGeoVertex &particle, const Placement &placement)
{
    switch (placement.kind) {
    case ProjectionKind::Equirectangular:
        particle.x0 = particle.longitude;
        particle.y0 = particle.latitude;
        break;
    case ProjectionKind::Mercator: {
        // The default Mercator plane (x -180..180, y -85.05..85.05) with a fifth-order sine.
        constexpr float originY = -85.05f;
        constexpr float height = 170.1f;
        const float phi = particle.latitude * std::numbers::pi_v<float> / 180.0f;
        const float phi3 = phi * phi * phi;
        const float s = phi - phi3 * 0.1666666667f + phi3 * phi * phi * 0.008333333333f;
        const float m = std::log((1.0f + s) / (1.0f - s));
        particle.x0 = ((particle.longitude + 180.0f) / 360.0f) * 360.0f - 180.0f;
        particle.y0 = (originY + height) - (m / (-4.0f * std::numbers::pi_v<float>) + 0.5f) * height;
        break;
    }
    case ProjectionKind::Other: {
        const QPointF point = placement.projection->pointForLatitude(particle.latitude, particle.longitude);
        particle.x0 = float(point.x());
        particle.y0 = float(point.y());
        break;
    }
    }
}

void OVMapParticleModeLayer::placeRowOnLattice(OVGeoVertex *rowStart, uint64_t row, uint64_t numX, uint64_t numY,
                                               const Placement &where, float z)
{
    for (uint64_t column = 0; column < numX; ++column) {
        OVGeoVertex &particle = rowStart[column];
        particle.latitude = latticeLatitude(row, numY);
        particle.longitude = latticeLongitude(column, numX);
        projectHead(particle, where);
        particle.z0 = z;
    }
}

void OVMapParticleModeLayer::resizeParticleArrayUsingNumXParticles(int64_t columns)
{
    const Placement where = placement();
    const auto z = float(elevation());
    const std::lock_guard lock(lockQueue);
    ++mParticlesGeneration;
    std::vector<OVGeoVertex>().swap(mParticles);
    mNumXParticles = columns > 0 ? uint64_t(columns) : 0;
    mNumYParticles = rowsForColumns(mNumXParticles);
    const uint64_t perSet = mNumXParticles * mNumYParticles;
    if (perSet == 0)
        return;
    mParticles.assign(size_t(kSetCount * perSet), OVGeoVertex{});
    OVGeoVertex *particles = mParticles.data();
    const uint64_t numX = mNumXParticles;
    const uint64_t numY = mNumYParticles;
    // One block per lattice row of each set.
    OVDispatch::apply(size_t(kSetCount * numY), [&](size_t block) {
        OVGeoVertex *rowStart = particles + block * numX;
        placeRowOnLattice(rowStart, block % numY, numX, numY, where, z);
        for (uint64_t column = 0; column < numX; ++column) {
            rowStart[column].red = 1.0f;
            rowStart[column].green = 1.0f;
            rowStart[column].blue = 1.0f;
        }
    });
}

void OVMapParticleModeLayer::setElevation(double elevation)
{
    OVMapLayer::setElevation(elevation);
    const auto z = float(elevation);
    const std::lock_guard lock(lockQueue);
    if (mParticles.empty())
        return;
    ++mParticlesGeneration;
    OVGeoVertex *particles = mParticles.data();
    const uint64_t numX = mNumXParticles;
    OVDispatch::apply(size_t(kSetCount * mNumYParticles), [&](size_t block) {
        OVGeoVertex *rowStart = particles + block * numX;
        for (uint64_t column = 0; column < numX; ++column)
            rowStart[column].z0 = z;
    });
}

void OVMapParticleModeLayer::reseedSetLocked(int set, const Placement &where)
{
    OVGeoVertex *setStart = mParticles.data() + size_t(set) * mNumXParticles * mNumYParticles;
    const uint64_t numX = mNumXParticles;
    const uint64_t numY = mNumYParticles;
    const auto z = float(elevation());
    OVDispatch::apply(size_t(numY), [&](size_t row) {
        placeRowOnLattice(setStart + row * numX, row, numX, numY, where, z);
    });
}

// ---- Grids ----

void OVMapParticleModeLayer::update()
{
    {
        const std::lock_guard lock(lockQueue);
        mLastUpdated = mClock.now();
    }
    updateGridsUsingSourceDate();
}

void OVMapParticleModeLayer::updateWeatherIfNeeded()
{
    bool needed = false;
    {
        const std::lock_guard lock(lockQueue);
        needed = !mLastUpdated.isValid() || !mUGrid || !mVGrid || !mTmpGrid ||
                 double(mLastUpdated.secsTo(mClock.now())) > kRefreshSeconds;
    }
    if (needed)
        update();
}

void OVMapParticleModeLayer::forceUpdateWeather()
{
    mSource->resetCache();
    update();
}

void OVMapParticleModeLayer::updateGridsUsingSourceDate()
{
    // An answer that comes after the layer is gone is dropped.
    std::weak_ptr<OVMapParticleModeLayer> weakSelf = weak_from_this();
    mSource->fetchCurrentGridsWithCompletion([weakSelf](OVMapParticleDataSource::GridPtr u,
                                                        OVMapParticleDataSource::GridPtr v,
                                                        OVMapParticleDataSource::GridPtr temperature) {
        const std::shared_ptr<OVMapParticleModeLayer> self = weakSelf.lock();
        if (!self)
            return;
        if (!u || !v || !temperature) {
            OVLog(QStringLiteral(
                "[OVMapParticleModeLayer updateGridsUsingSourceDate:] GribFilter fetch returned nil grids."));
            return;
        }
        self->setGrids(std::move(u), std::move(v), std::move(temperature));
    });
}

void OVMapParticleModeLayer::setGrids(OVMapParticleDataSource::GridPtr u, OVMapParticleDataSource::GridPtr v,
                                      OVMapParticleDataSource::GridPtr temperature)
{
    const std::lock_guard lock(lockQueue);
    mUGrid = std::move(u);
    mVGrid = std::move(v);
    mTmpGrid = std::move(temperature);
}

QDateTime OVMapParticleModeLayer::lastUpdated() const
{
    const std::lock_guard lock(lockQueue);
    return mLastUpdated;
}

OVMapParticleDataSource::GridPtr OVMapParticleModeLayer::uGrid() const
{
    const std::lock_guard lock(lockQueue);
    return mUGrid;
}

OVMapParticleDataSource::GridPtr OVMapParticleModeLayer::vGrid() const
{
    const std::lock_guard lock(lockQueue);
    return mVGrid;
}

OVMapParticleDataSource::GridPtr OVMapParticleModeLayer::tmpGrid() const
{
    const std::lock_guard lock(lockQueue);
    return mTmpGrid;
}

void OVMapParticleModeLayer::setUseDarkColors(bool dark)
{
    const std::lock_guard lock(lockQueue);
    mUseDarkColors = dark;
}

bool OVMapParticleModeLayer::useDarkColors() const
{
    const std::lock_guard lock(lockQueue);
    return mUseDarkColors;
}

uint64_t OVMapParticleModeLayer::numXParticles() const
{
    const std::lock_guard lock(lockQueue);
    return mNumXParticles;
}

uint64_t OVMapParticleModeLayer::numYParticles() const
{
    const std::lock_guard lock(lockQueue);
    return mNumYParticles;
}

std::vector<OVGeoVertex> OVMapParticleModeLayer::particles() const
{
    const std::lock_guard lock(lockQueue);
    return mParticles;
}

int32_t OVMapParticleModeLayer::particleSetAge(int set) const
{
    const std::lock_guard lock(lockQueue);
    return mParticleSetAge.at(size_t(set));
}

float OVMapParticleModeLayer::particleSetAlpha(int set) const
{
    const std::lock_guard lock(lockQueue);
    return mParticleSetAlpha.at(size_t(set));
}

// ---- Movement ----

void OVMapParticleModeLayer::moveParticlesUsingTimer()
{
    {
        const std::lock_guard lock(lockQueue);
        if (!mUGrid || !mVGrid || !mTmpGrid)
            return;
    }
    OVMapControllerInterface *controller = mapController();
    const bool pause =
        controller && OVMapSettings::boolValue(controller->settings(), OVMapSettingKey::pauseParticleModeInBackground);
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    mBackgroundTransitionCounter = nextBackgroundCounter(mBackgroundTransitionCounter, pause, active);
    const double f = stepFactorForCounter(mBackgroundTransitionCounter);
    if (f <= 0.01)
        return;
    moveParticlesByTimeInterval(f);
    redrawView();
}

void OVMapParticleModeLayer::moveParticlesByTimeInterval(double f)
{
    const Placement where = placement();
    const std::lock_guard lock(lockQueue);
    if (mParticles.empty())
        return;
    // The one snapshot of the grids this step reads; one cell index must address all three.
    const OVGrid *u = mUGrid.get();
    const OVGrid *v = mVGrid.get();
    const OVGrid *t = mTmpGrid.get();
    if (!u || !v || !t || !u->isGeographicallyEquivalent(v) || !u->isGeographicallyEquivalent(t))
        return;
    const std::vector<double> &uValues = u->values();
    const std::vector<double> &vValues = v->values();
    const std::vector<double> &tValues = t->values();
    if (vValues.size() != uValues.size() || tValues.size() != uValues.size())
        return;

    ++mParticlesGeneration;
    const auto latitudeStep = float(f * (1.0 / kCircumferenceKm) * 360.0);
    const auto longitudeStep = float(f * 360.0);
    for (int set = 0; set < kSetCount; ++set) {
        int32_t &age = mParticleSetAge[size_t(set)];
        ++age;
        if (age > kReseedAge) {
            reseedSetLocked(set, where);
            age = kSetStartAges[0];
        }
        mParticleSetAlpha[size_t(set)] = alphaForAge(age);
    }

    const std::array<float, 181> &invCircumference = invCircumferenceForLatitudes();
    const Ramp &ramp = mUseDarkColors ? mDarkRamp : mRamp;
    const uint64_t numX = mNumXParticles;
    const uint64_t perSet = mNumXParticles * mNumYParticles;
    for (int set = 0; set < kSetCount; ++set) {
        const float alpha = mParticleSetAlpha[size_t(set)];
        OVGeoVertex *setStart = mParticles.data() + size_t(set) * perSet;
        OVDispatch::apply(size_t(mNumYParticles), [&](size_t row) {
            OVGeoVertex *rowStart = setStart + row * numX;
            for (uint64_t column = 0; column < numX; ++column) {
                OVGeoVertex &p = rowStart[column];
                p.alpha = alpha;
                p.x3 = p.x2, p.y3 = p.y2, p.z3 = p.z2;
                p.x2 = p.x1, p.y2 = p.y1, p.z2 = p.z1;
                p.x1 = p.x0, p.y1 = p.y0, p.z1 = p.z0;
                if (alpha == 0.0f)
                    continue;
                const uint64_t index = u->indexForLatitude(p.latitude, p.longitude);
                auto east = float(uValues[index]);
                auto north = float(vValues[index]);
                // A missing or broken wind value is calm for this step, never a jump or a hang.
                if (!std::isfinite(east) || !std::isfinite(north) || uValues[index] == OVNoValue ||
                    vValues[index] == OVNoValue) {
                    east = 0.0f;
                    north = 0.0f;
                }
                const float latitude = std::clamp(p.latitude + north * latitudeStep, -90.0f, 90.0f);
                const float inverse = invCircumference[size_t(int(std::trunc(latitude)) + 90)];
                p.latitude = latitude;
                p.longitude = wrappedLongitude(p.longitude + east * longitudeStep * inverse);
                projectHead(p, where);
                const auto entry = size_t(colorIndexForTemperature(tValues[index]));
                p.red = float(ramp.red[entry]);
                p.green = float(ramp.green[entry]);
                p.blue = float(ramp.blue[entry]);
            }
        });
    }
}

// ---- Drawing ----

void OVMapParticleModeLayer::drawPointsLocked(float pointSize)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    const auto count = GLsizei(mParticles.size());
    const OVGeoVertex *first = mParticles.data();
    constexpr GLsizei stride = sizeof(OVGeoVertex);
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glEnableClientState(GL_COLOR_ARRAY);
    gl->glColorPointer(4, GL_FLOAT, stride, &first->red);
    const float *positions[4] = {&first->x0, &first->x1, &first->x2, &first->x3};
    const float scales[4] = {1.0f, 0.8f, 0.6f, 0.4f};
    for (int k = 0; k < 4; ++k) {
        gl->glPointSize(pointSize * scales[k]);
        gl->glVertexPointer(3, GL_FLOAT, stride, positions[k]);
        gl->glDrawArrays(GL_POINTS, 0, count);
    }
    gl->glDisableClientState(GL_COLOR_ARRAY);
    gl->glDisableClientState(GL_VERTEX_ARRAY);
}

void OVMapParticleModeLayer::drawSets(uint64_t perSet, const std::array<float, kSetCount> &setAlphas)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    for (int set = 0; set < kSetCount; ++set)
        if (setAlphas[size_t(set)] > 0.0f)
            mTrails.drawRange(gl, uint64_t(set) * perSet, perSet);
}

void OVMapParticleModeLayer::draw()
{
    if (!shouldDraw())
        return;
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    const OVMapSupportedView *view = mapController() ? mapController()->view() : nullptr;
    const double p = view ? view->resolutionPixelsPerDegree() : 0.0;
    const OVGeoRect visible = view ? view->visibleGeoRect() : OVGeoRect{};
    const bool smooth = shouldSmoothPoints();
    const double scale = layerScaleFactor();

    std::unique_lock lock(lockQueue);
    if (mParticles.empty())
        return;
    const auto size = float(scale * pointSizeForColumns(mNumXParticles, p));
    const bool sprites = mTrails.prepare(gl);
    const uint64_t perSet = mNumXParticles * mNumYParticles;
    const std::array<float, kSetCount> setAlphas = mParticleSetAlpha;
    if (sprites) {
        mTrails.upload(gl, mParticles, mParticlesGeneration);
        // The buffer now holds this frame's particles: the next step need not wait for the
        // draws (the buffer and the program are the drawing thread's alone).
        lock.unlock();
        mTrails.begin(gl, size);
    } else if (smooth) {
        gl->glEnable(GL_POINT_SMOOTH);
    }
    const auto drawGroup = [&] {
        if (sprites)
            drawSets(perSet, setAlphas);
        else
            drawPointsLocked(size);
    };
    drawGroup();
    // Across the date line the same particles again, a turn of the globe (360 units in either
    // projection) to the side.
    const auto drawShifted = [&](float dx) {
        gl->glMatrixMode(GL_MODELVIEW);
        gl->glPushMatrix();
        gl->glTranslatef(dx, 0.0f, 0.0f);
        drawGroup();
        gl->glPopMatrix();
    };
    if (visible.minPoint.longitude < -180.0)
        drawShifted(-360.0f);
    if (visible.maxPoint.longitude > 180.0)
        drawShifted(360.0f);
    if (sprites)
        mTrails.end(gl);
}
