// The application controller's settings work, kept in core so that it can be tested without
// the shell: the registered defaults, the copy of stored values into the settings store at
// launch, the write-back at quit, the saved locations read back safely, and the graph-width
// slider mapping. The shell reaches in only through OVApplicationHooks. Main thread.
#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

class NBControllerSettings
{
public:
    /// The registered defaults table; switches the debug-logging flag off.
    static QVariantMap getDefaultPrefs();
    /// Registers getDefaultPrefs with the standard user defaults, then readSettingsFromDisk.
    static void launchSetupPreferences();
    /// Copies graphWidthDays, NBGraph1Type, NBGraph2Type and updateFrequency from the user
    /// defaults into the store (absent ones are removed); a `debug` default of exactly "YES"
    /// switches the debug-logging flag on.
    static void readSettingsFromDisk();
    /// Writes the graph width and types (integers), the installed hooks' locations and split
    /// position (untouched without hooks; the split position only for two panes) and
    /// checkForUpdates when the store has it; then synchronises the user defaults.
    static void writeSettingsToDisk();

    /// The stored `locations`, made safe to restore: a value that is not a list gives none,
    /// entries that are not maps are dropped, and a full entry missing one of the keys every
    /// saved form has gets that key's unset value. Each repair is logged.
    static QVariantList savedLocations();

    /// Graph width in days to slider position 1..14 (unknown widths give 1).
    static int sliderValueForDays(int days);
    /// Slider position to graph width in days.
    static int daysForSliderValue(int sliderValue);
    /// The menu text of a graph width ("One Week").
    static QString textForDays(int days);
};
