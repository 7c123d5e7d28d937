// The grid source of the wind particles: the 10 m wind (u, v) and the 2 m temperature of the
// lowest forecast hour of the newest complete run of `gfs_0p25_1hr`, downloaded through the grib
// filter service, decoded and turned into latitude/longitude grids with north on top and
// longitudes from -180. Values keep their units (m/s, K); absent points are OVNoValue.
//
// The fetcher only forwards. Its actor lives on a QThread of its own, owns the grib filter
// client (over the download queue, so the map's loading indicator sees the requests) and keeps
// the found run for six hours, and the grids of the newest download with the file they came from:
// a later fetch that lists the same run and hour answers them without downloading again. Calls
// reach the actor in the order they were made. Decoding and conversion run on the global pool.
//
// Every failure ends a fetch with three null grids and is not logged (the particle layer logs
// the null answer); with debug logging on, one line names the failing step. A field the download
// lacks, or whose grid cannot be converted, is null on its own.
//
// Threads: every public operation may be called from any thread and returns at once. Each
// completion runs once, on the main thread, also when the fetch fails or is dropped. A fetch
// asked for while another runs joins it and gets the same answer.
#pragma once

#include "core/OVMapParticleDataSource.h"

#include <QList>
#include <QUrl>

#include <memory>

class OVClock;
class QThread;
struct GRIB2DecodedRecord;
struct ModelVariableLevel;

class OVMapParticleGribFetcher final : public OVMapParticleDataSource
{
public:
    /// Six hours: how long a found run is used before the search runs again.
    static constexpr double kRunCacheSeconds = 21600.0;

    /// A fetcher on the server at `baseURL` (the root of the model-data server, as
    /// "OVModelDataServerURL" holds it). The clock must outlive the fetcher.
    explicit OVMapParticleGribFetcher(const QUrl &baseURL = defaultBaseURL(), const OVClock &clock = systemClock());
    /// Stops the actor's thread; completions still owed are answered with three nulls.
    ~OVMapParticleGribFetcher() override;

    /// Makes this fetcher the process's shared particle data source (call before the map exists).
    static void registerFactory();

    void fetchCurrentGridsWithCompletion(Completion completion) override;
    /// Forgets the found run and the grids, so the next fetch searches and downloads again.
    void resetCache() override;

    /// UGRD and VGRD at "10 m above ground", TMP at "2 m above ground", in that order.
    static const QList<ModelVariableLevel> &requestList();

    /// The grid of one decoded record: north on top, a whole-globe grid that starts at the prime
    /// meridian turned to start at -180, NaN as OVNoValue. Null for projected grids (polar
    /// stereographic, Lambert conformal), an empty size, or a value count other than
    /// width x height.
    static GridPtr makeGridFromRecord(const GRIB2DecodedRecord &record);

    class Actor;
    struct Pending;

private:
    static QUrl defaultBaseURL();
    static const OVClock &systemClock();

    QThread *mThread = nullptr;
    Actor *mActor = nullptr; // lives on mThread
    std::unique_ptr<Pending> mPending;
};
