// One level of the terrain pyramid: a grid of JPEG tiles, each found in this order: the texture
// already registered under the tile's key, the tile's file in the local cache, then its source,
// a bundled file or a download from the terrain server that is kept in the cache once it
// decodes.
//
// The texture key of a tile is its source string: `sourceURLFormat` with "@x" and "@y" replaced
// by the column and row. "http://" and "https://" sources are downloaded (one OVURL per tile,
// loaded in the background); any other non-empty source is a file path; an empty one requests
// nothing and draws nothing. The cache file of a tile is "<column>_<row>.data" in
// `localCacheDirectory`, holding the received bytes unchanged.
//
// No frame waits on the disk or the network: `prepareTile` answers at once and queues the
// work. A tile whose download fails, whose bytes do not decode, or whose file is missing or bad
// is not asked for again for 30 s, doubling per further failure up to 1200 s (a map redrawing
// 30 times a second would otherwise send a request and write a log line per frame); a success
// clears the wait. A cache file that does not decode is deleted and the tile fetched again at
// once.
//
// Threads: `prepareTile` (the frame's plan), the downloads' callbacks and the loader's callbacks
// all run on the GUI thread, so the connection records and the retry table need no lock; the
// drawing thread only binds the planned keys.
#pragma once

#include "core/OVMultikeyDictionary.h"
#include "core/remote/OVURL.h"
#include "map/layers/OVMapTileLayer.h"
#include "platform/OVClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class OVMapLayerFactory;
struct OVMapLayerConfiguration;
class QObject;

class OVMapTerrainTileLayer final : public OVMapTileLayer
{
public:
    static constexpr int kFirstRetrySeconds = 30;
    static constexpr int kLongestRetrySeconds = 1200;

    OVMapTerrainTileLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader,
                          const OVClock &clock = OVClock::system());
    /// Cancels the running downloads; none of their callbacks runs afterwards.
    ~OVMapTerrainTileLayer() override;

    /// Makes the factory build this layer for the terrain levels (OVMapLayerKind::TerrainTiles).
    static void registerWithFactory(OVMapLayerFactory &factory);
    /// A layer set up from a level's configuration (tile counts, source, cache folder, format).
    static std::shared_ptr<OVMapTerrainTileLayer> makeForConfiguration(const OVMapLayerConfiguration &configuration,
                                                                       OVMapControllerInterface *mapController,
                                                                       const std::shared_ptr<OVTextureLoader> &loader);

    QString prepareTile(int64_t column, int64_t row) override;

    /// The tile's source string (and texture key), made once per tile: a later change of the
    /// pattern does not reach tiles already asked for.
    QString urlStringForTile(int64_t column, int64_t row);
    /// The tile's cache file, or nothing without a cache folder.
    std::optional<QString> cachedPathForTile(int64_t column, int64_t row) const;
    /// The cache file's bytes, or nothing (no folder, no readable file).
    std::optional<QByteArray> cacheDataForTile(int64_t column, int64_t row) const;
    /// Writes the bytes atomically to the tile's cache file, making the folder first; a failure
    /// is logged and keeps nothing.
    void saveCacheData(const QByteArray &data, int64_t column, int64_t row);
    void invalidateCacheForTile(int64_t column, int64_t row);
    bool urlCurrentlyLoading(const QString &urlString) const;
    qsizetype activeConnectionCount() const { return mActiveConnections.size(); }

    std::optional<QString> localCacheDirectory() const { return mLocalCacheDirectory; }
    void setLocalCacheDirectory(const std::optional<QString> &folder) { mLocalCacheDirectory = folder; }
    QString sourceURLFormat() const { return mSourceURLFormat; }
    void setSourceURLFormat(const QString &format) { mSourceURLFormat = format; }

private:
    struct Connection
    {
        OVURLPtr url;
        QString key;
        int64_t column = 0;
        int64_t row = 0;
    };
    struct RetryState
    {
        QDateTime notBefore;
        int failures = 0;
    };
    /// Where bytes handed to the texture loader came from, which decides what a decode failure does.
    enum class BytesOrigin { CacheFile, Download, SourceFile };

    void startDownload(const QString &key, int64_t column, int64_t row);
    void downloadFinished(const OVURLPtr &url);
    void loadTileBytes(const QByteArray &bytes, const QString &key, int64_t column, int64_t row, BytesOrigin origin);
    void readSourceFile(const QString &path, int64_t column, int64_t row);
    bool waitingToRetry(const QString &key) const;
    void tileFailed(const QString &key, const QString &reason);

    const OVClock &mClock;
    std::optional<QString> mLocalCacheDirectory;
    QString mSourceURLFormat;
    QList<Connection> mActiveConnections;
    OVMultikeyDictionary<QString> mCachedURLStrings;
    QHash<QString, RetryState> mRetries;
    QSet<QString> mAwaitingDecode; // downloaded or read bytes handed to the loader, outcome not yet known
    // The loader's callbacks are tied to it, so none runs once the layer is gone.
    std::unique_ptr<QObject> mCallbackReceiver;
};
