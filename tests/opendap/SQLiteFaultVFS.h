// An SQLite VFS for the fault cases of the grid cache: registered as the default while it
// lives (so any connection opened meanwhile uses it), it passes everything to the real default
// VFS unless told to refuse every open or to answer every write with a full disk.
// One at a time; the test's thread sets the mode.
#pragma once

#include <atomic>

class SQLiteFaultVFS
{
public:
    enum class Mode { Pass, RefuseOpen, DiskFull };

    SQLiteFaultVFS();
    /// Restores the former default VFS. Close the connections opened through this one first.
    ~SQLiteFaultVFS();
    SQLiteFaultVFS(const SQLiteFaultVFS &) = delete;
    SQLiteFaultVFS &operator=(const SQLiteFaultVFS &) = delete;

    void setMode(Mode mode);
};
