#include "SampleBackup.h"
#include "backup/Cp1252.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace lw::samples {

namespace fs = std::filesystem;

namespace {

void putText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& utf8,
             std::size_t width) {
    const std::string text = utf8ToCp1252(utf8);
    for (std::size_t i = 0; i < width && i < text.size(); ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(text[i]);
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string fileName(std::string_view name, bool upper) {
    std::string out(name);
    if (upper)
        std::transform(out.begin(), out.end(), out.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return out;
}

std::string indexText(const BackupFormat& f, int folder, int place) {
    return zeroPadded(folder * 100 + place, f.indexDigits);
}

// A dummy song file: a recognisable head, then a byte pattern of the song's number.
std::vector<std::uint8_t> dummySong(const std::string& index, const std::string& ext, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    const std::string head = "LIEDWERK SAMPLE " + index + ext + "\n";
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] =
            i < head.size()
                ? static_cast<std::uint8_t>(head[i])
                : static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(std::stoi(index))) & 0xFF);
    return bytes;
}

} // namespace

std::vector<std::uint8_t> folderTableBytes(const SampleBackup& b) {
    const BackupFormat& f = backupFormat(b.kind);
    std::vector<std::uint8_t> bytes(f.folderTableSize(), ' ');
    for (std::size_t i = 0; i < f.folderTableHead; ++i)
        bytes[i] = 0;
    for (std::size_t n = 0; n < b.folderNames.size() && n < f.folderCount; ++n)
        putText(bytes, f.folderTableHead + n * f.folderRecordSize, b.folderNames[n], f.folderNameSize);
    return bytes;
}

std::vector<std::uint8_t> songTableBytes(const SampleBackup& b) {
    const BackupFormat& f = backupFormat(b.kind);
    std::vector<std::uint8_t> bytes(f.songTableSize(), ' ');
    if (f.kind == KeyboardKind::KN2000) {
        bytes = folderTableBytes(b);
        bytes.resize(f.songTableSize(), ' ');
    } else {
        for (std::size_t i = 0; i < f.songTableHead; ++i)
            bytes[i] = 0;
    }
    for (const auto& s : b.songs) {
        const std::size_t record = static_cast<std::size_t>(s.folder - 1) * f.placesPerFolder +
                                   static_cast<std::size_t>(s.place - 1);
        if (record >= f.songRecordCount)
            throw std::runtime_error("song place outside the table");
        const std::size_t offset = f.songTableHead + record * f.songRecordSize;
        putText(bytes, offset, s.name, kSongNameSize);
        // The record bytes after the name are not used by readers; fill them with a pattern.
        for (std::size_t i = kSongNameSize; i < f.songRecordSize; ++i)
            bytes[offset + i] = static_cast<std::uint8_t>(0xA0 + i % 16);
    }
    return bytes;
}

