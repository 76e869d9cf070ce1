// Writes the sample backups: liedwerk-make-samples OUT_DIR
// (one folder per keyboard kind: kn2000, kn3000, kn5000, kn6000), or a large
// KN6000/6500 backup for benchmarks:
//   liedwerk-make-samples --full OUT_DIR SONGS BYTES_PER_FILE EXTENSION...
#include "SampleBackup.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    try {
        if (argc >= 6 && std::string(argv[1]) == "--full") {
            const std::vector<std::string> extensions(argv + 5, argv + argc);
            const auto backup = lw::samples::fullBackup(lw::KeyboardKind::KN6000, std::stoi(argv[3]),
                                                        extensions, std::stoul(argv[4]));
            std::filesystem::remove_all(argv[2]);
            lw::samples::writeSampleBackup(backup, argv[2]);
            return 0;
        }
        if (argc != 2) {
            std::cerr << "usage: liedwerk-make-samples OUT_DIR\n"
                         "       liedwerk-make-samples --full OUT_DIR SONGS BYTES_PER_FILE EXTENSION...\n";
            return 2;
        }
        for (const auto& sample : lw::samples::shippedSamples()) {
            const auto dir = std::filesystem::path(argv[1]) / lw::samples::sampleFolderName(sample.kind);
            std::filesystem::remove_all(dir);
            lw::samples::writeSampleBackup(sample, dir);
            std::cout << dir.string() << '\n';
        }
    } catch (const std::exception& e) {
        std::cerr << "liedwerk-make-samples: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
