#include "map/views/OVMapAttributionView.h"

#include "core/views/OVAttributedString.h"
#include "core/views/OVYUp.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QPainter>
#include <QPropertyAnimation>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace {

/// The number at the start of a field, as C reads it (leading blanks skipped); 0 without one.
float leadingFloat(const QString &field)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)"));
    const QRegularExpressionMatch match = number.match(field);
    return match.hasMatch() ? match.captured(0).trimmed().toLatin1().toFloat() : 0.0f;
}

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    // A file written in Latin-1 still credits its organisations, accents and all.
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QFont creditFont(double pixels)
{
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(int(pixels));
    return font;
}

std::shared_ptr<OVAttributedString> creditLabel(const QString &text, double pixels)
{
    auto label = std::make_shared<OVAttributedString>(text);
    label->setFont(creditFont(pixels));
    label->setColor(Qt::white);
    label->setAlignment(OVAttributedString::Center);
    return label;
}

QSizeF blockSize(const QStringList &lines, double pixels)
{
    QSizeF size(0.0, 0.0);
    for (const QString &line : lines) {
        const QSizeF lineSize = creditLabel(line, pixels)->size();
        size.setWidth(std::max(size.width(), lineSize.width()));
        size.setHeight(size.height() + lineSize.height());
    }
    return size;
}

} // namespace

OVMapAttributionView::OVMapAttributionView(QWidget *parent, const OVClock &clock)
    : QWidget(parent)
    , mClock(clock)
    , mFade(new QPropertyAnimation(this, "fadeOpacity", this))
{
    // The map under the credits keeps every click, drag and wheel turn.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    mFade->setDuration(kFadeMilliseconds);
    OVNotificationCenter::defaultCenter().addObserver(this, OVURLFinishedLoading, [this](const OVNotification &note) {
        downloadFinished(note.object.value<OVURLPtr>());
    });
}

OVMapAttributionView::~OVMapAttributionView()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    if (mRequest)
        mRequest->cancelLoading();
}

void OVMapAttributionView::setAttributionURL(const QString &url)
{
    if (url == mAttributionURLString)
        return;
    if (mRequest)
        mRequest->cancelLoading();
    mRequest.reset();
    mAttributionURLString = url;
    mRegions.reset();
    mLastFailure = QDateTime();
    update();
}

QList<OVMapAttributionRegion> OVMapAttributionView::parseAttributionData(const QByteArray &bytes)
{
    QList<OVMapAttributionRegion> regions;
    for (QString line : decodeText(bytes).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() < 6)
            continue;
        regions.append({leadingFloat(fields[0]), leadingFloat(fields[1]), leadingFloat(fields[2]),
                        leadingFloat(fields[3]), fields[4], fields[5]});
    }
    return regions;
}

void OVMapAttributionView::fetchAttributionRegions()
{
    if (mRegions || mRequest || mAttributionURLString.isEmpty())
        return;
    if (mLastFailure.isValid() && mClock.now() < mLastFailure.addSecs(kRetrySeconds))
        return;
    mRequest = OVURL::createWithURLString(mAttributionURLString);
    const OVURLPtr request = mRequest;
    request->loadURLInBackground();
    if (request->errorOccurred() && !request->isLoading() && mRequest == request)
        downloadFinished(request);
}

void OVMapAttributionView::downloadFinished(const OVURLPtr &url)
{
    if (!url || url != mRequest)
        return;
    mRequest.reset();
    if (url->errorOccurred() || !url->dataReady() || url->httpStatus() >= 400) {
        mLastFailure = mClock.now();
        OVLog(QStringLiteral("[OVMapAttributionView fetchAttributionRegions] Could not read %1 (HTTP status %2); "
                             "trying again in %3 s.")
                  .arg(url->urlString())
                  .arg(url->httpStatus())
                  .arg(kRetrySeconds));
        return;
    }
    mRegions = parseAttributionData(url->urlData());
    update();
}

std::optional<QList<OVMapAttributionRegion>> OVMapAttributionView::regionsInGeoRect(const OVGeoRect &rect)
{
    fetchAttributionRegions();
    if (!mRegions)
        return std::nullopt;
    QList<OVMapAttributionRegion> found;
    for (const OVMapAttributionRegion &region : std::as_const(*mRegions)) {
        // Strict overlap: a view that only touches a region's edge shows none of it.
        if (rect.minPoint.latitude < region.maxLatitude && rect.minPoint.longitude < region.maxLongitude
            && region.minLatitude < rect.maxPoint.latitude && region.minLongitude < rect.maxPoint.longitude)
            found.append(region);
    }
    return found;
}

OVMapAttributionView::Credits OVMapAttributionView::creditsForRegions(const QList<OVMapAttributionRegion> &regions,
                                                                      double viewWidth)
{
    Credits credits;
    const double room = viewWidth - 2 * kInset;
    for (const OVMapAttributionRegion &region : regions) {
        const QString oneLine = QStringLiteral("%1 :: %2").arg(region.organizationName, region.url);
        if (creditLabel(oneLine, kFontPixels)->size().width() > room)
            credits.lines << region.organizationName << region.url;
        else
            credits.lines << oneLine;
    }
    while (credits.fontPixels > kSmallestFontPixels && blockSize(credits.lines, credits.fontPixels).width() >= viewWidth)
        credits.fontPixels -= 1.0;
    return credits;
}

void OVMapAttributionView::checkOpacity(const QString &text)
{
    const bool show = !text.isEmpty();
    if (show != mFadedOut)
        return;
    mFadedOut = !show;
    mFade->stop();
    mFade->setStartValue(mFadeOpacity);
    mFade->setEndValue(show ? 1.0 : 0.0);
    mFade->start();
}

void OVMapAttributionView::setFadeOpacity(qreal opacity)
{
    mFadeOpacity = opacity;
    update();
}

void OVMapAttributionView::paintEvent(QPaintEvent *)
{
    const std::optional<QList<OVMapAttributionRegion>> regions = regionsInGeoRect(mVisibleGeoRect);
    if (regions && !regions->isEmpty()) {
        if (*regions != mLastCreditedRegions || width() != mLastCreditedWidth) {
            mLastCredits = creditsForRegions(*regions, width());
            mLastCreditsBlock = blockSize(mLastCredits.lines, mLastCredits.fontPixels);
            mLastCreditedRegions = *regions;
            mLastCreditedWidth = width();
        }
        checkOpacity(mLastCredits.lines.join(QLatin1Char('\n')));
    } else {
        checkOpacity(QString());
    }
    if (mLastCredits.lines.isEmpty() || mFadeOpacity <= 0.0)
        return;

    QPainter painter(this);
    OVYUp::begin(painter, height());
    painter.setOpacity(mFadeOpacity);
    const QSizeF block = mLastCreditsBlock;
    // Centred, its box 10 px above the bottom; the lines hang from the box's top, first on top.
    const double x = (width() - block.width()) / 2.0;
    double top = kBottomMargin + block.height() + 4.0;
    for (const QString &line : std::as_const(mLastCredits.lines)) {
        const std::shared_ptr<OVAttributedString> label = creditLabel(line, mLastCredits.fontPixels);
        const double lineHeight = label->size().height();
        label->drawInRect(painter, QRectF(x, top - lineHeight, block.width() + 1.0, lineHeight));
        top -= lineHeight;
    }
}
