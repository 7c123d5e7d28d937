#include "gribfilter/OVMapParticleGribFetcher.h"

#include "core/OVConstants.h"
#include "core/OVGrid.h"
#include "grib/GRIB2DecodedRecord.h"
#include "grib/GRIB2Decoder.h"
#include "gribfilter/ModelConfiguration.h"
#include "gribfilter/ModelVariable.h"
#include "gribfilter/OVGribFilterClient.h"
#include "gribfilter/OVGribFilterQueueFetcher.h"
#include "platform/OVClock.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QFuture>
#include <QMetaObject>
#include <QObject>
#include <QPromise>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

using GridPtr = OVMapParticleDataSource::GridPtr;
using Completion = OVMapParticleDataSource::Completion;

namespace {

struct Grids
{
    GridPtr u;
    GridPtr v;
    GridPtr temperature;
};

// Hands the completion its answer exactly once, on the main thread: the grids when the fetch
// delivers them, three nulls when the chain that holds the guard fails or is dropped, or when
// the fetcher ends first.
class CompletionGuard
{
public:
    explicit CompletionGuard(Completion completion)
        : mCompletion(std::move(completion))
    {
    }
    ~CompletionGuard() { deliver(Grids{}); }
    CompletionGuard(const CompletionGuard &) = delete;
    CompletionGuard &operator=(const CompletionGuard &) = delete;

