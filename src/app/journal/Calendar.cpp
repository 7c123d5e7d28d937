// The month calendar control: painting through its cell and the click-and-drag tracking.
#include "app/journal/Calendar.h"

#include "core/views/OVYUp.h"

#include <QMouseEvent>
#include <QPainter>

Calendar::Calendar(QWidget *parent)
    : QWidget(parent)
    , mCell(std::make_unique<CalendarCell>())
{
    mCell->setControlView(this);
    setFixedSize(int(CalendarCell::kWidth), int(CalendarCell::kHeight));
}

Calendar::~Calendar() = default;

QSize Calendar::sizeHint() const
{
    return QSize(int(CalendarCell::kWidth), int(CalendarCell::kHeight));
}

void Calendar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    mCell->drawWithFrame(painter);
}

void Calendar::trackMouse(const QPointF &widgetPoint)
{
    mCell->dayChange(mCell->dayAtPoint(OVYUp::toYUp(widgetPoint, CalendarCell::kHeight)));
}

void Calendar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    // Qt keeps sending this widget the moves until the release, inside it or not.
    mTracking = true;
    trackMouse(event->position());
}

void Calendar::mouseMoveEvent(QMouseEvent *event)
{
    if (mTracking && (event->buttons() & Qt::LeftButton))
        trackMouse(event->position());
}

void Calendar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        mTracking = false;
}
