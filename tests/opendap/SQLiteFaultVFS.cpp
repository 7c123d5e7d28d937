#include "SQLiteFaultVFS.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstdlib>

namespace {

std::atomic<SQLiteFaultVFS::Mode> gMode{SQLiteFaultVFS::Mode::Pass};
sqlite3_vfs *gReal = nullptr;
sqlite3_vfs gFault;

// Our file object: the real VFS's file lives right behind it.
struct FaultFile
{
    sqlite3_file base;
    sqlite3_file *real;
};

sqlite3_file *realOf(sqlite3_file *file)
{
    return reinterpret_cast<FaultFile *>(file)->real;
}

int faultClose(sqlite3_file *f)
{
    return realOf(f)->pMethods->xClose(realOf(f));
}
int faultRead(sqlite3_file *f, void *buffer, int amount, sqlite3_int64 offset)
{
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}
int faultWrite(sqlite3_file *f, const void *buffer, int amount, sqlite3_int64 offset)
{
    if (gMode == SQLiteFaultVFS::Mode::DiskFull)
        return SQLITE_FULL;
    return realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset);
}
int faultTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int faultSync(sqlite3_file *f, int flags)
{
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int faultFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int faultLock(sqlite3_file *f, int lock)
{
    return realOf(f)->pMethods->xLock(realOf(f), lock);
}
int faultUnlock(sqlite3_file *f, int lock)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), lock);
}
int faultCheckReservedLock(sqlite3_file *f, int *result)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), result);
}
int faultFileControl(sqlite3_file *f, int op, void *argument)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, argument);
}
int faultSectorSize(sqlite3_file *f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int faultDeviceCharacteristics(sqlite3_file *f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

// Version 1: no shared memory and no memory mapping, so rollback journals only.
const sqlite3_io_methods kMethods = {1,
                                     faultClose,
                                     faultRead,
                                     faultWrite,
                                     faultTruncate,
                                     faultSync,
                                     faultFileSize,
                                     faultLock,
                                     faultUnlock,
                                     faultCheckReservedLock,
                                     faultFileControl,
                                     faultSectorSize,
                                     faultDeviceCharacteristics,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

int faultOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    file->pMethods = nullptr;
    if (gMode == SQLiteFaultVFS::Mode::RefuseOpen)
        return SQLITE_CANTOPEN;
    auto *ours = reinterpret_cast<FaultFile *>(file);
    ours->real = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(file) + sizeof(FaultFile));
    const int rc = gReal->xOpen(gReal, name, ours->real, flags, outFlags);
    if (rc == SQLITE_OK && ours->real->pMethods)
        file->pMethods = &kMethods;
    return rc;
}

} // namespace

SQLiteFaultVFS::SQLiteFaultVFS()
{
    gMode = Mode::Pass;
    gReal = sqlite3_vfs_find(nullptr);
    gFault = *gReal;
    gFault.zName = "nimbrel-fault";
    gFault.szOsFile = int(sizeof(FaultFile)) + gReal->szOsFile;
    gFault.xOpen = faultOpen;
    sqlite3_vfs_register(&gFault, 1);
}

SQLiteFaultVFS::~SQLiteFaultVFS()
{
    sqlite3_vfs_register(gReal, 1);
    sqlite3_vfs_unregister(&gFault);
    gMode = Mode::Pass;
}

void SQLiteFaultVFS::setMode(Mode mode)
{
    gMode = mode;
}
