#include "card/BackupGuard.h"

#include "platform/Path.h"

#include <system_error>

namespace lw {

namespace fs = std::filesystem;

namespace {

Status refused(const fs::path& output, const std::string& why, const char* instead) {
    return Status::error(ErrorCode::InvalidArgument, pathToUtf8(output),
                         why + ", which is never written to; choose another " + instead);
}

// Whether a folder with the identity `wanted` lies in the tree below `folder` (links not followed).
bool treeHolds(FileSystem& fs, const fs::path& folder, const FileId& wanted, int depth = 0) {
    constexpr int kMaxDepth = 64;
    auto entries = fs.listDirectory(folder);
    if (!entries || depth > kMaxDepth)
        return false;
    for (const auto& e : *entries) {
        if (!e.isDirectory || e.isLink)
            continue;
        const fs::path child = folder / pathFromUtf8(e.name);
        if (fs.identity(child, false) == wanted || treeHolds(fs, child, wanted, depth + 1))
            return true;
    }
    return false;
}

} // namespace

Status checkApartFromBackup(FileSystem& fs, const OutputFootprint& footprint, const BackupDirectory& backup) {
    const fs::path backupFolder = backup.folder();
    const auto backupId = fs.identity(backupFolder, true);
    if (!backupId)
        return Status::ok();
    const std::string shown = pathToUtf8(backupFolder);

    for (const fs::path& folder : footprint.foldersWrittenInto)
        if (fs.identity(folder, true) == backupId)
            return refused(folder, "this is the backup folder", "folder");

    for (const fs::path& file : footprint.filesReplaced) {
        const auto id = fs.identity(file, true);
        if (!id)
            continue;
        if (id == backupId)
            return refused(file, "this is the backup folder", "file");
        for (const fs::path& backupFile : backup.files())
            if (fs.identity(backupFile, true) == id)
                return refused(file, "this is the backup's file " + pathToUtf8(backupFile), "file");
    }

    for (const fs::path& tree : footprint.treesDeleted) {
        const auto treeId = fs.identity(tree, false);
        if (!treeId || treeId != fs.identity(tree, true))
            continue; // nothing there, or a link: deleting it leaves what it points to
        const std::string why = "deleting it would delete the backup in " + shown;
        const char* instead = "folder";
        // The backup's path as given may lead through the tree (a link inside it) ...
        std::error_code ec;
        fs::path prefix;
        for (const fs::path& part : fs::absolute(backupFolder, ec)) {
            prefix /= part;
            if (fs.identity(prefix, true) == treeId)
                return refused(tree, why, instead);
        }
        // ... or the backup may lie in it, reached from elsewhere.
        if (treeId == backupId || treeHolds(fs, tree, *backupId))
            return refused(tree, why, instead);
    }
    return Status::ok();
}

} // namespace lw
