// The graph stack of the main window.
#include "graphs/NBMultiGraphContainerView.h"

#include "core/NBControllerSettings.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVDateFormattingTool.h"
#include "core/OVDisplayNotifications.h"
#include "platform/OVLocalize.h"
#include "core/views/NBScroller.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVBubbleView.h"
#include "core/views/OVMainViewModeHost.h"
#include "core/views/OVNamedImage.h"
#include "core/views/OVViewUtil.h"
#include "core/views/OVYUp.h"
#include "graphs/NBGraphViewPrefs.h"
#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphHoverView.h"
#include "graphs/OVGraphView.h"
#include "platform/OVClock.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"
#include "weather/OVWeatherNotifications.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSnapPoints = 20.0;
constexpr double kTitleHeight = 30.0;
constexpr int kButtonSize = 20;

QVariantMap attributes(std::optional<QVariantMap> (*forBase)(const QString &), const char *key)
{
    return forBase(QLatin1String(key)).value_or(QVariantMap());
}

QToolButton *makeButton(QWidget *parent, const QString &image, const QString &accessibleName)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIcon(QIcon(QPixmap::fromImage(OVNamedImage::imageNamed(image))));
    button->setIconSize(QSize(kButtonSize, kButtonSize));
    button->setAccessibleName(accessibleName);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

// Closes the settings popover on a mouse or key press outside it, and lets every event through.
// A press in the popover or on the gear passes (the gear's own click closes the popover). Each
// event is judged when it reaches a widget: the window that receives it first passes it on to
// one.
class PopoverCloseMonitor : public QObject
{
public:
    PopoverCloseMonitor(QWidget *popover, QWidget *gear, std::function<void()> close)
        : mPopover(popover), mGear(gear), mClose(std::move(close))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || (type != QEvent::MouseButtonPress && type != QEvent::KeyPress))
            return false;
        if (type == QEvent::MouseButtonPress) {
            const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            if (contains(mPopover, global) || contains(mGear, global))
                return false;
        } else if (mPopover && (widget == mPopover || mPopover->isAncestorOf(widget))) {
            return false;
        }
        mClose();
        return false;
    }

private:
    static bool contains(const QWidget *widget, const QPoint &global)
    {
        return widget && widget->isVisible() && QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()).contains(global);
    }

    QPointer<QWidget> mPopover;
    QPointer<QWidget> mGear;
    std::function<void()> mClose;
};

} // namespace

NBMultiGraphContainerView::NBMultiGraphContainerView(QWidget *parent)
    : NBParentView(parent)
{
    setObjectName(QStringLiteral("graphContainerView"));
    setMouseTracking(true);
    setCursor(Qt::OpenHandCursor);

    mScrollView = new QScrollArea(this);
    mScrollView->setFrameShape(QFrame::NoFrame);
    mScrollView->setWidgetResizable(false);
    mScrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mScrollView->setVerticalScrollBar(new NBScroller(mScrollView));
    mScrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mScrollView->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    mScrollView->viewport()->setAutoFillBackground(false);
    mContent = new QWidget;
    mContent->setObjectName(QStringLiteral("graphScrollingContentView"));
    mScrollView->setWidget(mContent);
    // setWidget turns the content's background filling on; the panels lie on the rounded
    // panel's own colour, so it goes off again afterwards.
    mContent->setAutoFillBackground(false);

    mGearButton = makeButton(this, QStringLiteral("gear_20"), OVLocalizedString("Graph settings"));
    mFullSizeButton = makeButton(this, QStringLiteral("enter_fullscreen_20"), OVLocalizedString("Toggle Graph Size"));
    connect(mFullSizeButton, &QToolButton::clicked, this, [this] { toggleFullSize(); });
    connect(mGearButton, &QToolButton::clicked, this, [this] { showPrefs(); });

    mGraphHeight = int(NBPrefController::integerForKey(QStringLiteral("graphHeight")));
    if (mGraphHeight <= 0)
        mGraphHeight = 155;
    mTimeWindow.setInterval(double(NBPrefController::integerForKey(NBSettingKey::graphWidthDays)) * 86400.0);
    mTimeWindow.setPanOffset(NBPrefController::floatForKey(QStringLiteral("graphOffset")));

    layoutChrome();
    setupGraphParts();

    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    for (const QString &name : {OVNotifyICAONeedsDisplay, OVNotifyForecastNeedsDisplay, OVNotifyRedisplayEverything,
                                OVNotifyNewCurrentLocation})
        center.addObserver(this, name, [this](const OVNotification &) { refreshDisplay(); });
    connect(mScrollView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updateHover(); });
    // The read-out belongs to the active application only: it goes when the application does.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { updateHover(); });

    mHover = new OVGraphHoverView(mScrollView->viewport());
    mHover->setGeometry(0, 0, 100, 100);
    mHover->setLineColor(QColor::fromRgbF(0.31f, 0.32f, 0.32f, 1.0f));
    mHover->label()->setAttributes(attributes(&NBPrefController::centerTextForBase, "standardBoldTextInv"));
    mHover->label2()->setAttributes(attributes(&NBPrefController::leftTextForBase, "standardBoldTextInv"));
    mHover->setDrawVerticalLine(true);
    mHover->setDrawYPoint(true);
    mHover->setAttribute(Qt::WA_TransparentForMouseEvents);
    mHover->hideReadout();

    // Alt is watched application-wide: its press and release reach whichever widget has focus.
    qApp->installEventFilter(this);
    trackEverywhere(this);
}

