// The panel factories of the main window's content view.
#include "app/NBMainPanels.h"

#include "app/NBForecastView.h"
#include "app/NBTimeView.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "map/views/NBMapViewController.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVNDFD.h"
#include "weather/OVWeatherLocation.h"


namespace NBMainPanels {

NBForecastView *makeForecastView(QWidget *parent, std::function<QDateTime()> now)
{
    NBForecastView::Sources sources;
    sources.ndfd = [](const std::shared_ptr<OVWeatherLocation> &location) {
        return OVNDFD::sharedNDFDClient().dayForecastForLocation(location);
    };
    sources.brisant = [](const OVLocation &location) {
        return OVBrisantDataBroker::sharedBrisantClient().dailyForecastForLocation(location);
    };
    return new NBForecastView(std::move(sources), std::move(now), parent);
}

NBTimeView *makeTimeView(QWidget *parent, std::function<QDateTime()> now)
{
    return new NBTimeView(&NBTimeView::astronomicalDay, std::move(now), parent);
}

OVGraphContainer *makeGraphContainerView(QWidget *parent)
{
    return new NBMultiGraphContainerView(parent);
}

std::unique_ptr<OVMapPanel> makeMapViewController(QWidget *parent)
{
    return std::make_unique<NBMapViewController>(parent);
}

} // namespace NBMainPanels
