// The wind particles: three staggered sets of points on a latitude/longitude lattice, moved 30
// times a second along the near-surface wind of two model grids, coloured by a temperature grid,
// faded in and out over a life of about five seconds and put back on the lattice when it ends.
// Each point is drawn with a trail of its three previous positions, each smaller than the last,
// and once more shifted by a turn of the globe when the view crosses the date line: one shaded
// point per particle, sized to its dots (`OVMapParticleTrailRenderer`), one draw per visible
// set; four plain points per particle where the context cannot build the shader program.
//
// Grids come from an `OVMapParticleDataSource` (the shared one unless the maker gives another);
// an answer with a null grid keeps the grids already held.
//
// Threads: made, stepped (a main-thread QTimer) and destroyed on the GUI thread, where the
// source's answers and the reload notifications arrive; drawn on the map's render thread.
// `lockQueue` guards the particle array, the lattice counts, the set ages and alphas and the
// grids; a step's row work is spread over the global pool with `OVDispatch::apply` while the
// step holds the lock, each row writing only its own particles. A frame holds the lock only
// while it uploads the particles (or, without the shader program, while it draws them from
// client memory), so a step waits at most for that copy, never for the frame. Nothing is
// allocated per step or per frame.
#pragma once

#include "map/layers/OVGeoVertex.h"
#include "map/layers/OVMapLayerControls.h"
#include "core/OVMapParticleDataSource.h"
#include "map/layers/OVMapLayer.h"
#include "map/layers/OVMapParticleTrailRenderer.h"
#include "platform/OVClock.h"

#include <QDateTime>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class OVGrid;
class OVMapLayerFactory;
class OVMapProjection;
class QTimer;

class OVMapParticleModeLayer final : public OVMapLayer,
                                     public OVMapParticleLayerControl,
                                     public std::enable_shared_from_this<OVMapParticleModeLayer>
{
public:
    static constexpr int kRampSteps = 84;
    static constexpr int kTimerIntervalMs = 33;
    static constexpr uint64_t kInitialColumns = 100;
    /// Grids older than this are fetched again on "OVNotifyLoadDataIfNeeded".
    static constexpr double kRefreshSeconds = 3600.0;
    /// Equatorial circumference, km (2 pi x 6378.135).
    static constexpr double kCircumferenceKm = 40075.00411920787;
    static constexpr int kSetCount = 3;

    /// Red, green and blue, 0..1, per step of the temperature ramp.
    struct Ramp
    {
        std::array<double, kRampSteps> red{};
        std::array<double, kRampSteps> green{};
        std::array<double, kRampSteps> blue{};
    };

    /// Must be owned by a std::shared_ptr (answers of the source hold a weak reference). A null
    /// `source` uses the shared one. Starts the step timer and seeds 100 columns.
    OVMapParticleModeLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader,
                           OVMapParticleDataSourcePtr source = nullptr, const OVClock &clock = OVClock::system());
    ~OVMapParticleModeLayer() override;

    /// Registers the builder of the particle layer.
    static void registerWithFactory(OVMapLayerFactory &factory);

    // --- The layer ---------------------------------------------------------------------------
    void draw() override;
    void invalidateTimers() override;
    /// Sets the elevation and writes it into every particle's head.
    void setElevation(double elevation) override;

    // --- OVMapParticleLayerControl -----------------------------------------------------------
    /// Notes the time and asks the source for grids.
    void update() override;
    void setUseDarkColors(bool dark) override;
    /// Puts `columns` x trunc(columns x 160 / 360) particles per set back on the lattice; 0 (or
    /// less) keeps none.
    void resizeParticleArrayUsingNumXParticles(int64_t columns) override;

    /// "OVNotifyLoadDataIfNeeded": `update` when grids are missing or older than an hour.
    void updateWeatherIfNeeded();
    /// "OVNotifyForceReload": the source forgets its cache, then `update`.
    void forceUpdateWeather();
    void updateGridsUsingSourceDate();

    /// One timer step: slows down in the background when asked to, moves, asks for a frame.
    void moveParticlesUsingTimer();
    /// One movement step with step factor `f` (2 at full speed).
    void moveParticlesByTimeInterval(double f);

    // --- State -------------------------------------------------------------------------------
    QDateTime lastUpdated() const;
    bool useDarkColors() const;
    OVMapParticleDataSource::GridPtr uGrid() const;
    OVMapParticleDataSource::GridPtr vGrid() const;
    OVMapParticleDataSource::GridPtr tmpGrid() const;
    /// Sets the three grids together, as an answer of the source does.
    void setGrids(OVMapParticleDataSource::GridPtr u, OVMapParticleDataSource::GridPtr v,
                  OVMapParticleDataSource::GridPtr temperature);
    uint64_t numXParticles() const;
    uint64_t numYParticles() const;
    /// A copy of the particle array (for tests).
    std::vector<OVGeoVertex> particles() const;
    int32_t particleSetAge(int set) const;
    float particleSetAlpha(int set) const;
    int64_t backgroundTransitionCounter() const { return mBackgroundTransitionCounter; }
    bool timerActive() const;

    // --- The rules, as pure functions --------------------------------------------------------
    /// Lattice rows for a column count: trunc(columns x 160.0 / 360).
    static uint64_t rowsForColumns(uint64_t columns);
    /// The lattice point of a row and column, degrees: latitude -80 up to +80, longitude -180
    /// up to +180, in single precision.
    static float latticeLatitude(uint64_t row, uint64_t rows);
    static float latticeLongitude(uint64_t column, uint64_t columns);
    /// A set's opacity at an age: 0 before -20, a ramp up to 0, 1 to 80, a ramp down to 100.
    static float alphaForAge(int32_t age);
    /// The ramp step of a temperature in K: trunc(t - 273.15 + 40) in single precision, held
    /// within 0..83; NaN gives 0.
    static int colorIndexForTemperature(double kelvin);
    /// A longitude folded into -180..180 as repeated turns of 360 would fold it, in constant
    /// time (a non-finite longitude gives 0).
    static float wrappedLongitude(float longitude);
    /// The background counter after one step (0 .. 20).
    static int64_t nextBackgroundCounter(int64_t counter, bool pauseInBackground, bool active);
    /// The step factor of a background counter: 2 at 0, falling to 0 at 20.
    static double stepFactorForCounter(int64_t counter);
    /// The drawn point size before the scale factor: the column count's base size (3, 2 or 1)
    /// against a tenth of the resolution, at most 10.
    static double pointSizeForColumns(uint64_t columns, double pixelsPerDegree);
    static Ramp normalRamp();
    /// The normal ramp's key colours blended 20 % toward black.
    static Ramp darkRamp();
    /// 1 / (cos(latitude) x circumference) per whole degree, entry i for latitude i - 90; the
    /// poles hold 1.
    static const std::array<float, 181> &invCircumferenceForLatitudes();

