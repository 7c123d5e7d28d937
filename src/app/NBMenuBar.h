// The menu bar and the dock tile: the menus on the main window (each item an action named by
// its outlet), the menu of monitored locations in the menu bar and in the tray, the View and
// Help actions and their validation, and the badge with the first location's temperature.
//
// It is handed the window, the list of places and what each command item does; it never
// reaches for the application controller. Main thread.
#pragma once

#include "weather/OVWeatherController.h"

#include <QObject>
#include <QString>

#include <functional>
#include <utility>

class NBDockTile;
class NBMainWindow;
class QAction;
class QMenu;
class QSystemTrayIcon;

class NBMenuBar : public QObject
{
public:
    /// The monitored places, and how one of them becomes the selected, current one.
    struct Locations
    {
        std::function<OVWeatherLocationList()> monitored;
        /// Selects that row of the list and makes its place current; a row outside does nothing.
        std::function<void(int row)> selectRow;
    };
    /// What the command items do.
    struct Commands
    {
        std::function<void()> addLocation, removeLocation, toggleInfo, print;
        std::function<void()> openAboutBox, openPrefsWindow, openActivityPanel, openWeatherJournal, insertJournalTable,
            openHelp, openFutureUpdates;
        /// Whether the journal window is open: inserting the current conditions needs it.
        std::function<bool()> journalIsOpen;
    };

    /// `window` answers null until the main window is built.
    NBMenuBar(std::function<NBMainWindow *()> window, OVWeatherController &weather, Locations locations,
              Commands commands, QObject *parent = nullptr);

    /// Builds the menus on the window's menu bar and the dock tile; once, after the window.
    void build();

    /// A new menu of the monitored locations. For the tray (`tray` given) the items do
    /// nothing; for the menu bar they carry tag n (1-based) in their data, Ctrl+n for n <= 8,
    /// the current location's check and the observation's icon.
    QMenu *applicationDockMenu(QSystemTrayIcon *tray);
    /// Replaces the locations submenu by a fresh menu of the monitored locations.
    void menuNeedsUpdate();
    /// Tag n in 1..count makes location n-1 current and selects its row; others do nothing.
    void emptyAction(int tag);
    /// The View and Help menu actions, by the action's object name.
    void actionHandler(QAction *sender);
    /// Graph items follow their settings; expand and contract follow `graphWidthDays`.
    void validateMenuItems();
    /// The badge: the first location's temperature, cleared for an empty list, unchanged
    /// while it has no observation.
    void updateDockTile();
    /// The menu bar action of that object name; null when there is none.
    QAction *menuAction(const QString &name) const;
    /// Null before `build`.
    NBDockTile *dockTile() const { return mDockTile; }

private:
    QMenu *buildMenu(const QString &title, const QList<std::pair<const char *, QString>> &items);

    std::function<NBMainWindow *()> mWindow;
    OVWeatherController &mWeatherController;
    Locations mLocations;
    Commands mCommands;
    NBDockTile *mDockTile = nullptr;
};
