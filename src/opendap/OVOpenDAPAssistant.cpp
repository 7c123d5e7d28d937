#include "opendap/OVOpenDAPAssistant.h"

#include "core/OVConstants.h"
#include "core/OVGrid.h"
#include "opendap/OVOpenDAPArrayRequest.h"
#include "opendap/OVOpenDAPCache.h"
#include "opendap/OVOpenDAPText.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QCache>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

namespace {

struct Registry
{
    std::mutex mutex;
    std::map<int64_t, OVOpenDAPCollectionPtr> collections;
};

Registry &registry()
{
    static Registry shared;
    return shared;
}

struct AxisCache
{
    std::mutex mutex;
    QCache<QString, std::vector<double>> values{1000};
};

AxisCache &axisCache()
{
    static AxisCache shared;
    return shared;
}

QDateTime orNow(const QDateTime &time)
{
    return time.isValid() ? time : QDateTime::currentDateTimeUtc();
}

// Rows of a reply come southernmost first; a grid's first row is the northernmost.
std::vector<double> northOnTop(const std::vector<double> &values, size_t columns, size_t rows)
{
    std::vector<double> flipped;
    flipped.reserve(values.size());
    for (size_t row = rows; row-- > 0;)
        flipped.insert(flipped.end(), values.begin() + ptrdiff_t(row * columns),
                       values.begin() + ptrdiff_t((row + 1) * columns));
    return flipped;
}

// Every row starting at `split`: the columns from there to the end, then those before it.
void rotateRows(std::vector<double> &values, size_t columns, size_t split)
{
    for (auto row = values.begin(); row != values.end(); row += ptrdiff_t(columns))
        std::rotate(row, row + ptrdiff_t(split), row + ptrdiff_t(columns));
}

} // namespace

// --- Collections and runs ------------------------------------------------------------------------

OVOpenDAPCollectionPtr OVOpenDAPAssistant::collectionWithType(int64_t type)
{
    Registry &shared = registry();
    std::lock_guard lock(shared.mutex);
    if (const auto it = shared.collections.find(type); it != shared.collections.end())
        return it->second;
    auto collection = OVOpenDAPCollection::collectionOfType(type);
    if (collection)
        shared.collections.emplace(type, collection);
    return collection;
}

void OVOpenDAPAssistant::refreshCollectionSourceLists()
{
    std::vector<OVOpenDAPCollectionPtr> collections;
    {
        Registry &shared = registry();
        std::lock_guard lock(shared.mutex);
        for (const auto &entry : shared.collections)
            collections.push_back(entry.second);
    }
    for (const OVOpenDAPCollectionPtr &collection : collections) {
        collection->gatherDataWithCompletionBlock([weak = std::weak_ptr(collection)] {
            const auto refreshed = weak.lock();
            if (!refreshed)
                return;
            const OVOpenDAPSourcePtr latest = refreshed->latestCompleteSource();
            OVDebugLog(QStringLiteral("Refreshed collection %1.  Latest source date is now: %2")
                           .arg(refreshed->name(),
                                latest ? OVOpenDAPText::defaultDateText(latest->modelRunTime()) : QString()));
            if (latest)
                latest->gatherDataWithCompletionBlock();
        });
    }
}

void OVOpenDAPAssistant::prepareCollection(const OVOpenDAPCollectionPtr &collection, bool forceRefresh,
                                           std::function<void()> block)
{
    if (!collection) {
        OVLog(QStringLiteral("[OVOpenDAPAssistant prepareCollection] collection is required."));
        return;
    }
    if (forceRefresh || !collection->ready())
        collection->gatherDataWithCompletionBlock(std::move(block));
    else
        OVDispatch::global(std::move(block));
}

void OVOpenDAPAssistant::prepareSource(const OVOpenDAPSourcePtr &source, bool forceRefresh, std::function<void()> block)
{
    if (!source) {
        OVLog(QStringLiteral("[OVOpenDAPAssistant prepareSource] source is required."));
        return;
    }
    if (forceRefresh || !source->ready())
        source->gatherDataWithCompletionBlock(std::move(block));
    else
        OVDispatch::global(std::move(block));
}

// --- Axis values ---------------------------------------------------------------------------------

