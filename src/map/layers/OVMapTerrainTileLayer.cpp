#include "map/layers/OVMapTerrainTileLayer.h"

#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerConfiguration.h"
#include "map/layers/OVMapLayerFactory.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QSaveFile>

#include <algorithm>

namespace {

bool isDownloadSource(const QString &source)
{
    return source.startsWith(QLatin1String("http://")) || source.startsWith(QLatin1String("https://"));
}

/// A JPEG without its end marker: Qt's decoder still makes an image of such bytes, padding the
/// missing rows with grey, which would then stand as the tile for good.
bool isTruncatedJpeg(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xD8"))
        return false;
    // Nothing but padding may follow the end marker; it never occurs inside entropy-coded data.
    return !bytes.right(32).contains("\xFF\xD9");
}

void logLine(const char *operation, const QString &text)
{
    OVLog(QStringLiteral("[OVMapTerrainTileLayer %1] %2").arg(QLatin1String(operation), text));
}

} // namespace

OVMapTerrainTileLayer::OVMapTerrainTileLayer(OVMapControllerInterface *mapController,
                                             std::shared_ptr<OVTextureLoader> textureLoader, const OVClock &clock)
    : OVMapTileLayer(mapController, std::move(textureLoader))
    , mClock(clock)
    , mCallbackReceiver(std::make_unique<QObject>())
{
    OVNotificationCenter::defaultCenter().addObserver(this, OVURLFinishedLoading, [this](const OVNotification &note) {
        downloadFinished(note.object.value<OVURLPtr>());
    });
}

void OVMapTerrainTileLayer::registerWithFactory(OVMapLayerFactory &factory)
{
    factory.registerBuilder(OVMapLayerKind::TerrainTiles, &OVMapTerrainTileLayer::makeForConfiguration);
}

std::shared_ptr<OVMapTerrainTileLayer>
OVMapTerrainTileLayer::makeForConfiguration(const OVMapLayerConfiguration &configuration,
                                            OVMapControllerInterface *mapController,
                                            const std::shared_ptr<OVTextureLoader> &loader)
{
    auto layer = std::make_shared<OVMapTerrainTileLayer>(mapController, loader);
    layer->applyTileConfiguration(configuration);
    layer->setSourceURLFormat(configuration.sourceURLFormat);
    if (!configuration.localCacheDirectory.isEmpty())
        layer->setLocalCacheDirectory(configuration.localCacheDirectory);
    return layer;
}

OVMapTerrainTileLayer::~OVMapTerrainTileLayer()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    for (const Connection &connection : std::as_const(mActiveConnections))
        connection.url->cancelLoading();
}

QString OVMapTerrainTileLayer::urlStringForTile(int64_t column, int64_t row)
{
    if (std::optional<QString> known = mCachedURLStrings.objectForIntegerKey(column, row))
        return *known;
    const QString source = tileSource(mSourceURLFormat, column, row);
    mCachedURLStrings.setObjectForIntegerKey(source, column, row);
    return source;
}

std::optional<QString> OVMapTerrainTileLayer::cachedPathForTile(int64_t column, int64_t row) const
{
    if (!mLocalCacheDirectory || mLocalCacheDirectory->isEmpty())
        return std::nullopt;
    return QDir(*mLocalCacheDirectory).filePath(QStringLiteral("%1_%2.data").arg(column).arg(row));
}

