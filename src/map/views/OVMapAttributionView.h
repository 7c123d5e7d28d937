// The credits line over the bottom of the map: the organisations whose radar covers the visible
// part of the world, each with its web address, read from the attribution file beside the radar
// imagery. It fades out when no credited region is in view and back in when one is.
//
// The file is fetched in the background on the first paint after the address is set (one
// request at a time). A failed fetch leaves the regions unknown (nothing shown) and is tried
// again by a paint at least `kRetrySeconds` later, so a launch without network does not hide
// the credits for the whole run; a file that arrived, even an empty one, is final.
//
// GUI thread only: painting, the download's completion and the fade all run there.
#pragma once

#include "core/OVGeoTypes.h"
#include "core/remote/OVURL.h"
#include "map/views/NBMapView.h"
#include "platform/OVClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

class QPropertyAnimation;

/// One usable line of the attribution file.
struct OVMapAttributionRegion
{
    float minLatitude = 0.0f;
    float minLongitude = 0.0f;
    float maxLatitude = 0.0f;
    float maxLongitude = 0.0f;
    QString organizationName;
    QString url;

    bool operator==(const OVMapAttributionRegion &other) const = default;
};

class OVMapAttributionView final : public QWidget, public OVMapAttributionControl
{
    Q_OBJECT
    Q_PROPERTY(qreal fadeOpacity READ fadeOpacity WRITE setFadeOpacity)

public:
    static constexpr int kInset = 20;             // the credits' room: the view less this on each side
    static constexpr int kBottomMargin = 10;      // from the view's bottom to the credits' box
    static constexpr double kFontPixels = 12.0;
    static constexpr double kSmallestFontPixels = 5.0;
    static constexpr int kFadeMilliseconds = 250;
    static constexpr int kRetrySeconds = 300;

    /// The clock decides when a failed fetch may be tried again; it must outlive the view.
    explicit OVMapAttributionView(QWidget *parent = nullptr, const OVClock &clock = OVClock::system());
    ~OVMapAttributionView() override;

    // OVMapAttributionControl
    QWidget *widget() override { return this; }
    /// A new address forgets the regions of the old one.
    void setAttributionURL(const QString &url) override;
    void setVisibleGeoRect(const OVGeoRect &rect) override { mVisibleGeoRect = rect; }

    /// The regions of an attribution file, in file order: UTF-8 text (Latin-1 when it is not
    /// valid UTF-8), one region per line of at least six comma-separated fields.
    static QList<OVMapAttributionRegion> parseAttributionData(const QByteArray &bytes);
    /// The lines drawn for these regions in a view this wide, and their font size in pixels.
    struct Credits
    {
        QStringList lines;
        double fontPixels = kFontPixels;
    };
    static Credits creditsForRegions(const QList<OVMapAttributionRegion> &regions, double viewWidth);

    /// Requests the file unless it is known, on its way, waiting to retry, or has no address.
    void fetchAttributionRegions();
    /// The regions overlapping `rect` strictly, in file order; nothing while the file is unknown.
    std::optional<QList<OVMapAttributionRegion>> regionsInGeoRect(const OVGeoRect &rect);
    /// Fades in for a non-empty text when faded out, out for an empty one when shown.
    void checkOpacity(const QString &text);

    OVGeoRect visibleGeoRect() const { return mVisibleGeoRect; }
    QString attributionURLString() const { return mAttributionURLString; }
    std::optional<QList<OVMapAttributionRegion>> attributionRegions() const { return mRegions; }
    /// Faded out, or fading out.
    bool fadedOut() const { return mFadedOut; }
    qreal fadeOpacity() const { return mFadeOpacity; }
    void setFadeOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void downloadFinished(const OVURLPtr &url);

    const OVClock &mClock;
    OVGeoRect mVisibleGeoRect{};
    QString mAttributionURLString;
    std::optional<QList<OVMapAttributionRegion>> mRegions;
    OVURLPtr mRequest;
    QDateTime mLastFailure;
    bool mFadedOut = false;
    qreal mFadeOpacity = 1.0;
    QPropertyAnimation *mFade = nullptr;
    Credits mLastCredits; // kept so a fade-out shows what is fading
    // What `mLastCredits` was worked out for, and its block's size: the view repaints with
    // every map frame, and the text is measured again only when the regions or the width change.
    QList<OVMapAttributionRegion> mLastCreditedRegions;
    int mLastCreditedWidth = -1;
    QSizeF mLastCreditsBlock;
};
