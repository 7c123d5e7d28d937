// The panel factories of the main window's content view.
#include "app/NBMainPanels.h"

#include "app/NBPlaceholderGraphContainer.h"
#include "app/NBPlaceholderMapController.h"
#include "core/views/NBParentView.h"

namespace NBMainPanels {

QWidget *makeForecastView(QWidget *parent)
{
    auto *panel = new NBParentView(parent);
    panel->setObjectName(QStringLiteral("forecastView"));
    return panel;
}

QWidget *makeTimeView(QWidget *parent)
{
    auto *panel = new NBParentView(parent);
    panel->setObjectName(QStringLiteral("timeView"));
    return panel;
}

OVGraphContainer *makeGraphContainerView(QWidget *parent)
{
    return new NBPlaceholderGraphContainer(parent);
}

std::unique_ptr<OVMapPanel> makeMapViewController(QWidget *parent)
{
    return std::make_unique<NBPlaceholderMapController>(parent);
}

} // namespace NBMainPanels
