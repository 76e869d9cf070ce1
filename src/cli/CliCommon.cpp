#include "cli/CliCommon.h"
#include "platform/Path.h"

#include <utility>

namespace lw {

int usageError(CliContext& ctx, std::string_view command, const std::string& message) {
    cliError(ctx, message + " (see liedwerk-cli " + std::string(command) + " --help)");
    return kExitUsage;
}

std::optional<int> parseArguments(CliContext& ctx, const std::vector<std::string>& args,
                                  std::string_view command, CliArgs& parsed) {
    const CliCommand& known = *findCommand(command);
    if (!parsed.parse(args, known))
        return usageError(ctx, command, parsed.error());
    if (parsed.has("--help")) {
        ctx.out << commandUsage(known);
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

namespace {

// The command line's answers to the loading's questions: load it, in the order given.
class GivenAnswers : public LoadQuestions {
public:
    explicit GivenAnswers(ListOrder order) : m_order(order) {}
    bool confirmLoad(const BackupFormat&) override { return true; }
    ListOrder askOrder() override { return m_order; }

private:
    ListOrder m_order;
};

} // namespace

std::optional<LoadedBackup> loadBackupForCli(CliContext& ctx, const std::string& dir, ListOrder order,
                                             int& exitCode) {
    exitCode = kExitError;
    if (!ctx.fs.isDirectory(pathFromUtf8(dir))) {
        cliError(ctx, "the backup directory " + dir + " does not exist or is not a folder");
        return std::nullopt;
    }
    LoadedBackup loaded;
    GivenAnswers answers(order);
    LoadResult result = loadBackup(ctx.fs, dir, loaded.list, answers);
    // Moved, not copied: the directory's listing holds every file name of the backup.
    loaded.recognition = std::move(result.recognition);
    switch (result.outcome) {
    case LoadOutcome::Loaded:
    case LoadOutcome::Declined:
        break;
    case LoadOutcome::Unreadable:
        cliError(ctx, "cannot read the backup directory " + dir + ": " + result.error.reason());
        return std::nullopt;
    case LoadOutcome::NoBackup:
        cliError(ctx,
                 "no backup found in " + dir +
                     " (it holds none of dir.new, filedir.dat, Fileblk.dat, Sx6bck.sxf); choose the folder "
                     "that holds the backup's tables");
        return std::nullopt;
    case LoadOutcome::ManagerIniBeside:
        cliError(
            ctx,
            "the " + std::string(result.recognition.format->text) + " backup in " + dir +
                " has a Manager.ini beside it and is not loaded; copy the backup's own files to a folder "
                "without Manager.ini");
        return std::nullopt;
    case LoadOutcome::TableFailed:
        cliError(ctx, "cannot read the backup table " + result.error.path() + ": " + result.error.reason() +
                          "; check that the backup is complete and readable");
        return std::nullopt;
    }
    if (!result.shortSongTable.empty())
        cliError(ctx,
                 "warning: the song table " + pathToUtf8(result.shortSongTable) +
                     " is shorter than a full table; its missing records are taken as empty song places");
    if (!result.shortFolderTable.empty())
        cliError(ctx, "warning: the folder table " + pathToUtf8(result.shortFolderTable) +
                          " is shorter than a full table; its missing records are taken as folders without a "
                          "name");
    exitCode = kExitOk;
    return loaded;
}

} // namespace lw
