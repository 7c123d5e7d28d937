// Import of preferences left in the application's sandbox (Flatpak) folder: when the sandboxed
// copy of the settings file is newer than the program's own, it replaces the own file before
// the settings are first read. Called first thing at start, on the main thread.
#pragma once

#include <QString>

class OVPreferenceImport
{
public:
    /// The program's own settings file (the standard user defaults' file).
    static QString ownPreferencesPath();
    /// The same file inside the sandbox folder of `containerID`:
    /// ~/.var/app/<containerID>/config + the own file's path below the config folder.
    static QString containerPreferencesPath(const QString &containerID);

    /// Imports from the sandbox folder of `containerID` into the own file; see the overload.
    static bool ovImportNewerPreferences(const QString &bundleID, const QString &containerID);

    /// Replaces `ownFile` with `containerFile` when the container file exists and the own file
    /// is missing or older. The replacement is atomic (a temporary file renamed over the own
    /// file), so a failed copy leaves the own file as it was. When the own file is the standard
    /// user defaults' file, the defaults reread it. True only when the own file was replaced.
    static bool ovImportNewerPreferencesFromFile(const QString &containerFile, const QString &ownFile);
};
