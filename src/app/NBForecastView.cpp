// The forecast strip: choosing and trimming the periods, the strip's width, drawing, scrolling
// and tooltips.
#include "app/NBForecastView.h"

#include "core/OVDisplayNotifications.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/NSDateUtil.h"
#include "core/OVConstants.h"
#include "core/OVStringUtil.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVNamedImage.h"
#include "core/views/OVYUp.h"
#include "platform/OVClock.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnitConversions.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherNotifications.h"

#include <QApplication>
#include <QBackingStore>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleHints>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {


/// Rounds half away from zero in single precision, as the strip's coordinates are rounded.
double roundedF(double value)
{
    return std::round(float(value));
}

QVariantMap storeAttributes(const char *key)
{
    return NBPrefController::settingForKey(QLatin1String(key)).toMap();
}

QVariantMap alignedAttributes(const char *key, std::optional<QVariantMap> (*align)(const QString &))
{
    return align(QLatin1String(key)).value_or(QVariantMap());
}

/// "Now" as the strip was handed it, for helpers that take a clock.
class FixedClock final : public OVClock
{
public:
    explicit FixedClock(QDateTime now) : mNow(std::move(now)) {}
    QDateTime now() const override { return mNow; }

private:
    QDateTime mNow;
};

bool isDayPeriod(const QVariantMap &period)
{
    return OVForecastPeriod::boolValue(period, OVForecastKey::isDay).value_or(false);
}

QDateTime periodDate(const QVariantMap &period, const QString &key)
{
    return OVForecastPeriod::dateValue(period, key);
}

bool hasEnded(const QVariantMap &period, const QDateTime &now)
{
    const QDateTime end = periodDate(period, OVForecastKey::endDate);
    return end.isValid() && end < now;
}

} // namespace

NBForecastView::NBForecastView(Sources sources, Clock clock, QWidget *parent)
    : NBParentView(parent)
    , mSources(std::move(sources))
    , mClock(std::move(clock))
{
    setObjectName(QStringLiteral("forecastView"));
    setCursor(Qt::OpenHandCursor);
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    for (const QString &name : {OVNotifyForecastNeedsDisplay, OVNotifyRedisplayEverything})
        center.addObserver(this, name, [this](const OVNotification &) { refreshDisplay(); });
}

NBForecastView::~NBForecastView()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void NBForecastView::setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    mLocation = location;
    refreshDisplay();
}

double NBForecastView::resolutionScaleFactor() const
{
    return mScaleFactor.value_or(devicePixelRatioF());
}

void NBForecastView::refreshDisplay()
{
    mForecastWidth = widthForForecastArray(forecastArrayForLocation(mLocation));
    update();
}

// --- Periods ------------------------------------------------------------------------------------

QVariantList NBForecastView::forecastArrayForLocation(const std::shared_ptr<OVWeatherLocation> &location) const
{
    if (!location)
        return {};
    const QVariantList ndfd = massageForecastArray(mSources.ndfd ? mSources.ndfd(location).value_or(QVariantList()) : QVariantList());
    QVariantList brisant;
    if (mSources.brisant) {
        for (const QVariantMap &period : mSources.brisant(*location))
            brisant.append(period);
    }
    brisant = massageForecastArray(brisant);
    if (ndfd.isEmpty())
        return brisant;
    return qsizetype(ndfd.size()) >= qsizetype(brisant.size()) - 6 ? ndfd : brisant;
}

QVariantList NBForecastView::massageForecastArray(const QVariantList &periods) const
{
    QVariantList list = periods;
    if (!list.isEmpty()) {
        const QString shortDesc = OVForecastPeriod::stringValue(list.last().toMap(), OVForecastKey::shortDesc);
        if (!shortDesc.isNull() && shortDesc.size() < 2)
            list.removeLast();
    }
    const QDateTime now = mClock();
    list.removeIf([&](const QVariant &period) { return hasEnded(period.toMap(), now); });
    while (!list.isEmpty()) {
        const QVariantMap last = list.last().toMap();
        int present = 0;
        for (const QString &key : {OVForecastKey::image, OVForecastKey::shortDesc, OVForecastKey::temp})
            present += last.contains(key) && !last.value(key).isNull() ? 1 : 0;
        if (present > 1)
            break;
        list.removeLast();
    }
    return list;
}