void writeSampleBackup(const SampleBackup& b, const fs::path& dir) {
    const BackupFormat& f = backupFormat(b.kind);
    fs::create_directories(dir);
    if (f.kind == KeyboardKind::KN2000) {
        writeFile(dir / fileName(f.songTableFile, b.upperCaseFileNames), songTableBytes(b));
    } else {
        writeFile(dir / fileName(f.folderTableFile, b.upperCaseFileNames), folderTableBytes(b));
        writeFile(dir / fileName(f.songTableFile, b.upperCaseFileNames), songTableBytes(b));
    }
    if (f.markerFile != f.songTableFile && f.markerFile != f.folderTableFile)
        writeFile(dir / fileName(f.markerFile, b.upperCaseFileNames), std::vector<std::uint8_t>(64, 0));
    for (const auto& s : b.songs) {
        const std::string index = indexText(f, s.folder, s.place);
        for (const auto& ext : s.extensions) {
            std::string e = ext;
            if (b.lowerCaseExtensions)
                std::transform(e.begin(), e.end(), e.begin(),
                               [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
            writeFile(dir / (index + e), dummySong(index, ext, s.bytesPerFile));
        }
    }
}

std::string sampleFolderName(KeyboardKind kind) {
    switch (kind) {
    case KeyboardKind::KN2000:
        return "kn2000";
    case KeyboardKind::KN3000:
        return "kn3000";
    case KeyboardKind::KN5000:
        return "kn5000";
    case KeyboardKind::KN6000:
        return "kn6000";
    }
    return "unknown";
}

std::vector<SampleBackup> shippedSamples() {
    std::vector<SampleBackup> all;

    SampleBackup kn2000;
    kn2000.kind = KeyboardKind::KN2000;
    kn2000.folderNames = {"Evergreens", "Party Mix", "Practice", "", "Waltzes"};
    kn2000.songs = {
        {1, 1, "Moonlit Harbour", {".SQT", ".LSW", ".CMP"}, 700},
        {1, 2, "Old Mill Polka", {".SQT"}, 300},
        {1, 15, "Last Place In Folder One", {".SQT", ".EFC"}, 400}, // the KN2000's fifteenth place
        {2, 1, "Saturday Shuffle", {".SQT", ".PMT", ".AST"}, 512},  // record 16: number 201
        {2, 4, "Lost Tune", {}, 0},                                 // in the table, no files
        {3, 2, "Scale Exercise in C major", {".SQT", ".SEQ"}, 256}, // 25 characters
        {5, 3, "Blue Danube Memories", {".SQT", ".ACT"}, 1024},
    };
    all.push_back(kn2000);

    SampleBackup kn3000;
    kn3000.kind = KeyboardKind::KN3000;
    kn3000.upperCaseFileNames = true; // as copied from a FAT medium to Linux
    kn3000.lowerCaseExtensions = true;
    kn3000.folderNames = {"Rock Classics", "Ballads", "Latin Nights", "Empty Drawer", "Swing Time"};
    kn3000.songs = {
        {1, 1, "Thunder Road Boogie", {".SQT", ".LSW"}, 640}, // 19 characters
        {1, 2, "Highway Drive", {".SQT", ".TM", ".MSP"}, 333},
        {2, 7, "Quiet Evening", {".SQT", ".SQF"}, 512},
        {3, 1, "Samba de Sol", {".SQT", ".CMP", ".EFC"}, 800},
        {3, 5, "Rumba Rosa", {".SQT"}, 128},
        {5, 16, "Sixteenth Place Song", {".SQT", ".ACT"}, 512}, // 20 characters
    };
    all.push_back(kn3000);

    SampleBackup kn5000;
    kn5000.kind = KeyboardKind::KN5000;
    kn5000.folderNames = {"Ouvertüre", "Café Lieder", "My Folder", "", "Fête & Bal"};
    kn5000.songs = {
        {1, 1, "Auf der Alm", {".SQT", ".LSW", ".PMT"}, 900},
        {1, 3, "Grüße aus Köln", {".SQT"}, 450},
        {2, 2, "Café Noir", {".SQT", ".EFC", ".AST", ".SQF"}, 700},
        {3, 1, "Blue Night", {".SQT", ".EFC"}, 512},
        {3, 5, "Evening Star Serenade 2001", {".SQT", ".LSW"}, 600}, // 26 characters
        {5, 2, "Valse à trois temps", {".SQT", ".SEQ", ".ACT"}, 256},
        {5, 9, "Missing Files Song", {}, 0},
        {120, 16, "Last Of All", {".SQT"}, 100}, // number 12016
    };
    all.push_back(kn5000);

    SampleBackup kn6000;
    kn6000.kind = KeyboardKind::KN6000;
    kn6000.folderNames = {"Showtime", "Jazz Corner", "Folk Songs", "Movie Themes"};
    kn6000.folderNames.resize(240);
    kn6000.folderNames[9] = "Folder Ten";
    kn6000.folderNames[239] = "The Very Last";
    kn6000.songs = {
        {1, 1, "Curtain Up", {".SQT", ".LSW", ".PMT", ".CMP"}, 1200},
        {1, 2, "Spotlight Medley", {".SQT", ".TM"}, 500},
        {1, 3, "Encore", {".SQT"}, 16384},
        {2, 1, "Take Five Steps", {".SQT", ".MSP", ".EFC"}, 700},
        {2, 16, "Midnight Blue Note", {".SQT", ".AST", ".SQF", ".SEQ", ".ACT"}, 333},
        {3, 4, "Green Hills", {".SQT"}, 0}, // an empty file
        {4, 1, "Ocean Theme", {".SQT", ".LSW"}, 2048},
        {4, 2, "Not On Disk", {}, 0},
        {10, 5, "Tenth Folder Tune", {".SQT"}, 400},
        {240, 16, "Final Bow", {".SQT", ".EFC"}, 300}, // number 24016
    };
    all.push_back(kn6000);
    return all;
}

SampleBackup fullBackup(KeyboardKind kind, int songCount, const std::vector<std::string>& extensions,
                        std::size_t bytesPerFile) {
    const BackupFormat& f = backupFormat(kind);
    SampleBackup b;
    b.kind = kind;
    for (std::size_t n = 0; n < f.folderCount; ++n)
        b.folderNames.push_back("Folder " + std::to_string(n + 1));
    const int places = static_cast<int>(f.placesPerFolder);
    for (int i = 0; i < songCount && i < static_cast<int>(f.songRecordCount); ++i) {
        SampleSong s;
        s.folder = i / places + 1;
        s.place = i % places + 1;
        s.name = "Song " + std::to_string(i + 1) + " of the set";
        s.extensions = extensions;
        s.bytesPerFile = bytesPerFile;
        b.songs.push_back(std::move(s));
    }
    return b;
}

} // namespace lw::samples
