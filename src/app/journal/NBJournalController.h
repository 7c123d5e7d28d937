// The weather journal: one rich-text entry per day and place, with an optional weather icon.
// The calendar picks the day and highlights days with entries; the choice offers the monitored
// places that have a location id. The entry on screen is stored (NBJournalStore) before the day
// or place changes, when the window closes and when the program quits.
//
// A store that fails (a write or delete refused) is reported once with an alert and a log line;
// the day or place then stays as it is, so the text on screen is never replaced by another
// day's, and the window stays open when it was being closed. The quit stores the entry again;
// when that fails too it asks before quitting. Entries that cannot be represented, and days
// outside 2000..2099, show read-only and are never written.
//
// The place list follows "OVNotifyMapGeneratorNeedsDisplay", which the application controller
// posts whenever its list changes. Main thread only.
#pragma once

#include "app/journal/CalendarCell.h"
#include "app/journal/NBJournalDaySummary.h"
#include "app/journal/NBJournalStore.h"
#include "weather/OVWeatherController.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class NBAlertService;
class NBJournalWindow;
class OVClock;

class NBJournalController : public QObject
{
    Q_OBJECT

public:
    struct Environment
    {
        /// The folder of the entries (`NBPrefController::nimbrelCoreJournalPath`).
        QString journalDirectory;
        /// "Now": the day the window opens on.
        const OVClock *clock = nullptr;
        std::shared_ptr<NBAlertService> alerts;
        /// The application controller's monitored places, in list order.
        std::function<OVWeatherLocationList()> monitoredLocations;
    };

    /// Builds the window (hidden) and shows today's entry for the first monitored place when
    /// that place has a location id, else for no place (files named with 0).
    explicit NBJournalController(Environment environment, QObject *parent = nullptr);
    ~NBJournalController() override;

    NBJournalWindow *window() const { return mWindow.get(); }

    /// Brings the window to the front and stores 1 under `showJournalWindow`.
    void showWindow();
    /// The window's close: saves, stores 0 under `showJournalWindow`; the window hides. A failed
    /// save keeps the window open with its text (false). The close that comes with quitting
    /// keeps 1, so the next launch opens the journal again.
    bool windowShouldClose();
    /// The quit's last chance: saves the entry when the window is visible or minimised or its
    /// text changed since it was stored, unless the user chose to quit without it.
    void applicationWillTerminate();
    /// The preferences window closed: saves the text on screen, then shows the values again
    /// (units may have changed). A failed save keeps everything as it is.
    void updateJournalValues();

    std::optional<CalendarDate> currentDate() const { return mCurrentDate; }
    /// Saves the entry shown, then shows `date` (even the same day again). When the save fails
    /// the calendar returns to the day shown.
    void setCurrentDate(const CalendarDate &date);
    std::shared_ptr<OVWeatherLocation> selectedLocation() const { return mSelectedLocation; }
    /// Nothing for the same place; else saves, then shows the entry of `location`. When the
    /// save fails the choice returns to the place shown.
    void setSelectedLocation(const std::shared_ptr<OVWeatherLocation> &location);
    const QList<CalendarDate> &entryList() const { return mEntryList; }
    void setEntryList(const QList<CalendarDate> &list);
    const NBJournalDaySummary &summary() const { return mSummary; }
    /// The entry on screen may not be edited or saved.
    bool isReadOnly() const { return mReadOnly; }

    /// The calendar's action: the calendar's date becomes the current one.
    void calendarAction();
    /// Recomputes the header and loads the entry of the current day and place.
    void updateValues();
    void loadEntry();
    /// Stores the entry on screen. False after a failed write or delete (alert shown).
    bool saveEntry();
    void loadEntryList();
    /// Rebuilds the place choice from the monitored places.
    void reloadLocations();
    /// Inserts the table of the selected place's latest observation at the cursor, as one
    /// undoable step; nothing without a place, an observation or an editable entry.
    void insertCurrentConditions();

    /// The files' id of the selected place; 0 without one.
    qint64 locationIDForFiles() const;

protected:
    /// The program's quit, which closes every window before the controller's shutdown: stores
    /// the entry first. When that fails the quit is held and the user asked whether to quit
    /// without it ("Don't Quit" keeps the window and the text; "Quit Anyway" quits again).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Writes the entry on screen without telling the user; the entry list follows a write.
    NBJournalSaveResult storeEntry();
    bool hasEntryToSaveAtQuit() const;
    /// False when the quit must wait: the store failed and the question is out.
    bool saveBeforeQuit();
    void showSelectionInChoice();
    void returnToShownEntry();

    Environment mEnvironment;
    NBJournalStore mStore;
    std::unique_ptr<NBJournalWindow> mWindow;
    std::optional<CalendarDate> mCurrentDate;
    std::shared_ptr<OVWeatherLocation> mSelectedLocation;
    OVWeatherLocationList mOfferedLocations;
    QList<CalendarDate> mEntryList;
    NBJournalDaySummary mSummary;
    bool mReadOnly = false;
    bool mReturning = false;
    bool mQuitting = false;
    /// The user chose to quit without the entry that could not be stored.
    bool mDiscardAtQuit = false;
};
