// The one-row panel under the main window's header that shows the current location's latest
// observation in seven captioned columns: temperature (feels-like in brackets when it
// differs), wind speed with a direction arrow, pressure, cloud cover, dew point, relative
// humidity and visibility. A missing value reads "—"; each column has a tooltip naming it.
//
// The panel holds no weather but the location it is handed: every drawing reads that
// location's current conditions and the unit settings afresh. One geometry function (`columnRects`) places the columns for drawing, for
// the tooltips and for the wind arrow, which is placed and turned when the panel refreshes or
// resizes, never while it paints. Geometry is y-up in the panel. Main thread only.
#pragma once

#include "core/views/NBParentView.h"
#include "weather/OVWeatherConditions.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class OVAttributedString;
class OVCircularArrowView;
class OVWeatherLocation;

class NBCurrentConditionsView : public NBParentView
{
    Q_OBJECT

public:
    static constexpr double kColumnWidth = 85.0;
    static constexpr double kColumnSpacing = 10.0;
    static constexpr double kIconSize = 18.0;
    static constexpr double kWindWidth = kColumnWidth + kIconSize;
    static constexpr int kNumberOfConditions = 7;
    /// Gap between the wind arrow and the wind text.
    static constexpr double kArrowGap = 8.0;

    /// Column order.
    enum Column { Temperature, Wind, Pressure, CloudCover, Dewpoint, Humidity, Visibility };

    static int numberOfConditions() { return kNumberOfConditions; }
    /// The width the columns need at the minimum gap (683).
    static double totalConditionWidth();

    explicit NBCurrentConditionsView(QWidget *parent = nullptr);
    ~NBCurrentConditionsView() override;

    /// Redraws the panel and places the wind arrow for the conditions now.
    void refreshDisplay();
    /// The location whose conditions the panel shows (null for none); refreshes the panel.
    void setCurrentLocation(std::shared_ptr<OVWeatherLocation> location);
    std::shared_ptr<OVWeatherLocation> currentLocation() const { return mLocation; }

    /// The column rectangles, y-up in the panel, spanning its height; the gaps grow evenly when
    /// the panel is wider than `totalConditionWidth`. A narrower panel shrinks the columns down
    /// to what their caption and value need; when that does not fit either, the least important
    /// columns (visibility, cloud cover, dew point, humidity, pressure, wind, in that order) give
    /// way and get a null rectangle.
    QList<QRectF> columnRects() const;
    QRectF labelRectForConditionRect(const QRectF &rect) const;
    QRectF valueRectForConditionRect(const QRectF &rect) const;

    /// The wind column's text and arrow rectangles for a value text of that width.
    struct WindGeometry
    {
        QRectF text;
        QRectF arrow;
    };
    WindGeometry windGeometry(const QRectF &column, double textWidth) const;

    /// What the columns show for the current location: a value text per column (empty when
    /// missing) and the raw wind.
    struct Reading
    {
        std::array<QString, kNumberOfConditions> values;
        std::optional<double> windSpeedMPH;
        std::optional<double> windDirection;
        /// Whether the arrow shows: wind of 1 mph or more from a known direction.
        bool showsArrow() const;
    };
    Reading currentReading() const { return readingForLocation(mLocation); }
    static Reading readingForLocation(const std::shared_ptr<OVWeatherLocation> &location);
    static Reading readingForConditions(const std::optional<OVWeatherConditions> &conditions);
    /// The columns as they are placed for this reading.
    QList<QRectF> columnRects(const Reading &reading) const;

    /// The tooltip of the column under a point given in widget coordinates; empty between
    /// columns.
    QString toolTipAt(const QPointF &widgetPoint) const;
    static QString toolTipForColumn(int column);

    OVCircularArrowView *windArrowView() const { return mWindArrowView; }
    const OVAttributedString &caption(int column) const { return *mCaptions[column]; }

protected:
    void drawRect(QPainter &painter, const QRectF &dirty) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    double captionHeight() const;
    /// The width a column's caption and value text (with the arrow for the wind) need.
    double neededWidth(int column, const Reading &reading) const;
    void drawConditionLabel(QPainter &painter, const OVAttributedString &caption, QString value, const QRectF &rect);
    void drawWindInRect(QPainter &painter, const QRectF &rect, const Reading &reading);
    void placeWindArrow() { placeWindArrow(currentReading()); }
    void placeWindArrow(const Reading &reading);

    std::shared_ptr<OVWeatherLocation> mLocation;
    std::array<std::shared_ptr<OVAttributedString>, kNumberOfConditions> mCaptions;
    std::shared_ptr<OVAttributedString> mValueText;
    OVCircularArrowView *mWindArrowView = nullptr;
};
