// The daily forecast strip of the main window: the current location's coming periods side by
// side, day periods in the upper row under their weekday and date, nights in the lower row
// shifted right by one icon width, each with icon, temperature and short text. It scrolls
// sideways by wheel or by dragging with the hand cursor and never past either end.
//
// The strip is handed its state: the location (pushed in by the controller), the two forecast
// sources and the clock. It keeps no weather of its own; every drawing asks the sources afresh.
// Geometry is y-up (OVYUp). Tooltips are rebuilt only while the widget paints itself on screen.
// Main thread only.
#pragma once

#include "core/views/NBParentView.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class OVLocation;
class OVWeatherLocation;

class NBForecastView : public NBParentView
{
    Q_OBJECT

public:
    /// Where the periods come from: the daily NDFD client and the Brisant forecast client.
    struct Sources
    {
        std::function<std::optional<QVariantList>(const std::shared_ptr<OVWeatherLocation> &)> ndfd;
        std::function<QList<QVariantMap>(const OVLocation &)> brisant;
    };
    using Clock = std::function<QDateTime()>;

    /// Observes the forecast and redisplay notifications; a new location is pushed in.
    NBForecastView(Sources sources, Clock clock, QWidget *parent = nullptr);
    ~NBForecastView() override;

    /// The location shown; the strip redraws for it.
    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location);
    std::shared_ptr<OVWeatherLocation> currentLocation() const { return mLocation; }
    /// The backing scale a drag is divided by; none means the widget's devicePixelRatioF().
    void setResolutionScaleFactor(std::optional<double> factor) { mScaleFactor = factor; }
    double resolutionScaleFactor() const;

    /// Recomputes the strip width for the current location and redraws.
    void refreshDisplay();

    /// NDFD's trimmed periods unless they are none or Brisant's hold more than 6 more.
    QVariantList forecastArrayForLocation(const std::shared_ptr<OVWeatherLocation> &location) const;
    /// Drops a last period with a one-character short text, every ended period, and then the
    /// trailing periods that have fewer than two of icon, short text and temperature.
    QVariantList massageForecastArray(const QVariantList &periods) const;
    /// The right edge of the last period drawn, for the strip's current `imageDimension`.
    double widthForForecastArray(const QVariantList &periods) const;
    /// The temperature text of a period: "n/a" unless the value is a finite number other than
    /// the missing marker; otherwise whole degrees in the settings' unit with the degree sign.
    static QString temperatureText(const QVariantMap &period);

    /// Draws the strip of `location` into `rect` (y-up). `onScreen` rebuilds the tooltips.
    void drawForecastInRect(QPainter &painter, const QRectF &rect, const std::shared_ptr<OVWeatherLocation> &location,
                            bool onScreen);

    double dayWidth() const { return mDayWidth; }
    double imageDimension() const { return mImageDimension; }
    double offset() const { return mOffset; }
    void setOffset(double offset) { mOffset = offset; }
    double forecastWidth() const { return mForecastWidth; }
    bool inDrag() const { return mInDrag; }
    /// Whether periods lie beyond the left or right edge; the strip shows an arrow there.
    bool continuesLeft() const;
    bool continuesRight() const;
    /// The tooltips of the periods drawn on screen last: rectangle (widget coordinates) and text.
    const QList<QPair<QRectF, QString>> &tooltips() const { return mTooltips; }

protected:
    void drawRect(QPainter &painter, const QRectF &dirty) override;
    bool event(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void drawForecastElementInRect(QPainter &painter, const QRectF &rect, const QVariantMap &period, bool onScreen);
    void drawPeriodIcon(QPainter &painter, const QRectF &rect, const QVariantMap &period, bool isDay);
    void drawScrollCues(QPainter &painter, const QRectF &rect);
    /// Keeps the right end of the strip from passing the view's right edge.
    void clampRightEnd(double viewWidth);

    Sources mSources;
    Clock mClock;
    std::shared_ptr<OVWeatherLocation> mLocation;
    std::optional<double> mScaleFactor;
    double mDayWidth = 200.0;
    double mImageDimension = 54.0;
    QList<QPair<QRectF, QString>> mTooltips;
    bool mInDrag = false;
    bool mPressed = false;
    QPointF mInitialMouseClickLocation;
    double mOffset = 0.0;
    double mInitialOffset = 0.0;
    double mForecastWidth = 0.0;
};
