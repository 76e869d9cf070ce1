// Loading a backup: recognising it in the chosen folder, the two questions a front end may
// ask (whether to load it, and in which order), reading its tables and building the working
// list. Both front ends load through here; the window asks its questions in dialogs, the
// command line answers them from its options.
#pragma once

#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace lw {

class LoadQuestions {
public:
    virtual ~LoadQuestions() = default;
    // A backup of this kind is in the folder: load it? (No ends the loading.)
    virtual bool confirmLoad(const BackupFormat& format) = 0;
    // The tables are read: which order shall the list have?
    virtual ListOrder askOrder() = 0;
    // The loading has come this far: 1 reading the song table, 2 the folder table, 3 asking
    // the order, 4 building the list, 5 done (a front end's progress bar follows it).
    virtual void reached(int step) { (void)step; }
};

enum class LoadOutcome {
    Loaded,
    NoBackup,         // no marker file in the folder
    ManagerIniBeside, // a KN5000 or KN6000/6500 backup with "Manager.ini" beside it
    Unreadable,       // the folder cannot be listed (error)
    Declined,         // the user did not want it loaded
    TableFailed,      // a table is missing or cannot be read (error)
};

struct LoadResult {
    LoadOutcome outcome = LoadOutcome::NoBackup;
    Recognition recognition; // the kind and the backup's directory, also when not loaded
    Status error;            // Unreadable, TableFailed: which file and why
    // A table shorter than its layout loads, its missing records taken as empty; its path
    // is here then, so that the front end can warn (the KN2000's one file may stand in both).
    std::filesystem::path shortSongTable;
    std::filesystem::path shortFolderTable;
};

// Loads the backup in `folder` into the list (which is emptied first).
LoadResult loadBackup(FileSystem& fs, std::string_view folder, WorkingList& list, LoadQuestions& questions);

// The room a restore file of a backup is estimated to need, against the free space where it
// would be written.
struct RestoreSpace {
    std::uint64_t needed = 0; // estimatedRestoreSize of the backup folder
    std::uint64_t free = 0;
    bool enough() const { return needed <= free; }
};
Result<RestoreSpace> restoreSpace(FileSystem& fs, const std::filesystem::path& backupFolder,
                                  const std::filesystem::path& restoreFolder);

} // namespace lw
