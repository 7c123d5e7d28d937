// The main window's content view: panel creation, the layout pass for the three display modes,
// and the header bar.
#include "app/NBBaseView.h"

#include "app/NBCurrentConditionsView.h"
#include "app/NBForecastView.h"
#include "app/NBMainPanels.h"
#include "app/NBScheduler.h"
#include "app/NBTimeView.h"
#include "core/OVDisplayNotifications.h"
#include "core/views/NBParentView.h"
#include "core/NBPrefController.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVGraphContainer.h"
#include "core/views/OVMapPanel.h"
#include "core/views/OVNamedImage.h"
#include "core/views/OVYUp.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVWeatherLocation.h"

#include <QPaintEvent>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

#include <cmath>

namespace {

constexpr double kSetupDelay = 0.5;

QColor storeColor(const char *key)
{
    return NBPrefController::settingForKey(QLatin1String(key)).value<QColor>();
}

} // namespace

NBBaseView::NBBaseView(QWidget *parent)
    : QWidget(parent)
    , mMapFactory(&NBMainPanels::makeMapViewController)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

NBBaseView::~NBBaseView()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    if (QParallelAnimationGroup *running = modeAnimation())
        running->stop();
    // A map left full size goes back to its place, so it keeps its scale there.
    if (mActiveMode == MapFullSize && hasPanels()) {
        mActiveMode = AllPanels;
        layoutPanels(false);
    }
}

void NBBaseView::awakeFromNib(NBScheduler &scheduler)
{
    mScheduler = &scheduler;
    scheduler.callAfter(kSetupDelay, this, [this] { setupViews(); });
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyRedisplayEverything, [this](const OVNotification &) { refreshDisplay(); });
    // The title changes from "Fetching Weather for ..." once the first observation is stored.
    center.addObserver(this, OVNotifyICAONeedsDisplay,
                       [this](const OVNotification &) { update(OVYUp::toWidgetGeometry(headerRect(), height())); });
}

void NBBaseView::setupViews()
{
    if (hasPanels())
        return;
    mConditionsView = new NBCurrentConditionsView(this);
    mConditionsView->setCurrentLocation(mCurrentLocation);
    // The panels read the controller's clock; the scheduler outlives the window.
    const auto now = [scheduler = mScheduler] {
        return scheduler ? scheduler->now() : QDateTime::currentDateTimeUtc();
    };
    mForecastView = NBMainPanels::makeForecastView(this, now);
    mTimeView = NBMainPanels::makeTimeView(this, now);
    mForecastView->setCurrentLocation(mCurrentLocation);
    mTimeView->setCurrentLocation(mCurrentLocation);
    mGraphContainer = NBMainPanels::makeGraphContainerView(this);
    mMapController = mMapFactory(this);
    const QRect initial(0, 0, 500, 500);
    for (QWidget *panel : panelViews())
        panel->setGeometry(initial);
    mLastMode = AllPanels;
    mActiveMode = AllPanels;
    positionSubviews();
    // Stacking order: the map on top, as it was added last. The layout pass has shown or
    // hidden each panel.
    for (QWidget *panel : panelViews())
        panel->raise();
    mMapController->setCurrentLocation(mCurrentLocation, false);
    update();
}

QWidget *NBBaseView::forecastView() const
{
    return mForecastView;
}

QWidget *NBBaseView::timeView() const
{
    return mTimeView;
}

void NBBaseView::setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    mCurrentLocation = location;
    if (mConditionsView)
        mConditionsView->setCurrentLocation(mCurrentLocation);
    if (hasPanels()) {
        mForecastView->setCurrentLocation(location);
        mTimeView->setCurrentLocation(location);
    }
    refreshDisplay();
}

QList<QWidget *> NBBaseView::panelViews() const
{
    if (!hasPanels())
        return {};
    return {mConditionsView, mForecastView, mTimeView, mGraphContainer->view(), mMapController->view()};
}

// --- Layout -------------------------------------------------------------------------------------

NBBaseView::Layout NBBaseView::layoutForMode(int mode) const
{
    const double s = kSpacing;
    const double c = kCurrentConditionsViewHeight;
    const double f = kForecastViewHeight;
    const double t = kTimeViewWidth;
    // The frame's origin is read as it is in the parent (the view sits at (0, 0) there).
    const QRectF frame = parentWidget() ? OVYUp::frame(*this) : QRectF(0, 0, width(), height());
    const double X = frame.x() + 1.0;
    const double Y = frame.y();
    const double W = frame.width() - 1.0;
    const double H = frame.height() - kHeaderHeight;
    const double half = std::trunc(W * 0.5);

    Layout layout;
    layout.conditions = OVYUp::frame(*mConditionsView);
    layout.forecast = OVYUp::frame(*mForecastView);
    layout.time = OVYUp::frame(*mTimeView);
    layout.graphs = OVYUp::frame(*mGraphContainer->view());
    layout.map = OVYUp::frame(*mMapController->view());
    const QRectF content = QRectF(X, Y, W, H).adjusted(s, s, -s, -s);

    switch (mode) {
    case AllPanels: {
        layout.conditions = QRectF(X + s, H - s - c, W - 2 * s, c);
        layout.forecast = QRectF(X + s, H - 2 * s - c - f, W - 3 * s - t, f);
        layout.time = QRectF(X + W - t - s, H - 2 * s - c - f, t, f);
        const double G = H - 4 * s - c - f - Y;
        layout.graphs = QRectF(X + s, Y + s, half - s, G);
        layout.map = QRectF(s + half, Y + s, W - half - 2 * s, G);
        if (G <= kMinimumGraphHeight) {
            // Too low to show: both keep their top edge and a usable height, hidden.
            const double y = Y + s + G - kMinimumGraphHeight;
            layout.graphs.setRect(layout.graphs.x(), y, layout.graphs.width(), kMinimumGraphHeight);
            layout.map.setRect(layout.map.x(), y, layout.map.width(), kMinimumGraphHeight);
            layout.graphsShown = layout.mapShown = false;
        }
        break;
    }
    case MapFullSize:
        layout.map = content;
        layout.upperShown = layout.graphsShown = false;
        break;
    case GraphsFullSize:
        layout.graphs = content;
        layout.upperShown = layout.mapShown = false;
        break;
    default:
        break;
    }
    return layout;
}

