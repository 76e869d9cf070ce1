// liedwerk-cli: the command-line front end over the core. Everything the commands need
// from the outside world comes in through CliContext, so that tests can run a command
// in-process with their own streams and platform doubles.
#pragma once

#include "platform/FileSystem.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

class Drives;

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStoppedEarly = 3;

struct CliContext {
    FileSystem& fs;
    Drives& drives; // for the removable-medium test of card mode
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool inIsTerminal = false;
    // Whether standard error is a terminal (a progress line is drawn there only then), and
    // whether standard output is one too (its lines are then written above that line).
    bool errIsTerminal = false;
    bool outIsTerminal = false;
};

// Runs one command line (without the program name); returns the exit status. A failure
// to write the standard output is an error too.
int runCli(const std::vector<std::string>& args, CliContext& ctx);

// The commands, each given its own arguments (after the command's name).
int cliList(const std::vector<std::string>& args, CliContext& ctx);
int cliTransfer(const std::vector<std::string>& args, CliContext& ctx);
int cliInspect(const std::vector<std::string>& args, CliContext& ctx);
int cliUnpack(const std::vector<std::string>& args, CliContext& ctx);

// "liedwerk-cli: " followed by the message, as one line on the error stream, its control
// characters shown escaped.
void cliError(CliContext& ctx, const std::string& message);

// Text as a terminal may safely show it: control characters (C0, DEL, C1) and bytes that
// are not UTF-8 become "\xNN", so that a name can neither move the cursor, retitle the
// window nor split a line.
std::string shown(std::string_view utf8);

} // namespace lw
