#include "map/views/NBMapPrefsPopover.h"

#include "core/NBPrefController.h"
#include "core/views/OVBubbleView.h"
#include "core/views/OVViewUtil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace {

/// Whether `object` is a widget of `window` or that window's native window. A pop-up opened
/// from one of the window's controls (a pop-up button's list, a menu) counts as part of it:
/// choosing from it is using the window, not clicking outside.
bool isInWindow(const QObject *object, const QWidget *window)
{
    const QWidget *widget = qobject_cast<const QWidget *>(object);
    if (auto *native = qobject_cast<const QWindow *>(object)) {
        if (native == window->windowHandle())
            return true;
        widget = nullptr;
        for (const QWidget *topLevel : QApplication::topLevelWidgets()) {
            if (topLevel->windowHandle() == native)
                widget = topLevel;
        }
    }
    while (widget) {
        const QWidget *top = widget->window();
        if (top == window)
            return true;
        if (!top->windowFlags().testFlag(Qt::Popup) && top->windowType() != Qt::Popup)
            return false;
        widget = top->parentWidget();
    }
    return false;
}

} // namespace

NBMapPrefsPopover::Placement NBMapPrefsPopover::place(const QRect &gearGlobal, const QSize &bubble,
                                                      const QRect &screenAvailable)
{
    Placement placement;
    placement.topLeft = QPoint(gearGlobal.x() - bubble.width(), gearGlobal.y() - kRaise);
    if (!screenAvailable.contains(placement.topLeft)) {
        placement.topLeft.setX(placement.topLeft.x() + bubble.width() + gearGlobal.width());
        placement.arrowDisplayMode = 0;
    }
    return placement;
}

NBMapPrefsPopover::NBMapPrefsPopover(QWidget *mapView, QAbstractButton *gear, std::function<QWidget *()> makeContent)
    : mMapView(mapView)
    , mGear(gear)
    , mMakeContent(std::move(makeContent))
{
}

NBMapPrefsPopover::~NBMapPrefsPopover()
{
    close();
}

void NBMapPrefsPopover::showPrefs()
{
    if (!mMakeContent || !mMapView || !mGear) {
        if (mMapView)
            mMapView->update();
        return;
    }
    if (isOpen())
        close();
    else
        open();
    mMapView->update();
}

void NBMapPrefsPopover::open()
{
    auto *window = new QWidget(mMapView, Qt::Tool | Qt::FramelessWindowHint);
    window->setObjectName(QStringLiteral("mapPrefsWindow"));
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto *bubble = new OVBubbleView(window);
    bubble->setArrowDisplayMode(1);
    if (OVViewUtil::ovIsDarkMode(*mMapView)) {
        bubble->setFillColor(NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>());
        bubble->setStrokeColor(NBPrefController::settingForKey(QStringLiteral("backgroundColor")).value<QColor>());
    }
    QWidget *content = mMakeContent();
    content->adjustSize();
    bubble->setContentView(content);
    const QSize size = bubble->requestedSize().toSize();
    bubble->setGeometry(QRect(QPoint(0, 0), size));

    const QRect gear(mGear->mapToGlobal(QPoint(0, 0)), mGear->size());
    const QScreen *screen = mGear->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(gear.topLeft() - QPoint(size.width(), kRaise), size);
    const Placement placement = place(gear, size, available);
    bubble->setArrowDisplayMode(placement.arrowDisplayMode);
    window->setGeometry(QRect(placement.topLeft, size));
    mWindow = window;
    mBubble = bubble;
    window->show();
    window->raise();
    window->activateWindow();
    if (!mMonitoring) {
        qApp->installEventFilter(this);
        mMonitoring = true;
    }
}

void NBMapPrefsPopover::close()
{
    if (mMonitoring) {
        qApp->removeEventFilter(this);
        mMonitoring = false;
    }
    if (QWidget *window = mWindow) {
        mWindow = nullptr;
        mBubble = nullptr;
        // Hidden at once; deleted once the event that closed it has been delivered.
        window->hide();
        window->deleteLater();
    }
}

bool NBMapPrefsPopover::belongsToPopover(QObject *object) const
{
    return mWindow && isInWindow(object, mWindow);
}

bool NBMapPrefsPopover::isOnGear(QObject *object, const QEvent *event) const
{
    if (!mGear || !mMapView || event->type() == QEvent::KeyPress)
        return false;
    if (!isInWindow(object, mMapView->window()))
        return false;
    const QPointF global = static_cast<const QMouseEvent *>(event)->globalPosition();
    return QRect(mGear->mapToGlobal(QPoint(0, 0)), mGear->size()).contains(global.toPoint());
}

bool NBMapPrefsPopover::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        if (isOpen() && !belongsToPopover(watched) && !isOnGear(watched, event))
            close();
        break;
    default:
        break;
    }
    return false; // never swallowed
}