NBMultiGraphContainerView::~NBMultiGraphContainerView()
{
    closePrefs();
    delete mPrefsBubble;
    if (qApp)
        qApp->removeEventFilter(this);
    OVNotificationCenter::defaultCenter().removeObserver(this);
    for (NBMultiGraphPart *part : std::as_const(mParts))
        part->setDelegate(nullptr);
}

QString NBMultiGraphContainerView::visibilityKey(int type)
{
    const NBGraphTypeRow *row = NBGraphTypeRowFor(type);
    return row ? QString(QLatin1String(row->visibilityKey)) : QString();
}

// --- The time window ------------------------------------------------------------------------

std::shared_ptr<OVWeatherLocation> NBMultiGraphContainerView::currentLocation() const
{
    if (mLocationSource)
        return mLocationSource();
    return OVWeatherController::sharedWeatherController().currentLocation();
}

void NBMultiGraphContainerView::setLocationSource(std::function<std::shared_ptr<OVWeatherLocation>()> source)
{
    mLocationSource = std::move(source);
    mEarliestKnown = false;
}

void NBMultiGraphContainerView::setFallbackClock(const OVClock *clock)
{
    mFallbackClock = clock;
    for (NBMultiGraphPart *part : std::as_const(mParts))
        part->setFallbackClock(clock);
}

QDateTime NBMultiGraphContainerView::now() const
{
    if (const std::shared_ptr<OVWeatherLocation> location = currentLocation())
        return location->dataSources().clock().now();
    return (mFallbackClock ? *mFallbackClock : OVClock::system()).now();
}

void NBMultiGraphContainerView::labelBandMayHaveChanged()
{
    double widest = 0.0;
    for (const NBMultiGraphPart *part : std::as_const(mParts))
        widest = std::max(widest, part->naturalLabelBandWidth());
    for (NBMultiGraphPart *part : std::as_const(mParts))
        part->setSharedLabelBandWidth(widest);
}

void NBMultiGraphContainerView::reloadEarliestObservation() const
{
    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    mEarliestIcao = location ? location->icao() : QString();
    mEarliest = QDateTime();
    if (location) {
        ++mEarliestQueries;
        if (OVObservationsDB *db = OVObservationsDB::sharedDatabase())
            mEarliest = db->earliestObservationForICAO(mEarliestIcao);
    }
    mEarliestKnown = true;
}

NBMultiGraphContainerView::Window NBMultiGraphContainerView::clampedWindow() const
{
    const QDateTime current = now();
    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    // The station is read once per refresh and drag; a new station is read at once.
    if (!mEarliestKnown || (location ? location->icao() : QString()) != mEarliestIcao)
        reloadEarliestObservation();

    // Without a location the window may reach a week back; a station without history leaves
    // the start free.
    std::optional<QDateTime> earliest;
    if (!location)
        earliest = current.addMSecs(qint64(-kWeekSeconds * 1000.0));
    else if (mEarliest.isValid())
        earliest = mEarliest;
    return mTimeWindow.clamp(current, earliest);
}

