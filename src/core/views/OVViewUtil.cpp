// Dark-appearance detection from the widget palette (Qt 6.4 has no appearance name to compare).
#include "core/views/OVViewUtil.h"

#include <QPalette>
#include <QWidget>

bool OVViewUtil::ovIsDarkMode(const QWidget &view)
{
    return view.palette().color(QPalette::Window).lightnessF() < 0.5;
}
