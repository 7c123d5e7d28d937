#include "map/gl/OVTextureLoader.h"

#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace {

QString keyText(const OVTextureLoaderJob &job)
{
    return job.textureKey.isEmpty() ? QStringLiteral("nil") : job.textureKey;
}

QByteArray copyPixels(const uchar *pixels, int32_t width, int32_t height)
{
    if (!pixels || width <= 0 || height <= 0)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(pixels), qsizetype(width) * height * 4);
}

} // namespace

std::recursive_mutex &OVTextureLoader::sharedGLMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

OVTextureLoader::OVTextureLoader(QOpenGLContext *shareContext, OVTextureRegistry &registry)
    : mRegistry(registry)
{
    if (shareContext) {
        auto *context = new QOpenGLContext;
        context->setFormat(shareContext->format());
        context->setShareContext(shareContext);
        if (context->create() && QOpenGLContext::areSharing(context, shareContext)) {
            mContext = context;
        } else {
            OVLog(QStringLiteral("[OVTextureLoader init] Couldn't make an OpenGL context sharing with the drawing context."));
            delete context;
        }
    }
    if (!mContext) {
        OVLog(QStringLiteral("[OVTextureLoader init] No OpenGL context: no texture will be loaded."));
        return;
    }
    mSurface = new QOffscreenSurface;
    mSurface->setFormat(mContext->format());
    mSurface->create();
    mThread = QThread::create([this] { threadRunLoop(); });
    mThread->setObjectName(QStringLiteral("OVTextureLoader"));
    mContext->moveToThread(mThread);
    mThread->start();
}

OVTextureLoader::~OVTextureLoader()
{
    if (mThread) {
        stopThread();
        mThread->wait();
        delete mThread;
        delete mContext;
        mSurface->destroy();
        delete mSurface;
        return;
    }
    // No worker: nothing was made, but the registry must not keep our entries.
    mRegistry.detachAllItemsForLoader(this);
}

std::optional<QByteArray> OVTextureLoader::compressedPixelsFromSource(const QByteArray &source, uint32_t outputFormat)
{
    const uint64_t pixelSize = OVTextureRegistry::pixelSizeOfFormat(outputFormat);
    if (source.size() < 4 || source.size() % 4 != 0 || pixelSize == 0)
        return std::nullopt;
    const size_t pixels = size_t(source.size()) / 4;
    QByteArray out(qsizetype(pixels * pixelSize), '\0');
    const auto *in = reinterpret_cast<const uchar *>(source.constData());
    auto *dst = reinterpret_cast<uchar *>(out.data());
    constexpr size_t kChunk = 50000;
    OVDispatch::apply((pixels + kChunk - 1) / kChunk, [&](size_t chunk) {
        const size_t end = std::min(pixels, (chunk + 1) * kChunk);
        for (size_t i = chunk * kChunk; i < end; ++i) {
            const uchar r = in[i * 4], g = in[i * 4 + 1], b = in[i * 4 + 2], a = in[i * 4 + 3];
            uchar *p = dst + i * pixelSize;
            const auto luminance = uchar((r + g + b) * 0.3333333);
            switch (outputFormat) {
            case GL_ALPHA: p[0] = a; break;
            case GL_RGB: p[0] = r; p[1] = g; p[2] = b; break;
            case GL_RGBA: p[0] = r; p[1] = g; p[2] = b; p[3] = a; break;
            case GL_LUMINANCE: p[0] = luminance; break;
            case GL_LUMINANCE_ALPHA: p[0] = luminance; p[1] = a; break;
            case GL_RGBA4:
                p[0] = uchar((r & 0xF0) | (g >> 4));
                p[1] = uchar((b & 0xF0) | (a >> 4));
                break;
            case GL_RGB5_A1: {
                const uint16_t value = uint16_t(((r << 8) & 0xF800) | (g / 8 * 64) | (b / 8 * 2) | (a != 0 ? 1 : 0));
                std::memcpy(p, &value, 2);
                break;
            }
            default: break;
            }
        }
    });
    return out;
}

void OVTextureLoader::loadTextureData(const QByteArray &data, const QString &key, int32_t internalFormat,
                                      bool highPriority, bool cancelIfOld, ErrorHandler errorHandler,
                                      LoadedCallback loadedCallback, QObject *receiver)
{
    queueLoadTextureJobFromImageData(data, QImage(), nullptr, nullptr, 0, 0, key, OVTextureLoaderJob::kNewTexture,
                                     internalFormat, highPriority, cancelIfOld, std::move(errorHandler),
                                     std::move(loadedCallback), receiver);
}

