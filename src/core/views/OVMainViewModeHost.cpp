// Finding the main view from one of its panels.
#include "core/views/OVMainViewModeHost.h"

#include <QWidget>

OVMainViewModeHost *OVMainViewModeHost::of(const QWidget *panel)
{
    return panel ? dynamic_cast<OVMainViewModeHost *>(panel->parentWidget()) : nullptr;
}

std::optional<bool> OVMainViewModeHost::toggleFullSize(const QWidget *panel, Mode fullSize)
{
    OVMainViewModeHost *host = of(panel);
    if (!host)
        return std::nullopt;
    const bool toFullSize = host->activeMode() == AllPanels;
    host->setActiveMode(toFullSize ? fullSize : AllPanels);
    host->positionSubviews();
    return toFullSize;
}
