// The backup is only ever read. Before a run touches anything, what it will write into,
// replace and delete is compared with the backup by file identity, not by spelling: a
// link, a bind mount, another letter case or a hard link all lead to the same identity.
#pragma once

#include "backup/BackupReader.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <vector>

namespace lw {

// What a run changes.
struct OutputFootprint {
    std::vector<std::filesystem::path> foldersWrittenInto; // new files or folders are made directly in these
    std::vector<std::filesystem::path> filesReplaced;      // these names get a new file
    std::vector<std::filesystem::path> treesDeleted;       // these go, with everything in them
};

// InvalidArgument, naming the output, when the footprint would write, replace or delete a
// file or folder of the backup: a folder written into that is the backup folder; a file
// replaced that is the backup folder or one of its files; a tree deleted that holds the
// backup folder, or through which the backup's path leads (a link inside it). A tree that
// is itself a link is not judged: only the link goes. Everything else is let through.
Status checkApartFromBackup(FileSystem& fs, const OutputFootprint& footprint, const BackupDirectory& backup);

} // namespace lw
