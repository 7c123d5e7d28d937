// Where the main window's content view gets its panels: one factory per panel, each making the
// panel as a child of the content view. A panel whose code does not exist yet is an empty
// placeholder; each is swapped in here alone.
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
/// Readies the window of `host` for the map before the window is shown. The map's OpenGL widget
/// is composed into its window through OpenGL, and a window learns that it needs to be from such
/// a child; a first one added to a window already on screen makes Qt recreate the native window,
/// which then has another id. A hidden OpenGL widget child tells the window in time.
void prepareWindowForMap(QWidget *host);
/// The map's controller (NBMapViewController); its OpenGL view is a child of `parent`.
std::unique_ptr<OVMapPanel> makeMapViewController(QWidget *parent);

} // namespace NBMainPanels