double NBForecastView::widthForForecastArray(const QVariantList &periods) const
{
    qsizetype n = periods.size();
    if (n == 0)
        return 0.0;
    double lead = 0.0;
    if (!isDayPeriod(periods.first().toMap())) {
        --n;
        lead = mDayWidth - mImageDimension;
    }
    double width = double((n + 1) / 2) * mDayWidth + lead;
    if (n % 2 == 0)
        width += mImageDimension;
    return width;
}

QString NBForecastView::temperatureText(const QVariantMap &period)
{
    bool numeric = false;
    const QVariant raw = period.value(OVForecastKey::temp);
    double value = raw.isNull() ? 0.0 : raw.toDouble(&numeric);
    if (!numeric || !std::isfinite(value) || value == OVNoValue)
        return OVLocalizedString("n/a");
    value = OVUnits::fromFahrenheit(value, OVUnits::temperatureSetting());
    // A value just below zero would round to "-0".
    if (value >= -0.5 && value < 0.0)
        value = 0.1;
    return QString::asprintf("%1.0f", value) + QChar(0x00B0);
}

// --- Drawing ------------------------------------------------------------------------------------

void NBForecastView::drawRect(QPainter &painter, const QRectF &dirty)
{
    NBParentView::drawRect(painter, dirty);
    painter.save();
    painter.setClipPath(clippingPath(), Qt::IntersectClip);
    const QRectF rect = drawingRect();
    if (rect.width() - mOffset > mForecastWidth)
        mOffset = rect.width() - mForecastWidth;
    if (mOffset > 0.0)
        mOffset = 0.0;
    // Painting into another device (a grab, a rendered image) must leave the tooltips alone. On
    // screen, Qt sends the painting into the window's backing store.
    const QPaintDevice *target = redirected(nullptr);
    QBackingStore *store = window()->backingStore();
    const bool onScreen = !target || (store && target == store->paintDevice());
    drawForecastInRect(painter, rect, mLocation, onScreen);
    drawScrollCues(painter, rect);
    painter.restore();
}

namespace {

// The fade at an edge where the strip runs on, and the arrow in it.
constexpr double kCueWidth = 44.0;
constexpr double kArrowWidth = 7.0;
constexpr double kArrowHeight = 14.0;
constexpr double kArrowInset = 9.0;

} // namespace

bool NBForecastView::continuesLeft() const
{
    return mOffset < -0.5;
}

bool NBForecastView::continuesRight() const
{
    // The scroll stops where the strip's end meets the frame's width (as the wheel and the drag
    // clamp it), so that is where nothing more lies beyond.
    return mForecastWidth + mOffset > double(width()) + 0.5;
}

void NBForecastView::drawScrollCues(QPainter &painter, const QRectF &rect)
{
    // A period cut by an edge reads as "more this way": the strip fades out into the panel's
    // colour there, under an arrow that points where it goes on.
    const QColor panel = NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>();
    const QColor base = panel.isValid() ? panel : QColor::fromRgbF(0.071f, 0.071f, 0.071f);
    const auto cue = [&](bool right) {
        const double edge = right ? rect.x() + rect.width() : rect.x();
        const double inner = right ? edge - kCueWidth : edge + kCueWidth;
        QLinearGradient fade(inner, 0.0, edge, 0.0);
        QColor clear = base;
        clear.setAlphaF(0.0);
        fade.setColorAt(0.0, clear);
        fade.setColorAt(0.6, base);
        fade.setColorAt(1.0, base);
        painter.fillRect(QRectF(std::min(edge, inner), rect.y(), kCueWidth, rect.height()), fade);

        const double tip = right ? edge - kArrowInset : edge + kArrowInset;
        const double back = right ? tip - kArrowWidth : tip + kArrowWidth;
        const double middle = rect.y() + rect.height() / 2.0;
        QPainterPath arrow;
        arrow.moveTo(back, middle - kArrowHeight / 2.0);
        arrow.lineTo(tip, middle);
        arrow.lineTo(back, middle + kArrowHeight / 2.0);
        QPen pen(Qt::white, 2.0);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.strokePath(arrow, pen);
        painter.restore();
    };
    if (continuesLeft())
        cue(false);
    if (continuesRight())
        cue(true);
}

