// One graph panel: the shared set-up, the window, the status overlay, layout and hover texts.
#include "graphs/NBMultiGraphPart.h"

#include "core/NBPrefController.h"
#include "core/OVDateFormattingTool.h"
#include "core/OVTextAttributes.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVFilledView.h"
#include "core/views/OVNamedImage.h"
#include "graphs/NBGraphSeries.h"
#include "graphs/NBGraphTypeStrategy.h"
#include "graphs/OVCylindricalGraphLegendView.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphHoverView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "platform/OVClock.h"
#include "platform/OVLocalize.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"

#include <QFont>
#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPalette>
#include <QPropertyAnimation>

namespace {

constexpr int kSecondsBeforeNowAtStart = 84600;

void styleLabel(QLabel &label, Qt::Alignment alignment)
{
    const QVariantMap attributes = NBPrefController::settingForKey(QStringLiteral("standardTextInv")).toMap();
    if (attributes.contains(OVFontAttributeName))
        label.setFont(attributes.value(OVFontAttributeName).value<QFont>());
    QPalette palette = label.palette();
    const QColor color = attributes.value(OVForegroundColorAttributeName).value<QColor>();
    palette.setColor(QPalette::WindowText, color.isValid() ? color : QColor(Qt::white));
    label.setPalette(palette);
    label.setAlignment(alignment | Qt::AlignVCenter);
    label.setAttribute(Qt::WA_TransparentForMouseEvents);
}

} // namespace

NBMultiGraphPart::NBMultiGraphPart(QWidget *parent)
    : QWidget(parent)
    , mGraph(new OVGraphView(this))
    , mLegend(new OVGraphLegendView(this))
    , mRightLabel(new QLabel(this))
    , mLeftLabel(new QLabel(this))
{
    styleLabel(*mRightLabel, Qt::AlignRight);
    styleLabel(*mLeftLabel, Qt::AlignLeft);
}

NBMultiGraphPart::~NBMultiGraphPart() = default;

void NBMultiGraphPart::setFallbackClock(const OVClock *clock)
{
    mFallbackClock = clock;
}

std::shared_ptr<OVWeatherLocation> NBMultiGraphPart::currentLocation() const
{
    return mDelegate ? mDelegate->currentLocation() : nullptr;
}

const OVClock &NBMultiGraphPart::clock() const
{
    if (const std::shared_ptr<OVWeatherLocation> location = currentLocation())
        return location->dataSources().clock();
    return mFallbackClock ? *mFallbackClock : OVClock::system();
}

QDateTime NBMultiGraphPart::now() const
{
    return clock().now();
}

QDateTime NBMultiGraphPart::startDate() const
{
    return mDelegate ? mDelegate->startDate() : QDateTime();
}

QDateTime NBMultiGraphPart::endDate() const
{
    return mDelegate ? mDelegate->endDate() : QDateTime();
}

QString NBMultiGraphPart::stringForDirection(double degrees)
{
    return NBGraphSeries::stringForDirection(degrees);
}

void NBMultiGraphPart::setLeftText(const QString &text)
{
    mLeftText = text;
    fitLeftLabel();
}

void NBMultiGraphPart::fitLeftLabel()
{
    // The summary ends before the quantity's name begins: where the two would meet, the summary
    // gives way (its whole text stays in the tool tip).
    const QFontMetrics titleMetrics(mRightLabel->font());
    const int titleLeft = mRightLabel->x() + mRightLabel->width() - titleMetrics.horizontalAdvance(mRightLabel->text());
    const int room = std::max(0, titleLeft - kLabelGap - mLeftLabel->x());
    mLeftLabel->resize(std::min(mGraph->width(), room), mLeftLabel->height());
    const QFontMetrics metrics(mLeftLabel->font());
    const bool fits = metrics.horizontalAdvance(mLeftText) <= mLeftLabel->width();
    mLeftLabel->setText(fits ? mLeftText : metrics.elidedText(mLeftText, Qt::ElideRight, mLeftLabel->width()));
    mLeftLabel->setToolTip(fits ? QString() : mLeftText);
}

double NBMultiGraphPart::naturalLabelBandWidth() const
{
    return std::max(kMinLabelBandWidth, mLegend->naturalYLegendWidth());
}

