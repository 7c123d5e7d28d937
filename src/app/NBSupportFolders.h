// The support folders at launch: the one-time migration of the previous generation's folder
// and the creation of the support, journal, observations and cache folders. A folder the
// program cannot have is a launch failure: the caller shows its title and message in a
// critical alert and ends the program. Main thread, before the databases open.
#pragma once

#include <QString>

#include <optional>

/// Why the launch cannot go on: the title and message of the critical alert.
struct NBLaunchFailure
{
    QString title;
    QString message;
};

class NBSupportFolders
{
public:
    /// Copies "Observations" and "Journal Entries" of the old folder into a new support folder
    /// and moves its "TerrainCache" to the cache folder's "Terrain", only when the new folder
    /// does not exist yet and the old one is a folder.
    static std::optional<NBLaunchFailure> migrateOldSupportFolder(const QString &newPath, const QString &oldPath);

    /// Creates the support, journal and observations folders when absent; a creation failure,
    /// or a file standing where one of them must be, is a launch failure. Then the cache
    /// folder, whose failure is only logged (the forecast caches are then not kept).
    static std::optional<NBLaunchFailure> createFolders(const QString &supportPath, const QString &journalPath,
                                                        const QString &observationsPath, const QString &cachePath);
};
