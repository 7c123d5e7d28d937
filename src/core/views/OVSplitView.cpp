// Layout, drawing, dragging and the button bar of the two-pane split view.
#include "core/views/OVSplitView.h"

#include "core/views/OVGradient.h"
#include "core/views/OVYUp.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <cmath>

static void initDrawingImages()
{
    Q_INIT_RESOURCE(drawing_images);
}

namespace {

constexpr double kBarHeight = 23.0;
constexpr double kLeftViewBottom = 24.0; // above the bar
constexpr double kSnapDistance = 10.0;
const char *const kSpecialImageNames[] = {":/ovplusbutton", ":/ovminusbutton", ":/ovgearbutton", ":/ovinfobutton"};

QColor white(int level)
{
    return QColor(level, level, level);
}

} // namespace

OVSplitView::OVSplitView(QWidget *parent)
    : QWidget(parent)
{
    initDrawingImages();
    for (int i = 0; i < 4; ++i)
        mSpecialImages[i] = QPixmap(QLatin1String(kSpecialImageNames[i]));
    setMouseTracking(true);
    const double stored = OVUserDefaults::standard().doubleForKey(mSaveName);
    if (stored != 0.0)
        mSplitPercent = stored;
    OVLog(QStringLiteral("split percent: %1").arg(mSplitPercent, 0, 'f', 6));
}

void OVSplitView::replaceView(QPointer<QWidget> &slot, QWidget *view)
{
    if (slot == view)
        return;
    delete slot;
    slot = view;
    if (view) {
        view->setParent(this);
        view->installEventFilter(this);
        view->show();
    }
    refreshFrame();
    update();
}

void OVSplitView::setLeftView(QWidget *view)
{
    replaceView(mLeftView, view);
}

void OVSplitView::setRightView(QWidget *view)
{
    replaceView(mRightView, view);
}

void OVSplitView::setPositionSaveName(const QString &name)
{
    mSaveName = name;
    refreshFrame();
}

void OVSplitView::refreshFrame()
{
    if (mSnapped)
        setSplitOffset(mSnapSize);
    else
        setSplitPercent(mSplitPercent);
}

void OVSplitView::setSplitOffset(double offset)
{
    if (width() > 0)
        setSplitPercent(offset / width());
}

void OVSplitView::setSplitPercent(double percent)
{
    const double w = width();
    const double h = height();
    double x = percent * w;
    if (mLeftViewMaxSize != -1.0 && x > mLeftViewMaxSize)
        x = mLeftViewMaxSize;
    if (mLeftViewMinSize != -1.0 && x < mLeftViewMinSize)
        x = mLeftViewMinSize;
    if (mRightViewMaxSize != -1.0 && w - x - 1.0 > mRightViewMaxSize)
        x = w - 1.0 - mRightViewMaxSize;
    if (mRightViewMinSize != -1.0 && w - x - 1.0 < mRightViewMinSize)
        x = w - 1.0 - mRightViewMinSize;

    if (mLeftView)
        OVYUp::setFrame(*mLeftView, QRectF(0, kLeftViewBottom, x, h - kLeftViewBottom));
    if (mRightView)
        OVYUp::setFrame(*mRightView, QRectF(x + 1.0, 0, w - x - 1.0, h));
    update();

    if (w <= 0.0)
        return; // nothing laid out yet: keep the requested percentage
    mSplitPercent = x / w;
    if (!mSaveName.isEmpty())
        OVUserDefaults::standard().setObject(float(mSplitPercent), mSaveName);
}

void OVSplitView::setSnapSize(double size)
{
    mSnapSize = size;
    mSnapped = mLeftView && double(mLeftView->width()) == size;
}

double OVSplitView::leftWidth() const
{
    return mLeftView ? mLeftView->width() : splitOffset();
}

QRectF OVSplitView::barGripRect() const
{
    return QRectF(splitOffset() - kBarHeight, 0, kBarHeight, kBarHeight);
}

QRectF OVSplitView::dividerRect() const
{
    return QRectF(splitOffset(), kBarHeight, 1, height() - kBarHeight);
}

void OVSplitView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    OVYUp::begin(painter, height());
    painter.fillRect(QRectF(0, 0, width(), height()), white(165));
    if (mLeftView)
        painter.fillRect(OVYUp::frame(*mLeftView), Qt::white);
    if (mRightView)
        painter.fillRect(OVYUp::frame(*mRightView), Qt::white);

    const double left = leftWidth();
    OVGradient(white(216), white(252)).drawInRect(painter, QRectF(0, 0, left, kBarHeight), 90.0);
    for (double x : {left - 11.0, left - 8.0, left - 5.0})
        painter.fillRect(QRectF(x, 6, 1, 10), white(92));
}

void OVSplitView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    refreshFrame();
    refreshButtons();
}

void OVSplitView::mousePressEvent(QMouseEvent *event)
{
    const QPointF p = OVYUp::toYUp(event->position(), height());
    if (std::floor(p.x()) == std::floor(splitOffset()) || barGripRect().contains(p)) {
        mShouldDrag = true;
        mInitialMouseX = p.x();
        mInitialOffset = splitOffset();
        updateCursor();
    }
}

