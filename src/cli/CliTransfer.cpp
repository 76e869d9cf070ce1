// liedwerk-cli transfer: the marked songs of a backup onto a card folder or into a
// restore file, exactly as the window writes them.
#include "backup/Cp1252.h"
#include "card/CardLayout.h"
#include "card/CardSizes.h"
#include "card/RestoreOutput.h"
#include "card/TransferRun.h"
#include "cli/CliCommon.h"
#include "cli/CliPlan.h"
#include "cli/CliProgress.h"
#include "platform/Drives.h"
#include "platform/Path.h"
#include "settings/MessageTables.h"

#include <cctype>
#include <istream>
#include <ostream>

namespace lw {

namespace {

std::string english(int number) {
    return std::string(messageText(Language::English, number));
}

std::string messageLine(const RunMessage& m) {
    std::string text;
    for (const auto& part : m.parts)
        text += part.number ? english(part.number) : part.text;
    return text;
}

// A failure of the run as one line: what was being done, the file, and the system's reason.
std::string failureLine(const RunMessage& m, bool cardMode) {
    const std::string where = m.error.path() + ": " + m.error.reason();
    switch (m.step) {
    case RunStep::Claim:
        break;
    case RunStep::Prepare:
        return (cardMode ? "cannot prepare the card: " : "cannot begin the restore file: ") + where;
    case RunStep::ReadSong:
        return "cannot read the song file " + where;
    case RunStep::WriteSong:
        return (cardMode ? "cannot write to the card: " : "cannot write the restore file: ") + where;
    case RunStep::Finish:
        return (cardMode ? "cannot write the information file to the card: "
                         : "cannot complete the restore file: ") +
               where;
    }
    return where;
}

class CliFrontEnd : public TransferFrontEnd {
public:
    CliFrontEnd(CliContext& ctx, const WorkingList& list, bool cardMode, CliProgress& progress)
        : m_ctx(ctx), m_list(list), m_cardMode(cardMode), m_progress(progress) {}
    void rowSelected(std::size_t) override {}
    void rowInView(std::size_t) override {}
    void rowHandled(std::size_t row, SongOutcome outcome, const std::string& target) override {
        const char* what = "OK";
        switch (outcome) {
        case SongOutcome::Transferred:
            break;
        case SongOutcome::NotFound:
            what = "not found";
            break;
        case SongOutcome::Skipped:
            what = "skipped: its folder is not marked";
            break;
        case SongOutcome::Failed:
            what = "not transferred";
            break;
        }
        m_progress.print((target.empty() ? std::string("-") : target) + "  " + what + "  " +
                         shown(cp1252ToUtf8(m_list.row(row).text)) + '\n');
        m_progress.advance();
    }
    void progress(int value, int maximum) override {
        if (value == 0)
            m_progress.start(maximum);
    }
    void message(const RunMessage& m) override {
        m_progress.finish();
        switch (m.kind) {
        case RunMessage::Kind::Closing:
            break; // the command prints its own closing line
        case RunMessage::Kind::Info:
            m_ctx.out << messageLine(m) << '\n';
            break;
        case RunMessage::Kind::ErrorReport:
            cliError(m_ctx, failureLine(m, m_cardMode));
            break;
        case RunMessage::Kind::CardMissing:
            break; // the command says which card did not answer
        }
    }
    bool askCancel(int, int) override { return false; }
    void processEvents() override {}
    void beep() override {}

private:
    CliContext& m_ctx;
    const WorkingList& m_list;
    bool m_cardMode;
    CliProgress& m_progress;
};

bool isThreeDigits(const std::string& s) {
    return s.size() == 3 && std::isdigit(static_cast<unsigned char>(s[0])) &&
           std::isdigit(static_cast<unsigned char>(s[1])) && std::isdigit(static_cast<unsigned char>(s[2]));
}

std::optional<int> parseInt(const std::string& s) {
    if (s.empty() || s.size() > 9)
        return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9')
            return std::nullopt;
    return std::stoi(s);
}

} // namespace

// Asks on the terminal whether a card's PRIVATE folder may be replaced; no terminal is a no.
bool confirmReplacePrivate(CliContext& ctx, const std::filesystem::path& priv, bool yes) {
    if (yes || !ctx.fs.isDirectory(priv))
        return true;
    if (!ctx.inIsTerminal) {
        cliError(ctx, "the card already holds " + pathToUtf8(priv) +
                          "; it would be deleted and written anew. Give --yes to allow that");
        return false;
    }
    ctx.out << "The card already holds " << shown(pathToUtf8(priv))
            << ". Delete it with everything in it and write it anew? [y/N] " << std::flush;
    std::string answer;
    std::getline(ctx.in, answer);
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes")
        return true;
    cliError(ctx, "nothing was written: replacing " + pathToUtf8(priv) + " was not confirmed");
    return false;
}

// Card mode's guard: the folder must be the root of a removable medium unless allowed.
bool acceptCardRoot(CliContext& ctx, const std::string& dir, bool allowFixed) {
    const auto root = pathFromUtf8(dir);
    if (!ctx.fs.isDirectory(root)) {
        cliError(ctx,
                 "the card folder " + dir +
                     (ctx.fs.exists(root) ? " is not a folder; give the card's root folder"
                                          : " does not exist; insert the card and give its root folder"));
        return false;
    }
    if (allowFixed)
        return true;
    const auto drive = driveWithRoot(ctx.drives, root);
    if (!drive || !isAcceptableCardDrive(*drive)) {
        cliError(ctx, dir +
                          " is not the root of a removable medium (a card in a card reader); give the card's "
                          "root folder, or --allow-fixed to write there anyway");
        return false;
    }
    return true;
}

int cliTransfer(const std::vector<std::string>& args, CliContext& ctx) {
    CliArgs a;
    if (auto done = parseArguments(ctx, args, "transfer", a))
        return *done;
    const auto usage = [&](const std::string& message) { return usageError(ctx, "transfer", message); };
    if (a.positional().size() != 1)
        return usage(a.positional().empty() ? "transfer needs the backup directory"
                                            : "transfer takes one backup directory");
    const bool cardMode = a.has("--card");
    if (cardMode == a.has("--restore-file"))
        return usage("give either --card DIR or --restore-file FILE");
    if (a.value(cardMode ? "--card" : "--restore-file")->empty())
        return usage(cardMode ? "--card needs the card's root folder" : "--restore-file needs a file name");
    if (cardMode && (a.has("--card-size") || a.has("--cluster-size")))
        return usage("--card-size and --cluster-size belong to --restore-file");
    if (!cardMode && (a.has("--yes") || a.has("--allow-fixed") || a.has("--add")))
        return usage("--yes, --allow-fixed and --add belong to --card");
    const bool dryRun = a.has("--dry-run");
    if (a.has("--json") && !dryRun)
        return usage("--json belongs to --dry-run");

    ListOrder order = ListOrder::Standard;
    if (auto o = a.value("--order")) {
        const auto parsed = parseOrder(*o);
        if (!parsed)
            return usage("--order takes standard or alphabetical, not " + *o);
        order = *parsed;
    }
    CardOrder layout = CardOrder::KeepStructure;
    if (auto l = a.value("--layout")) {
        if (*l == "sequential")
            layout = CardOrder::Sequential;
        else if (*l != "keep")
            return usage("--layout takes keep or sequential, not " + *l);
    }
    TransferSetup setup;
    if (auto mb = a.value("--card-size")) {
        const auto n = parseInt(*mb);
        const auto size = n ? cardSizeByMegabytes(*n) : std::nullopt;
        if (!size)
            return usage("--card-size takes 8, 16, 32, 64, 128, 256, 512 or 1024, not " + *mb);
        setup.cardCapacity = size->capacity;
        setup.clusterSize = kClusterSizes[static_cast<std::size_t>(size->clusterOption)].bytes;
    }
    if (auto cs = a.value("--cluster-size")) {
        const auto n = parseInt(*cs);
        if (!n || !isClusterSize(*n))
            return usage("--cluster-size takes 2048, 4096, 8192, 16384 or 32768, not " + *cs);
        setup.clusterSize = *n;
    }
    std::vector<std::pair<std::string, std::string>> renames;
    for (const auto& r : a.values("--rename")) {
        const auto eq = r.find('=');
        if (eq == std::string::npos || eq == 0)
            return usage("--rename takes INDEX=NAME, not " + r);
        renames.emplace_back(r.substr(0, eq), r.substr(eq + 1));
    }
    for (const auto& f : a.values("--unmark-folder"))
        if (!isThreeDigits(f))
            return usage("--unmark-folder takes a folder number of three digits, not " + f);

    int exitCode = kExitOk;
    auto loaded = loadBackupForCli(ctx, a.positional()[0], order, exitCode);
    if (!loaded)
        return exitCode;
    WorkingList& list = loaded->list;

    // Every row named must exist before any mark changes.
    const auto song = [&](const std::string& index) { return list.findSong(index); };
    for (const char* option : {"--only", "--unmark"})
        for (const auto& index : a.values(option))
            if (!song(index))
                return usage(std::string(option) + " " + index + ": no song row has this Index");
    for (const auto& [index, name] : renames)
        if (!song(index))
            return usage("--rename " + index + ": no song row has this Index");
    for (const auto& f : a.values("--unmark-folder"))
        if (!list.findFolder(f))
            return usage("--unmark-folder " + f + ": no folder row has this number");

    if (a.has("--only")) {
        if (!list.allMarksPressed())
            list.pressAllMarks();
        for (const auto& index : a.values("--only"))
            list.setMarkByUser(*song(index), true);
    }
    for (const auto& f : a.values("--unmark-folder"))
        list.setMarkByUser(*list.findFolder(f), false);
    for (const auto& index : a.values("--unmark"))
        list.setMarkByUser(*song(index), false);
    for (const auto& [index, name] : renames)
        list.rename(*song(index), name);

    if (!transferHasWork(list)) {
        ctx.out << "No song is marked; nothing was written.\n";
        return kExitOk;
    }

    setup.order = layout;
    const BackupDirectory& backup = loaded->recognition.directory;
    std::string target;
    if (cardMode) {
        target = *a.value("--card");
        if (!acceptCardRoot(ctx, target, a.has("--allow-fixed")))
            return kExitError;
        setup.mode = OutputMode::Card;
        setup.cardRoot = pathFromUtf8(target);
        setup.cardRootText = withTrailingSeparator(target);
        setup.addToCard = a.has("--add");
    } else {
        target = *a.value("--restore-file");
        setup.mode = OutputMode::RestoreFile;
        setup.restoreFile = pathFromUtf8(target);
        if (!ctx.fs.isDirectory(restoreFolderOf(setup.restoreFile))) {
            cliError(ctx, "the folder of the restore file " + target + " does not exist; create it first");
            return kExitError;
        }
        setup.restoreLocationText = target;
    }
    // Refused before any question is asked: an output that would touch the backup.
    if (Status s = checkTransferOutput(ctx.fs, setup, backup); !s) {
        cliError(ctx, s.path() + ": " + s.reason());
        return kExitError;
    }
    if (dryRun)
        return printPlan(ctx, planTransfer(ctx.fs, list, setup, backup), setup, target, a.has("--json"));
    if (cardMode && !setup.addToCard &&
        !confirmReplacePrivate(ctx, setup.cardRoot / std::string(kPrivateFolder), a.has("--yes")))
        return kExitError;

    CliProgress progress(ctx, a.has("--quiet"), "songs");
    CliFrontEnd frontEnd(ctx, list, cardMode, progress);
    TransferRun run(progress.watch(ctx.fs), list, frontEnd);
    const RunResult result = run.run(setup, backup);
    progress.finish();
    const std::string songs =
        std::to_string(result.transferred) + (result.transferred == 1 ? " song" : " songs");
    switch (result.outcome) {
    case RunOutcome::NothingMarked:
        ctx.out << "No song is marked; nothing was written.\n";
        return kExitOk;
    case RunOutcome::Aborted:
        if (result.error.isOk())
            cliError(ctx,
                     "the card in " + target + " does not answer; check that it is inserted and readable");
        else if (result.step != RunStep::Claim)
            ctx.out << (cardMode
                            ? "The transfer did not finish; check the card with liedwerk-cli inspect before "
                              "you use it\n"
                            : "The transfer did not finish; an earlier restore file is left as it was\n");
        return kExitError;
    case RunOutcome::Completed:
    case RunOutcome::Cancelled:
    case RunOutcome::FoldersUsedUp:
    case RunOutcome::OutputFull:
    case RunOutcome::SongFailed:
        break;
    }
    if (cardMode)
        ctx.out << songs << (setup.addToCard ? " added to the card in " : " written to the card in ")
                << shown(target) << '\n';
    else
        ctx.out << songs << " written to the restore file " << shown(target) << '\n';
    if (result.notFound)
        ctx.out << result.notFound
                << (result.notFound == 1 ? " song was not found in the backup; it stays marked\n"
                                         : " songs were not found in the backup; they stay marked\n");
    if (result.outcome == RunOutcome::SongFailed)
        return kExitError;
    if (result.outcome == RunOutcome::OutputFull || result.outcome == RunOutcome::FoldersUsedUp)
        return kExitStoppedEarly;
    return kExitOk;
}

} // namespace lw
