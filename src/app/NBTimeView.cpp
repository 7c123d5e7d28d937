// The sun and moon dial: geometry, corner texts, rings, the moon's phase and the hand.
#include "app/NBTimeView.h"

#include "core/OVDisplayNotifications.h"
#include "core/NBPrefController.h"
#include "core/OVDateFormattingTool.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVNamedImage.h"
#include "core/views/OVPathUtil.h"
#include "core/views/OVYUp.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherNotifications.h"
#include "weather/OVMoon.h"
#include "weather/OVSun.h"
#include "weather/OVWeatherLocation.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

const QString kMissing = QString(QChar(0x2013));

QVariantMap aligned(std::optional<QVariantMap> (*align)(const QString &))
{
    return align(QStringLiteral("standardTextInv")).value_or(QVariantMap());
}

/// Draws each line of `text` below the previous one, from the top of `rect`.
void drawLines(QPainter &painter, OVAttributedString &label, const QString &text, const QRectF &rect)
{
    double y = rect.y();
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        label.setString(line);
        const double lineHeight = label.size().height();
        label.drawInRect(painter, QRectF(rect.x(), y, rect.width(), std::min(lineHeight, rect.bottom() - y)));
        y += lineHeight;
    }
}

QColor storeColor(const char *key)
{
    return NBPrefController::settingForKey(QLatin1String(key)).value<QColor>();
}

} // namespace

NBTimeView::SunMoonDay NBTimeView::astronomicalDay(const QDateTime &now, const OVWeatherLocation &location)
{
    SunMoonDay day;
    day.sunrise = OVSun::sunrise(now, location);
    day.sunset = OVSun::sunset(now, location);
    day.moonrise = OVMoon::moonrise(now, location);
    day.moonset = OVMoon::moonset(now, location);
    day.moonPhase = OVMoon::moonPhase(now, location.locationTimeZone());
    return day;
}

NBTimeView::NBTimeView(SunMoonSource source, Clock clock, QWidget *parent)
    : NBParentView(parent)
    , mSource(std::move(source))
    , mClock(std::move(clock))
    , mMoonGradient({QColor::fromRgbF(1.0f, 1.0f, 1.0f), QColor::fromRgbF(0.8275f, 0.833f, 0.8375f),
                     QColor::fromRgbF(0.655f, 0.666f, 0.675f)},
                    {0.0, 0.865, 1.0})
{
    setObjectName(QStringLiteral("timeView"));
    setFlipped(true);
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    for (const QString &name : {OVNotifyTimeNeedsDisplay, OVNotifyRedisplayEverything})
        center.addObserver(this, name, [this](const OVNotification &) { refreshDisplay(); });
}

NBTimeView::~NBTimeView()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void NBTimeView::setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    mLocation = location;
    refreshDisplay();
}

const QColor &NBTimeView::sunUpColor()
{
    static const QColor color = QColor::fromRgbF(0.0f, 0.682f, 1.0f);
    return color;
}
const QColor &NBTimeView::sunDownColor()
{
    static const QColor color = QColor::fromRgbF(1.0f, 1.0f, 0.0118f);
    return color;
}
const QColor &NBTimeView::moonUpColor()
{
    static const QColor color(255, 255, 255);
    return color;
}
const QColor &NBTimeView::moonDownColor()
{
    static const QColor color(0, 0, 0);
    return color;
}

// --- Geometry -----------------------------------------------------------------------------------

QPointF NBTimeView::centerPoint() const
{
    return QPointF(width() * 0.5, height() * 0.5 - 8.0);
}

double NBTimeView::sunOuterRadius() const
{
    return (std::min(width(), height()) - 80.0) * 0.5;
}

double NBTimeView::angleForDate(const QDateTime &date) const
{
    const QTime local = mLocation ? date.toTimeZone(mLocation->locationTimeZone()).time() : date.time();
    return (local.hour() * 60 + local.minute()) / 1440.0 * 360.0 + 90.0;
}

QString NBTimeView::formattedTime(const QDateTime &date) const
{
    if (!date.isValid())
        return kMissing;
    return OVDateFormattingTool::sharedFormattingTool().timeStringFromDate(
        date, mLocation ? mLocation->locationTimeZone() : QTimeZone());
}