void OVTextureLoader::loadTextureFromCGImage(const QImage &image, const QString &key, int32_t internalFormat)
{
    queueLoadTextureJobFromImageData(QByteArray(), image, nullptr, nullptr, 0, 0, key, OVTextureLoaderJob::kNewTexture,
                                     internalFormat, true, false, {}, {}, nullptr);
}

void OVTextureLoader::loadTextureWithRGBAPixels(const uchar *pixels, int32_t width, int32_t height, const QString &key,
                                                int32_t internalFormat, bool highPriority, bool cancelIfOld,
                                                ErrorHandler errorHandler, LoadedCallback loadedCallback,
                                                QObject *receiver)
{
    queueLoadTextureJobFromImageData(QByteArray(), QImage(), pixels, nullptr, width, height, key,
                                     OVTextureLoaderJob::kNewTexture, internalFormat, highPriority, cancelIfOld,
                                     std::move(errorHandler), std::move(loadedCallback), receiver);
}

void OVTextureLoader::loadTextureWithBGRAPixels(const uchar *pixels, int32_t width, int32_t height, const QString &key,
                                                int32_t internalFormat, bool highPriority, bool cancelIfOld,
                                                ErrorHandler errorHandler, LoadedCallback loadedCallback,
                                                QObject *receiver)
{
    queueLoadTextureJobFromImageData(QByteArray(), QImage(), nullptr, pixels, width, height, key,
                                     OVTextureLoaderJob::kNewTexture, internalFormat, highPriority, cancelIfOld,
                                     std::move(errorHandler), std::move(loadedCallback), receiver);
}

void OVTextureLoader::queueLoadTextureJobFromImageData(const QByteArray &imageData, const QImage &image,
                                                       const uchar *rgbaPixels, const uchar *bgraPixels, int32_t width,
                                                       int32_t height, const QString &key, uint32_t textureNumber,
                                                       int32_t internalFormat, bool highPriority, bool cancelIfOld,
                                                       ErrorHandler errorHandler, LoadedCallback loadedCallback,
                                                       QObject *receiver)
{
    if (!key.isEmpty() && !mRegistry.queueKey(key))
        return;
    auto job = std::make_shared<OVTextureLoaderJob>();
    job->imageData = imageData;
    job->cgImage = image;
    job->rgba = copyPixels(rgbaPixels, width, height);
    job->bgra = copyPixels(bgraPixels, width, height);
    job->width = width;
    job->height = height;
    job->textureKey = key;
    job->textureNumber = textureNumber;
    job->internalFormat = internalFormat;
    job->errorHandler = std::move(errorHandler);
    job->loadedCallback = std::move(loadedCallback);
    job->receiver = receiver;
    job->hasReceiver = receiver != nullptr;
    job->cancelIfOld = cancelIfOld;
    job->highPriority = highPriority;
    if (!mContext) {
        if (!key.isEmpty())
            mRegistry.dequeueKey(key);
        reportError(*job, QStringLiteral("[OVTextureLoader handleJob] No OpenGL context to load %1"));
        return;
    }
    enqueue(job);
}

void OVTextureLoader::unmanagedDeleteTextureID(uint32_t textureNumber, bool highPriority)
{
    queueDeleteTextureJob(textureNumber, highPriority);
}

void OVTextureLoader::queueDeleteTextureJob(uint32_t textureNumber, bool highPriority)
{
    if (!mContext || textureNumber == OVTextureLoaderJob::kNewTexture)
        return;
    auto job = std::make_shared<OVTextureLoaderJob>();
    job->isDeleteJob = true;
    job->textureNumber = textureNumber;
    job->highPriority = highPriority;
    // Checked and queued under one lock: a second delete of the same name could otherwise
    // free a texture that reused the name in between.
    enqueue(job, [textureNumber](const OVTextureLoaderJobPtr &waiting) {
        return waiting->isDeleteJob && !waiting->deletesBuffer && waiting->textureNumber == textureNumber;
    });
}

void OVTextureLoader::queueDeleteBufferJob(uint32_t bufferName)
{
    if (!mContext || bufferName == 0)
        return;
    auto job = std::make_shared<OVTextureLoaderJob>();
    job->isDeleteJob = true;
    job->deletesBuffer = true;
    job->textureNumber = bufferName;
    job->highPriority = true;
    enqueue(job, [bufferName](const OVTextureLoaderJobPtr &waiting) {
        return waiting->isDeleteJob && waiting->deletesBuffer && waiting->textureNumber == bufferName;
    });
}

void OVTextureLoader::enqueue(const OVTextureLoaderJobPtr &job, const std::function<bool(const OVTextureLoaderJobPtr &)> &duplicate)
{
    {
        std::lock_guard lock(mJobMutex);
        if (duplicate && std::any_of(mJobQueue.cbegin(), mJobQueue.cend(), duplicate))
            return;
        if (job->highPriority)
            mJobQueue.prepend(job);
        else
            mJobQueue.append(job);
    }
    mJobCondition.notify_one();
}

