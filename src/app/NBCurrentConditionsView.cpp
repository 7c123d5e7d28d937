// The current-conditions strip: column geometry, the texts of the current observation, drawing,
// tooltips and the wind arrow.
#include "app/NBCurrentConditionsView.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVDisplayNotifications.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVCircularArrowView.h"
#include "core/OVConstants.h"
#include "core/views/OVYUp.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

const QString kMissing = QString(QChar(0x2014));

// Column captions in column order.
const char *const kCaptions[] = {"Temperature", "Wind", "Pressure", "Cloud Cover", "Dewpoint", "Humidity", "Visibility"};
const char *const kToolTips[] = {
    "Temperature (Feels Like Temperature)", "Wind Direction and Speed(-Gust)", "Pressure Reduced to Mean Sea Level",
    "Cloud Cover (%)", "Dewpoint Temperature", "Relative Humidity (%)", "Visibility",
};

QVariantMap centred(const char *key)
{
    return NBPrefController::centerTextForBase(QLatin1String(key)).value_or(QVariantMap());
}

} // namespace

double NBCurrentConditionsView::totalConditionWidth()
{
    return (kColumnWidth + kColumnSpacing) * (kNumberOfConditions - 1) + kWindWidth + kColumnSpacing;
}

NBCurrentConditionsView::NBCurrentConditionsView(QWidget *parent)
    : NBParentView(parent)
{
    setObjectName(QStringLiteral("currentConditionsView"));
    const QVariantMap captionAttributes = centred("tinyTextGray");
    for (int column = 0; column < kNumberOfConditions; ++column)
        mCaptions[column] = OVAttributedString::ovString(OVLocalizedString(kCaptions[column]), captionAttributes);
    mValueText = OVAttributedString::ovString(QString(), centred("subHeadingFontAttrInv"));

    // Outside the panel until it is placed for the first observation.
    mWindArrowView = new OVCircularArrowView(this);
    mWindArrowView->setGeometry(-100, -100, 50, 50);
    mWindArrowView->hide();

    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    for (const QString &name : {OVNotifyICAONeedsDisplay, OVNotifyRedisplayEverything})
        center.addObserver(this, name, [this](const OVNotification &) { refreshDisplay(); });
}

NBCurrentConditionsView::~NBCurrentConditionsView()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void NBCurrentConditionsView::setCurrentLocation(std::shared_ptr<OVWeatherLocation> location)
{
    mLocation = std::move(location);
    refreshDisplay();
}

void NBCurrentConditionsView::refreshDisplay()
{
    placeWindArrow();
    update();
}

// --- Geometry -----------------------------------------------------------------------------------

QList<QRectF> NBCurrentConditionsView::columnRects() const
{
    return columnRects(currentReading());
}

double NBCurrentConditionsView::neededWidth(int column, const Reading &reading) const
{
    mValueText->setString(reading.values[column].isEmpty() ? kMissing : reading.values[column]);
    double value = mValueText->size().width();
    if (column == Wind)
        value += kIconSize + kArrowGap;
    // One point to spare, so rounding never elides a text that fits.
    return std::ceil(std::max(mCaptions[column]->size().width(), value)) + 1.0;
}

