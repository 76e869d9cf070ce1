#include "cli/Cli.h"

#include <ostream>

namespace lw {

namespace {

constexpr const char* kUsage =
    "usage: liedwerk-cli COMMAND [ARGS]\n"
    "\n"
    "Puts the songs of a KN2000, KN3000, KN5000 or KN6000/6500 backup onto a KN7000 SD card,\n"
    "or into a restore file for the Song Manager.\n"
    "\n"
    "commands:\n"
    "  list BACKUP_DIR        print the working list of a backup\n"
#ifdef LIEDWERK_HAVE_TRANSFER
    "  transfer BACKUP_DIR    write the marked songs to a card or a restore file\n"
    "  inspect PATH           check and show a restore file, KN7000MN.INF or card\n"
    "  unpack RESTORE_FILE    write a restore file's entries into a folder as a card would get them\n"
#endif
    "\n"
    "Run liedwerk-cli COMMAND --help for a command's options.\n";

} // namespace

void cliError(CliContext& ctx, const std::string& message) {
    ctx.err << "liedwerk-cli: " << message << '\n';
}

int runCli(const std::vector<std::string>& args, CliContext& ctx) {
    if (args.empty()) {
        ctx.err << kUsage;
        return kExitUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        ctx.out << kUsage;
        return kExitOk;
    }
    if (command == "list")
        return cliList(rest, ctx);
#ifdef LIEDWERK_HAVE_TRANSFER
    if (command == "transfer")
        return cliTransfer(rest, ctx);
    if (command == "inspect")
        return cliInspect(rest, ctx);
    if (command == "unpack")
        return cliUnpack(rest, ctx);
#endif
    cliError(ctx, "unknown command " + command + " (see liedwerk-cli --help)");
    return kExitUsage;
}

} // namespace lw
