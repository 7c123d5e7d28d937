// Where the main window's content view gets its panels: one factory per panel, each making the
// panel as a child of the content view, so a panel is swapped in here alone.
#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

class NBForecastView;
class NBTimeView;
class OVGraphContainer;
class OVMapPanel;
class QWidget;

namespace NBMainPanels {

/// The forecast strip over the shared NDFD and Brisant clients, and the sun and moon dial over
/// OVSun and OVMoon; `now` is the controller's clock.
NBForecastView *makeForecastView(QWidget *parent, std::function<QDateTime()> now);
NBTimeView *makeTimeView(QWidget *parent, std::function<QDateTime()> now);
/// The container's widget is a child of `parent`, which owns it.
OVGraphContainer *makeGraphContainerView(QWidget *parent);
/// The map's controller (NBMapViewController); its OpenGL view is a child of `parent`.
std::unique_ptr<OVMapPanel> makeMapViewController(QWidget *parent);

} // namespace NBMainPanels
