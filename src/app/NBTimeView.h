// The sun and moon dial of the main window: a 24-hour clock face in the location's time zone
// with daylight and night on the outer ring, the hours the moon is up on the inner ring, the
// moon's phase in the centre, a hand at local time, and in the corners the local time, the day
// length and the rise and set times of sun and moon.
//
// The dial is handed its state: the location (pushed in by the controller), the source of sun
// and moon times and the clock; every drawing asks the source afresh for today. The view is
// flipped (Qt's y-down space): midnight at the bottom, noon at the top, time running clockwise.
// Main thread only.
#pragma once

#include "core/views/NBParentView.h"
#include "core/views/OVGradient.h"

#include <QColor>
#include <QDateTime>
#include <QPointF>
#include <QString>

#include <functional>
#include <memory>

class OVWeatherLocation;

class NBTimeView : public NBParentView
{
    Q_OBJECT

public:
    /// Today's events at a place; an invalid time when the body does not rise or set that day.
    struct SunMoonDay
    {
        QDateTime sunrise;
        QDateTime sunset;
        QDateTime moonrise;
        QDateTime moonset;
        /// 0 new, 0.5 full, below 0.5 waxing.
        double moonPhase = 0.0;
    };
    using SunMoonSource = std::function<SunMoonDay(const QDateTime &now, const OVWeatherLocation &location)>;
    using Clock = std::function<QDateTime()>;

    /// The program's source: OVSun and OVMoon for the local day of `now`.
    static SunMoonDay astronomicalDay(const QDateTime &now, const OVWeatherLocation &location);

    /// Observes the time and redisplay notifications; a new location is pushed in.
    NBTimeView(SunMoonSource source, Clock clock, QWidget *parent = nullptr);
    ~NBTimeView() override;

    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location);
    std::shared_ptr<OVWeatherLocation> currentLocation() const { return mLocation; }
    void refreshDisplay() { update(); }

    QPointF centerPoint() const;
    double sunOuterRadius() const;
    double sunInnerRadius() const { return sunOuterRadius() - 10.0; }
    double moonOuterRadius() const { return sunOuterRadius() - 13.0; }
    double moonInnerRadius() const { return sunOuterRadius() - 23.0; }
    double moonRadius() const { return sunOuterRadius() - 26.0; }
    /// Degrees of the hour and minute of `date` in the location's zone: 00:00 is 90 (down).
    double angleForDate(const QDateTime &date) const;

    /// "h:mm a"-style short time in the location's zone, "–" for a missing time.
    QString formattedTime(const QDateTime &date) const;
    /// "Day Length\n%dh %dm" for the day's sunrise and sunset.
    static QString dayLengthText(const SunMoonDay &day);

    /// Fills the night, daylight and span of the moon above the horizon (flipped space).
    static const QColor &sunUpColor();
    static const QColor &sunDownColor();
    static const QColor &moonUpColor();
    static const QColor &moonDownColor();

protected:
    void drawRect(QPainter &painter, const QRectF &dirty) override;

private:
    void drawTimeLabels(QPainter &painter, const QDateTime &now, const SunMoonDay &day);
    void drawRings(QPainter &painter, const SunMoonDay &day);
    void drawMoonPhase(QPainter &painter, const SunMoonDay &day);
    void drawDayTimeMarkers(QPainter &painter, const QDateTime &now);
    /// A ring segment between the radii from `fromDeg` to `toDeg` (increasing angle).
    void fillRing(QPainter &painter, double fromDeg, double toDeg, double outer, double inner, const QColor &color);

    SunMoonSource mSource;
    Clock mClock;
    std::shared_ptr<OVWeatherLocation> mLocation;
    OVGradient mMoonGradient;
};
