// The last-updated label's click.
#include "app/NBLastUpdatedTextField.h"

#include <QMouseEvent>

NBLastUpdatedTextField::NBLastUpdatedTextField(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

bool NBLastUpdatedTextField::isOnText(const QPointF &point) const
{
    const double textWidth = fontMetrics().horizontalAdvance(text());
    const double centre = width() / 2.0;
    return point.x() > centre - textWidth / 2.0 && point.x() < centre + textWidth / 2.0;
}

void NBLastUpdatedTextField::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (!isOnText(event->position()))
        return;
    emit textClicked();
}