void OVTextureLoader::stopThread()
{
    {
        std::lock_guard lock(mJobMutex);
        mShouldStopThread = true;
    }
    mJobCondition.notify_one();
}

uint32_t OVTextureLoader::textureNumberForKey(const QString &key)
{
    return mRegistry.textureNumberForKey(this, key);
}

bool OVTextureLoader::hasTextureForKey(const QString &key)
{
    return mRegistry.itemForLoader(this, key) != nullptr;
}

void OVTextureLoader::deleteAllTextures()
{
    mRegistry.deleteAllTextures(this);
}

void OVTextureLoader::deleteTexturesWithKeyMatchingPattern(const std::optional<QString> &pattern, double graceInterval)
{
    mRegistry.deleteTexturesWithKeyMatchingPattern(this, pattern, graceInterval);
}

OVTextureLoaderPass OVTextureLoader::selectPass(QList<OVTextureLoaderJobPtr> &queue)
{
    OVTextureLoaderPass pass;
    QList<OVTextureLoaderJobPtr> waiting;
    int ordinary = 0;
    for (const OVTextureLoaderJobPtr &job : queue) {
        if (job->isDeleteJob && job->highPriority) {
            pass.taken.append(job);
        } else if (ordinary < kMaxOrdinaryJobsPerPass) {
            pass.taken.append(job);
            ++ordinary;
        } else {
            waiting.append(job);
        }
    }
    if (waiting.size() > kKeptWaitingJobs) {
        QList<OVTextureLoaderJobPtr> kept = waiting.mid(0, kKeptWaitingJobs);
        for (qsizetype i = kKeptWaitingJobs; i < waiting.size(); ++i) {
            const OVTextureLoaderJobPtr &job = waiting[i];
            if (!job->textureKey.isEmpty())
                pass.releasedKeys.append(job->textureKey);
            if (job->cancelIfOld)
                pass.dropped.append(job);
            else
                kept.append(job);
        }
        waiting = kept;
    }
    queue = waiting;
    return pass;
}

void OVTextureLoader::threadRunLoop()
{
    mContext->makeCurrent(mSurface);
    mGL = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(mContext);
    if (!mGL)
        OVLog(QStringLiteral("[OVTextureLoader threadRunLoop] The context offers no OpenGL 2.1 functions."));
    for (;;) {
        OVTextureLoaderPass pass;
        {
            std::unique_lock lock(mJobMutex);
            mJobCondition.wait(lock, [this] { return mShouldStopThread || !mJobQueue.isEmpty(); });
            if (mShouldStopThread)
                break;
            pass = selectPass(mJobQueue);
        }
        for (const QString &key : pass.releasedKeys)
            mRegistry.dequeueKey(key);
        for (const OVTextureLoaderJobPtr &job : pass.taken) {
            {
                const std::lock_guard glLock(sharedGLMutex());
                handleJob(*job);
            }
            if (job->isDeleteJob || job->textureKey.isEmpty())
                continue;
            auto item = std::make_shared<OVTextureLoaderItem>(this, job->textureKey, mRegistry.clock());
            item->setTextureNumber(job->textureNumber);
            item->setSize(uint64_t(std::max(job->width, 0)) * uint64_t(std::max(job->height, 0))
                          * OVTextureRegistry::pixelSizeOfFormat(uint32_t(job->internalFormat)));
            mRegistry.addItem(item, this, job->textureKey);
            mRegistry.dequeueKey(job->textureKey);
        }
        if (OVTextureLoaderDelegate *target = delegate())
            target->redraw();
    }
    tearDownOnWorker();
}

void OVTextureLoader::tearDownOnWorker()
{
    QList<GLuint> names;
    QList<GLuint> buffers;
    for (const OVTextureLoaderItemPtr &item : mRegistry.detachAllItemsForLoader(this)) {
        if (item->textureNumber() != OVTextureLoaderItem::kNoTexture)
            names.append(item->textureNumber());
    }
    QList<OVTextureLoaderJobPtr> waiting;
    {
        std::lock_guard lock(mJobMutex);
        waiting.swap(mJobQueue);
    }
    for (const OVTextureLoaderJobPtr &job : waiting) {
        if (job->isDeleteJob)
            (job->deletesBuffer ? buffers : names).append(job->textureNumber);
        else if (!job->textureKey.isEmpty())
            mRegistry.dequeueKey(job->textureKey);
    }
    if (mGL) {
        const std::lock_guard glLock(sharedGLMutex());
        if (!names.isEmpty())
            mGL->glDeleteTextures(GLsizei(names.size()), names.constData());
        if (!buffers.isEmpty())
            mGL->glDeleteBuffers(GLsizei(buffers.size()), buffers.constData());
        mGL->glFinish();
    }
    mGL = nullptr;
    mContext->doneCurrent();
    mContext->moveToThread(thread());
}

