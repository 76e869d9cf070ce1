// libFuzzer target: arbitrary bytes of any length as a backup table, for each of the eight
// table readers (folder and song table of the KN2000, KN3000, KN5000 and KN6000/6500).
// Beyond "no crash, no leak, no undefined behaviour" it checks what every reader promises
// whatever the file holds: the full number of entries, numbering by position, names no
// longer than their field, free of NUL bytes and leading blanks, made of the field's own
// bytes, and surviving the way to UTF-8 and back; and that both list builders accept them.
//
// LIEDWERK_FUZZ_READER=0..7 fixes the reader (kind = n / 2 in recognition order, folder
// table when n is even, song table when odd); without it the first input byte chooses.
//   for n in 0 1 2 3 4 5 6 7; do
//       LIEDWERK_FUZZ_READER=$n build/fuzz-tables/fuzz/fuzz_table_readers -max_total_time=60 corpus-$n
//   done
#include "backup/BackupReader.h"
#include "backup/Cp1252.h"
#include "backup/WorkingList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

int g_reader = -1;

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// The field's bytes as the reader sees them: blanks where the input has ended.
std::string fieldOf(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
    std::string field(width, ' ');
    for (std::size_t i = 0; i < width && offset + i < bytes.size(); ++i)
        field[i] = static_cast<char>(bytes[offset + i]);
    return field;
}

void checkName(const std::string& name, const std::string& field) {
    require(name.size() <= field.size());
    require(name.find('\0') == std::string::npos);
    require(name.empty() || name.front() != ' ');
    require(field.find(name) != std::string::npos);
    // A trailing blank survives only before a NUL of the field.
    if (!name.empty() && name.back() == ' ')
        require(field.find('\0') != std::string::npos);
    require(lw::utf8ToCp1252(lw::cp1252ToUtf8(name)) == name);
}

void fuzzFolders(const lw::BackupFormat& f, std::span<const std::uint8_t> bytes) {
    const auto folders = lw::parseFolderTable(f, bytes);
    require(folders.size() == f.folderCount);
    for (std::size_t n = 0; n < folders.size(); ++n) {
        require(folders[n].number == static_cast<int>(n + 1));
        checkName(folders[n].name,
                  fieldOf(bytes, f.folderTableHead + n * f.folderRecordSize, f.folderNameSize));
    }
    // A standard list of these folders without songs: every folder row, none marked.
    const std::vector<lw::SongSlot> noSongs;
    lw::WorkingList list;
    list.Liste_erstellen(f, folders, noSongs);
    require(list.size() == f.folderCount);
    require(list.selectedCount() == 0);
}

void fuzzSongs(const lw::BackupFormat& f, std::span<const std::uint8_t> bytes) {
    const auto songs = lw::parseSongTable(f, bytes);
    require(songs.size() == f.folderCount * lw::kPlacesPerListFolder);
    std::size_t record = 0;
    int named = 0;
    for (std::size_t pos = 0; pos < songs.size(); ++pos) {
        const auto folder = static_cast<std::int32_t>(pos / 16 + 1);
        const auto place = static_cast<std::int32_t>(pos % 16 + 1);
        require(songs[pos].fileNumber == folder * 100 + place);
        if (static_cast<std::size_t>(place) > f.placesPerFolder) {
            require(songs[pos].name.empty()); // the KN2000's sixteenth place
            continue;
        }
        checkName(songs[pos].name,
                  fieldOf(bytes, f.songTableHead + record * f.songRecordSize, lw::kSongNameSize));
        ++record;
        named += songs[pos].name.empty() ? 0 : 1;
    }
    require(record == f.songRecordCount);

    // Both builders over these songs: one row per named place, all marked.
    std::vector<lw::FolderEntry> folders;
    for (std::size_t n = 0; n < f.folderCount; ++n)
        folders.push_back({static_cast<int>(n + 1), std::string()});
    lw::WorkingList list;
    list.Liste_erstellen(f, folders, songs);
    require(list.availableSongs() == named && list.selectedCount() == named);
    require(list.size() == f.folderCount + static_cast<std::size_t>(named));
    list.Liste_erstellen_Alphabetisch(f, songs);
    require(list.size() == static_cast<std::size_t>(named));
    for (std::size_t i = 1; i < list.size(); ++i) {
        // Sorted ignoring letter case: no row sorts before the one above it.
        const std::string& a = list.row(i - 1).text;
        const std::string& b = list.row(i).text;
        const std::size_t n = std::min(a.size(), b.size());
        std::size_t k = 0;
        while (k < n && lw::foldCaseCp1252(static_cast<unsigned char>(a[k])) ==
                            lw::foldCaseCp1252(static_cast<unsigned char>(b[k])))
            ++k;
        if (k < n)
            require(lw::foldCaseCp1252(static_cast<unsigned char>(a[k])) <
                    lw::foldCaseCp1252(static_cast<unsigned char>(b[k])));
        else
            require(a.size() <= b.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* v = std::getenv("LIEDWERK_FUZZ_READER")) {
        const int n = std::atoi(v);
        if (n >= 0 && n < 8)
            g_reader = n;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    int reader = g_reader;
    if (reader < 0) {
        if (bytes.empty())
            return 0;
        reader = bytes[0] % 8;
        bytes = bytes.subspan(1);
    }
    const lw::BackupFormat& f = lw::kBackupFormats[static_cast<std::size_t>(reader / 2)];
    if (reader % 2 == 0)
        fuzzFolders(f, bytes);
    else
        fuzzSongs(f, bytes);
    return 0;
}
