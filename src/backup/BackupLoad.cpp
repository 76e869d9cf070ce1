#include "backup/BackupLoad.h"

namespace lw {

LoadResult loadBackup(FileSystem& fs, std::string_view folder, WorkingList& list, LoadQuestions& questions) {
    list.clear();
    LoadResult result;
    result.recognition = recognizeBackup(fs, folder);
    const Recognition& r = result.recognition;
    switch (r.outcome) {
    case RecognitionOutcome::Recognised:
        break;
    case RecognitionOutcome::NoBackup:
        result.outcome = LoadOutcome::NoBackup;
        return result;
    case RecognitionOutcome::ManagerIniBeside:
        result.outcome = LoadOutcome::ManagerIniBeside;
        return result;
    case RecognitionOutcome::Unreadable:
        result.outcome = LoadOutcome::Unreadable;
        result.error = r.directory.listing();
        return result;
    }
    if (!questions.confirmLoad(*r.format)) {
        result.outcome = LoadOutcome::Declined;
        return result;
    }
    questions.reached(1);
    auto tables = readBackupTables(fs, *r.format, r.directory);
    if (!tables) {
        result.outcome = LoadOutcome::TableFailed;
        result.error = tables.status();
        return result;
    }
    questions.reached(2);
    if (tables->songTableShort)
        result.shortSongTable = tables->songTablePath;
    if (tables->folderTableShort)
        result.shortFolderTable = tables->folderTablePath;
    questions.reached(3);
    const ListOrder order = questions.askOrder();
    questions.reached(4);
    if (order == ListOrder::Alphabetical)
        list.Liste_erstellen_Alphabetisch(*r.format, tables->songs);
    else
        list.Liste_erstellen(*r.format, tables->folders, tables->songs);
    questions.reached(5);
    result.outcome = LoadOutcome::Loaded;
    return result;
}

Result<RestoreSpace> restoreSpace(FileSystem& fs, const std::filesystem::path& backupFolder,
                                  const std::filesystem::path& restoreFolder) {
    auto free = fs.freeSpace(restoreFolder);
    if (!free)
        return free.status();
    auto size = fs.directorySize(backupFolder);
    if (!size)
        return size.status();
    return RestoreSpace{estimatedRestoreSize(*size), *free};
}

} // namespace lw
