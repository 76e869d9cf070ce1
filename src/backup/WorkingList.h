// The working list: the rows that the song list shows, that the user marks and renames,
// and that a transfer walks from top to bottom. It is the one source of truth for both
// front ends; a window or a command line only shows it and forwards the user's actions.
//
// Rows come in two kinds. A folder row (icon 7, bold) stands for a folder of the backup
// and precedes that folder's songs in the standard order; the alphabetical order has
// none. A song row has its file number in the Index column (column 5); its icon is 6
// while marked and 5 while unmarked. Texts are Windows-1252 bytes, exactly what will be
// written to the card.
#pragma once

#include "backup/BackupFormat.h"
#include "backup/BackupReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

enum class ListOrder { Standard = 0, Alphabetical = 1 };

inline constexpr int kIconUnmarkedSong = 5;
inline constexpr int kIconMarkedSong = 6;
inline constexpr int kIconFolder = 7;

// Longest KN7000 song name and folder title, in characters (one byte each).
inline constexpr std::size_t kMaxKn7000NameLength = 16;
// Farthest a folder row's mark reaches: the song places of one backup folder and one more.
inline constexpr std::size_t kFolderMarkReach = 17;

struct ListRow {
    std::string text;      // column 1: folder name, or the song's KN7000 name (at most 16)
    std::string number;    // column 2: "007" folder; "03" song; "007-03" song in alphabetical order
    std::string name;      // column 3: the song's whole name as read (songs only)
    int resultMessage = 0; // column 4: message number of the transfer result; 0 while empty
    std::string index;     // column 5: the song's file number, "00703" or "0703"; empty on folder rows
    bool marked = false;
    int icon = 0;

    bool isSong() const { return !index.empty(); }
    bool isFolder() const { return icon == kIconFolder; }
};

// Told about every change, so that a view can repaint just what changed.
class WorkingListObserver {
public:
    virtual ~WorkingListObserver() = default;
    virtual void listReset() = 0;
    virtual void rowsChanged(std::size_t first, std::size_t last) = 0; // inclusive
    virtual void countsChanged() = 0;
};

class WorkingList {
public:
    void setObserver(WorkingListObserver* observer) { m_observer = observer; }

    // Empties the list; the counters read as empty until the next build.
    void clear();
    // The standard order: every folder of the table as a folder row followed by its songs.
    void Liste_erstellen(const BackupFormat& format, const std::vector<FolderEntry>& folders,
                         const std::vector<SongSlot>& songs);
    // The songs alone, sorted by their text ignoring letter case; equal texts keep their
    // backup order.
    void Liste_erstellen_Alphabetisch(const BackupFormat& format, const std::vector<SongSlot>& songs);

    bool isBuilt() const { return m_format != nullptr; }
    const BackupFormat* format() const { return m_format; }
    ListOrder order() const { return m_order; }
    std::size_t size() const { return m_rows.size(); }
    const ListRow& row(std::size_t i) const { return m_rows[i]; }
    const std::vector<ListRow>& rows() const { return m_rows; }

    // Song rows built: the "available songs".
    int availableSongs() const { return m_availableSongs; }
    // Marked song rows (SelectedCount).
    std::int16_t selectedCount() const { return m_selectedCount; }

    // The user sets the mark of one row (a click on its check box). Asking for the mark
    // the row already has changes nothing. A folder row carries its mark to the song rows
    // after it, up to the next folder row and at most 17 rows; a song that becomes marked
    // marks the first folder row above it.
    void setMarkByUser(std::size_t row, bool marked);

    // The latching all-marks button: the first press clears every mark, the next sets
    // them all again. Its state outlives list rebuilds.
    void pressAllMarks();
    bool allMarksPressed() const { return m_allMarksPressed; }

    // Renames a row (column 1): cut to 16 characters; a character that Windows-1252
    // cannot hold becomes "?"; text after a NUL is dropped. Returns the accepted text as
    // Windows-1252 bytes.
    const std::string& rename(std::size_t row, std::string_view utf8Text);

    // Used by the transfer run.
    void setResult(std::size_t row, int message);
    // A song written to the output: unmarked (its icon stays) and no longer counted.
    void markTransferred(std::size_t row);

    // Finds a song row by its Index text, or a folder row by its three-digit number.
    std::optional<std::size_t> findSong(std::string_view index) const;
    std::optional<std::size_t> findFolder(std::string_view number) const;

private:
    void build(const BackupFormat& format, ListOrder order);
    void addSong(const SongSlot& slot);
    void notifyReset();
    void notifyRows(std::size_t first, std::size_t last);
    void notifyCounts();

    std::vector<ListRow> m_rows;
    const BackupFormat* m_format = nullptr;
    ListOrder m_order = ListOrder::Standard;
    int m_availableSongs = 0;
    std::int16_t m_selectedCount = 0;
    bool m_allMarksPressed = false;
    WorkingListObserver* m_observer = nullptr;
};

// Letter case folded for sorting: ASCII and the Windows-1252 letters with a case pair.
unsigned char foldCaseCp1252(unsigned char byte);

} // namespace lw
