// Writes synthetic song backups of the four older keyboards: the tables in their byte
// layouts, and dummy song files named by file number and type extension. Used for the
// samples shipped in samples/, by the tests and by the benchmarks.
#pragma once

#include "backup/BackupFormat.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lw::samples {

struct SampleSong {
    int folder = 1;                      // from 1
    int place = 1;                       // from 1 (1 to 15 on the KN2000)
    std::string name;                    // UTF-8; written as Windows-1252 bytes, at most 26
    std::vector<std::string> extensions; // song files to write (".SQT", ...); empty: no files
    std::size_t bytesPerFile = 512;
};

struct SampleBackup {
    KeyboardKind kind = KeyboardKind::KN5000;
    std::vector<std::string> folderNames; // UTF-8, written as Windows-1252; index 0 is folder 1
    std::vector<SampleSong> songs;
    bool upperCaseFileNames = false;  // table files written as "FILEBLK.DAT"
    bool lowerCaseExtensions = false; // song files written as "00301.sqt"
};

// Writes the backup into dir (created if needed). Throws std::runtime_error on failure.
void writeSampleBackup(const SampleBackup& backup, const std::filesystem::path& dir);

// The record bytes of the tables, for tests that want to cut or corrupt them.
std::vector<std::uint8_t> folderTableBytes(const SampleBackup& backup);
std::vector<std::uint8_t> songTableBytes(const SampleBackup& backup);

// The four samples shipped with the program.
std::vector<SampleBackup> shippedSamples();
std::string sampleFolderName(KeyboardKind kind); // "kn2000", "kn3000", "kn5000", "kn6000"

// A backup with every folder named and `songCount` songs spread over the folders in
// place order, each with the given files of `bytesPerFile` bytes (for benchmarks).
SampleBackup fullBackup(KeyboardKind kind, int songCount, const std::vector<std::string>& extensions,
                        std::size_t bytesPerFile);

} // namespace lw::samples