void OVTextureLoader::handleJob(OVTextureLoaderJob &job)
{
    if (!mGL) {
        if (!job.isDeleteJob)
            reportError(job, QStringLiteral("[OVTextureLoader handleJob] No OpenGL context to load %1"));
        return;
    }
    if (job.isDeleteJob) {
        const GLuint name = job.textureNumber;
        if (job.deletesBuffer)
            mGL->glDeleteBuffers(1, &name);
        else
            mGL->glDeleteTextures(1, &name);
        mGL->glFinish();
        return;
    }
    bool made = false;
    if (!job.rgba.isEmpty()) {
        made = pixelsToTexture(job, job.rgba, GL_RGBA, "RGBA");
    } else if (!job.bgra.isEmpty()) {
        made = pixelsToTexture(job, job.bgra, GL_BGRA, "BGRA");
    } else {
        if (job.cgImage.isNull())
            job.generateCGImage();
        if (job.cgImage.isNull()) {
            reportError(job, QStringLiteral("[OVTextureLoader handleJob] Couldn't generate cgImage from %1"));
            return;
        }
        job.generateBGRA();
        if (job.bgra.isEmpty()) {
            reportError(job, QStringLiteral("[OVTextureLoader handleJob] Couldn't generate BGRA from %1"));
            return;
        }
        made = pixelsToTexture(job, job.bgra, GL_BGRA, "BGRA");
    }
    if (made)
        postLoaded(job);
}

bool OVTextureLoader::pixelsToTexture(OVTextureLoaderJob &job, const QByteArray &pixels, uint32_t sourceFormat,
                                      const char *name)
{
    const qsizetype expected = qsizetype(std::max(job.width, 0)) * std::max(job.height, 0) * 4;
    if (job.width < 1 || job.height < 1 || pixels.size() != expected) {
        reportError(job, QStringLiteral("[OVTextureLoader handleJob] Couldn't produce texture using %1 from %2")
                             .arg(QLatin1String(name), QStringLiteral("%1")));
        return false;
    }
    while (mGL->glGetError() != GL_NO_ERROR) {
    }
    GLuint texture = job.textureNumber;
    if (texture == OVTextureLoaderJob::kNewTexture)
        mGL->glGenTextures(1, &texture);
    mGL->glBindTexture(GL_TEXTURE_2D, texture);
    mGL->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    mGL->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    mGL->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    mGL->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLuint buffer = 0;
    mGL->glGenBuffers(1, &buffer);
    mGL->glBindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
    mGL->glBufferData(GL_PIXEL_UNPACK_BUFFER, pixels.size(), pixels.constData(), GL_STATIC_DRAW);
    mGL->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    mGL->glTexImage2D(GL_TEXTURE_2D, 0, job.internalFormat, job.width, job.height, 0, sourceFormat,
                      GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    const GLenum error = mGL->glGetError();
    mGL->glBindTexture(GL_TEXTURE_2D, 0);
    mGL->glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    mGL->glDeleteBuffers(1, &buffer);
    if (error != GL_NO_ERROR) {
        // A texture that failed to upload is no texture: never hand it out as one.
        if (job.textureNumber == OVTextureLoaderJob::kNewTexture)
            mGL->glDeleteTextures(1, &texture);
        mGL->glFinish();
        reportError(job, QStringLiteral("[OVTextureLoader handleJob] OpenGL error 0x%1 making texture from %2")
                             .arg(QString::number(error, 16), QStringLiteral("%1")));
        return false;
    }
    mGL->glFinish();
    job.textureNumber = texture;
    return true;
}

void OVTextureLoader::reportError(const OVTextureLoaderJob &job, const QString &format)
{
    const QString message = format.arg(keyText(job));
    OVLog(message);
    if (!job.errorHandler)
        return;
    QMetaObject::invokeMethod(
        this,
        [handler = job.errorHandler, receiver = job.receiver, hasReceiver = job.hasReceiver, message] {
            if (!hasReceiver || receiver)
                handler(message);
        },
        Qt::QueuedConnection);
}

void OVTextureLoader::postLoaded(const OVTextureLoaderJob &job)
{
    const bool keyless = job.textureKey.isEmpty();
    if (!job.loadedCallback && !(keyless && job.hasReceiver))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, callback = job.loadedCallback, receiver = job.receiver, hasReceiver = job.hasReceiver, keyless,
         texture = job.textureNumber] {
            if (hasReceiver && !receiver) {
                if (keyless)
                    unmanagedDeleteTextureID(texture, true);
                return;
            }
            if (callback)
                callback(texture);
        },
        Qt::QueuedConnection);
}
