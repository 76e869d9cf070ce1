// liedwerk-cli inspect: checks a restore file, a KN7000MN.INF or a card, and shows what
// it holds. Any structural fault or mismatch is reported with what and where.
#include "backup/Cp1252.h"
#include "card/CardCheck.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "card/RestoreFileReader.h"
#include "cli/CliCommon.h"
#include "cli/Json.h"
#include "platform/Path.h"

#include <map>
#include <ostream>
#include <set>
#include <sstream>

namespace lw {

namespace fs = std::filesystem;

namespace {

std::string typesText(const std::vector<std::string_view>& types) {
    std::string out;
    for (auto t : types)
        out += (out.empty() ? "" : " ") + std::string(t);
    return out.empty() ? "-" : out;
}

std::string typesJson(const std::vector<std::string_view>& types) {
    std::string out = "[";
    for (std::size_t i = 0; i < types.size(); ++i)
        out += (i ? ", " : "") + jsonString(types[i]);
    return out + "]";
}

void printInfoText(std::ostream& out, const DecodedInfoFile& info) {
    out << "KN7000MN.INF: " << info.folders.size() << (info.folders.size() == 1 ? " folder\n" : " folders\n");
    for (const auto& f : info.folders) {
        out << songFolderName(f.number) << "  " << shown(cp1252ToUtf8(f.title)) << '\n';
        for (const auto& s : f.songs) {
            out << "  " << songFileBase(s.slot, "").substr(0, 2) << "  " << shown(cp1252ToUtf8(s.sixChar))
                << "  " << shown(cp1252ToUtf8(s.name)) << "  first " << static_cast<int>(s.firstMask) << " ("
                << typesText(firstGroupTypes(s.firstMask)) << ")  second " << static_cast<int>(s.secondMask)
                << " (" << typesText(secondGroupTypes(s.secondMask)) << ")\n";
        }
    }
}

std::string infoJson(const DecodedInfoFile& info) {
    std::ostringstream out;
    out << "{\"folders\": [";
    for (std::size_t i = 0; i < info.folders.size(); ++i) {
        const auto& f = info.folders[i];
        out << (i ? ", " : "") << "{\"number\": " << f.number
            << ", \"folder\": " << jsonString(songFolderName(f.number))
            << ", \"title\": " << jsonString(cp1252ToUtf8(f.title)) << ", \"songs\": [";
        for (std::size_t j = 0; j < f.songs.size(); ++j) {
            const auto& s = f.songs[j];
            out << (j ? ", " : "") << "{\"slot\": " << s.slot
                << ", \"name\": " << jsonString(cp1252ToUtf8(s.name))
                << ", \"sixChar\": " << jsonString(cp1252ToUtf8(s.sixChar))
                << ", \"firstMask\": " << static_cast<int>(s.firstMask)
                << ", \"firstTypes\": " << typesJson(firstGroupTypes(s.firstMask))
                << ", \"secondMask\": " << static_cast<int>(s.secondMask)
                << ", \"secondTypes\": " << typesJson(secondGroupTypes(s.secondMask)) << "}";
        }
        out << "]}";
    }
    out << "]}";
    return out.str();
}

struct Findings {
    std::string type; // "restore", "info", "card"
    std::string path;
    std::vector<RestoreEntry> entries;
    std::optional<DecodedInfoFile> info;
    std::vector<std::string> problems; // each names what and where
};

int report(CliContext& ctx, const Findings& f, bool json) {
    if (json) {
        ctx.out << "{\"type\": " << jsonString(f.type) << ", \"path\": " << jsonString(f.path)
                << ", \"ok\": " << jsonBool(f.problems.empty());
        if (f.type == "restore") {
            ctx.out << ", \"entries\": [";
            for (std::size_t i = 0; i < f.entries.size(); ++i)
                ctx.out << (i ? ",\n  " : "\n  ")
                        << "{\"name\": " << jsonString(cp1252ToUtf8(f.entries[i].name))
                        << ", \"offset\": " << f.entries[i].headOffset
                        << ", \"length\": " << f.entries[i].length << "}";
            ctx.out << "]";
        }
        if (f.info)
            ctx.out << ", \"info\": " << infoJson(*f.info);
        ctx.out << ", \"problems\": [";
        for (std::size_t i = 0; i < f.problems.size(); ++i)
            ctx.out << (i ? ", " : "") << jsonString(f.problems[i]);
        ctx.out << "]}\n";
    } else {
        if (f.type == "restore") {
            ctx.out << "Restore file " << shown(f.path) << ": " << f.entries.size() << " entries\n";
            for (const auto& e : f.entries)
                ctx.out << "  " << shown(cp1252ToUtf8(e.name)) << "  " << e.length << " bytes\n";
        }
        if (f.type == "card")
            ctx.out << "Card " << shown(f.path) << '\n';
        if (f.info)
            printInfoText(ctx.out, *f.info);
    }
    for (const auto& p : f.problems)
        cliError(ctx, p);
    return f.problems.empty() ? kExitOk : kExitError;
}

// "path: what is wrong" for a malformed file, "cannot read path: why" otherwise.
std::string problemText(const Status& why) {
    if (why.code() == ErrorCode::Corrupt)
        return why.path() + ": " + why.reason();
    return "cannot read " + why.path() + ": " + why.reason();
}

void inspectInfo(CliContext& ctx, const fs::path& path, Findings& f) {
    auto decoded = readInfoFile(ctx.fs, path);
    if (!decoded) {
        f.problems.push_back(problemText(decoded.status()));
        return;
    }
    f.info = std::move(*decoded);
}

void inspectRestore(CliContext& ctx, const fs::path& path, Findings& f) {
    const std::string p = pathToUtf8(path);
    auto in = ctx.fs.openRead(path);
    if (!in) {
        f.problems.push_back(problemText(in.status()));
        return;
    }
    auto contents = readRestoreContents(**in, p);
    if (!contents) {
        f.problems.push_back(problemText(contents.status()));
        return;
    }
    f.entries = std::move(contents->entries);
    f.info = std::move(contents->info);
}

void inspectCard(CliContext& ctx, const fs::path& root, Findings& f) {
    CardCheck check = checkCard(ctx.fs, root);
    if (!check.info) {
        const Status& why = check.infoError;
        f.problems.push_back(why.code() == ErrorCode::NotFound ? why.path() + ": " + why.reason()
                                                               : problemText(why));
        return;
    }
    f.info = std::move(check.info);
    for (const Status& m : check.mismatches)
        f.problems.push_back(m.path() + ": " + m.reason());
}

} // namespace

int cliInspect(const std::vector<std::string>& args, CliContext& ctx) {
    CliArgs a;
    if (auto done = parseArguments(ctx, args, "inspect", a))
        return *done;
    if (a.positional().size() != 1)
        return usageError(ctx, "inspect", "inspect takes one PATH");
    const std::string text = a.positional()[0];
    const fs::path path = pathFromUtf8(text);
    Findings f;
    f.path = text;
    if (ctx.fs.isDirectory(path)) {
        f.type = "card";
        inspectCard(ctx, path, f);
    } else if (!ctx.fs.exists(path)) {
        cliError(ctx, text + " does not exist; give a restore file, a KN7000MN.INF or a card's root folder");
        return kExitError;
    } else if (!ctx.fs.isFile(path)) {
        cliError(ctx,
                 text + " is neither a regular file nor a folder (a FIFO, a device or a broken link); give a "
                        "restore file, a KN7000MN.INF or a card's root folder");
        return kExitError;
    } else {
        auto head = readFilePrefix(ctx.fs, path, kInfMagic.size());
        const std::string start = head ? std::string(head->begin(), head->end()) : std::string();
        std::string name = pathToUtf8(path.filename());
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (start == kInfMagic || (start.rfind(kRestoreMagic, 0) != 0 && name.ends_with(".INF"))) {
            f.type = "info";
            inspectInfo(ctx, path, f);
        } else {
            f.type = "restore";
            inspectRestore(ctx, path, f);
        }
    }
    return report(ctx, f, a.has("--json"));
}

} // namespace lw
