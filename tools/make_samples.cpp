// Writes the sample backups: liedwerk-make-samples OUT_DIR
// (one folder per keyboard kind: kn2000, kn3000, kn5000, kn6000).
#include "SampleBackup.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: liedwerk-make-samples OUT_DIR\n";
        return 2;
    }
    try {
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
