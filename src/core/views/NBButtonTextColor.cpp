// Button title colour through the palette.
#include "core/views/NBButtonTextColor.h"

#include <QAbstractButton>
#include <QPalette>

QColor NBButtonTextColor::textColor(const QAbstractButton &button)
{
    return button.palette().color(QPalette::ButtonText);
}

void NBButtonTextColor::setTextColor(QAbstractButton &button, const QColor &color)
{
    QPalette palette = button.palette();
    palette.setColor(QPalette::ButtonText, color);
    button.setPalette(palette);
}
