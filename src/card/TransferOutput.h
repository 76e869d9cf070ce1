// Where the songs of a transfer run go: onto a card, or into a restore file. The run
// walks the list and decides about folders, slots and stops; an output puts the files in
// place and keeps the count of the room left on the (real or simulated) card.
#pragma once

#include "backup/BackupReader.h"
#include "card/InfoFile.h"
#include "platform/FileSystem.h"

#include <span>
#include <string>

namespace lw {

// What became of one song file.
struct SongFileResult {
    enum class Kind { Transferred, NoRoom, Failed };
    Kind kind = Kind::Transferred;
    Status error; // Failed: which file and why (a read fault names the song file)

    static SongFileResult transferred() { return {}; }
    static SongFileResult noRoom() { return {Kind::NoRoom, {}}; }
    static SongFileResult failed(Status why) { return {Kind::Failed, std::move(why)}; }
};

class TransferOutput {
public:
    virtual ~TransferOutput() = default;

    // Judges the output before anything is touched: it must not write, replace or delete
    // anything of the backup, and must be something the output can be written to.
    virtual Status check(const BackupDirectory& backup) = 0;
    // check(), then claims the output for the whole run (Busy when another run has it).
    virtual Status claim(const BackupDirectory& backup) = 0;

    // Everything that makes the output ready, before the first song: the card's old
    // PRIVATE replaced by the empty tree, or the restore file begun. An error leaves the
    // output as it was where it can (a restore file keeps its earlier content).
    virtual Status prepare() = 0;
    // Opens song folder `number` (1 to 99): its folder on the card, or its cluster on the
    // simulated card. A full card is NoSpace.
    virtual Status openFolder(int number) = 0;
    // One file of a song, `fileName` in the open folder ("0100101_.SQT"): the room check
    // against the card, then its bytes from the open source.
    virtual SongFileResult putSongFile(InputFile& source, const std::string& sourcePath,
                                       const std::string& fileName) = 0;
    // A song that did not fit leaves no files behind where the output allows it.
    virtual void dropSong(const std::string& fileBase) = 0;
    // After prepare(): the information file the run starts from, and the highest folder
    // number already in use on the output (new folders follow it). A fresh file and 0,
    // unless songs are added to a card that holds some.
    virtual InfoFile startingInfo() const { return InfoFile(); }
    virtual int highestFolderInUse() const { return 0; }
    // The information file goes in last; the output is then complete.
    virtual Status finish(std::span<const std::uint8_t> info) = 0;
    // The run ends without finishing: what is open is closed, what is half made removed.
    virtual void abandon() = 0;

    // Whether a failure at this path lies on the card (so that advice about the card fits).
    virtual bool isOnCard(const std::string& path) const = 0;
    virtual bool isCard() const = 0;
};

} // namespace lw
