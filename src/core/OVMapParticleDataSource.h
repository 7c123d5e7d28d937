// Where the wind-particle layer gets its grids: eastward wind u and northward wind v (m/s) and
// temperature (K), as three latitude/longitude grids.
//
// The base answers three null grids, so until a real source is registered the particles stay
// invisible. A real source (the model-data fetcher) registers a maker with `setFactory` before
// the first `sharedDataSource()` call (the application does so at start); the shared source is
// made once, on that first call, and lives as long as the process.
//
// Threads: `sharedDataSource`, `setFactory`, `fetchCurrentGridsWithCompletion` and `resetCache`
// may be called from any thread and return at once. The completion runs on the main thread,
// later, exactly once per call.
#pragma once

#include <functional>
#include <memory>

class OVGrid;

class OVMapParticleDataSource
{
public:
    using GridPtr = std::shared_ptr<const OVGrid>;
    /// u, v and temperature; any may be null when it could not be had.
    using Completion = std::function<void(GridPtr u, GridPtr v, GridPtr temperature)>;
    using Factory = std::function<std::shared_ptr<OVMapParticleDataSource>()>;

    OVMapParticleDataSource() = default;
    virtual ~OVMapParticleDataSource() = default;
    OVMapParticleDataSource(const OVMapParticleDataSource &) = delete;
    OVMapParticleDataSource &operator=(const OVMapParticleDataSource &) = delete;

    /// The process's source: made once, on the first call, by the registered factory, or a base
    /// source when none is registered (or the factory gives nothing).
    static std::shared_ptr<OVMapParticleDataSource> sharedDataSource();
    /// Registers the maker of the shared source. Only a registration made before the first
    /// `sharedDataSource()` call has an effect.
    static void setFactory(Factory factory);

    /// Answers on the main thread, asynchronously: the base with three null grids.
    virtual void fetchCurrentGridsWithCompletion(Completion completion);
    /// Forgets what the source has cached, so the next fetch looks afresh. The base has nothing.
    virtual void resetCache();
};

using OVMapParticleDataSourcePtr = std::shared_ptr<OVMapParticleDataSource>;
