// liedwerk-cli transfer --dry-run: the plan of the transfer, as text or as one JSON object.
#include "cli/CliPlan.h"

#include "backup/Cp1252.h"
#include "card/CardLayout.h"
#include "cli/Json.h"

#include <ostream>

namespace lw {

namespace {

// A song's fate as the text listing shows it and as the JSON plan names it.
struct FateWords {
    const char* text;
    const char* key;
};

FateWords fateWords(PlannedSong::Fate fate) {
    switch (fate) {
    case PlannedSong::Fate::Transferred:
        return {"OK", "transferred"};
    case PlannedSong::Fate::NotFound:
        return {"not found", "not found"};
    case PlannedSong::Fate::NoRoom:
        return {"no room", "no room"};
    case PlannedSong::Fate::NoFolder:
        return {"no folder left", "no folder"};
    case PlannedSong::Fate::Failed:
        return {"cannot be read", "failed"};
    case PlannedSong::Fate::Skipped:
        return {"skipped: its folder is not marked", "skipped"};
    case PlannedSong::Fate::NotReached:
        break;
    }
    return {"not reached", "not reached"};
}

const char* endKey(RunOutcome end) {
    switch (end) {
    case RunOutcome::NothingMarked:
        return "nothing marked";
    case RunOutcome::Completed:
    case RunOutcome::Cancelled:
        return "complete";
    case RunOutcome::FoldersUsedUp:
        return "folders used up";
    case RunOutcome::OutputFull:
        return "card full";
    case RunOutcome::SongFailed:
        return "song failed";
    case RunOutcome::Aborted:
        break;
    }
    return "not started";
}

std::string megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 524288) / 1048576;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

void printJson(std::ostream& out, const TransferPlan& plan, const TransferSetup& setup) {
    const bool card = setup.mode == OutputMode::Card;
    out << "{\"mode\": " << jsonString(card ? "card" : "restore-file")
        << ", \"add\": " << jsonBool(card && setup.addToCard)
        << ", \"end\": " << jsonString(endKey(plan.end));
    if (!plan.error.isOk())
        out << ", \"error\": {\"path\": " << jsonString(plan.error.path())
            << ", \"reason\": " << jsonString(plan.error.reason()) << "}";
    out << ", \"capacity\": " << plan.capacity << ", \"charged\": " << plan.charged << ", \"folders\": [";
    for (std::size_t i = 0; i < plan.folders.size(); ++i) {
        const PlannedFolder& f = plan.folders[i];
        out << (i ? ",\n  " : "\n  ") << "{\"number\": " << f.number
            << ", \"folder\": " << jsonString(songFolderName(f.number))
            << ", \"title\": " << jsonString(cp1252ToUtf8(f.title))
            << ", \"existing\": " << jsonBool(f.existing) << ", \"songs\": " << f.songs << "}";
    }
    out << "], \"songs\": [";
    for (std::size_t i = 0; i < plan.songs.size(); ++i) {
        const PlannedSong& s = plan.songs[i];
        out << (i ? ",\n  " : "\n  ") << "{\"index\": " << jsonString(s.index)
            << ", \"name\": " << jsonString(cp1252ToUtf8(s.name))
            << ", \"fate\": " << jsonString(fateWords(s.fate).key);
        if (!s.target.empty())
            out << ", \"target\": " << jsonString(s.target) << ", \"folder\": " << s.folder
                << ", \"slot\": " << s.slot;
        out << ", \"files\": [";
        for (std::size_t k = 0; k < s.files.size(); ++k)
            out << (k ? ", " : "") << jsonString(s.files[k]);
        out << "], \"bytes\": " << s.bytes << "}";
    }
    out << "]}\n";
}

void printText(CliContext& ctx, const TransferPlan& plan, const TransferSetup& setup,
               const std::string& target) {
    const bool card = setup.mode == OutputMode::Card;
    std::size_t songs = 0;
    for (const PlannedSong& s : plan.songs) {
        ctx.out << (s.target.empty() ? std::string("-") : s.target) << "  " << fateWords(s.fate).text << "  "
                << shown(cp1252ToUtf8(s.name)) << '\n';
        songs += s.fate == PlannedSong::Fate::Transferred;
    }
    for (const PlannedFolder& f : plan.folders)
        ctx.out << songFolderName(f.number) << "  "
                << (f.title.empty() ? "(no title)" : shown(cp1252ToUtf8(f.title))) << "  " << f.songs
                << (f.songs == 1 ? " song" : " songs") << (f.existing ? " (on the card already)" : "")
                << '\n';
    ctx.out << "Plan: " << songs << (songs == 1 ? " song" : " songs")
            << (card ? " to the card in " : " to the restore file ") << shown(target) << "; "
            << megabytes(plan.charged) << " charged of "
            << (card ? megabytes(plan.capacity) + " free on the card"
                     : "the " + megabytes(plan.capacity) + " card it is meant for")
            << "; ";
    switch (plan.end) {
    case RunOutcome::OutputFull:
        ctx.out << "the run would stop: the card is full";
        break;
    case RunOutcome::FoldersUsedUp:
        ctx.out << "the run would stop: the 99 folders are used up";
        break;
    case RunOutcome::SongFailed:
        ctx.out << "the run would stop at a song file that cannot be read";
        break;
    default:
        ctx.out << "the run would complete";
        break;
    }
    ctx.out << ". Nothing was written.\n";
}

} // namespace

int printPlan(CliContext& ctx, const TransferPlan& plan, const TransferSetup& setup,
              const std::string& target, bool json) {
    if (plan.end == RunOutcome::Aborted) {
        cliError(ctx, plan.error.path() + ": " + plan.error.reason());
        if (!json)
            return kExitError;
    }
    if (json)
        printJson(ctx.out, plan, setup);
    else if (plan.end == RunOutcome::SongFailed)
        cliError(ctx, "cannot read the song file " + plan.error.path() + ": " + plan.error.reason());
    if (!json)
        printText(ctx, plan, setup, target);
    switch (plan.end) {
    case RunOutcome::Aborted:
    case RunOutcome::SongFailed:
        return kExitError;
    case RunOutcome::OutputFull:
    case RunOutcome::FoldersUsedUp:
        return kExitStoppedEarly;
    case RunOutcome::NothingMarked:
    case RunOutcome::Completed:
    case RunOutcome::Cancelled:
        break;
    }
    return kExitOk;
}

} // namespace lw
