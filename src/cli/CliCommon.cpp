#include "cli/CliCommon.h"
#include "platform/Path.h"

namespace lw {

int usageError(CliContext& ctx, std::string_view command, const std::string& message) {
    cliError(ctx, message + " (see liedwerk-cli " + std::string(command) + " --help)");
    return kExitUsage;
}

std::optional<int> parseArguments(CliContext& ctx, const std::vector<std::string>& args,
                                  std::string_view command, CliArgs& parsed) {
    const CommandSpec& spec = *findCommand(command);
    if (!parsed.parse(args, spec))
        return usageError(ctx, command, parsed.error());
    if (parsed.has("--help")) {
        ctx.out << commandUsage(spec);
        return kExitOk;
    }
    return std::nullopt;
}

std::optional<ListOrder> parseOrder(const std::string& text) {
    if (text == "standard")
        return ListOrder::Standard;
    if (text == "alphabetical")
        return ListOrder::Alphabetical;
    return std::nullopt;
}

std::optional<LoadedBackup> loadBackupForCli(CliContext& ctx, const std::string& dir, ListOrder order,
                                             int& exitCode) {
    exitCode = kExitError;
    if (!ctx.fs.isDirectory(pathFromUtf8(dir))) {
        cliError(ctx, "the backup directory " + dir + " does not exist or is not a folder");
        return std::nullopt;
    }
    LoadedBackup loaded;
    loaded.recognition = recognizeBackup(ctx.fs, dir);
    const Recognition& r = loaded.recognition;
    if (r.outcome == RecognitionOutcome::Unreadable) {
        cliError(ctx, "cannot read the backup directory " + dir + ": " + r.directory.listing().reason());
        return std::nullopt;
    }
    if (r.outcome == RecognitionOutcome::NoBackup) {
        cliError(ctx,
                 "no backup found in " + dir +
                     " (it holds none of dir.new, filedir.dat, Fileblk.dat, Sx6bck.sxf); choose the folder "
                     "that holds the backup's tables");
        return std::nullopt;
    }
    if (r.outcome == RecognitionOutcome::ManagerIniBeside) {
        cliError(
            ctx,
            "the " + std::string(r.format->text) + " backup in " + dir +
                " has a Manager.ini beside it and is not loaded; copy the backup's own files to a folder "
                "without Manager.ini");
        return std::nullopt;
    }
    auto tables = readBackupTables(ctx.fs, *r.format, r.directory);
    if (!tables) {
        cliError(ctx, "cannot read the backup table " + tables.status().path() + ": " +
                          tables.status().reason() + "; check that the backup is complete and readable");
        return std::nullopt;
    }
    if (tables->songTableShort)
        cliError(ctx,
                 "warning: the song table " + pathToUtf8(tables->songTablePath) +
                     " is shorter than a full table; its missing records are taken as empty song places");
    if (tables->folderTableShort)
        cliError(ctx, "warning: the folder table " + pathToUtf8(tables->folderTablePath) +
                          " is shorter than a full table; its missing records are taken as folders without a "
                          "name");
    if (order == ListOrder::Alphabetical)
        loaded.list.Liste_erstellen_Alphabetisch(*r.format, tables->songs);
    else
        loaded.list.Liste_erstellen(*r.format, tables->folders, tables->songs);
    exitCode = kExitOk;
    return loaded;
}

} // namespace lw