std::optional<QByteArray> OVMapTerrainTileLayer::cacheDataForTile(int64_t column, int64_t row) const
{
    const std::optional<QString> path = cachedPathForTile(column, row);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

void OVMapTerrainTileLayer::saveCacheData(const QByteArray &data, int64_t column, int64_t row)
{
    const std::optional<QString> path = cachedPathForTile(column, row);
    if (!path) {
        logLine("saveCacheData", QStringLiteral("No tile cache folder: tile %1_%2 is shown but not kept.").arg(column).arg(row));
        return;
    }
    if (!QDir().mkpath(*mLocalCacheDirectory)) {
        logLine("saveCacheData", QStringLiteral("Cannot create the tile cache folder %1: tile %2_%3 is not kept.")
                                     .arg(*mLocalCacheDirectory)
                                     .arg(column)
                                     .arg(row));
        return;
    }
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        logLine("saveCacheData", QStringLiteral("Cannot write %1: %2").arg(*path, file.errorString()));
}

void OVMapTerrainTileLayer::invalidateCacheForTile(int64_t column, int64_t row)
{
    if (const std::optional<QString> path = cachedPathForTile(column, row))
        QFile::remove(*path);
}

bool OVMapTerrainTileLayer::urlCurrentlyLoading(const QString &urlString) const
{
    return std::any_of(mActiveConnections.cbegin(), mActiveConnections.cend(),
                       [&](const Connection &connection) { return connection.key == urlString; });
}

QString OVMapTerrainTileLayer::prepareTile(int64_t column, int64_t row)
{
    OVMapControllerInterface *controller = mapController();
    const QString key = urlStringForTile(column, row);
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (!controller || key.isEmpty() || !loader)
        return {};
    if (loader->hasTextureForKey(key))
        return key;
    // A pending load is already on its way; reading the cache again would only cost a file read.
    if (loader->registry().isKeyPending(key) || urlCurrentlyLoading(key) || mAwaitingDecode.contains(key)
        || waitingToRetry(key))
        return key;
    if (std::optional<QByteArray> cached = cacheDataForTile(column, row))
        loadTileBytes(*cached, key, column, row, BytesOrigin::CacheFile);
    else if (isDownloadSource(key))
        startDownload(key, column, row);
    else
        readSourceFile(key, column, row);
    return key;
}

void OVMapTerrainTileLayer::startDownload(const QString &key, int64_t column, int64_t row)
{
    const OVURLPtr url = OVURL::createWithURLString(key);
    mActiveConnections.append(Connection{url, key, column, row});
    url->loadURLInBackground();
    if (url->errorOccurred() && !url->isLoading()) {
        mActiveConnections.removeLast();
        tileFailed(key, QStringLiteral("cannot request %1").arg(key));
    }
}

void OVMapTerrainTileLayer::downloadFinished(const OVURLPtr &url)
{
    const auto found = std::find_if(mActiveConnections.begin(), mActiveConnections.end(),
                                    [&](const Connection &connection) { return connection.url == url; });
    if (!url || found == mActiveConnections.end())
        return;
    const Connection connection = *found;
    mActiveConnections.erase(found);
    if (url->errorOccurred() || !url->dataReady()) {
        // Error pages (status 400 and above) are failures: nothing of them is kept.
        const int status = url->httpStatus();
        tileFailed(connection.key, status >= 400 ? QStringLiteral("%1 answered HTTP status %2").arg(connection.key).arg(status)
                                                 : QStringLiteral("no answer from %1").arg(connection.key));
        return;
    }
    loadTileBytes(url->urlData(), connection.key, connection.column, connection.row, BytesOrigin::Download);
}

void OVMapTerrainTileLayer::readSourceFile(const QString &path, int64_t column, int64_t row)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tileFailed(path, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return;
    }
    loadTileBytes(file.readAll(), path, column, row, BytesOrigin::SourceFile);
}

void OVMapTerrainTileLayer::loadTileBytes(const QByteArray &bytes, const QString &key, int64_t column, int64_t row,
                                          BytesOrigin origin)
{
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (!loader)
        return;
    const auto onError = [this, key, column, row, origin](const QString &) {
        mAwaitingDecode.remove(key);
        if (origin == BytesOrigin::CacheFile) {
            // A damaged cache file is replaced by a fresh copy of the tile at once.
            logLine("prepareTile", QStringLiteral("Deleted the undecodable cache file of %1.").arg(key));
            invalidateCacheForTile(column, row);
            redrawView();
            return;
        }
        tileFailed(key, QStringLiteral("%1 is not an image").arg(key));
    };
    if (isTruncatedJpeg(bytes)) {
        logLine("prepareTile", QStringLiteral("The image of %1 is cut short.").arg(key));
        onError(QString());
        return;
    }
    const auto onLoaded = [this, bytes, key, column, row, origin](uint32_t) {
        mAwaitingDecode.remove(key);
        mRetries.remove(key);
        // Downloaded bytes are kept only once they have shown to be a tile.
        if (origin == BytesOrigin::Download)
            saveCacheData(bytes, column, row);
        redrawView();
    };
    // The loader releases the key before its callback arrives; until then the tile counts as
    // decoding, or a frame in between would fetch it again. Such loads are never dropped as
    // stale (a dropped job calls nothing back); only a cache file, read again at will, may be.
    const bool readAgainAtWill = origin == BytesOrigin::CacheFile;
    if (!readAgainAtWill && !loader->registry().isKeyPending(key)) // a pending key drops this request
        mAwaitingDecode.insert(key);
    loader->loadTextureData(bytes, key, textureInternalFormat(), true, readAgainAtWill, onError, onLoaded,
                            mCallbackReceiver.get());
}

bool OVMapTerrainTileLayer::waitingToRetry(const QString &key) const
{
    const auto found = mRetries.constFind(key);
    return found != mRetries.cend() && mClock.now() < found->notBefore;
}

void OVMapTerrainTileLayer::tileFailed(const QString &key, const QString &reason)
{
    RetryState &state = mRetries[key];
    state.failures = std::min(state.failures + 1, 16);
    const qint64 wait = std::min<qint64>(qint64(kFirstRetrySeconds) << (state.failures - 1), kLongestRetrySeconds);
    state.notBefore = mClock.now().addSecs(wait);
    logLine("prepareTile", QStringLiteral("Failed to load tile: %1 (next try in %2 s)").arg(reason).arg(wait));
}
