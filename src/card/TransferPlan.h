// The plan of a transfer: what a run would do with the same backup, marks, names, order,
// output and card, worked out by the run itself with an output that records instead of
// writing. Nothing is written, not even the claim on the output; the backup is only read
// (the sizes of its song files) and the card only looked at.
#pragma once

#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "card/TransferRun.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

struct PlannedSong {
    enum class Fate {
        Transferred, // its files go to target
        NotFound,    // none of its files is in the backup; target is the place it would take
        NoRoom,      // the card is full before it (or at it)
        NoFolder,    // the 99 folders are used up before it
        Failed,      // a file of it could not be read
        Skipped,     // its folder is not transferred
        NotReached,  // the run stopped before it for another reason
    };
    std::size_t row = 0;
    std::string index; // the song's Index column
    std::string name;  // its KN7000 name (Windows-1252)
    Fate fate = Fate::NotReached;
    std::string target;             // "TFLD001/0100101_"
    int folder = 0;                 // the card folder's number (0: none)
    int slot = -1;                  // 0..19
    std::vector<std::string> files; // the song's file names on the card ("0100101_.SQT")
    std::uint64_t bytes = 0;        // charged against the card for them
};

struct PlannedFolder {
    int number = 0;        // 1..99
    std::string title;     // Windows-1252
    bool existing = false; // already on the card (when adding to it)
    std::size_t songs = 0;
};

struct TransferPlan {
    std::vector<PlannedFolder> folders; // every folder the card would list, by number
    std::vector<PlannedSong> songs;     // every marked song, in list order
    std::uint64_t capacity = 0;         // bytes the run has: the card's free space (with what replacing
                                        // PRIVATE frees), or the simulated card's usable bytes
    std::uint64_t charged = 0;          // bytes the run would take of them
    RunOutcome end = RunOutcome::NothingMarked;
    Status error; // why the run would not start or not finish, if so
};

// Plans the transfer of the list's marked songs; the list itself is left as it is.
TransferPlan planTransfer(FileSystem& fs, const WorkingList& list, const TransferSetup& setup,
                          const BackupDirectory& backup);

} // namespace lw