QList<QRectF> NBCurrentConditionsView::columnRects(const Reading &reading) const
{
    const QRectF bounds(0, 0, width(), height());
    const auto nominal = [](int column) { return column == Wind ? kWindWidth : kColumnWidth; };
    std::array<double, kNumberOfConditions> widths{};
    std::array<bool, kNumberOfConditions> shown{};
    shown.fill(true);
    double extra = 0.0;
    if (totalConditionWidth() <= bounds.width()) {
        for (int column = 0; column < kNumberOfConditions; ++column)
            widths[column] = nominal(column);
        extra = (bounds.width() - totalConditionWidth()) / (kNumberOfConditions - 1);
    } else {
        // Too narrow for the full columns: they shrink towards what their texts need, and when
        // even that does not fit the least important columns give way, so no text is cut.
        static constexpr int kGiveWayOrder[] = {Visibility, CloudCover, Dewpoint, Humidity, Pressure, Wind};
        std::array<double, kNumberOfConditions> needed{};
        for (int column = 0; column < kNumberOfConditions; ++column)
            needed[column] = std::min(neededWidth(column, reading), nominal(column));
        int count = kNumberOfConditions;
        const auto available = [&] { return bounds.width() - kColumnSpacing * count; };
        const auto sum = [&](const auto &values) {
            double total = 0.0;
            for (int column = 0; column < kNumberOfConditions; ++column)
                total += shown[column] ? values[column] : 0.0;
            return total;
        };
        for (const int column : kGiveWayOrder) {
            if (sum(needed) <= available())
                break;
            shown[column] = false;
            --count;
        }
        std::array<double, kNumberOfConditions> full{};
        for (int column = 0; column < kNumberOfConditions; ++column)
            full[column] = nominal(column);
        const double room = sum(full) - sum(needed);
        const double share = room > 0.0 ? std::clamp((available() - sum(needed)) / room, 0.0, 1.0) : 1.0;
        for (int column = 0; column < kNumberOfConditions; ++column)
            widths[column] = needed[column] + (full[column] - needed[column]) * share;
        if (count > 1)
            extra = std::max(0.0, (available() - sum(widths)) / (count - 1));
    }
    double x = bounds.x() + std::trunc(kColumnSpacing * 0.5);
    QList<QRectF> columns;
    for (int column = 0; column < kNumberOfConditions; ++column) {
        if (!shown[column]) {
            columns.append(QRectF());
            continue;
        }
        columns.append(QRectF(x, bounds.y(), widths[column], bounds.height()));
        x += widths[column] + kColumnSpacing + extra;
    }
    return columns;
}

double NBCurrentConditionsView::captionHeight() const
{
    return mCaptions[Temperature]->size().height();
}

QRectF NBCurrentConditionsView::labelRectForConditionRect(const QRectF &rect) const
{
    const double h = captionHeight();
    return QRectF(rect.x(), rect.y() + rect.height() - h - 6.0, rect.width(), h + 2.0);
}

QRectF NBCurrentConditionsView::valueRectForConditionRect(const QRectF &rect) const
{
    return QRectF(rect.x(), rect.y(), rect.width(), rect.height() - (captionHeight() + 2.0) - 3.0);
}

NBCurrentConditionsView::WindGeometry NBCurrentConditionsView::windGeometry(const QRectF &column, double textWidth) const
{
    // Arrow, gap and text form one group centred in the value rectangle.
    const QRectF value = valueRectForConditionRect(column);
    const double textX = value.x() + (value.width() - (textWidth + kArrowGap + kIconSize)) * 0.5 + kIconSize + kArrowGap;
    return {QRectF(textX, value.y(), textWidth, value.height()),
            QRectF(textX - kArrowGap - kIconSize, value.y() + 5.0, kIconSize, kIconSize)};
}

// --- Reading ------------------------------------------------------------------------------------

bool NBCurrentConditionsView::Reading::showsArrow() const
{
    // A variable or unknown direction has nothing to point at: it gets the calm dot.
    return windSpeedMPH && *windSpeedMPH >= 1.0 && windDirection && *windDirection >= 0.0 && *windDirection <= 360.0;
}

NBCurrentConditionsView::Reading NBCurrentConditionsView::readingForLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    return readingForConditions(location ? location->getCurrentData() : std::nullopt);
}

NBCurrentConditionsView::Reading NBCurrentConditionsView::readingForConditions(const std::optional<OVWeatherConditions> &conditions)
{
    Reading reading;
    if (!conditions)
        return reading;
    const OVTemperatureUnit temperatureUnits = OVUnits::temperatureSetting();
    if (conditions->temperatureF() != OVNoValue) {
        const QString t = conditions->integerTemperatureStringWithUnits(temperatureUnits);
        const QString f = conditions->integerFeelsLikeTemperatureStringWithUnits(temperatureUnits);
        reading.values[Temperature] = t == f ? t : QStringLiteral("%1 (%2)").arg(t, f);
    }
    reading.values[Wind] = conditions->shortCombinedSpeedStringWithUnits(OVUnits::windSpeedSetting(), false);
    reading.values[Pressure] = conditions->shortPressureStringWithUnits(OVUnits::pressureSetting());
    reading.values[CloudCover] = conditions->skyCoverPercentageString();
    reading.values[Dewpoint] = conditions->dewpointStringWithUnits(temperatureUnits);
    reading.values[Humidity] = conditions->humidityString();
    reading.values[Visibility] = conditions->visibilityStringWithUnits(OVUnits::distanceSetting());
    reading.windSpeedMPH = conditions->windSpeedMPH();
    reading.windDirection = conditions->windDirection();
    return reading;
}

