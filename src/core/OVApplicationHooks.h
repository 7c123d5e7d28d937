// What the settings code needs of the application shell, as an interface the shell installs at
// launch: the saved forms of the monitored locations, the main split view's first pane width,
// and the redisplay of the main window and the journal. Core code never reaches the shell any
// other way. Called on the main thread only.
#pragma once

#include <QVariantList>

#include <memory>
#include <optional>

class OVApplicationHooks
{
public:
    virtual ~OVApplicationHooks() = default;

    /// The monitored locations' saved forms (OVLocationDictionary maps), in list order.
    virtual QVariantList monitoredLocationDictionaries() const = 0;
    /// The width of the main split view's first pane, only when the split view has two panes.
    virtual std::optional<double> splitViewFirstPaneWidth() const = 0;
    /// Redraws the main window.
    virtual void redisplayMainWindow() = 0;
    /// Makes the journal window reread the values it shows.
    virtual void updateJournalValues() = 0;
    /// Opens the activity panel, or closes it when it is open (the map's control panel asks).
    virtual void openActivityPanel() {}

    /// Makes `hooks` the shell's hooks (null removes them).
    static void install(std::shared_ptr<OVApplicationHooks> hooks);
    /// The installed hooks; null before the shell installs them.
    static std::shared_ptr<OVApplicationHooks> installed();
};