void NBBaseView::positionSubviews()
{
    layoutPanels(true);
}

void NBBaseView::layoutPanels(bool allowAnimation)
{
    if (!hasPanels())
        return;
    // A new pass takes over from a move still under way.
    if (QParallelAnimationGroup *running = modeAnimation())
        running->stop();
    const Layout layout = layoutForMode(mActiveMode);
    QWidget *graphs = mGraphContainer->view();
    QWidget *map = mMapController->view();
    if (mActiveMode == MapFullSize)
        map->raise();
    else if (mActiveMode == GraphsFullSize)
        graphs->raise();

    const QList<QWidget *> panels = panelViews();
    const QList<QRectF> frames{layout.conditions, layout.forecast, layout.time, layout.graphs, layout.map};
    const bool modeChanged = mActiveMode != mLastMode;
    if (modeChanged && allowAnimation) {
        // The map keeps its scale: its zoom follows the change of its width.
        const double currentWidth = mMapController->width();
        if (currentWidth > 0.0)
            mMapController->setZoom(mMapController->zoom() * (layout.map.width() / currentWidth));
    }

    for (QWidget *panel : std::initializer_list<QWidget *>{mConditionsView, mForecastView, mTimeView})
        panel->setVisible(layout.upperShown);
    graphs->setVisible(layout.graphsShown);
    map->setVisible(layout.mapShown);

    if (modeChanged && allowAnimation) {
        auto *group = new QParallelAnimationGroup(this);
        for (qsizetype i = 0; i < panels.size(); ++i) {
            auto *move = new QPropertyAnimation(panels[i], "geometry", group);
            move->setDuration(kModeAnimationMs);
            move->setStartValue(panels[i]->geometry());
            move->setEndValue(OVYUp::toWidgetGeometry(frames[i], height()));
            group->addAnimation(move);
        }
        mModeAnimation = group;
        group->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        for (qsizetype i = 0; i < panels.size(); ++i)
            OVYUp::setFrame(*panels[i], frames[i]);
    }

    mConditionsView->update();
    mForecastView->update();
    mTimeView->update();
    redisplayGraphViews();
    map->update();
    mLastMode = mActiveMode;
}

void NBBaseView::redisplayGraphViews()
{
    if (!mGraphContainer)
        return;
    mGraphContainer->relayoutGraphs(this, false);
    mGraphContainer->view()->update();
}

void NBBaseView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    positionSubviews();
}

// --- Redisplay ----------------------------------------------------------------------------------

void NBBaseView::refreshDisplay()
{
    update();
    for (QWidget *panel : panelViews())
        panel->update();
}

void NBBaseView::setSplitviewInLiveResize(bool inLiveResize)
{
    const bool ended = mInLiveResize && !inLiveResize;
    mInLiveResize = inLiveResize;
    if (ended)
        update();
}

double NBBaseView::heightOfAttributes(const QVariantMap &attributes)
{
    static const QString sample =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz01234567890%1.,:%").arg(QChar(0x00B0));
    return OVAttributedString(sample).sizeWithAttributes(attributes).height();
}

// --- Header -------------------------------------------------------------------------------------

QString NBBaseView::headerTitleForLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    if (!location)
        return OVLocalizedString("No Location Selected...");
    const QString name = location->locationString();
    if (location->getCurrentData())
        return name;
    return QStringLiteral("%1 %2...").arg(OVLocalizedString("Fetching Weather for"), name);
}

QRectF NBBaseView::headerRect() const
{
    return QRectF(1.0, height() - kHeaderHeight, width() - 1.0, kHeaderHeight);
}

void NBBaseView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    OVYUp::begin(painter, height());
    drawRect(painter, OVYUp::fromWidgetGeometry(event->rect(), height()));
}

void NBBaseView::drawRect(QPainter &painter, const QRectF &dirty)
{
    painter.fillRect(dirty, storeColor("backgroundColor"));
    const QRectF header = headerRect();
    if (!dirty.intersects(header))
        return;
    painter.fillRect(header, storeColor("OVNimbrelColorBlue"));

    const QImage cloud = OVNamedImage::imageNamed(QStringLiteral("toolbar_cloud"));
    if (!cloud.isNull()) {
        const double scale = header.height() / cloud.height();
        const QRectF target(header.right() - 20.0 - cloud.width(), header.y(), cloud.width() * scale, header.height());
        OVYUp::drawImage(painter, target, cloud);
    }

    const QRectF titleRect(header.x() + 10.0, header.y() + 2.0, header.width() - 20.0, header.height() - 6.0);
    OVAttributedString::drawOVString(painter, headerTitle(),
                                     NBPrefController::settingForKey(QStringLiteral("headingFontAttr")).toMap(), titleRect);
}
