// What the list and transfer commands share: loading a backup into the working list.
#pragma once

#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "cli/Cli.h"

#include <filesystem>
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

// Card mode's guards, shared by transfer and unpack. Each reports its refusal itself.
// The folder must be the root of a removable medium unless allowFixed.
bool acceptCardRoot(CliContext& ctx, const std::string& dir, bool allowFixed);
// An existing PRIVATE folder is replaced only with --yes or a "y" on the terminal.
bool confirmReplacePrivate(CliContext& ctx, const std::filesystem::path& priv, bool yes);

// "standard" or "alphabetical".
std::optional<ListOrder> parseOrder(const std::string& text);

} // namespace lw