private:
    enum class ProjectionKind { Equirectangular, Mercator, Other };

    /// The projection particles are placed through (the controller's, or none: plain degrees)
    /// and what kind it is.
    struct Placement
    {
        const OVMapProjection *projection = nullptr;
        ProjectionKind kind = ProjectionKind::Equirectangular;
    };
    Placement placement() const;
    static void projectHead(OVGeoVertex &particle, const Placement &placement);
    /// Puts one lattice row's particles (head and z) on their lattice points.
    static void placeRowOnLattice(OVGeoVertex *rowStart, uint64_t row, uint64_t numX, uint64_t numY,
                                  const Placement &placement, float z);
    void reseedSetLocked(int set, const Placement &placement);
    /// The fixed-function fallback: four point draws, head and trail.
    void drawPointsLocked(float pointSize);
    /// One draw per set that is not fully faded.
    /// The shaded draws of one frame from the uploaded buffer, one per visible set.
    void drawSets(uint64_t perSet, const std::array<float, kSetCount> &setAlphas);

    OVMapParticleDataSourcePtr mSource;
    const OVClock &mClock;
    std::unique_ptr<QTimer> mTimer; // main thread
    int64_t mBackgroundTransitionCounter = 0; // main thread

    mutable std::mutex lockQueue;
    QDateTime mLastUpdated;                   // under lockQueue
    OVMapParticleDataSource::GridPtr mUGrid;  // under lockQueue
    OVMapParticleDataSource::GridPtr mVGrid;  // under lockQueue
    OVMapParticleDataSource::GridPtr mTmpGrid; // under lockQueue
    uint64_t mNumXParticles = 0;              // under lockQueue
    uint64_t mNumYParticles = 0;              // under lockQueue
    std::vector<OVGeoVertex> mParticles;      // under lockQueue; 3 x columns x rows
    uint64_t mParticlesGeneration = 0;        // under lockQueue; counts changes of mParticles
    OVMapParticleTrailRenderer mTrails;       // drawing thread (uploads under lockQueue); the destructor takes its buffer
    std::array<int32_t, kSetCount> mParticleSetAge{-50, 0, 50};
    std::array<float, kSetCount> mParticleSetAlpha{};
    bool mUseDarkColors = false; // under lockQueue

    const Ramp mRamp;
    const Ramp mDarkRamp;
};