QString NBTimeView::dayLengthText(const SunMoonDay &day)
{
    qint64 seconds = 0;
    if (day.sunrise.isValid())
        seconds = day.sunset.isValid() ? day.sunrise.secsTo(day.sunset) : 86400;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 - hours * 60;
    return OVLocalizedString("Day Length\n%1h %2m").arg(hours).arg(minutes);
}

// --- Drawing ------------------------------------------------------------------------------------

void NBTimeView::drawRect(QPainter &painter, const QRectF &dirty)
{
    NBParentView::drawRect(painter, dirty);
    if (!mLocation)
        return;
    painter.save();
    painter.setClipPath(clippingPath(), Qt::IntersectClip);
    const QDateTime now = mClock();
    const SunMoonDay day = mSource ? mSource(now, *mLocation) : SunMoonDay();
    drawTimeLabels(painter, now, day);
    drawRings(painter, day);
    drawMoonPhase(painter, day);
    drawDayTimeMarkers(painter, now);
    painter.restore();

    const QString description = QStringLiteral("Time view. Local Time: %1  Sunrise: %2  Sunset: %3  Moonrise: %4  Moonset: %5")
                                    .arg(formattedTime(now), formattedTime(day.sunrise), formattedTime(day.sunset),
                                         formattedTime(day.moonrise), formattedTime(day.moonset));
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

void NBTimeView::drawTimeLabels(QPainter &painter, const QDateTime &now, const SunMoonDay &day)
{
    const QRectF d = drawingRect();
    const double bottom = d.y() + d.height();
    const double right = d.x() + d.width();
    for (const auto &[name, rect] : {std::pair{"sunmoon_sun", QRectF(d.x() + 4, bottom - 27, 18, 18)},
                                     std::pair{"sunmoon_moon", QRectF(right - 22, bottom - 27, 18, 18)}}) {
        const QImage image = OVNamedImage::imageNamed(QLatin1String(name));
        if (!image.isNull())
            OVYUp::drawImage(painter, rect, image);
    }
    const QVariantMap left = aligned(&NBPrefController::leftTextForBase);
    const QVariantMap rightAligned = aligned(&NBPrefController::rightTextForBase);
    OVAttributedString text(QString(), left);
    drawLines(painter, text, OVLocalizedString("Local Time\n%1").arg(formattedTime(now)), QRectF(d.x() + 4, d.y() + 3, 72, 32));
    text.setString(formattedTime(day.sunrise));
    text.drawInRect(painter, QRectF(d.x() + 26, bottom - 33, 64, 18));
    text.setString(formattedTime(day.sunset));
    text.drawInRect(painter, QRectF(d.x() + 26, bottom - 18, 64, 18));

    text.setAttributes(rightAligned);
    drawLines(painter, text, dayLengthText(day), QRectF(right - 76, d.y() + 3, 72, 32));
    text.setString(formattedTime(day.moonrise));
    text.drawInRect(painter, QRectF(right - 89, bottom - 33, 64, 18));
    text.setString(formattedTime(day.moonset));
    text.drawInRect(painter, QRectF(right - 89, bottom - 18, 64, 18));
}

void NBTimeView::fillRing(QPainter &painter, double fromDeg, double toDeg, double outer, double inner,
                          const QColor &color)
{
    QPainterPath ring = OVPathUtil::arcAroundPoint(centerPoint(), fromDeg, toDeg, outer, inner);
    ring.closeSubpath();
    painter.fillPath(ring, color);
}

void NBTimeView::drawRings(QPainter &painter, const SunMoonDay &day)
{
    const double sunOuter = sunOuterRadius(), sunInner = sunInnerRadius();
    if (sunInner > 0.0) {
        if (day.sunrise.isValid() && day.sunset.isValid()) {
            fillRing(painter, angleForDate(day.sunset), angleForDate(day.sunrise), sunOuter, sunInner, sunUpColor());
            fillRing(painter, angleForDate(day.sunrise), angleForDate(day.sunset), sunOuter, sunInner, sunDownColor());
        } else {
            // The sun's model answers polar day with a sunrise only and polar night with a
            // sunset only: the first is daylight all round, the second night.
            fillRing(painter, 0.0, 360.0, sunOuter, sunInner, day.sunrise.isValid() ? sunDownColor() : sunUpColor());
        }
    }
    const double moonOuter = moonOuterRadius(), moonInner = moonInnerRadius();
    if (moonInner <= 0.0)
        return;
    const double midnight = 90.0;
    const double nextMidnight = midnight + 360.0;
    if (day.moonrise.isValid() && day.moonset.isValid()) {
        fillRing(painter, angleForDate(day.moonrise), angleForDate(day.moonset), moonOuter, moonInner, moonUpColor());
        fillRing(painter, angleForDate(day.moonset), angleForDate(day.moonrise), moonOuter, moonInner, moonDownColor());
    } else if (day.moonrise.isValid()) {
        // Down until it rises, up for the rest of the day.
        const double rise = angleForDate(day.moonrise);
        fillRing(painter, midnight, rise, moonOuter, moonInner, moonDownColor());
        fillRing(painter, rise, nextMidnight, moonOuter, moonInner, moonUpColor());
    } else if (day.moonset.isValid()) {
        const double set = angleForDate(day.moonset);
        fillRing(painter, midnight, set, moonOuter, moonInner, moonUpColor());
        fillRing(painter, set, nextMidnight, moonOuter, moonInner, moonDownColor());
    } else {
        fillRing(painter, 0.0, 360.0, moonOuter, moonInner, moonDownColor());
    }
}

void NBTimeView::drawMoonPhase(QPainter &painter, const SunMoonDay &day)
{
    const double r = moonRadius();
    if (r <= 0.0)
        return;
    const QPointF c = centerPoint();
    const QRectF disc(c.x() - r, c.y() - r, 2 * r, 2 * r);
    QPainterPath oval;
    oval.addEllipse(disc);
    mMoonGradient.drawInPath(painter, oval, QPointF(0.5, 0.5));

    const double e = day.moonPhase * 100.0;
    if (e < 1.0 || e > 99.0) {
        painter.fillPath(oval, moonDownColor());
        return;
    }
    if (e >= 49.5 && e <= 50.5)
        return;
    const double a = e / 25.0 * 90.0 * M_PI / 180.0;
    const double k = double(float(r) * std::fabs(std::cos(float(a))));
    const QRectF terminator(c.x() - k, c.y() - r, 2 * k, 2 * r);
    QPainterPath dark;
    if (e < 49.5) {
        OVPathUtil::appendArcInRect(dark, disc, 270.0, 90.0, true, true);
        if (e < 25.0)
            OVPathUtil::appendArcInRect(dark, terminator, 90.0, -90.0, true, false);
        else
            OVPathUtil::appendArcInRect(dark, terminator, 90.0, 270.0, false, false);
    } else {
        OVPathUtil::appendArcInRect(dark, disc, -90.0, 90.0, false, true);
        if (e < 75.0)
            OVPathUtil::appendArcInRect(dark, terminator, 90.0, -90.0, true, false);
        else
            OVPathUtil::appendArcInRect(dark, terminator, 90.0, 270.0, false, false);
    }
    dark.closeSubpath();
    painter.fillPath(dark, moonDownColor());
}

void NBTimeView::drawDayTimeMarkers(QPainter &painter, const QDateTime &now)
{
    const double r = sunOuterRadius();
    const QPointF c = centerPoint();
    OVAttributedString label(QStringLiteral("00"), aligned(&NBPrefController::centerTextForBase));
    const QSizeF size = label.size();
    const double w = size.width(), h = size.height();
    label.drawInRect(painter, QRectF(c.x() - r, c.y() + r, 2 * r, h));
    label.setString(QStringLiteral("06"));
    label.drawInRect(painter, QRectF(c.x() - r - w - 2, c.y() - h / 2, w, h));
    label.setString(QStringLiteral("12"));
    label.drawInRect(painter, QRectF(c.x() - r, c.y() - r - h, 2 * r, h));
    label.setString(QStringLiteral("18"));
    label.drawInRect(painter, QRectF(c.x() + r + 2, c.y() - h / 2, w, h));

    const double inner = moonInnerRadius();
    if (inner <= 0.0)
        return;
    const float alpha = float(angleForDate(now) * M_PI / 180.0);
    const auto at = [&](double radius) {
        return QPointF(c.x() + radius * std::cos(alpha), c.y() + radius * std::sin(alpha));
    };
    QPen pen(storeColor("OVNimbrelColorOrange"), 4.0);
    painter.setPen(pen);
    painter.drawLine(at(inner), at(r));
}
