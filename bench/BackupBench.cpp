// Loading a backup as the program does after the user chose a directory: recognise it,
// read the song table and the folder table, and build the working list. The backups
// are full (every folder named, every song place filled), written once to a temporary
// folder; song files are left out, since loading never opens them. The aim is well
// under 5 ms per load, so that choosing a directory feels immediate.
#include "SampleBackup.h"
#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "platform/Path.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

// The full backups, written on first use and removed at the end of the run.
class BenchBackups {
public:
    ~BenchBackups() {
        std::error_code ec;
        if (!m_root.empty())
            fs::remove_all(m_root, ec);
    }

    const fs::path& dir(lw::KeyboardKind kind) {
        auto it = m_dirs.find(kind);
        if (it != m_dirs.end())
            return it->second;
        if (m_root.empty()) {
            m_root = fs::temp_directory_path() / ("liedwerk-bench-" + std::to_string(std::random_device{}()));
            fs::create_directories(m_root);
        }
        const lw::BackupFormat& f = lw::backupFormat(kind);
        const fs::path dir = m_root / lw::samples::sampleFolderName(kind);
        lw::samples::writeSampleBackup(
            lw::samples::fullBackup(kind, static_cast<int>(f.songRecordCount), {}, 0), dir);
        return m_dirs.emplace(kind, dir).first->second;
    }

private:
    fs::path m_root;
    std::map<lw::KeyboardKind, fs::path> m_dirs;
};

BenchBackups& backups() {
    static BenchBackups instance;
    return instance;
}

void loadBackup(benchmark::State& state, lw::KeyboardKind kind, lw::ListOrder order) {
    const std::string dir = lw::pathToUtf8(backups().dir(kind));
    lw::FileSystem& fs = lw::realFileSystem();
    for (auto _ : state) {
        const lw::Recognition r = lw::recognizeBackup(fs, dir);
        if (r.outcome != lw::RecognitionOutcome::Recognised) {
            state.SkipWithError("backup not recognised");
            return;
        }
        auto tables = lw::readBackupTables(fs, *r.format, r.directory);
        if (!tables) {
            state.SkipWithError(tables.status().toString().c_str());
            return;
        }
        lw::WorkingList list;
        if (order == lw::ListOrder::Standard)
            list.Liste_erstellen(*r.format, tables->folders, tables->songs);
        else
            list.Liste_erstellen_Alphabetisch(*r.format, tables->songs);
        benchmark::DoNotOptimize(list.rows().data());
        if (list.availableSongs() != static_cast<int>(r.format->songRecordCount)) {
            state.SkipWithError("wrong number of songs");
            return;
        }
    }
    state.SetLabel(std::string(lw::backupFormat(kind).text));
}

// Building alone, from tables already in memory: what a change of the list order costs.
void buildOnly(benchmark::State& state, lw::KeyboardKind kind, lw::ListOrder order) {
    const lw::BackupFormat& f = lw::backupFormat(kind);
    const auto backup = lw::samples::fullBackup(kind, static_cast<int>(f.songRecordCount), {}, 0);
    const auto folders = lw::parseFolderTable(f, lw::samples::folderTableBytes(backup));
    const auto songs = lw::parseSongTable(f, lw::samples::songTableBytes(backup));
    for (auto _ : state) {
        lw::WorkingList list;
        if (order == lw::ListOrder::Standard)
            list.Liste_erstellen(f, folders, songs);
        else
            list.Liste_erstellen_Alphabetisch(f, songs);
        benchmark::DoNotOptimize(list.rows().data());
    }
}

using lw::KeyboardKind;
using lw::ListOrder;

BENCHMARK_CAPTURE(loadBackup, Kn5000Standard, KeyboardKind::KN5000, ListOrder::Standard)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadBackup, Kn5000Alphabetical, KeyboardKind::KN5000, ListOrder::Alphabetical)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadBackup, Kn6000Standard, KeyboardKind::KN6000, ListOrder::Standard)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadBackup, Kn6000Alphabetical, KeyboardKind::KN6000, ListOrder::Alphabetical)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(buildOnly, Kn6000Standard, KeyboardKind::KN6000, ListOrder::Standard)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(buildOnly, Kn6000Alphabetical, KeyboardKind::KN6000, ListOrder::Alphabetical)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