QDateTime NBMultiGraphContainerView::startDate() const
{
    const QDateTime start = clampedWindow().start;
    return mLoadingDataWindow ? start.addMSecs(-dataWindowMargin()) : start;
}

QDateTime NBMultiGraphContainerView::endDate() const
{
    const QDateTime end = clampedWindow().end;
    return mLoadingDataWindow ? end.addMSecs(dataWindowMargin()) : end;
}

qint64 NBMultiGraphContainerView::dataWindowMargin() const
{
    return qint64(std::llround(mTimeWindow.interval() * 1000.0));
}

void NBMultiGraphContainerView::loadDataWindow()
{
    mLoadingDataWindow = true;
    const QDateTime from = startDate();
    const QDateTime to = endDate();
    for (NBMultiGraphPart *part : std::as_const(mParts)) {
        if (isShown(*part))
            part->updateGraphData();
    }
    mLoadingDataWindow = false;
    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    mLoadedWindow = LoadedWindow{from, to, location.get()};
    // The panels show the window itself; the margins only hold data for the next moves.
    for (NBMultiGraphPart *part : std::as_const(mParts)) {
        if (isShown(*part))
            part->updateGraphDates();
    }
}

bool NBMultiGraphContainerView::windowIsLoaded(const Window &window) const
{
    return mLoadedWindow && mLoadedWindow->location == currentLocation().get()
           && mLoadedWindow->start <= window.start && window.end <= mLoadedWindow->end;
}

void NBMultiGraphContainerView::updateGraphIntervalWhileHoldingRightSide(double seconds)
{
    mTimeWindow.setIntervalHoldingEnd(seconds);
}

QString NBMultiGraphContainerView::titleText() const
{
    const std::shared_ptr<OVWeatherLocation> location = currentLocation();
    const QTimeZone zone = location ? location->locationTimeZone() : QTimeZone::systemTimeZone();
    const Window window = clampedWindow();
    OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
    return OVLocalizedString("%1 ➜ %2")
        .arg(tool.dateStringFromDate(window.start, zone), tool.dateStringFromDate(window.end, zone));
}

void NBMultiGraphContainerView::drawRect(QPainter &painter, const QRectF &dirty)
{
    NBParentView::drawRect(painter, dirty);
    const QRectF bounds = rect();
    const QRectF titleRect(bounds.x(), bounds.height() - kTitleHeight, bounds.width(), 25.0);
    OVAttributedString(titleText(), attributes(&NBPrefController::centerTextForBase, "subHeadingFontAttrInv"))
        .drawInRect(painter, titleRect);
}

// --- Stack ------------------------------------------------------------------------------------

void NBMultiGraphContainerView::layoutChrome()
{
    const QRectF drawing = drawingRect();
    OVYUp::setFrame(*mScrollView, QRectF(drawing.x(), drawing.y() + 5.0, drawing.width(),
                                         std::max(0.0, drawing.height() - kTitleHeight)));
    const QRectF bounds = rect();
    OVYUp::setFrame(*mGearButton, QRectF(std::round(bounds.x() + 4.0), std::round(bounds.height() - 24.0),
                                         kButtonSize, kButtonSize));
    OVYUp::setFrame(*mFullSizeButton, QRectF(std::round(bounds.width() - 24.0), std::round(bounds.height() - 24.0),
                                             kButtonSize, kButtonSize));
}

void NBMultiGraphContainerView::setupGraphParts()
{
    const int h = mGraphHeight;
    const int w = mScrollView->viewport()->width();
    mContent->resize(w, h * int(kStackOrder.size()));
    int slot = int(kStackOrder.size()) - 1;
    for (int type : kStackOrder) {
        auto *part = new NBMultiGraphPart(mContent);
        part->setFallbackClock(mFallbackClock);
        OVYUp::setFrame(*part, QRectF(0, slot-- * h, w, h));
        part->setDelegate(this);
        part->setGraphType(type);
        part->updateGraphData();
        part->show();
        mParts.append(part);
    }
    relayoutGraphs(this, false);
}

