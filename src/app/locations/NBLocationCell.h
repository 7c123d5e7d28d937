// How the location list draws one row: the city at the left, the current temperature and the
// conditions icon at the right, in white bold text on the list's dark ground. A location
// without a station or observations shows its city, "—" and the "na" icon.
//
// The list is flipped (Qt's y-down space), so rectangles here are widget rectangles. The cell
// frame is the row inset by half the list's intercell spacing; the drawing rectangle is the
// frame inset by 3 more. Unit settings are read at every paint. Main thread only.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QStyledItemDelegate>
#include <QVariantMap>

#include <memory>

class OVWeatherLocation;

class NBLocationCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr double kInteriorInset = 3.0;
    /// Between the temperature's right edge and the icon.
    static constexpr double kTemperatureGap = 8.0;

    explicit NBLocationCell(QObject *parent = nullptr);

    /// Row height and intercell spacing, as the list sets them.
    void setRowHeight(double height) { mRowHeight = height; }
    void setIntercellSpacing(const QSizeF &spacing) { mSpacing = spacing; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    /// The row rectangle inset by half the intercell spacing on each side.
    QRectF cellFrameForRow(const QRectF &row) const;
    /// Draws the location's row into the cell frame; nothing without a location.
    static void drawInteriorWithFrame(QPainter &painter, const QRectF &frame,
                                      const std::shared_ptr<OVWeatherLocation> &location);

    /// Where `drawRow` puts the icon, the temperature and the city for a temperature text of
    /// the given size.
    struct RowGeometry
    {
        QRectF icon;
        QRectF temperature;
        QRectF city;
    };
    static RowGeometry rowGeometry(const QRectF &rect, const QSizeF &temperatureSize);
    /// Icon (or "na"), temperature (or "—") and city into `rect`.
    static void drawRow(QPainter &painter, const QString &city, const QString &temperature, const QString &iconName,
                        const QRectF &rect);
    /// The row text: bold system font 14, white, with the given alignment (0 left, 1 right).
    static QVariantMap textAttributes(quint64 alignment);

    /// A wind-direction glyph: a circle and an arrow cut out of it (odd-even fill), the tip
    /// towards larger y at direction 0, turned by `direction` degrees about the square centred
    /// in `rect`.
    static QPainterPath arrowPathInRect(const QRectF &rect, double direction);

private:
    double mRowHeight = 48.0;
    QSizeF mSpacing{7.0, 2.0};
};
