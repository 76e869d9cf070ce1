// What the list and transfer commands share: loading a backup into the working list.
#pragma once

#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "cli/Cli.h"

#include <optional>
#include <string>

namespace lw {

struct LoadedBackup {
    Recognition recognition;
    WorkingList list;
};

// Recognises and reads the backup in dir and builds the list in the given order.
// Reports every failure on the error stream and returns the exit status in `exitCode`.
std::optional<LoadedBackup> loadBackupForCli(CliContext& ctx, const std::string& dir, ListOrder order,
                                             int& exitCode);

// "standard" or "alphabetical".
std::optional<ListOrder> parseOrder(const std::string& text);

} // namespace lw
