// The main window's content view as the full-size toggles of the graph stack and of the map
// see it: a display mode they read and set, and the layout pass they ask for afterwards.
//
// Modes: 0 all panels, 1 map full size, 2 graphs full size; any other value leaves every panel
// where it is. Setting the mode lays nothing out: the caller sends `positionSubviews` next.
// The shell implements it; graphs and map reach it through their parent widget. Main thread.
#pragma once

#include <optional>

class QWidget;

class OVMainViewModeHost
{
public:
    enum Mode : int { AllPanels = 0, MapFullSize = 1, GraphsFullSize = 2 };

    virtual ~OVMainViewModeHost() = default;

    virtual int activeMode() const = 0;
    virtual void setActiveMode(int mode) = 0;
    /// Lays the panels out for the current mode, animated when the mode changed since the last
    /// pass.
    virtual void positionSubviews() = 0;
    /// Relays the graph stack out without animation and redraws it.
    virtual void redisplayGraphViews() = 0;

    /// The host a panel sits in: its parent widget when that is one; null otherwise.
    static OVMainViewModeHost *of(const QWidget *panel);

    /// A panel's full-size button: from all panels to `fullSize`, from any other mode back to all
    /// panels, then the layout pass. Whether `fullSize` is now the mode; nothing without a host.
    static std::optional<bool> toggleFullSize(const QWidget *panel, Mode fullSize);
};
