// The last-updated label's click.
#include "app/NBLastUpdatedTextField.h"

#include <QMouseEvent>
#include <QPalette>

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

void NBLastUpdatedTextField::setUpdateFailed(bool failed)
{
    if (failed == mUpdateFailed)
        return;
    mUpdateFailed = failed;
    QPalette colours = palette();
    if (failed)
        mNormalColor = colours.color(QPalette::WindowText);
    colours.setColor(QPalette::WindowText, failed ? warningColor() : mNormalColor);
    setPalette(colours);
}
