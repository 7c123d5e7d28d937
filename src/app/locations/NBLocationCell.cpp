// Location list rows: geometry, drawing and the wind glyph.
#include "app/locations/NBLocationCell.h"

#include "app/locations/NBLocationController.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVNamedImage.h"
#include "core/OVTextAttributes.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

#include <QFontDatabase>
#include <QPainter>

#include <cmath>

namespace {

const QString kMissing = QString(QChar(0x2014));
constexpr int kArcSegments = 16;

} // namespace

NBLocationCell::NBLocationCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QVariantMap NBLocationCell::textAttributes(quint64 alignment)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(14);
    font.setWeight(QFont::Bold);
    const QVariantMap attributes{{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor(Qt::white)}};
    return alignment == OVAttributedString::Right ? OVAttributedString::addRightAttributes(attributes)
                                                  : OVAttributedString::addLeftAttributes(attributes);
}

QSize NBLocationCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), int(mRowHeight));
}

QRectF NBLocationCell::cellFrameForRow(const QRectF &row) const
{
    const double dx = mSpacing.width() / 2.0;
    const double dy = mSpacing.height() / 2.0;
    return row.adjusted(dx, dy, -dx, -dy);
}

void NBLocationCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Background and selection belong to the list; the cell draws its contents only.
    const auto location = index.data(NBLocationController::LocationRole).value<std::shared_ptr<OVWeatherLocation>>();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    drawInteriorWithFrame(*painter, cellFrameForRow(option.rect), location);
    painter->restore();
}

void NBLocationCell::drawInteriorWithFrame(QPainter &painter, const QRectF &frame,
                                           const std::shared_ptr<OVWeatherLocation> &location)
{
    if (!location)
        return;
    const std::optional<OVWeatherConditions> conditions = location->getCurrentData();
    const OVTemperatureUnit units = OVUnits::temperatureSetting();
    const QString temperature = conditions ? conditions->integerTemperatureStringWithUnits(units) : QString();
    const QString icon = conditions ? conditions->displayIconName() : QString();
    const double inset = kInteriorInset;
    drawRow(painter, location->city(), temperature, icon, frame.adjusted(inset, inset, -inset, -inset));
}

NBLocationCell::RowGeometry NBLocationCell::rowGeometry(const QRectF &rect, const QSizeF &temperatureSize)
{
    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const double tw = temperatureSize.width(), th = temperatureSize.height();
    const double ty = y + (h - th) * 0.5;
    return {QRectF(x + w - h, y, h, h), QRectF(x + w - h - tw - kTemperatureGap, ty, tw, th),
            QRectF(x, ty, w - h - tw - 2 * kTemperatureGap, h)};
}

void NBLocationCell::drawRow(QPainter &painter, const QString &city, const QString &temperature,
                             const QString &iconName, const QRectF &rect)
{
    OVAttributedString temperatureText(temperature.isEmpty() ? kMissing : temperature, textAttributes(OVAttributedString::Right));
    const RowGeometry geometry = rowGeometry(rect, temperatureText.size());

    QImage icon = OVNamedImage::imageNamed(iconName);
    if (icon.isNull())
        icon = OVNamedImage::imageNamed(QStringLiteral("na"));
    if (!icon.isNull())
        painter.drawImage(geometry.icon, icon);

    temperatureText.drawInRect(painter, geometry.temperature);
    OVAttributedString(city, textAttributes(OVAttributedString::Left)).drawInRect(painter, geometry.city);
}

QPainterPath NBLocationCell::arrowPathInRect(const QRectF &rect, double direction)
{
    const double s = std::min(rect.width(), rect.height());
    const double ox = rect.x() + (rect.width() - s) / 2.0;
    const double oy = rect.y() + (rect.height() - s) / 2.0;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addEllipse(QRectF(ox, oy, s, s));

    const double shaft = std::round(float(0.6 * s * 0.27));
    const double head = 2.7 * shaft;
    const double cx = ox + s / 2.0;
    const double top = oy + 0.2 * s;
    const double tip = oy + 0.8 * s + 0.25 * head;
    const double r = shaft / 2.0;

    // The rounded tail: from 180 to 360 degrees about (cx, top), on the side away from the tip.
    path.moveTo(cx - r, top);
    for (int i = 1; i <= kArcSegments; ++i) {
        const double angle = M_PI * (1.0 + double(i) / kArcSegments);
        path.lineTo(cx + r * std::cos(angle), top + r * std::sin(angle));
    }
    path.lineTo(cx + r, tip - 0.9 * head);
    path.lineTo(cx + head / 2.0, tip - head);
    path.lineTo(cx, tip);
    path.lineTo(cx - head / 2.0, tip - head);
    path.lineTo(cx - r, tip - 0.9 * head);
    path.lineTo(cx - r, top);
    path.closeSubpath();

    QTransform turn;
    turn.translate(cx, oy + s / 2.0);
    turn.rotate(direction);
    turn.translate(-cx, -(oy + s / 2.0));
    return turn.map(path);
}
