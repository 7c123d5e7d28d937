// Finding the main view from one of its panels.
#include "core/views/OVMainViewModeHost.h"

#include <QWidget>

OVMainViewModeHost *OVMainViewModeHost::of(const QWidget *panel)
{
    return panel ? dynamic_cast<OVMainViewModeHost *>(panel->parentWidget()) : nullptr;
}