void NBMultiGraphContainerView::trackEverywhere(QWidget *widget)
{
    widget->setMouseTracking(true);
    for (QWidget *child : widget->findChildren<QWidget *>())
        child->setMouseTracking(true);
}

int NBMultiGraphContainerView::scrollDistanceFromTop() const
{
    return mScrollView->verticalScrollBar()->value();
}

void NBMultiGraphContainerView::setScrollDistanceFromTop(int distance)
{
    QScrollBar *bar = mScrollView->verticalScrollBar();
    bar->setRange(0, std::max(0, mContent->height() - mScrollView->viewport()->height()));
    bar->setValue(distance);
}

bool NBMultiGraphContainerView::isShown(const NBMultiGraphPart &part)
{
    return part.alpha() >= 0.1;
}

void NBMultiGraphContainerView::relayoutGraphs(QObject *, bool animate)
{
    int n = 0;
    for (int type : kStackOrder)
        n += NBPrefController::boolForKey(visibilityKey(type)) ? 1 : 0;

    const int oldDistance = scrollDistanceFromTop();
    mContent->resize(mScrollView->width(), mScrollView->height() + 20);
    const int w = mScrollView->viewport()->width();
    const int vh = mScrollView->viewport()->height();
    const int h = mGraphHeight;
    const int contentHeight = std::max(vh, h * n);
    mContent->resize(w, contentHeight);

    int slotHeight = h;
    int distance = std::max(0, oldDistance);
    if (vh > h * n) {
        // With nothing shown there are no slots to share.
        slotHeight = n > 0 ? int(std::lround(double(vh - 10) / n)) : 0;
        distance = 0;
    }
    setScrollDistanceFromTop(distance);

    updateGraphIntervalWhileHoldingRightSide(
        double(NBPrefController::integerForKey(NBSettingKey::graphWidthDays)) * 86400.0);

    double slotY = contentHeight - slotHeight;
    for (NBMultiGraphPart *part : std::as_const(mParts)) {
        const QString key = visibilityKey(part->type());
        const bool shown = key.isEmpty() || NBPrefController::boolForKey(key);
        if (shown && n > 0) {
            const QRectF slot(0, slotY, w, slotHeight);
            if (!isShown(*part))
                OVYUp::setFrame(*part, slot.translated(w, 0));
            part->setAlpha(1.0);
            part->show();
            OVYUp::setFrame(*part, slot);
            slotY -= slotHeight;
        } else {
            // Keep a hidden panel at the stack's size, so that the Alt read-out can read it at
            // the pointer's x like the shown ones.
            const bool wasShown = isShown(*part);
            part->setAlpha(0.0);
            if (!wasShown)
                part->setGeometry(-w, 0, w, h);
            else
                slideOut(*part);
        }
    }
    Q_UNUSED(animate);
    refreshDisplay();
}