    void deliver(const Grids &grids)
    {
        Completion completion;
        {
            const std::lock_guard lock(mMutex);
            completion = std::exchange(mCompletion, nullptr);
        }
        if (!completion)
            return;
        OVDispatch::mainAsync([completion = std::move(completion), grids] {
            completion(grids.u, grids.v, grids.temperature);
        });
    }

private:
    std::mutex mMutex;
    Completion mCompletion;
};

// The three grids of a filter download. Throws what the decoder throws.
Grids gridsFromDownload(const QByteArray &bytes)
{
    const std::span<const std::uint8_t> buffer(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                               size_t(bytes.size()));
    Grids grids;
    for (const GRIB2DecodedRecord &record : GRIB2Decoder::decodeMessages(buffer)) {
        if (!record.variableName)
            continue;
        // A later record of the same name replaces the earlier one, even with nothing.
        const std::string &name = *record.variableName;
        if (name == "UGRD")
            grids.u = OVMapParticleGribFetcher::makeGridFromRecord(record);
        else if (name == "VGRD")
            grids.v = OVMapParticleGribFetcher::makeGridFromRecord(record);
        else if (name == "TMP")
            grids.temperature = OVMapParticleGribFetcher::makeGridFromRecord(record);
    }
    return grids;
}

// Decodes and converts on the global pool; the future carries the grids or the decoder's error.
QFuture<Grids> decodeOnPool(const QByteArray &bytes)
{
    auto promise = std::make_shared<QPromise<Grids>>();
    QFuture<Grids> future = promise->future();
    promise->start();
    OVDispatch::global([promise, bytes] {
        try {
            promise->addResult(gridsFromDownload(bytes));
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    return future;
}

QString errorText(QFuture<Grids> future)
{
    try {
        future.waitForFinished();
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
    return QStringLiteral("cancelled");
}

} // namespace

// The state of the fetcher, confined to its own thread: the client, the found run and whether
// a fetch runs. Continuations of its futures resume on that thread, so between two waits other
// calls (a turned-away fetch, a cache reset) may run.
class OVMapParticleGribFetcher::Actor : public QObject
{
public:
    Actor(QUrl baseURL, const OVClock &clock)
        : mBaseURL(std::move(baseURL))
        , mClock(clock)
    {
    }

    // On the actor's thread: the client's continuations must resume here.
    void start()
    {
        client = std::make_unique<OVGribFilterClient>(OVGribFilterQueueFetcher::dataFetcher(), mBaseURL);
    }

    void stop() { client.reset(); }

    // Every call waits for the fetch under way, or starts one: a call made while a fetch runs
    // joins it, so a burst of requests (several layers, a launch's notices) downloads once.
    void fetchGrids(const std::shared_ptr<CompletionGuard> &guard)
    {
        if (!client) {
            guard->deliver(Grids{});
            return;
        }
        waiting.push_back(guard);
        if (isFetching)
            return;
        isFetching = true;
        // What the chain is doing, for the debug line of a failure.
        auto step = std::make_shared<QString>(QStringLiteral("run search"));
        auto run = std::make_shared<ModelRun>();
        auto hour = std::make_shared<ForecastHour>();
        currentModelRun()
            .then(this,
                  [this, step, run](const ModelRun &found) {
                      *run = found;
                      *step = QStringLiteral("forecast hour listing");
                      return client->fetchForecastHours(found);
                  })
            .unwrap()
            .then(this,
                  [this, step, run, hour](const QList<ForecastHour> &hours) {
                      if (hours.isEmpty())
                          throw OVGribFilterClient::Error::noForecastHoursFound();
                      *hour = hours.first();
                      // The fields of one file never change: the grids already made are the answer.
                      if (cachedGrids && cachedGrids->run == *run && cachedGrids->hour == *hour)
                          return QtFuture::makeReadyFuture(cachedGrids->grids);
                      *step = QStringLiteral("download");
                      return client->fetchModelData(*run, *hour, requestList())
                          .then(this,
                                [step](const QByteArray &bytes) {
                                    *step = QStringLiteral("decoding");
                                    return decodeOnPool(bytes);
                                })
                          .unwrap();
                  })
            .unwrap()
            .then(this, [this, step, run, hour](const QFuture<Grids> &done) {
                isFetching = false;
                Grids grids;
                if (done.isFinished() && !done.isCanceled() && done.resultCount() > 0) {
                    grids = done.result();
                    if (grids.u && grids.v && grids.temperature)
                        cachedGrids = FetchedGrids{*run, *hour, grids};
                } else {
                    OVDebugLog(QStringLiteral("[OVMapParticleGribFetcher fetchGrids] The %1 failed: %2")
                                   .arg(*step, errorText(done)));
                }
                for (const std::shared_ptr<CompletionGuard> &joined : std::exchange(waiting, {}))
                    joined->deliver(grids);
            });
    }

    QFuture<ModelRun> currentModelRun()
    {
        // A found time in the future counts as young.
        if (cachedRun && cachedRunFetchedAt
            && cachedRunFetchedAt->msecsTo(mClock.now()) < qint64(kRunCacheSeconds * 1000.0))
            return QtFuture::makeReadyFuture(*cachedRun);
        // A search under way when the cache is reset still stores what it finds.
        return client->fetchLatestCompleteRun(ModelConfiguration::gfs_0p25_1hr()).then(this, [this](const ModelRun &run) {
            cachedRun = run;
            cachedRunFetchedAt = mClock.now();
            return run;
        });
    }

    void clearCachedRun()
    {
        cachedRun.reset();
        cachedRunFetchedAt.reset();
        cachedGrids.reset();
    }

private:
    const QUrl mBaseURL;
    const OVClock &mClock;
    std::unique_ptr<OVGribFilterClient> client;
    std::optional<ModelRun> cachedRun;
    std::optional<QDateTime> cachedRunFetchedAt;
    // The grids of the newest complete download, with the file they came from.
    struct FetchedGrids
    {
        ModelRun run;
        ForecastHour hour;
        Grids grids;
    };
    std::optional<FetchedGrids> cachedGrids;
    bool isFetching = false;
    // The calls waiting for the fetch under way; dropped with the actor, they answer nulls.
    std::vector<std::shared_ptr<CompletionGuard>> waiting;
};

// The completions not yet answered, so that a fetcher that ends answers them at once rather
// than when (or whether) the downloads it started finish.
struct OVMapParticleGribFetcher::Pending
{
    std::mutex mutex;
    std::vector<std::weak_ptr<CompletionGuard>> guards;

    void add(const std::shared_ptr<CompletionGuard> &guard)
    {
        const std::lock_guard lock(mutex);
        std::erase_if(guards, [](const std::weak_ptr<CompletionGuard> &entry) { return entry.expired(); });
        guards.push_back(guard);
    }

    void answerAllWithNulls()
    {
        std::vector<std::weak_ptr<CompletionGuard>> all;
        {
            const std::lock_guard lock(mutex);
            all.swap(guards);
        }
        for (const std::weak_ptr<CompletionGuard> &entry : all) {
            if (const std::shared_ptr<CompletionGuard> guard = entry.lock())
                guard->deliver(Grids{});
        }
    }
};

namespace {

// Runs the call on the actor's thread, after every call posted before it.
template <typename Call>
void post(OVMapParticleGribFetcher::Actor *actor, Call call)
{
    QMetaObject::invokeMethod(actor, std::move(call), Qt::QueuedConnection);
}

} // namespace

OVMapParticleGribFetcher::OVMapParticleGribFetcher(const QUrl &baseURL, const OVClock &clock)
    : mThread(new QThread)
    , mActor(new Actor(baseURL, clock))
    , mPending(std::make_unique<Pending>())
{
    mThread->setObjectName(QStringLiteral("OVMapParticleGribFetcher"));
    mActor->moveToThread(mThread);
    Actor *actor = mActor;
    // Emitted on the actor's thread as it ends: the client goes there, with its context.
    QObject::connect(mThread, &QThread::finished, mThread, [actor] { actor->stop(); }, Qt::DirectConnection);
    mThread->start();
    post(actor, [actor] { actor->start(); });
}

OVMapParticleGribFetcher::~OVMapParticleGribFetcher()
{
    // Stopped without a posted call: the shared fetcher goes at process exit, when nothing
    // delivers events any more.
    mThread->quit();
    mThread->wait();
    // The thread has ended: the actor can go from here. Calls still queued and continuations
    // bound to the actor are dropped, and their guards answer with three nulls.
    delete mActor;
    delete mThread;
    mPending->answerAllWithNulls();
}

void OVMapParticleGribFetcher::registerFactory()
{
    OVMapParticleDataSource::setFactory([]() -> std::shared_ptr<OVMapParticleDataSource> {
        return std::make_shared<OVMapParticleGribFetcher>();
    });
}

void OVMapParticleGribFetcher::fetchCurrentGridsWithCompletion(Completion completion)
{
    if (!completion)
        return;
    auto guard = std::make_shared<CompletionGuard>(std::move(completion));
    mPending->add(guard);
    Actor *actor = mActor;
    post(actor, [actor, guard] { actor->fetchGrids(guard); });
}

void OVMapParticleGribFetcher::resetCache()
{
    Actor *actor = mActor;
    post(actor, [actor] { actor->clearCachedRun(); });
}

const QList<ModelVariableLevel> &OVMapParticleGribFetcher::requestList()
{
    static const QList<ModelVariableLevel> list{
        {ModelVariable{QStringLiteral("UGRD")}, ModelLevel{QStringLiteral("10 m above ground")}},
        {ModelVariable{QStringLiteral("VGRD")}, ModelLevel{QStringLiteral("10 m above ground")}},
        {ModelVariable{QStringLiteral("TMP")}, ModelLevel{QStringLiteral("2 m above ground")}},
    };
    return list;
}

GridPtr OVMapParticleGribFetcher::makeGridFromRecord(const GRIB2DecodedRecord &record)
{
    const GRIB2Grid &grid = record.grid;
    if (grid.gridTemplate == GRIB2Grid::Template::polarStereographic
        || grid.gridTemplate == GRIB2Grid::Template::lambertConformal)
        return nullptr;
    const uint64_t width = grid.width;
    const uint64_t height = grid.height;
    if (width == 0 || height == 0)
        return nullptr;
    // In 64 bits: a reduced grid carries a width of 0xFFFFFFFF.
    if (uint64_t(record.values.size()) != width * height)
        return nullptr;

    double firstLongitude = grid.longitudeOfFirstGridPoint;
    double lastLongitude = grid.longitudeOfLastGridPoint;
    // A whole globe that starts at the prime meridian is turned to start at -180: every row is
    // turned left by `shift` columns.
    uint64_t shift = 0;
    if (firstLongitude < 1.0 && lastLongitude > 180.0) {
        const double step = (lastLongitude - firstLongitude) / double(width - 1); // infinite for one column
        const double k = std::round((180.0 - firstLongitude) / step);
        if (k > 0.0 && k < double(width)) {
            shift = uint64_t(k);
            const double oldFirst = firstLongitude;
            firstLongitude = oldFirst + k * step - 360.0;
            lastLongitude = oldFirst + k * step - step;
        }
    }

    const double firstLatitude = grid.latitudeOfFirstGridPoint;
    const double lastLatitude = grid.latitudeOfLastGridPoint;
    // North on top: rows stored south to north are read from the last.
    const bool southFirst = firstLatitude < lastLatitude && height != 1;

    // One pass from the record's floats into the grid's order: turned, flipped, NaN as OVNoValue.
    std::vector<double> values(record.values.size());
    const auto convert = [](float value) { return std::isnan(value) ? OVNoValue : double(value); };
    for (uint64_t row = 0; row < height; ++row) {
        const auto source = record.values.begin() + std::ptrdiff_t((southFirst ? height - 1 - row : row) * width);
        const auto split = source + std::ptrdiff_t(shift);
        const auto target = values.begin() + std::ptrdiff_t(row * width);
        std::transform(split, source + std::ptrdiff_t(width), target, convert);
        std::transform(source, split, target + std::ptrdiff_t(width - shift), convert);
    }

    const OVGeoRect rect =
        OVGeoRectMake(std::min(firstLatitude, lastLatitude), std::min(firstLongitude, lastLongitude),
                      std::max(firstLatitude, lastLatitude), std::max(firstLongitude, lastLongitude));
    return OVGrid::makeTakingValues(std::move(values), rect, width, height);
}

QUrl OVMapParticleGribFetcher::defaultBaseURL()
{
    return OVGribFilterClient::defaultBaseURL();
}

const OVClock &OVMapParticleGribFetcher::systemClock()
{
    return OVClock::system();
}