void OVOpenDAPAssistant::levelsForVariable(const QString &variable, const QDateTime &modelRunTime,
                                           int64_t collectionType, LevelsBlock block)
{
    requestDimensionDataForArgument(QStringLiteral("lev"), variable, modelRunTime, collectionType, std::move(block));
}

void OVOpenDAPAssistant::requestDimensionDataForArgument(const QString &argument, const QString &variable,
                                                         const QDateTime &modelRunTime, int64_t collectionType,
                                                         LevelsBlock block)
{
    const OVOpenDAPCollectionPtr collection = collectionWithType(collectionType);
    if (!collection) {
        OVLog(QStringLiteral("[OVOpenDAPAssistant requestDimensionDataForArgument:] Collection type not valid."));
        block(std::nullopt);
        return;
    }
    if (const Levels cached = cacheQueryDimensionData(argument, variable, modelRunTime, collectionType)) {
        block(cached);
        return;
    }
    prepareCollection(collection, false, [=] {
        const OVOpenDAPSourcePtr source = collection->sourceForTime(orNow(modelRunTime));
        if (!source) {
            block(std::nullopt);
            return;
        }
        prepareSource(source, false, [=] {
            const OVOpenDAPVariablePtr found = source->variableNamed(variable);
            if (!found) {
                block(std::nullopt);
                return;
            }
            // The axes as every import queued by the documents left them, not as they stand now.
            std::optional<OVOpenDAPValueDescription> axis;
            if (const auto axes = found->importedArgumentDescriptions()) {
                const auto named =
                    std::find_if(axes->begin(), axes->end(),
                                 [&](const OVOpenDAPValueDescription &entry) { return entry.name() == argument; });
                if (named != axes->end())
                    axis = *named;
            }
            if (!axis || axis->dimension() <= 1) {
                block(std::vector<double>{0.0});
                return;
            }
            const auto request = OVOpenDAPArrayRequest::requestDimensionDataUsingSource(source, found, argument);
            if (!request) {
                block(std::nullopt);
                return;
            }
            // The request drops its block once called, so holding itself here ends with it.
            request->gatherDataWithCompletionBlock([=] {
                const std::vector<double> values = request->dimensionDataForArgument(argument);
                if (values.empty()) {
                    block(std::nullopt);
                    return;
                }
                cacheInsertDimensionData(values, argument, variable, modelRunTime, collectionType);
                block(values);
            });
        });
    });
}

OVOpenDAPAssistant::Levels OVOpenDAPAssistant::cacheQueryDimensionData(const QString &argument, const QString &variable,
                                                                       const QDateTime &modelRunTime,
                                                                       int64_t collectionType)
{
    AxisCache &cache = axisCache();
    std::lock_guard lock(cache.mutex);
    const std::vector<double> *values =
        cache.values.object(cacheKeyOfDimensionData(argument, variable, modelRunTime, collectionType));
    return values ? Levels(*values) : std::nullopt;
}

void OVOpenDAPAssistant::cacheInsertDimensionData(const std::vector<double> &values, const QString &argument,
                                                  const QString &variable, const QDateTime &modelRunTime,
                                                  int64_t collectionType)
{
    AxisCache &cache = axisCache();
    std::lock_guard lock(cache.mutex);
    cache.values.insert(cacheKeyOfDimensionData(argument, variable, modelRunTime, collectionType),
                        new std::vector<double>(values));
}

QString OVOpenDAPAssistant::cacheKeyOfDimensionData(const QString &argument, const QString &variable,
                                                    const QDateTime &modelRunTime, int64_t collectionType)
{
    return QStringLiteral("%1_____%2_____%3_____%4")
        .arg(argument.isNull() ? QString() : argument, variable.isNull() ? QString() : variable,
             OVOpenDAPText::defaultDateText(modelRunTime))
        .arg(collectionType);
}

// --- Grids ---------------------------------------------------------------------------------------

void OVOpenDAPAssistant::requestGridForVariable(const QString &variable, const QDateTime &modelRunTime,
                                                const QDateTime &forecastTime, int64_t collectionType, GridBlock block)
{
    requestGridForVariable(variable, 0.0, modelRunTime, forecastTime, collectionType, std::move(block));
}