void NBMultiGraphContainerView::slideOut(NBMultiGraphPart &part)
{
    const QRect from = part.geometry();
    const QRect to = from.translated(-from.width(), 0);
    if (mSlideMilliseconds <= 0 || !part.isVisible()) {
        part.setGeometry(to);
        return;
    }
    auto *animation = new QPropertyAnimation(&part, "geometry", &part);
    animation->setDuration(mSlideMilliseconds);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void NBMultiGraphContainerView::resizeEvent(QResizeEvent *event)
{
    NBParentView::resizeEvent(event);
    const int distance = scrollDistanceFromTop();
    layoutChrome();
    relayoutGraphs(this, false);
    setScrollDistanceFromTop(distance);
}

void NBMultiGraphContainerView::refreshDisplay()
{
    reloadEarliestObservation();
    loadDataWindow();
    update();
}

NBMultiGraphPart *NBMultiGraphContainerView::firstVisiblePart() const
{
    for (NBMultiGraphPart *part : mParts) {
        if (part->alpha() > 0.1)
            return part;
    }
    return nullptr;
}

void NBMultiGraphContainerView::checkIfNeedLoadDataAndRedisplay()
{
    NBMultiGraphPart *first = firstVisiblePart();
    if (!first) {
        for (NBMultiGraphPart *part : std::as_const(mParts))
            part->updateGraphDates();
        update();
        return;
    }
    // Reload only once the window leaves what was loaded last: where the station has no data
    // (before its first report, after the forecast) there is nothing more to read, and a drag
    // reads its station's first report once, when it begins.
    if (!windowIsLoaded(clampedWindow())) {
        if (mPressed)
            loadDataWindow();
        else
            refreshDisplay();
        update();
        return;
    }
    for (NBMultiGraphPart *part : std::as_const(mParts))
        part->updateGraphDates();
    update();
}

void NBMultiGraphContainerView::toggleFullSize()
{
    const std::optional<bool> toGraphs = OVMainViewModeHost::toggleFullSize(this, OVMainViewModeHost::GraphsFullSize);
    if (!toGraphs)
        return;
    const QString image = *toGraphs ? QStringLiteral("exit_fullscreen_20") : QStringLiteral("enter_fullscreen_20");
    mFullSizeButton->setIcon(QIcon(QPixmap::fromImage(OVNamedImage::imageNamed(image))));
    mFullSizeButton->setProperty("imageName", image);
}

// --- Pointer ----------------------------------------------------------------------------------

QPointF NBMultiGraphContainerView::yUp(const QPointF &widgetPoint) const
{
    return OVYUp::toYUp(widgetPoint, height());
}

NBMultiGraphPart *NBMultiGraphContainerView::partForMouseLocation(const QPointF &point) const
{
    const QPointF widgetPoint = OVYUp::toWidget(point, height());
    for (NBMultiGraphPart *part : mParts) {
        OVGraphView *graph = part->graph();
        if (!graph)
            continue;
        QRectF area(graph->mapTo(this, QPoint(0, 0)), QSizeF(graph->size()));
        if (auto *cylinder = qobject_cast<OVCylindricalGraphView *>(graph))
            area.adjust(cylinder->cylinderWidth() / 2.0, 0, -cylinder->cylinderWidth() / 2.0, 0);
        if (area.contains(widgetPoint))
            return part;
    }
    return nullptr;
}

void NBMultiGraphContainerView::updateHover()
{
    if (!mHover)
        return;
    if (QGuiApplication::applicationState() != Qt::ApplicationActive || mInDrag || !mInView) {
        mHover->hideReadout();
        return;
    }
    NBMultiGraphPart *part = partForMouseLocation(yUp(mLastMouse));
    if (!part) {
        mHover->hideReadout();
        mHover->update();
        return;
    }
    OVGraphView *graph = part->graph();
    mHover->showReadout();
    mHover->raise();
    const double x = graph->mapFrom(this, mLastMouse).x();
    mHover->setX(x);
    mHover->setY(graph->yForX(x));

    if (!mOptionKeyHeld) {
        mHover->label2()->setString(QString());
        mHover->label()->setAttributes(attributes(&NBPrefController::centerTextForBase, "standardBoldTextInv"));
        part->updateHover(*mHover, mHover->x());
    } else {
        const std::shared_ptr<OVWeatherLocation> location = currentLocation();
        const Window window = clampedWindow();
        QString names;
        QString values;
        for (NBMultiGraphPart *each : std::as_const(mParts)) {
            if (each->type() == 2 || each->type() == 3)
                continue;
            // A hidden panel is not reloaded by a refresh: bring its data up to the present
            // location and window before reading it.
            if (!isShown(*each)) {
                const QVariant loaded = each->property("loadedFor");
                const QString now = QStringLiteral("%1|%2|%3")
                                        .arg(quintptr(location.get()))
                                        .arg(window.start.toMSecsSinceEpoch())
                                        .arg(window.end.toMSecsSinceEpoch());
                if (loaded.toString() != now) {
                    each->updateGraphData();
                    each->setProperty("loadedFor", now);
                }
            }
            each->updateHover(*mHover, mHover->x());
            names += each->type() == 1 ? OVLocalizedString("Wind: \n")
                                       : OVLocalizedString("%1: \n").arg(each->rightLabel()->text());
            values += QStringLiteral(" %1\n").arg(mHover->label()->string());
        }
        mParts.front()->updateHover(*mHover, mHover->x());
        auto trimmed = [](QString text) {
            while (text.startsWith(QLatin1Char('\n')))
                text.remove(0, 1);
            while (text.endsWith(QLatin1Char('\n')))
                text.chop(1);
            return text;
        };
        mHover->label()->setString(trimmed(names));
        mHover->label2()->setString(trimmed(values));
        mHover->label()->setAttributes(attributes(&NBPrefController::rightTextForBase, "standardTextInv"));
    }

    mHover->setGeometry(mHover->frameForGraphView(*graph));
    auto *cylinder = qobject_cast<OVCylindricalGraphView *>(graph);
    mHover->setLineBulgeAmount(cylinder ? cylinder->cylinderWidth() / 2.0 : 0.0);
    mHover->setDrawYPoint(!cylinder && graph->graphYMode() != OVGraphYMode::Bars
                          && graph->closestDataToX(mHover->x()).has_value());
    mHover->update();
}

void NBMultiGraphContainerView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mPressed = true;
    mLastMouse = event->position();
    mInitialMouse = yUp(event->position());
    mInitialCenterTimeOffset = mTimeWindow.panOffset();
    mInitialVerticalOffset = mVerticalOffset;
    NBMultiGraphPart *pressed = partForMouseLocation(mInitialMouse);
    mDragOnCylinder = pressed && pressed->type() == 3;
    reloadEarliestObservation();
    setCursor(Qt::ClosedHandCursor);
    if (mHover)
        mHover->hideReadout();
    event->accept();
}

