// What the list and transfer commands share: loading a backup into the working list.
#pragma once

#include "backup/BackupLoad.h"
#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "cli/Cli.h"
#include "cli/CliArgs.h"

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

// Parses a command's arguments by its table. On --help the command's usage is printed; on
// a usage error, the error. Either way the exit status comes back, and the command is done.
std::optional<int> parseArguments(CliContext& ctx, const std::vector<std::string>& args,
                                  std::string_view command, CliArgs& parsed);
// A usage error of the command: the message, a hint to its --help, exit status 2.
int usageError(CliContext& ctx, std::string_view command, const std::string& message);

// "standard" or "alphabetical".
std::optional<ListOrder> parseOrder(const std::string& text);

} // namespace lw