void NBMultiGraphPart::setSharedLabelBandWidth(double width)
{
    const double band = std::max(kMinLabelBandWidth, width);
    if (mLegend->minYLegendWidth() == band)
        return;
    mLegend->setMinYLegendWidth(band);
    layoutContents();
}

void NBMultiGraphPart::setGraphType(int type)
{
    mType = type;
    mStrategy = NBGraphTypeStrategy::forType(type);
    setup();
}

void NBMultiGraphPart::setup()
{
    const QColor lines = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.4f);
    mLegend->setYBorderColor(lines);
    mLegend->setYGridColor(lines);
    mLegend->setXBorderColor(lines);
    mLegend->setXGridColor(lines);
    mLegend->setBorderWidth(1.0);

    const QDateTime now = this->now();
    mLegend->setDrawYLegend(true);
    mLegend->setMinYLegendWidth(kMinLabelBandWidth);
    mLegend->setGraphXMode(OVGraphXMode::Dates);
    mLegend->setMinDate(now.addSecs(-kSecondsBeforeNowAtStart));
    mLegend->setMaxDate(now);
    mLegend->setDrawXLegend(true);

    applySharedGraphSettings(*mGraph, mLegend);

    if (mStrategy)
        mStrategy->setup(*this);
    layoutContents();
}

void NBMultiGraphPart::applySharedGraphSettings(OVGraphView &graph, OVGraphLegendView *legend)
{
    graph.setSmoothed(true);
    graph.setPlot(false);
    graph.setExtendTheData(false);
    graph.setGraphXMode(OVGraphXMode::Dates);
    graph.setAutoScale(false);
    graph.setInverted(false);
    graph.setDrawForegroundWhenNoData(false);
    graph.setStroke(false);
    graph.setOverlayViews({legend});
}

void NBMultiGraphPart::updateGraphData()
{
    if (currentLocation() && mStrategy)
        mStrategy->updateData(*this);
    updateGraphDates();
    checkStatus();
}

void NBMultiGraphPart::updateGraphDates()
{
    mGraph->setMinDate(startDate(), endDate());
    mLegend->setMinDate(mGraph->minDate());
    mLegend->setMaxDate(mGraph->maxDate());

    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    const QTimeZone zone = location ? location->locationTimeZone() : QTimeZone();
    mLegend->setTimeZone(zone);
    mGraph->setTimeZone(zone);
    // The present line follows the location's clock; the location is kept while the legend
    // holds its clock.
    mClockOwner = location;
    mLegend->setClock(&clock());

    mGraph->setShowAverageValue(NBPrefController::boolForKey(QStringLiteral("graphShowAverage")));
    if (mStrategy)
        mStrategy->updateScale(*this);
    mGraph->setNeedsDisplay();
    mLegend->setNeedsDisplay();
    // The scale may have changed the width the value labels need; the stack keeps one width.
    if (mDelegate)
        mDelegate->labelBandMayHaveChanged();
}

void NBMultiGraphPart::updateHover(OVGraphHoverView &hover, double x)
{
    const std::optional<OVGraphDataPoint> point = mGraph->closestDataToX(x);
    if (!point) {
        hover.label()->setString(OVLocalizedString("No Data"));
        return;
    }
    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    const QTimeZone zone = location ? location->locationTimeZone() : QTimeZone();
    OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
    if (mType == NBGraphTypePrecipitation || mType == NBGraphTypeSnowfall)
        hover.timeString()->setString(tool.combinedStringFromStartDate(point->minDate, point->maxDate, zone));
    else
        hover.timeString()->setString(tool.combinedStringFromDate(point->date, zone));
    hover.label()->setString(mStrategy ? mStrategy->hoverText(*this, *point) : QString());
}

void NBMultiGraphPart::setViewFrame(const QRect &frame, bool)
{
    setGeometry(frame);
    layoutContents();
}

void NBMultiGraphPart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutContents();
}

void NBMultiGraphPart::layoutContents()
{
    const int w = width();
    const int h = height();
    mLegend->setGeometry(0, 0, w, std::max(0, h - kLabelStripHeight));
    const QRectF viewable = mLegend->viewableGraphRect().translated(mLegend->pos());
    mGraph->setGeometry(viewable.toAlignedRect());
    afterGraphLayout();
    mLeftLabel->setGeometry(mGraph->x(), h - kLabelStripHeight, mGraph->width(), kLabelStripHeight);
    mRightLabel->setGeometry(0, h - kLabelStripHeight, std::max(0, w - 4), kLabelStripHeight);
    fitLeftLabel();
    if (mStatusOverlay) {
        mStatusOverlay->setGeometry(overlayFrame());
        mStatusOverlay->update();
    }
    mGraph->setNeedsDisplay();
    mLegend->setNeedsDisplay();
}