void NBMultiGraphContainerView::mouseMoveEvent(QMouseEvent *event)
{
    mLastMouse = event->position();
    mOptionKeyHeld = event->modifiers().testFlag(Qt::AltModifier);
    if (!mPressed) {
        mInView = true;
        updateHover();
        return;
    }
    mInDrag = true;
    const QPointF p = yUp(event->position());
    const double dx = mInitialMouse.x() - p.x();
    NBMultiGraphPart *first = mParts.isEmpty() ? nullptr : mParts.front();
    const double referenceWidth = first && first->graph() ? first->graph()->width() : width();
    if (referenceWidth <= 0)
        return;
    mTimeWindow.panFrom(mInitialCenterTimeOffset, dx, referenceWidth, kSnapPoints);
    if (mDragOnCylinder && first && first->graph() && first->graph()->height() > 0) {
        double offset = mInitialVerticalOffset
                        + (mInitialMouse.y() - p.y()) / first->graph()->height() * -180.0;
        while (offset < 0.0)
            offset += 360.0;
        while (offset > 360.0)
            offset -= 360.0;
        if (offset < 20.0 || offset > 340.0)
            offset = 0.0;
        mVerticalOffset = offset;
    }
    checkIfNeedLoadDataAndRedisplay();
    event->accept();
}

void NBMultiGraphContainerView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!mPressed) {
        event->ignore();
        return;
    }
    mPressed = false;
    mInDrag = false;
    mLastMouse = event->position();
    NBPrefController::setSetting(float(mTimeWindow.panOffset()), QStringLiteral("graphOffset"));
    setCursor(Qt::OpenHandCursor);
    updateHover();
    event->accept();
}

void NBMultiGraphContainerView::enterEvent(QEnterEvent *event)
{
    mInView = true;
    mLastMouse = event->position();
    updateHover();
}

void NBMultiGraphContainerView::leaveEvent(QEvent *)
{
    if (mHover)
        mHover->hideReadout();
    mInView = false;
}

void NBMultiGraphContainerView::magnify(QEvent *event)
{
    auto *gesture = static_cast<QNativeGestureEvent *>(event);
    switch (gesture->gestureType()) {
    case Qt::BeginNativeGesture:
        mPinchMagnification = 0.0;
        break;
    case Qt::ZoomNativeGesture:
        mPinchMagnification += gesture->value();
        break;
    case Qt::EndNativeGesture: {
        int step = 0;
        if (mPinchMagnification > 0.5)
            step = 1;
        else if (mPinchMagnification < -0.5)
            step = -1;
        if (step != 0) {
            const int current = int(NBPrefController::integerForKey(NBSettingKey::graphWidthDays));
            // The slider's ends stay put: past them the mapping would wrap to one day.
            const int position = std::clamp(NBControllerSettings::sliderValueForDays(current) + step, 1, 14);
            const int days = NBControllerSettings::daysForSliderValue(position);
            NBPrefController::setSetting(days, NBSettingKey::graphWidthDays);
            updateGraphIntervalWhileHoldingRightSide(double(days) * 86400.0);
            refreshDisplay();
        }
        QTimer::singleShot(0, this, [this] { updateHover(); });
        break;
    }
    default:
        break;
    }
}

