#include "map/views/NBMapControlView.h"

#include "core/views/OVYUp.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

NBMapControlView::NBMapControlView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("mapControlView"));
    setAttribute(Qt::WA_TranslucentBackground);
    mSlide = new QPropertyAnimation(this, "pos", this);
    mSlide->setDuration(kSlideMs);
    watchSuperview();
}

QPainterPath NBMapControlView::outline() const
{
    const double x = 0.0;
    const double y = 0.0;
    const double w = width();
    const double h = height();
    const double r = kCornerRadius;
    const double body = x + mTabWidth + mShadowWidth;
    // QPainterPath measures angles with y pointing down; in this y-up space an angle of a
    // degrees is therefore -a, and the outline's clockwise quarter arcs are sweeps of +90.
    QPainterPath path;
    path.moveTo(x + w, y);
    path.lineTo(body + r, y);
    path.arcTo(QRectF(body, y, 2 * r, 2 * r), 90.0, 90.0);
    path.lineTo(body, y + h - mTabWidth);
    path.lineTo(x + r, y + h - mTabWidth);
    path.arcTo(QRectF(x, y + h - mTabWidth, 2 * r, 2 * r), 90.0, 90.0);
    path.lineTo(x, y + h - r);
    path.arcTo(QRectF(x, y + h - 2 * r, 2 * r, 2 * r), 180.0, 90.0);
    path.lineTo(x + w, y + h);
    path.lineTo(x + w, y);
    path.closeSubpath();
    return path;
}

void NBMapControlView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    OVYUp::begin(painter, height());
    painter.fillPath(outline(), QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.8f));
    // A chevron in the tab says which way a click slides the panel: left to open, right to
    // close. Without it a hidden panel's tab would not show against a dark map.
    const double midY = height() - mTabWidth / 2.0;
    const double direction = mShown ? 1.0 : -1.0;
    const double tipX = 14.0 + direction * 3.0;
    QPainterPath chevron;
    chevron.moveTo(tipX - direction * 6.0, midY + 5.0);
    chevron.lineTo(tipX, midY);
    chevron.lineTo(tipX - direction * 6.0, midY - 5.0);
    painter.setPen(QPen(QColor(220, 220, 220), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(chevron);
}

QRect NBMapControlView::tabRect() const
{
    return QRect(0, 0, int(mTabWidth + mShadowWidth), int(mTabWidth));
}

void NBMapControlView::mousePressEvent(QMouseEvent *event)
{
    // Outside the outline (below the tab) the map underneath gets the press.
    if (!outline().contains(OVYUp::toYUp(event->position(), height()))) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton && tabRect().contains(event->position().toPoint()))
        toggleShown();
    event->accept();
}

QPoint NBMapControlView::targetPosition() const
{
    if (mSlide && mSlide->state() == QAbstractAnimation::Running)
        return mSlide->endValue().toPoint();
    return pos();
}

QPoint NBMapControlView::shownPosition() const
{
    return QPoint(parentWidget()->width() - width(), kTopMargin);
}

QPoint NBMapControlView::hiddenPosition() const
{
    return QPoint(parentWidget()->width() - int(mTabWidth) + 2, targetPosition().y());
}

void NBMapControlView::show()
{
    slide(true);
}

void NBMapControlView::hide()
{
    slide(false);
}

void NBMapControlView::toggleShown()
{
    if (!parentWidget())
        return;
    if (targetPosition().x() + width() > parentWidget()->width())
        show();
    else
        hide();
}

void NBMapControlView::slide(bool shown)
{
    if (!parentWidget())
        return;
    mShown = shown;
    update();
    mSlide->stop();
    mSlide->setStartValue(pos());
    mSlide->setEndValue(shown ? shownPosition() : hiddenPosition());
    mSlide->start();
}

void NBMapControlView::watchSuperview()
{
    if (mWatched)
        mWatched->removeEventFilter(this);
    mWatched = parentWidget();
    if (mWatched)
        mWatched->installEventFilter(this);
}

bool NBMapControlView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mWatched && event->type() == QEvent::Resize) {
        // Keep the panel's state against the new right edge: shown stays shown, hidden hidden.
        mSlide->stop();
        move(mShown ? shownPosition() : hiddenPosition());
    }
    return QWidget::eventFilter(watched, event);
}

void NBMapControlView::placeHidden()
{
    mShown = false;
    mSlide->stop();
    if (parentWidget())
        move(QPoint(parentWidget()->width() - int(mTabWidth) + 2, kTopMargin));
}
