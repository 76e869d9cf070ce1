// liedwerk-cli run in-process, with its streams captured: what a test needs to call a
// command as a user would and look at its output and exit status.
#pragma once

#include "cli/Cli.h"
#include "support/FakeDrives.h"

#include <sstream>
#include <string>
#include <vector>

namespace lw::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs one command line. With no drives given the drive list is empty, so card mode needs
// --allow-fixed; `input` is what the user types, `terminal` whether standard input is one.
inline CliRun runCliInProcess(const std::vector<std::string>& args, FileSystem& fs = realFileSystem(),
                              Drives* drives = nullptr, const std::string& input = {},
                              bool terminal = false) {
    static FakeDrives noDrives;
    std::ostringstream out, err;
    std::istringstream in(input);
    CliContext ctx{fs, drives ? *drives : noDrives, out, err, in, terminal};
    return {runCli(args, ctx), out.str(), err.str()}; // in this order: braced lists are sequenced
}

} // namespace lw::test