bool NBMultiGraphContainerView::event(QEvent *event)
{
    if (event->type() == QEvent::NativeGesture) {
        magnify(event);
        event->accept();
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        const bool handled = NBParentView::event(event);
        updateHover();
        return handled;
    }
    return NBParentView::event(event);
}

bool NBMultiGraphContainerView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease)
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Alt) {
        const bool held = type == QEvent::KeyPress;
        if (held != mOptionKeyHeld) {
            mOptionKeyHeld = held;
            updateHover();
        }
    } else if (type == QEvent::ChildAdded && watched == mContent) {
        trackEverywhere(mContent);
    }
    return NBParentView::eventFilter(watched, event);
}

// --- Settings popover -------------------------------------------------------------------------

NBGraphViewPrefs *NBMultiGraphContainerView::graphViewPrefs() const
{
    return mGraphViewPrefs;
}

OVBubbleView *NBMultiGraphContainerView::graphViewPrefsBubble() const
{
    return mPrefsBubble;
}

bool NBMultiGraphContainerView::prefsOpen() const
{
    return mCloseMonitor != nullptr;
}

QWidget *NBMultiGraphContainerView::popoverHost() const
{
    // Over the main window's content, so that the popover may reach beyond the stack.
    QWidget *host = window();
    if (auto *main = qobject_cast<QMainWindow *>(host); main && main->centralWidget())
        host = main->centralWidget();
    return host;
}

void NBMultiGraphContainerView::showPrefs()
{
    if (prefsOpen()) {
        closePrefs();
        update();
        return;
    }
    QWidget *host = popoverHost();
    if (!mPrefsBubble || mPrefsBubble->parentWidget() != host) {
        delete mPrefsBubble;
        mPrefsBubble = new OVBubbleView(host);
        mPrefsBubble->setObjectName(QStringLiteral("graphViewPrefsBubble"));
        mGraphViewPrefs = new NBGraphViewPrefs;
        mGraphViewPrefs->setGraphContainer(this);
        mPrefsBubble->setContentView(mGraphViewPrefs);
    }
    if (OVViewUtil::ovIsDarkMode(*this)) {
        mPrefsBubble->setFillColor(NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>());
        mPrefsBubble->setStrokeColor(NBPrefController::settingForKey(QStringLiteral("backgroundColor")).value<QColor>());
    }
    mGraphViewPrefs->readSettings();

    // Left of the gear, its top 14 above the gear's; right of the gear when that would leave
    // the window.
    const QSize size = mPrefsBubble->requestedSize().toSize();
    const QRect gear(mGearButton->mapTo(host, QPoint(0, 0)), mGearButton->size());
    QRect frame(gear.left() - size.width(), gear.top() - 14, size.width(), size.height());
    int arrowMode = 1;
    if (!QRectF(host->rect()).contains(QPointF(frame.left(), frame.top() + frame.height()))) {
        frame.translate(size.width() + gear.width(), 0);
        arrowMode = 0;
    }
    mPrefsBubble->setArrowDisplayMode(arrowMode);
    mPrefsBubble->setGeometry(frame);
    mPrefsBubble->raise();
    mPrefsBubble->show();

    mCloseMonitor = new PopoverCloseMonitor(mPrefsBubble, mGearButton, [this] { closePrefs(); });
    mCloseMonitor->setParent(this);
    qApp->installEventFilter(mCloseMonitor);
    update();
}

void NBMultiGraphContainerView::closePrefs()
{
    if (!mCloseMonitor)
        return;
    qApp->removeEventFilter(mCloseMonitor);
    // The monitor may be the caller: it goes once the event it judges is through.
    mCloseMonitor->deleteLater();
    mCloseMonitor = nullptr;
    if (mPrefsBubble)
        mPrefsBubble->hide();
}
