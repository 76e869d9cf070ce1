// The transfer run: walks the working list from top to bottom and puts every marked
// song into the KN7000 card layout, either onto a card (card mode) or into one restore
// file for the Song Manager (restore-file mode). It fills the information file as it
// goes and writes it at the end, also after a stop: when the user cancels, when 99
// folders are used up, when the output is full, or when a song could not be transferred.
//
// The run shows nothing itself. It tells its front end (the window, or the command
// line) what happens through TransferFrontEnd, naming messages by number.
#pragma once

#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "card/CardSizes.h"
#include "card/InfoFile.h"
#include "card/OutputMode.h"
#include "card/TransferOutput.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lw {

// Keep the backup's folders (each marked folder row opens a song folder, songs keep
// their places), or line the songs up one after the other, 20 to a folder.
enum class CardOrder { KeepStructure, Sequential };

// A piece of a message: a message number, or a literal text (a path, an error number).
struct MessagePart {
    int number = 0;   // 0: the part is `text`
    std::string text; // UTF-8; "\n" starts a new line
};

// What the run was doing when something failed.
enum class RunStep {
    Claim,     // judging the output before anything is touched: the backup, the lock, its kind
    Prepare,   // replacing the card's PRIVATE folder, beginning the restore file
    ReadSong,  // reading a song file of the backup
    WriteSong, // writing a song file to the output, or opening a song folder
    Finish,    // writing the information file, completing the output
};

struct RunMessage {
    enum class Kind {
        Info,        // information box: a stop (99 folders, full output)
        Closing,     // where the result is
        ErrorReport, // an error number, its source and its description
        CardMissing, // the card did not answer
    };
    Kind kind = Kind::Info;
    std::vector<MessagePart> parts; // joined without separators
    int title = 0;
    // An error report: the failure itself and the step it happened in.
    Status error;
    RunStep step = RunStep::Claim;
};

// The outcome of one handled song row.
enum class SongOutcome { Transferred, NotFound, Skipped, Failed };

class TransferFrontEnd {
public:
    virtual ~TransferFrontEnd() = default;
    // The row becomes the list's selected row (every row the run reaches).
    virtual void rowSelected(std::size_t row) = 0;
    // A marked song row is about to be transferred: scroll it into view.
    virtual void rowInView(std::size_t row) = 0;
    // A song row was handled; its result is already in the list. target: the song's
    // place on the card ("TFLD001/0100101_"), or the place it would have taken.
    virtual void rowHandled(std::size_t row, SongOutcome outcome, const std::string& target) = 0;
    // Progress: the number of transferred songs of at most `maximum`.
    virtual void progress(int value, int maximum) = 0;
    virtual void message(const RunMessage& message) = 0;
    // The cancel question; true means Yes.
    virtual bool askCancel(int question, int title) = 0;
    // Lets pending window events run (once per handled song), so that a cancel button works.
    virtual void processEvents() = 0;
    // Whether the user asked to cancel (the cancel button) since the run last asked; asking
    // takes the request. Asked after every processEvents(), and once at the start of a run,
    // so that a press left over from an earlier run does not count.
    virtual bool takeCancelRequest() { return false; }
    virtual void beep() = 0;
    // The run is being abandoned (its output closed) and reports why next: a window
    // gives itself back to the user first, so that the report is not shown over a busy one.
    virtual void aborting() {}
};

struct TransferSetup {
    OutputMode mode = OutputMode::RestoreFile;
    CardOrder order = CardOrder::KeepStructure; // an alphabetical list is always written in sequence

    // Card mode: the card root as a folder, and as text for the closing message ("e:\").
    std::filesystem::path cardRoot;
    std::string cardRootText;
    // Card mode: add the songs to those on the card instead of replacing its PRIVATE folder.
    bool addToCard = false;

    // Restore-file mode: the file to write. With recreateRestoreFolder its folder is the
    // program's own RestorSDB, made when missing and holding only the restore file after
    // the run; otherwise the folder must exist and nothing else in it is touched.
    std::filesystem::path restoreFile;
    bool recreateRestoreFolder = false;
    // Shown between messages 62 and 63: the program's folder.
    std::string restoreLocationText;
    std::int32_t cardCapacity = kCardSizes[kDefaultCardSizeIndex].capacity;
    std::int32_t clusterSize = kClusterSizes[kDefaultClusterIndex].bytes;
};

enum class RunOutcome {
    NothingMarked, // no song marked: nothing was done at all
    Completed,     // every row walked
    Cancelled,     // the user confirmed the cancel question
    FoldersUsedUp, // the 99-folder stop
    OutputFull,    // a song did not fit
    SongFailed,    // a song could not be transferred (error says why); the output was finished
    Aborted,       // the output could not be claimed, prepared or finished; no closing message
};

struct RunResult {
    RunOutcome outcome = RunOutcome::NothingMarked;
    int transferred = 0;
    int notFound = 0;
    Status error; // the failure behind SongFailed or Aborted (ok when the card did not answer)
    RunStep step = RunStep::Claim;
};

// A transfer starts only when at least one song is marked; otherwise nothing at all
// happens (no question, no dialog, nothing written).
inline bool transferHasWork(const WorkingList& list) {
    return list.selectedCount() != 0;
}

// Whether the card answers: its free space can be asked for. Nothing on it is touched.
bool checkCardDrive(FileSystem& fs, const std::filesystem::path& cardRoot);

// The checks a run makes of its output before it touches anything, without claiming it:
// the output must not write, replace or delete anything of the backup, and a restore file
// must not be a folder, a FIFO or a device. Lets a front end refuse before it asks questions.
Status checkTransferOutput(FileSystem& fs, const TransferSetup& setup, const BackupDirectory& backup);

// The error report of messages 68 to 74 for a failure: the error number and the failing
// file, the reason on a line of its own, and, for a refused access on the card, the advice
// to check the card on another.
RunMessage errorReport(const Status& status, RunStep step, bool onCard);

// The number of the error behind a Status, as the error report shows it (70 for
// permission denied, 61 for a full disk, 53 for a missing file ...).
int errorNumber(const Status& status);

class TransferRun {
public:
    TransferRun(FileSystem& fs, WorkingList& list, TransferFrontEnd& frontEnd);
    ~TransferRun();

    // The whole run. The list's backup directory is `backupPath` (with its trailing
    // separator); it is listed anew, so that the run sees the backup as it is now.
    RunResult run(const TransferSetup& setup, const std::string& backupPath);
    // The same with a listing the caller has just made.
    RunResult run(const TransferSetup& setup, const BackupDirectory& backup);
    // The same into an output of the caller's (the plan of a run records instead of writing).
    RunResult run(const TransferSetup& setup, const BackupDirectory& backup,
                  std::unique_ptr<TransferOutput> output);

private:
    struct GroupResult;
    GroupResult transferSongFiles(const std::string& index, const std::string& targetBase, bool secondGroup);
    Status openFolder(const std::string& title);
    RunResult abort(RunResult result, const Status& error, RunStep step, bool report = true);
    std::string targetText(int slot, const std::string& sixChar) const;

    FileSystem& m_fs;
    WorkingList& m_list;
    TransferFrontEnd& m_frontEnd;

    // State of one run.
    TransferSetup m_setup;
    BackupDirectory m_backup;
    std::unique_ptr<TransferOutput> m_output;
    std::unique_ptr<InfoFile> m_info;
    int m_folderCount = 0;
    int m_slot = 0; // sequential order: the next free slot; structure-keeping: the last row's slot
    std::vector<std::uint8_t> m_buffer;
};

} // namespace lw
