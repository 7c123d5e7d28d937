// One frame of one radar or satellite tile: the image of a listed time, downloaded through the
// download manager (so it shows in the activity list) from the tile's address pattern formatted
// with that time in UTC.
//
// The bytes are kept from the download until `clearData` (the map's 20-minute clean-up); the
// decoded `image` is made only when asked for, never on the drawing path, which hands the bytes
// to the texture loader instead. Bytes the loader could not decode mark the overlay
// (`decodeFailed`), so the same bytes are not queued again on every frame; the mark goes with
// the bytes.
//
// GUI thread only: the frame's plan, download completions and the loader's callbacks.
#pragma once

#include "core/OVGeoTypes.h"
#include "core/remote/OVGeoDataset.h"

#include <QByteArray>
#include <QImage>
#include <QMetaType>

#include <cstdint>
#include <memory>

class OVMapOverlay final : public OVGeoDataset, public std::enable_shared_from_this<OVMapOverlay>
{
public:
    OVMapOverlay() = default;

    /// Starts the download when the bytes are wanted and none runs; the bytes once ready
    /// (possibly empty), else nothing.
    QByteArray data();
    /// The decoded image, decoded from the ready bytes on first use; null until then or when
    /// the bytes are empty or no image.
    QImage image();
    void clearImage() { mCachedImage = QImage(); }
    /// Drops the bytes, the image and the decode mark; the next `data` downloads again.
    void clearData();

    /// Keeps the bytes and marks them ready; non-empty bytes announce themselves with
    /// "OVGeographyGeoDatasetLoaded" (object: this overlay) so the map redraws.
    void processDownloadedData(const QByteArray &data) override;

    /// The texture loader could not make a texture of the current bytes.
    bool decodeFailed() const { return mDecodeFailed; }
    void setDecodeFailed(bool failed) { mDecodeFailed = failed; }
    /// A texture load of the current bytes is queued and has not called back yet.
    bool textureLoadQueued() const { return mTextureLoadQueued; }
    void setTextureLoadQueued(bool queued) { mTextureLoadQueued = queued; }

    OVGeoRect geoRect() const { return mGeoRect; }
    void setGeoRect(const OVGeoRect &rect) { mGeoRect = rect; }
    int64_t fullResolution() const { return mFullResolution; }
    void setFullResolution(int64_t resolution) { mFullResolution = resolution; }
    QImage cachedImage() const { return mCachedImage; }
    void setCachedImage(const QImage &image) { mCachedImage = image; }

private:
    OVGeoRect mGeoRect{};
    int64_t mFullResolution = 0;
    QImage mCachedImage;
    bool mDecodeFailed = false;
    bool mTextureLoadQueued = false;
};

using OVMapOverlayPtr = std::shared_ptr<OVMapOverlay>;
Q_DECLARE_METATYPE(OVMapOverlayPtr)
