// Makes OpenGL textures on a thread of its own, so that drawing never decodes or uploads.
//
// The loader owns a context sharing names with the drawing context it is given, made on the
// creating (GUI) thread and moved to the worker before it starts. Jobs wait in one list guarded
// by a mutex and a condition variable. A pass takes every high-priority delete and at most 10
// other jobs, and drops stale jobs (cancelIfOld) waiting beyond the 50th place; uploads go
// through a pixel-unpack buffer and end with glFinish, so another context may use the texture
// as soon as it is registered or called back. Keyed textures enter the registry with its
// memory budget; keyless ones belong to whoever asked. A key is never loaded twice at once: a
// second request while one is pending is dropped silently.
//
// Loaded and error callbacks run on the thread that made the loader (the GUI thread), never
// after the loader is destroyed, and never once their `receiver` (when given) is gone. The
// delegate's `redraw` is called on the worker after each pass. Destroying the loader stops and
// joins the worker, which deletes the loader's textures and the waiting deletes first.
//
// Without a context (logged once) no thread runs and every load reports "no OpenGL context".
//
// OpenGL work of the share group is serialized under `sharedGLMutex`: each upload or delete of
// the worker, and each frame of the map. Mesa's software renderer (llvmpipe, what a machine
// without a GPU driver gets) corrupts its heap when one context uploads a texture while another
// context of the same share group draws, and the worker died inside glTexImage2D. Uploads stay
// off the drawing thread; they wait for the frame to end instead of running beside it.
#pragma once

#include "map/gl/OVTextureLoaderJob.h"
#include "map/gl/OVTextureRegistry.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFunctions_2_1;
class QThread;

class OVTextureLoaderDelegate
{
public:
    virtual ~OVTextureLoaderDelegate() = default;
    virtual void redraw() = 0;
};

/// What one pass of the worker does with the waiting jobs.
struct OVTextureLoaderPass
{
    QList<OVTextureLoaderJobPtr> taken;   // handled now, in this order
    QList<OVTextureLoaderJobPtr> dropped; // stale, never handled, never called back
    QStringList releasedKeys;             // pending keys to release now
};

class OVTextureLoader : public QObject
{
    Q_OBJECT

public:
    using ErrorHandler = OVTextureLoaderJob::ErrorHandler;
    using LoadedCallback = OVTextureLoaderJob::LoadedCallback;

    static constexpr int kMaxOrdinaryJobsPerPass = 10;
    static constexpr int kKeptWaitingJobs = 50;

    /// `shareContext` is the drawing context (or nothing: a loader that loads nothing).
    explicit OVTextureLoader(QOpenGLContext *shareContext, OVTextureRegistry &registry = OVTextureRegistry::shared());
    ~OVTextureLoader() override;

    bool hasContext() const { return mContext != nullptr; }
    /// The loader's own context (shares names with the drawing context), or nothing.
    QOpenGLContext *context() const { return mContext; }
    OVTextureRegistry &registry() const { return mRegistry; }
    void setDelegate(OVTextureLoaderDelegate *delegate) { mDelegate.store(delegate); }
    OVTextureLoaderDelegate *delegate() const { return mDelegate.load(); }

    /// Held across every GL call of a loader's worker job and across each map frame.
    static std::recursive_mutex &sharedGLMutex();

    /// Repacks 4-byte RGBA pixels into the layout of a smaller format; nothing for a source
    /// that is not whole pixels or a format outside the registry's size table.
    static std::optional<QByteArray> compressedPixelsFromSource(const QByteArray &source, uint32_t outputFormat);

    // Loads. Without a priority argument a load is queued at high priority. Pixel buffers are
    // copied before the call returns.
    void loadTextureData(const QByteArray &data, const QString &key, int32_t internalFormat, bool highPriority = true,
                         bool cancelIfOld = false, ErrorHandler errorHandler = {}, LoadedCallback loadedCallback = {},
                         QObject *receiver = nullptr);
    void loadTextureFromCGImage(const QImage &image, const QString &key, int32_t internalFormat);
    void loadTextureWithRGBAPixels(const uchar *pixels, int32_t width, int32_t height, const QString &key,
                                   int32_t internalFormat, bool highPriority = true, bool cancelIfOld = false,
                                   ErrorHandler errorHandler = {}, LoadedCallback loadedCallback = {},
                                   QObject *receiver = nullptr);
    void loadTextureWithBGRAPixels(const uchar *pixels, int32_t width, int32_t height, const QString &key,
                                   int32_t internalFormat, bool highPriority = true, bool cancelIfOld = false,
                                   ErrorHandler errorHandler = {}, LoadedCallback loadedCallback = {},
                                   QObject *receiver = nullptr);
    /// Every load comes through here: a pending key drops the request; otherwise a job is made
    /// and queued (at the front when high priority).
    void queueLoadTextureJobFromImageData(const QByteArray &imageData, const QImage &image, const uchar *rgbaPixels,
                                          const uchar *bgraPixels, int32_t width, int32_t height, const QString &key,
                                          uint32_t textureNumber, int32_t internalFormat, bool highPriority,
                                          bool cancelIfOld, ErrorHandler errorHandler, LoadedCallback loadedCallback,
                                          QObject *receiver);

    /// Deletes a texture nobody registered (a label's), or one the registry let go.
    void unmanagedDeleteTextureID(uint32_t textureNumber, bool highPriority);
    void queueDeleteTextureJob(uint32_t textureNumber, bool highPriority);
    /// Deletes a buffer object of the share group (one a layer made while drawing) in the
    /// loader's context, for an owner that goes while no context of the group is current.
    void queueDeleteBufferJob(uint32_t bufferName);
    /// Asks the worker to end after its current pass.
    void stopThread();

    // This loader's registry entries.
    uint32_t textureNumberForKey(const QString &key);
    /// Whether the key has a texture, marked used; asks no OpenGL context, so any thread may.
    bool hasTextureForKey(const QString &key);
    void deleteAllTextures();
    void deleteTexturesWithKeyMatchingPattern(const std::optional<QString> &pattern, double graceInterval);

    /// Chooses one pass's jobs and removes them, and the dropped ones, from `queue`.
    static OVTextureLoaderPass selectPass(QList<OVTextureLoaderJobPtr> &queue);

private:
    /// Queues the job unless a waiting job is its `duplicate`.
    void enqueue(const OVTextureLoaderJobPtr &job,
                 const std::function<bool(const OVTextureLoaderJobPtr &)> &duplicate = {});
    void threadRunLoop();
    void tearDownOnWorker();
    void handleJob(OVTextureLoaderJob &job);
    bool pixelsToTexture(OVTextureLoaderJob &job, const QByteArray &pixels, uint32_t sourceFormat, const char *name);
    void reportError(const OVTextureLoaderJob &job, const QString &format);
    void postLoaded(const OVTextureLoaderJob &job);

    OVTextureRegistry &mRegistry;
    QOpenGLContext *mContext = nullptr;
    QOffscreenSurface *mSurface = nullptr;
    QThread *mThread = nullptr;
    QOpenGLFunctions_2_1 *mGL = nullptr; // the worker's, while it runs
    std::atomic<OVTextureLoaderDelegate *> mDelegate{nullptr};

    std::mutex mJobMutex;
    std::condition_variable mJobCondition;
    QList<OVTextureLoaderJobPtr> mJobQueue;
    bool mShouldStopThread = false;
};