// --- Tooltips -----------------------------------------------------------------------------------

QString NBCurrentConditionsView::toolTipForColumn(int column)
{
    return column >= 0 && column < kNumberOfConditions ? OVLocalizedString(kToolTips[column]) : QString();
}

QString NBCurrentConditionsView::toolTipAt(const QPointF &widgetPoint) const
{
    const QPointF point = OVYUp::toYUp(widgetPoint, height());
    const QList<QRectF> columns = columnRects();
    for (int column = 0; column < columns.size(); ++column) {
        if (!columns[column].isNull() && columns[column].contains(point))
            return toolTipForColumn(column);
    }
    return {};
}

bool NBCurrentConditionsView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return NBParentView::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString tip = toolTipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
}

// --- Wind arrow ---------------------------------------------------------------------------------

void NBCurrentConditionsView::placeWindArrow(const Reading &reading)
{
    const QRectF column = columnRects(reading).at(Wind);
    if (!reading.showsArrow() || column.isNull()) {
        mWindArrowView->hide();
        return;
    }
    mValueText->setString(reading.values[Wind]);
    const WindGeometry wind = windGeometry(column, mValueText->size().width());
    OVYUp::setFrame(*mWindArrowView, wind.arrow);
    mWindArrowView->show();
    mWindArrowView->setDirection(*reading.windDirection);
}

void NBCurrentConditionsView::resizeEvent(QResizeEvent *event)
{
    NBParentView::resizeEvent(event);
    placeWindArrow();
}

void NBCurrentConditionsView::showEvent(QShowEvent *event)
{
    NBParentView::showEvent(event);
    placeWindArrow();
}

// --- Drawing ------------------------------------------------------------------------------------

void NBCurrentConditionsView::drawRect(QPainter &painter, const QRectF &dirty)
{
    NBParentView::drawRect(painter, dirty);
    painter.save();
    painter.setClipPath(clippingPath(), Qt::IntersectClip);
    const Reading reading = currentReading();
    const QList<QRectF> columns = columnRects(reading);
    for (int column = 0; column < kNumberOfConditions; ++column) {
        if (columns[column].isNull())
            continue; // gave way to the others in a narrow strip
        if (column == Wind)
            drawWindInRect(painter, columns[column], reading);
        else
            drawConditionLabel(painter, *mCaptions[column], reading.values[column], columns[column]);
    }
    painter.restore();
}

void NBCurrentConditionsView::drawConditionLabel(QPainter &painter, const OVAttributedString &caption, QString value,
                                                 const QRectF &rect)
{
    if (value.isEmpty())
        value = kMissing;
    caption.drawInRect(painter, labelRectForConditionRect(rect));
    mValueText->setString(value);
    mValueText->drawInRect(painter, valueRectForConditionRect(rect));
}

void NBCurrentConditionsView::drawWindInRect(QPainter &painter, const QRectF &rect, const Reading &reading)
{
    mCaptions[Wind]->drawInRect(painter, labelRectForConditionRect(rect));
    mValueText->setString(reading.values[Wind]);
    const WindGeometry wind = windGeometry(rect, mValueText->size().width());
    mValueText->drawInRect(painter, wind.text);
    if (reading.showsArrow())
        return;
    // Calm or no data: a small dot where the arrow would be.
    const double diameter = kIconSize * 0.08;
    QPainterPath dot;
    dot.addEllipse(wind.arrow.center(), diameter / 2.0, diameter / 2.0);
    painter.fillPath(dot, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.7f));
}