void NBForecastView::drawForecastInRect(QPainter &painter, const QRectF &rect,
                                        const std::shared_ptr<OVWeatherLocation> &location, bool onScreen)
{
    double x = roundedF(mOffset + rect.x());
    if (onScreen)
        mTooltips.clear();
    if (!location) {
        OVDebugLog(QStringLiteral("[NBForecastView drawForecastInRect] Location is nil."));
        return;
    }
    const QVariantMap headingAttributes = alignedAttributes("subHeadingFontAttrInv", &NBPrefController::leftTextForBase);
    const double g = OVAttributedString(QStringLiteral("Tomorrow"), headingAttributes).size().height();

    const QRectF band(rect.x(), rect.y(), rect.width(), (rect.height() - g - 12.0) * 0.5);
    // Upwards in the y-up space: from the panel colour at the band's lower edge to near black.
    QLinearGradient shade(band.x(), band.y(), band.x(), band.y() + band.height());
    shade.setColorAt(0.0, NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>());
    shade.setColorAt(1.0, QColor::fromRgbF(0.071f, 0.071f, 0.071f));
    painter.fillRect(band, shade);

    const QVariantList periods = forecastArrayForLocation(location);
    if (periods.isEmpty()) {
        OVAttributedString::drawOVString(painter, OVLocalizedString(" Forecast not available."), headingAttributes, rect);
        return;
    }
    const QDateTime now = mClock();
    const QTimeZone zone = location->locationTimeZone();
    const QVariantMap dateAttributes = alignedAttributes("tinyTextInv", &NBPrefController::leftTextForBase);
    const double top = rect.y() + rect.height();
    int drawn = 0;
    for (qsizetype i = 0; i < periods.size(); ++i) {
        if (x > rect.x() + rect.width())
            break;
        const QVariantMap period = periods[i].toMap();
        if (drawn == 0 && hasEnded(period, now))
            continue;
        const bool day = isDayPeriod(period);
        if (day) {
            const QDateTime start = periodDate(period, OVForecastKey::startDate);
            QString weekday = NSDateUtil::dayStringInTimeZone(start, zone, FixedClock(now));
            if (!weekday.isEmpty())
                weekday[0] = weekday[0].toUpper();
            OVAttributedString::drawOVString(painter, weekday, headingAttributes,
                                              QRectF(x + 5.0, top - g, mDayWidth - 5.0, g));
            const QDate local = start.toTimeZone(zone).date();
            OVAttributedString::drawOVString(painter, QString::asprintf("%ld/%ld", long(local.month()), long(local.day())),
                                              dateAttributes, QRectF(x + 5.0, top - 2.0 * g, mDayWidth - 5.0, g));
        }
        drawForecastElementInRect(painter, QRectF(x, rect.y(), mDayWidth, rect.height() - 12.0 - g), period, onScreen);
        ++drawn;
        if (i + 1 < periods.size()) {
            const bool nextDay = isDayPeriod(periods[i + 1].toMap());
            if (nextDay == day)
                x += mDayWidth;
            else if (day)
                x += mImageDimension;
            else
                x += std::round(mDayWidth) - mImageDimension;
        }
    }
}