void OVOpenDAPAssistant::requestGridForVariable(const QString &variable, double level, const QDateTime &modelRunTime,
                                                const QDateTime &forecastTime, int64_t collectionType, GridBlock block)
{
    const OVOpenDAPCollectionPtr collection = collectionWithType(collectionType);
    if (!collection) {
        OVLog(QStringLiteral("[OVOpenDAPAssistant requestGridForVariable:] Collection type not valid."));
        block(nullptr);
        return;
    }
    prepareCollection(collection, false, [=] {
        const OVOpenDAPSourcePtr source = collection->sourceForTime(orNow(modelRunTime));
        if (!source) {
            block(nullptr);
            return;
        }
        prepareSource(source, false, [=] {
            const OVOpenDAPVariablePtr found = source->variableNamed(variable);
            if (!found) {
                block(nullptr);
                return;
            }
            requestDimensionDataForArgument(
                QStringLiteral("lev"), variable, modelRunTime, collectionType, [=](const Levels &levels) {
                    const auto levelIndex = uint64_t(levelIndexForLevel(levels, level));
                    const auto timeIndex = uint64_t(source->indexClosestToTime(forecastTime));
                    OVOpenDAPCache &cache = OVOpenDAPCache::sharedCache();
                    if (auto cached =
                            cache.queryGrid(variable, levelIndex, source->modelRunTime(), timeIndex, collectionType)) {
                        block(std::move(cached));
                        return;
                    }
                    const auto request = OVOpenDAPArrayRequest::requestGridUsingSource(
                        source, found, int64_t(timeIndex), int64_t(levelIndex));
                    if (!request) {
                        block(nullptr);
                        return;
                    }
                    request->gatherDataWithCompletionBlock([=] {
                        auto grid = gridFromReply(request->responseData(), source->axes(), found->missingValue());
                        if (grid) {
                            OVOpenDAPCache::sharedCache().insertGrid(*grid, variable, levelIndex,
                                                                     source->modelRunTime(), timeIndex, collectionType);
                        }
                        block(std::move(grid));
                    });
                });
        });
    });
}

size_t OVOpenDAPAssistant::levelIndexForLevel(const Levels &levels, double level)
{
    if (!levels || levels->empty())
        return 0;
    size_t nearest = 0;
    float nearestDistance = INFINITY;
    for (size_t i = 0; i < levels->size(); ++i) {
        const float distance = std::fabs(float((*levels)[i]) - float(level));
        if (distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::shared_ptr<OVGrid> OVOpenDAPAssistant::gridFromReply(const std::vector<double> &values,
                                                          const OVOpenDAPSource::Axes &axes, double missingValue)
{
    if (axes.longitudeSize < 1 || axes.latitudeSize < 1 ||
        values.size() != uint64_t(axes.longitudeSize) * uint64_t(axes.latitudeSize)) {
        OVLog(QStringLiteral("[OVOpenDAPAssistant requestGridForVariable:] The reply holds %1 values for a grid of "
                             "%2 x %3 points.")
                  .arg(values.size())
                  .arg(axes.longitudeSize)
                  .arg(axes.latitudeSize));
        return nullptr;
    }
    const auto columns = size_t(axes.longitudeSize);
    const auto rows = size_t(axes.latitudeSize);
    std::vector<double> grid = northOnTop(values, columns, rows);
    double west = axes.longitudeMin;
    double east = axes.longitudeMax;

    // A grid round the whole circle east of 0 is turned to start at -180. A regional grid
    // keeps its columns and edges whatever its longitudes: turning it would scramble it.
    const double resolution = axes.longitudeResolution;
    const bool wholeCircle = resolution > 0.0 && double(columns) * resolution >= 360.0 - resolution / 2.0;
    if (wholeCircle && east > 180.0 && east != axes.longitudeMin) {
        const float splitFraction =
            float((180.0 - axes.longitudeMin) / (east - axes.longitudeMin) * double(columns - 1));
        const auto split = int64_t(std::lround(splitFraction));
        if (split > 0 && split < int64_t(columns)) {
            rotateRows(grid, columns, size_t(split));
            west = axes.longitudeMin + double(split) * resolution - 360.0;
            east = west + double(columns - 1) * resolution;
        }
    }
    for (double &value : grid) {
        if (value == missingValue)
            value = OVNoValue;
    }
    return OVGrid::make(grid, OVGeoRectMake(axes.latitudeMin, west, axes.latitudeMax, east), columns, rows);
}