void OVSplitView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF p = OVYUp::toYUp(event->position(), height());
    if (!mShouldDrag) {
        updateHover(p);
        return;
    }
    double offset = p.x() - mInitialMouseX + mInitialOffset;
    mSnapped = mSnapSize > 0.0 && std::fabs(offset - mSnapSize) <= kSnapDistance;
    if (mSnapped)
        offset = mSnapSize;
    setSplitOffset(offset);
}

void OVSplitView::mouseReleaseEvent(QMouseEvent *event)
{
    mShouldDrag = false;
    updateHover(OVYUp::toYUp(event->position(), height()));
    updateCursor();
}

void OVSplitView::leaveEvent(QEvent *)
{
    if (!mShouldDrag)
        updateHover(QPointF(-1, -1));
}

bool OVSplitView::eventFilter(QObject *watched, QEvent *event)
{
    // Moving from the divider or the grip onto a pane or a button reaches only the child: leave
    // the tracking areas then, or the child would show the split cursor it inherits.
    if (event->type() == QEvent::Enter && !mShouldDrag)
        updateHover(QPointF(-1, -1));
    return QWidget::eventFilter(watched, event);
}

void OVSplitView::updateHover(const QPointF &p)
{
    const bool inBar = barGripRect().contains(p);
    const bool inSplit = dividerRect().contains(p);
    if (inBar != mInBarRect)
        OVLog(QLatin1String(inBar ? "entered bar" : "exited bar"));
    if (inSplit != mInSplitRect)
        OVLog(QLatin1String(inSplit ? "entered split" : "exited split"));
    mInBarRect = inBar;
    mInSplitRect = inSplit;
    updateCursor();
}

void OVSplitView::updateCursor()
{
    if (mShouldDrag)
        setCursor(Qt::ClosedHandCursor);
    else if (mInBarRect || mInSplitRect)
        setCursor(Qt::SplitHCursor);
    else
        unsetCursor();
}

void OVSplitView::addButtonWithImage(const QPixmap &image, Action action, const QVariantMap &properties)
{
    mButtons.append(ButtonEntry{image, std::move(action), properties.value(QStringLiteral("tooltip")).toString(), {}});
    refreshButtons();
}

void OVSplitView::addSpecialButton(int index, Action action, const QVariantMap &properties)
{
    if (index < 0 || index > 3)
        return;
    addButtonWithImage(mSpecialImages[index], std::move(action), properties);
}

QPixmap OVSplitView::specialImage(int index) const
{
    return index >= 0 && index <= 3 ? mSpecialImages[index] : QPixmap();
}

void OVSplitView::refreshButtons()
{
    undisplayButtons();
    double x = 0.0;
    for (ButtonEntry &entry : mButtons) {
        auto *button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setIcon(QIcon(entry.image));
        button->setIconSize(entry.image.deviceIndependentSize().toSize());
        button->setToolTip(entry.toolTip);
        button->installEventFilter(this);
        const double w = entry.image.deviceIndependentSize().width();
        OVYUp::setFrame(*button, QRectF(x, 0, w, kBarHeight));
        if (entry.action)
            connect(button, &QToolButton::clicked, this, [action = entry.action] { action(); });
        button->show();
        entry.button = button;
        x += w;
    }
}

void OVSplitView::undisplayButtons()
{
    for (ButtonEntry &entry : mButtons) {
        delete entry.button;
        entry.button = nullptr;
    }
}

void OVSplitView::clearButtons()
{
    undisplayButtons();
    mButtons.clear();
    update();
}

QList<QToolButton *> OVSplitView::shownButtons() const
{
    QList<QToolButton *> buttons;
    for (const ButtonEntry &entry : mButtons)
        if (entry.button)
            buttons.append(entry.button);
    return buttons;
}

void OVSplitView::buttonWithImageSetEnabled(const QPixmap &image, bool enabled)
{
    for (ButtonEntry &entry : mButtons)
        if (entry.image.cacheKey() == image.cacheKey() && entry.button)
            entry.button->setEnabled(enabled);
}

void OVSplitView::buttonWithImageSetToolTip(const QPixmap &image, const QString &toolTip)
{
    for (ButtonEntry &entry : mButtons) {
        if (entry.image.cacheKey() != image.cacheKey())
            continue;
        entry.toolTip = toolTip;
        if (entry.button)
            entry.button->setToolTip(toolTip);
    }
}

void OVSplitView::specialButtonSetEnabled(int index, bool enabled)
{
    if (index >= 0 && index <= 3)
        buttonWithImageSetEnabled(mSpecialImages[index], enabled);
}

void OVSplitView::specialButtonSetToolTip(int index, const QString &toolTip)
{
    if (index >= 0 && index <= 3)
        buttonWithImageSetToolTip(mSpecialImages[index], toolTip);
}