void NBForecastView::drawForecastElementInRect(QPainter &painter, const QRectF &rect, const QVariantMap &period,
                                               bool onScreen)
{
    const bool day = isDayPeriod(period);
    const double h = rect.height() / 2.0;
    const QRectF half(rect.x(), day ? roundedF(rect.y() + h) : rect.y(), rect.width(), h);

    const QString fullDesc = OVForecastPeriod::stringValue(period, OVForecastKey::fullDesc);
    if (onScreen && !fullDesc.isNull())
        mTooltips.append({QRectF(OVYUp::toWidgetGeometry(half, height())), fullDesc});

    OVAttributedString temperature(temperatureText(period),
                                   alignedAttributes(day ? "highText" : "lowText", &NBPrefController::centerTextForBase));
    const QSizeF textSize = temperature.size();
    if (textSize.width() > mImageDimension)
        mImageDimension = textSize.width();
    const double d = mImageDimension;
    const double sh = textSize.height();
    const QRectF icon(roundedF(half.x() + 2.0), roundedF(half.y() + (h - d - sh) / 2.0 + sh), d, d);
    temperature.drawInRect(painter, QRectF(half.x() + 2.0, half.y() + 2.0, d, icon.y() - half.y()));
    drawPeriodIcon(painter, icon, period, day);

    const QString shortDesc = OVForecastPeriod::stringValue(period, OVForecastKey::shortDesc);
    const QVariantMap textAttributes = storeAttributes("smallTextInv");
    const double w2 = rect.width() - d - 6.0;
    const double hh = OVStringUtil::heightOfString(shortDesc, textAttributes, w2) + 2.0;
    double h2 = h - 2.0;
    if (h - 2.0 > hh)
        h2 = (h - 2.0 - hh) / 2.0 + hh;
    OVAttributedString::drawOVString(painter, shortDesc, textAttributes, QRectF(half.x() + d + 4.0, half.y(), w2, h2));
}

void NBForecastView::drawPeriodIcon(QPainter &painter, const QRectF &rect, const QVariantMap &period, bool isDay)
{
    const QString image = OVForecastPeriod::stringValue(period, OVForecastKey::image);
    QString name = isDay ? OVWeatherConditions::dayEquivalentOfIcon(image) : OVWeatherConditions::nightEquivalentOfIcon(image);
    if (name.isEmpty())
        name = QStringLiteral("na");
    QImage icon = OVNamedImage::imageNamed(name);
    if (icon.isNull())
        icon = OVNamedImage::imageNamed(QStringLiteral("na"));
    if (icon.isNull()) {
        OVDebugLog(QStringLiteral("[NBForecastView drawForecastElementWithImageName] Couldn't find image for [%1] and NA "
                                  "isn't available.")
                       .arg(name));
        return;
    }
    OVYUp::drawImage(painter, rect, icon);
}

// --- Tooltips -----------------------------------------------------------------------------------

bool NBForecastView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return NBParentView::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    for (const auto &[area, text] : std::as_const(mTooltips)) {
        if (area.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), text, this, area.toRect());
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

// --- Scrolling ----------------------------------------------------------------------------------

void NBForecastView::clampRightEnd(double viewWidth)
{
    if (mForecastWidth < viewWidth - mOffset)
        mOffset = std::min(0.0, viewWidth - mForecastWidth);
}

void NBForecastView::wheelEvent(QWheelEvent *event)
{
    const double lines = QApplication::styleHints()->wheelScrollLines();
    const QPoint angle = event->angleDelta();
    const double delta = (angle.x() != 0 ? angle.x() : angle.y()) / 120.0 * lines;
    const double step = delta * -3.0;
    mInitialOffset = mOffset;
    mOffset = std::min(0.0, mOffset - step);
    clampRightEnd(width());
    update();
    event->accept();
}

void NBForecastView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return NBParentView::mousePressEvent(event);
    mForecastWidth = widthForForecastArray(forecastArrayForLocation(mLocation));
    mInitialMouseClickLocation = event->globalPosition();
    mInitialOffset = mOffset;
    mPressed = true;
    setCursor(Qt::ClosedHandCursor);
}

void NBForecastView::mouseMoveEvent(QMouseEvent *event)
{
    if (!mPressed)
        return NBParentView::mouseMoveEvent(event);
    mInDrag = true;
    const double dx = mInitialMouseClickLocation.x() - event->globalPosition().x();
    mOffset = std::min(0.0, mInitialOffset - dx / resolutionScaleFactor());
    clampRightEnd(width());
    update();
}

void NBForecastView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !mPressed)
        return NBParentView::mouseReleaseEvent(event);
    mPressed = false;
    mInDrag = false;
    setCursor(Qt::OpenHandCursor);
}
