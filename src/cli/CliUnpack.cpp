// liedwerk-cli unpack: writes a restore file's entries into a folder as a card would
// receive them. Every entry name is checked before anything is written: a name that
// would leave the folder refuses the whole file.
#include "backup/Cp1252.h"
#include "card/RestoreFile.h"
#include "cli/CliArgs.h"
#include "cli/CliCommon.h"
#include "platform/Path.h"

#include <ostream>

namespace lw {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnpackUsage =
    "usage: liedwerk-cli unpack RESTORE_FILE --to DIR [--yes] [--allow-fixed]\n"
    "\n"
    "Writes every entry of the restore file under DIR as the card would receive it, after\n"
    "replacing DIR's PRIVATE folder. DIR must be the root of a removable medium unless\n"
    "--allow-fixed is given; an existing PRIVATE folder is replaced only with --yes or\n"
    "after a yes on the terminal.\n";

constexpr std::size_t kBufferSize = 1 << 20;

// The parts of an entry name below the card root, or an empty list when the name would
// leave it: it must start with "\", and no part may be empty, "." or "..", hold a drive
// colon or a "/" or a NUL.
std::vector<std::string> safeParts(const std::string& name) {
    if (name.size() < 2 || name[0] != '\\')
        return {};
    std::vector<std::string> parts;
    std::size_t start = 1;
    for (;;) {
        const std::size_t end = name.find('\\', start);
        const std::string part =
            name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == ".." || part.find_first_of(":/") != std::string::npos ||
            part.find('\0') != std::string::npos)
            return {};
        parts.push_back(part);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

struct PlannedEntry {
    RestoreEntry entry;
    std::vector<std::string> parts;
};

} // namespace

int cliUnpack(const std::vector<std::string>& args, CliContext& ctx) {
    CliArgs a;
    if (!a.parse(args, {"--to"}, {"--yes", "--allow-fixed", "--help"})) {
        cliError(ctx, a.error() + " (see liedwerk-cli unpack --help)");
        return kExitUsage;
    }
    if (a.has("--help")) {
        ctx.out << kUnpackUsage;
        return kExitOk;
    }
    if (a.positional().size() != 1 || !a.has("--to")) {
        cliError(ctx, "unpack takes one RESTORE_FILE and --to DIR (see liedwerk-cli unpack --help)");
        return kExitUsage;
    }
    const std::string file = a.positional()[0];
    const fs::path path = pathFromUtf8(file);
    const std::string dir = *a.value("--to");
    const fs::path root = pathFromUtf8(dir);

    // First pass: the whole file is checked, and every name with it.
    auto size = ctx.fs.fileSize(path);
    if (!size || !ctx.fs.isFile(path)) {
        cliError(ctx, "cannot read the restore file " + file + ": " +
                          (size ? std::string("not a file") : size.status().reason()));
        return kExitError;
    }
    std::vector<PlannedEntry> plan;
    std::vector<std::uint8_t> buffer(kBufferSize);
    {
        auto in = ctx.fs.openRead(path);
        if (!in) {
            cliError(ctx, "cannot read the restore file " + file + ": " + in.status().reason());
            return kExitError;
        }
        RestoreFileReader reader(**in, *size, file);
        if (Status s = reader.readHeader(); !s) {
            cliError(ctx, file + ": " + s.reason() + "; nothing was written");
            return kExitError;
        }
        for (;;) {
            RestoreEntry e;
            auto more = reader.next(e);
            if (!more) {
                cliError(ctx, file + ": " + more.status().reason() + "; nothing was written");
                return kExitError;
            }
            if (!*more) {
                if (Status s = reader.checkLastEntryIsInfoFile(); !s) {
                    cliError(ctx, file + ": " + s.reason() + "; nothing was written");
                    return kExitError;
                }
                break;
            }
            auto parts = safeParts(e.name);
            if (parts.empty()) {
                cliError(ctx, file + ": the entry at byte " + std::to_string(e.headOffset) + " is named \"" +
                                  cp1252ToUtf8(e.name) +
                                  "\", which would leave the target folder; nothing was written");
                return kExitError;
            }
            if (Status s = reader.skipData(buffer); !s) {
                cliError(ctx, file + ": " + s.reason() + "; nothing was written");
                return kExitError;
            }
            plan.push_back({std::move(e), std::move(parts)});
        }
    }

    if (!acceptCardRoot(ctx, dir, a.has("--allow-fixed")))
        return kExitError;
    const fs::path priv = root / "PRIVATE";
    if (!confirmReplacePrivate(ctx, priv, a.has("--yes")))
        return kExitError;
    if (ctx.fs.isDirectory(priv))
        if (Status s = ctx.fs.removeTree(priv, true); !s) {
            cliError(ctx, "cannot delete " + pathToUtf8(priv) + ": " + s.reason());
            return kExitError;
        }

    // Second pass: the data, entry by entry, into the planned places.
    auto in = ctx.fs.openRead(path);
    if (!in) {
        cliError(ctx, "cannot read the restore file " + file + ": " + in.status().reason());
        return kExitError;
    }
    RestoreFileReader reader(**in, *size, file);
    (void)reader.readHeader();
    for (const auto& planned : plan) {
        RestoreEntry e;
        auto more = reader.next(e);
        if (!more || !*more) {
            cliError(ctx, file + " changed while it was unpacked");
            return kExitError;
        }
        fs::path target = root;
        for (std::size_t i = 0; i + 1 < planned.parts.size(); ++i) {
            target /= pathFromUtf8(cp1252ToUtf8(planned.parts[i]));
            if (!ctx.fs.isDirectory(target))
                if (Status s = ctx.fs.createDirectory(target); !s) {
                    cliError(ctx, "cannot create the folder " + pathToUtf8(target) + ": " + s.reason());
                    return kExitError;
                }
        }
        target /= pathFromUtf8(cp1252ToUtf8(planned.parts.back()));
        auto out = ctx.fs.openWrite(target);
        if (!out) {
            cliError(ctx, "cannot write " + pathToUtf8(target) + ": " + out.status().reason());
            return kExitError;
        }
        Status s = reader.readData(buffer,
                                   [&](std::span<const std::uint8_t> chunk) { return (*out)->write(chunk); });
        if (s)
            s = (*out)->close();
        if (!s) {
            cliError(ctx, "cannot write " + pathToUtf8(target) + ": " + s.reason());
            return kExitError;
        }
        ctx.out << cp1252ToUtf8(planned.entry.name) << "  " << planned.entry.length << " bytes\n";
    }
    ctx.out << plan.size() << " entries written under " << dir << '\n';
    return kExitOk;
}

} // namespace lw
