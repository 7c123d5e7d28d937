#include "app/NBSupportFolders.h"

#include "platform/OVLocalize.h"
#include "platform/OVLog.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString &path)
{
    return fs::path(path.toStdString());
}

bool existsInAnyForm(const fs::path &path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

bool isFolder(const fs::path &path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

QString describe(const std::error_code &error)
{
    return error ? QString::fromStdString(error.message()) : QString();
}

std::error_code createFolder(const fs::path &path)
{
    std::error_code error;
    fs::create_directories(path, error);
    if (!error && !isFolder(path))
        error = std::make_error_code(std::errc::not_a_directory);
    return error;
}

std::error_code copyTree(const fs::path &from, const fs::path &to)
{
    std::error_code error;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    return error;
}

NBLaunchFailure failure(const char *title, const std::error_code &error)
{
    return {OVLocalizedString(title), describe(error)};
}

} // namespace

std::optional<NBLaunchFailure> NBSupportFolders::migrateOldSupportFolder(const QString &newPath, const QString &oldPath)
{
    if (newPath.isEmpty() || oldPath.isEmpty())
        return NBLaunchFailure{OVLocalizedString("Couldn't create application support directory (path missing)."), QString()};
    const fs::path newFolder = toPath(newPath);
    const fs::path oldFolder = toPath(oldPath);
    if (existsInAnyForm(newFolder) || !isFolder(oldFolder))
        return std::nullopt;

    if (const std::error_code error = createFolder(newFolder))
        return failure("Couldn't create application support directory.", error);
    if (existsInAnyForm(oldFolder / "Observations")) {
        if (const std::error_code error = copyTree(oldFolder / "Observations", newFolder / "Observations"))
            return failure("Couldn't copy your observations.", error);
    }
    if (existsInAnyForm(oldFolder / "Journal Entries")) {
        if (const std::error_code error = copyTree(oldFolder / "Journal Entries", newFolder / "Journal Entries"))
            return failure("Couldn't copy your journal entries.", error);
    }
    const fs::path cache = newFolder / "Cache";
    if (const std::error_code error = createFolder(cache))
        OVLog(QStringLiteral("[NBController launchCheckNimbrelCoreMigrationNeeded] Couldn't create the cache folder: %1").arg(describe(error)));
    if (existsInAnyForm(oldFolder / "TerrainCache") && isFolder(cache)) {
        std::error_code error;
        fs::rename(oldFolder / "TerrainCache", cache / "Terrain", error);
        if (error)
            OVLog(QStringLiteral("[NBController launchCheckNimbrelCoreMigrationNeeded] Couldn't move the terrain cache: %1").arg(describe(error)));
    }
    return std::nullopt;
}

std::optional<NBLaunchFailure> NBSupportFolders::createFolders(const QString &supportPath, const QString &journalPath,
                                                               const QString &observationsPath, const QString &cachePath)
{
    struct Folder
    {
        const QString &path;
        const char *failureTitle;
        const char *strangeLine;
    };
    const Folder folders[] = {
        {supportPath, "Couldn't create application support directory.",
         "[NBController launchSetupPaths] Strange...Nimbrel Core Application Support exists, but it's not a directory."},
        {journalPath, "Couldn't create journal directory.",
         "[NBController launchSetupPaths] Strange...Nimbrel Journal Directory exists, but it's not a directory."},
        {observationsPath, "Couldn't create observations directory.",
         "[NBController launchSetupPaths] Strange...Nimbrel Observations Directory exists, but it's not a directory."},
    };
    for (const Folder &folder : folders) {
        const fs::path path = toPath(folder.path);
        if (existsInAnyForm(path) && !isFolder(path)) {
            // Nothing could ever be stored there; going on would lose every later save.
            OVLog(QString::fromLatin1(folder.strangeLine));
            return failure(folder.failureTitle, std::make_error_code(std::errc::not_a_directory));
        }
        if (const std::error_code error = createFolder(path))
            return failure(folder.failureTitle, error);
    }
    if (const std::error_code error = createFolder(toPath(cachePath)))
        OVLog(QStringLiteral("[NBController launchSetupPaths] Couldn't create the cache folder %1: %2").arg(cachePath, describe(error)));
    return std::nullopt;
}
