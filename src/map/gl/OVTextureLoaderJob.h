// One unit of work of the texture loader: load a texture (from encoded image bytes, a decoded
// image, or raw RGBA or BGRA pixels) or delete one. Made on the asking thread, then owned by the
// loader; its decoding and pixel conversion run on the loader's thread.
//
// Pixels are premultiplied by alpha, row 0 first (the image's top), 4 bytes each: `rgba` holds
// red, green, blue, alpha in memory order, `bgra` blue, green, red, alpha.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class OVTextureLoaderJob
{
public:
    using ErrorHandler = std::function<void(const QString &message)>;
    using LoadedCallback = std::function<void(uint32_t textureNumber)>;

    static constexpr uint32_t kNewTexture = 0xFFFFFFFFu;

    QString description() const;
    /// Decodes the first image of `imageData` into `cgImage`; leaves it as it was when the bytes
    /// hold no readable image.
    void generateCGImage();
    /// Fills `rgba` (respectively `bgra`) and the size from `cgImage`; nothing without an image,
    /// no pixels for an empty one.
    void generateRGBA();
    void generateBGRA();

    bool isDeleteJob = false;
    /// A delete job for a buffer object (its name in `textureNumber`), not a texture.
    bool deletesBuffer = false;
    bool cancelIfOld = false;
    bool highPriority = false;
    QByteArray imageData;
    QImage cgImage;
    QByteArray rgba;
    QByteArray bgra;
    int32_t width = 0;
    int32_t height = 0;
    QString textureKey;
    uint32_t textureNumber = kNewTexture;
    int32_t internalFormat = 0;
    ErrorHandler errorHandler;
    LoadedCallback loadedCallback;
    /// When set, the callbacks are for this object: once it is gone they are not called (and a
    /// texture made without a key, which nobody else knows of, is deleted again).
    QPointer<QObject> receiver;
    bool hasReceiver = false;

private:
    void generatePixels(QImage::Format format, QByteArray &out);
};

using OVTextureLoaderJobPtr = std::shared_ptr<OVTextureLoaderJob>;
