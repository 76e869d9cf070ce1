#include "cli/Cli.h"

#include "backup/Cp1252.h"
#include "cli/CliArgs.h"

#include <cerrno>
#include <ostream>
#include <system_error>

namespace lw {

std::string shown(std::string_view utf8) {
    constexpr char kHex[] = "0123456789ABCDEF";
    const auto escaped = [&](std::string& out, unsigned value) {
        out += "\\x";
        out += kHex[(value >> 4) & 15];
        out += kHex[value & 15];
    };
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = decodeUtf8(utf8, pos);
        if (cp == kInvalidCodePoint)
            escaped(out, static_cast<unsigned char>(utf8[start]));
        else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F))
            escaped(out, static_cast<unsigned>(cp));
        else
            out.append(utf8.substr(start, pos - start));
    }
    return out;
}

void cliError(CliContext& ctx, const std::string& message) {
    ctx.err << "liedwerk-cli: " << shown(message) << '\n';
}

namespace {

int dispatch(const std::vector<std::string>& args, CliContext& ctx) {
    if (args.empty()) {
        cliError(ctx, "no command given");
        ctx.err << programUsage();
        return kExitUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        ctx.out << programUsage();
        return kExitOk;
    }
    if (command == "list")
        return cliList(rest, ctx);
    if (command == "transfer")
        return cliTransfer(rest, ctx);
    if (command == "inspect")
        return cliInspect(rest, ctx);
    if (command == "unpack")
        return cliUnpack(rest, ctx);
    cliError(ctx, "unknown command " + command + " (see liedwerk-cli --help)");
    return kExitUsage;
}

} // namespace

int runCli(const std::vector<std::string>& args, CliContext& ctx) {
    const int status = dispatch(args, ctx);
    errno = 0;
    ctx.out.flush();
    if (!ctx.out) {
        const int err = errno;
        cliError(ctx, "cannot write the standard output" +
                          (err ? ": " + std::generic_category().message(err) : std::string()) +
                          "; what it should have shown is lost");
        return kExitError;
    }
    return status;
}

} // namespace lw