void NBMultiGraphPart::afterGraphLayout()
{
    auto *legend = qobject_cast<OVCylindricalGraphLegendView *>(mLegend);
    if (legend)
        legend->setGeometryFromGraphView(qobject_cast<OVCylindricalGraphView *>(mGraph));
}

QRect NBMultiGraphPart::overlayFrame() const
{
    const QRect g = mGraph->geometry();
    return QRect(g.x() - 1, g.y(), g.width() + 1, g.height());
}

void NBMultiGraphPart::checkStatus()
{
    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    if (!location) {
        updateStatusOverlay(OVLocalizedString("No Location Selected\u2026"));
        return;
    }
    if (!mGraph->dataPoints().empty()) {
        updateStatusOverlay(QString());
        return;
    }
    // Nothing to draw: say whether the place has data of this kind at all.
    const bool hasData = (mType == NBGraphTypeSnowfall || mType == NBGraphTypeWaveHeight)
                             ? !location->forecastForKey(OVForecastKey::hourlyt).isEmpty()
                             : !location->getDataForLastDays(7, clock()).isEmpty();
    updateStatusOverlay(hasData ? OVLocalizedString("Unavailable at this location.")
                                : NBPrefController::statusMessage());
}

void NBMultiGraphPart::updateStatusOverlay(const QString &text)
{
    if (text.isEmpty()) {
        if (mStatusOverlay) {
            mStatusOverlay->hide();
            mStatusOverlay->deleteLater();
            mStatusOverlay = nullptr;
        }
        return;
    }
    if (!mStatusOverlay) {
        mStatusOverlay = new OVFilledView(this);
        mStatusOverlay->setFlipped(true);
        mStatusOverlay->setGeometry(overlayFrame());
        mStatusOverlay->setBackgroundColor(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.6f));
        mStatusOverlay->setCenteredImage(OVNamedImage::imageNamed(QStringLiteral("insert_alert_icon")));
        auto *opacity = new QGraphicsOpacityEffect(mStatusOverlay);
        opacity->setOpacity(0.0);
        mStatusOverlay->setGraphicsEffect(opacity);
        mStatusOverlay->show();
        mStatusOverlay->raise();
    }
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(17);
    mStatusOverlay->setCenteredText(OVAttributedString::ovString(
        text, {{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor(Qt::white)}}));
    mStatusOverlay->update();

    auto *opacity = qobject_cast<QGraphicsOpacityEffect *>(mStatusOverlay->graphicsEffect());
    if (!opacity)
        return;
    // Once opaque the overlay needs no effect: it draws straight into the panel.
    OVFilledView *overlay = mStatusOverlay;
    if (mFadeMilliseconds <= 0) {
        overlay->setGraphicsEffect(nullptr);
        return;
    }
    // A refresh while the overlay fades in lets that fade run on: starting another one each time
    // would hold the overlay half transparent for as long as refreshes keep coming.
    if (opacity->findChild<QPropertyAnimation *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *fade = new QPropertyAnimation(opacity, "opacity", opacity);
    fade->setDuration(mFadeMilliseconds);
    fade->setEndValue(1.0);
    // The effect owns the animation: it goes once the animation has returned.
    connect(fade, &QPropertyAnimation::finished, overlay,
            [overlay] { overlay->setGraphicsEffect(nullptr); }, Qt::QueuedConnection);
    fade->start();
}

void NBMultiGraphPart::replaceGraph(OVGraphView *graph)
{
    graph->setParent(this);
    graph->setGeometry(mGraph->geometry());
    graph->stackUnder(mLegend);
    graph->show();
    delete mGraph;
    mGraph = graph;
}

void NBMultiGraphPart::replaceLegend(OVGraphLegendView *legend)
{
    legend->setParent(this);
    legend->setGeometry(mLegend->geometry());
    legend->stackUnder(mLeftLabel);
    legend->show();
    delete mLegend;
    mLegend = legend;
    mGraph->setOverlayViews({mLegend});
}
