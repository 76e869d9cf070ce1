// liedwerk-cli list: the working list of a backup, as text or as JSON.
#include "backup/Cp1252.h"
#include "cli/CliArgs.h"
#include "cli/CliCommon.h"
#include "cli/Json.h"

#include <ostream>

namespace lw {

namespace {

constexpr const char* kListUsage =
    "usage: liedwerk-cli list BACKUP_DIR [--order standard|alphabetical] [--json]\n"
    "\n"
    "Recognises the KN2000, KN3000, KN5000 or KN6000/6500 backup in BACKUP_DIR and prints\n"
    "its working list: folder rows and song rows with their marks.\n";

void printJson(std::ostream& out, const LoadedBackup& b) {
    const WorkingList& list = b.list;
    out << "{\"kind\": " << jsonString(b.recognition.format->text) << ", \"songs\": " << list.availableSongs()
        << ", \"rows\": [";
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ListRow& r = list.row(i);
        out << (i ? ",\n  " : "\n  ");
        if (r.isSong()) {
            out << "{\"type\": \"song\", \"text\": " << jsonString(cp1252ToUtf8(r.text))
                << ", \"number\": " << jsonString(r.number)
                << ", \"name\": " << jsonString(cp1252ToUtf8(r.name))
                << ", \"index\": " << jsonString(r.index) << ", \"marked\": " << jsonBool(r.marked) << "}";
        } else {
            out << "{\"type\": \"folder\", \"text\": " << jsonString(cp1252ToUtf8(r.text))
                << ", \"number\": " << jsonString(r.number) << ", \"marked\": " << jsonBool(r.marked) << "}";
        }
    }
    out << "\n]}\n";
}

void printText(std::ostream& out, const LoadedBackup& b) {
    const WorkingList& list = b.list;
    out << b.recognition.format->text << " backup: " << list.availableSongs() << " songs, "
        << list.selectedCount() << " marked\n";
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ListRow& r = list.row(i);
        const char* mark = r.marked ? "[x]" : "[ ]";
        if (r.isSong()) {
            out << (list.order() == ListOrder::Standard ? "    " : "") << mark << ' ' << r.number << "  "
                << r.index << "  " << cp1252ToUtf8(r.text);
            if (r.name != r.text)
                out << "  (" << cp1252ToUtf8(r.name) << ")";
            out << '\n';
        } else {
            out << mark << ' ' << r.number << "  " << cp1252ToUtf8(r.text) << '\n';
        }
    }
}

} // namespace

int cliList(const std::vector<std::string>& args, CliContext& ctx) {
    CliArgs a;
    if (!a.parse(args, {"--order"}, {"--json", "--help"})) {
        cliError(ctx, a.error() + " (see liedwerk-cli list --help)");
        return kExitUsage;
    }
    if (a.has("--help")) {
        ctx.out << kListUsage;
        return kExitOk;
    }
    if (a.positional().size() != 1) {
        cliError(ctx, a.positional().empty()
                          ? "list needs the backup directory (see liedwerk-cli list --help)"
                          : "list takes one backup directory, not " + std::to_string(a.positional().size()));
        return kExitUsage;
    }
    ListOrder order = ListOrder::Standard;
    if (auto o = a.value("--order")) {
        auto parsed = parseOrder(*o);
        if (!parsed) {
            cliError(ctx, "--order takes standard or alphabetical, not " + *o);
            return kExitUsage;
        }
        order = *parsed;
    }
    int exitCode = kExitOk;
    auto loaded = loadBackupForCli(ctx, a.positional()[0], order, exitCode);
    if (!loaded)
        return exitCode;
    if (a.has("--json"))
        printJson(ctx.out, *loaded);
    else
        printText(ctx.out, *loaded);
    return kExitOk;
}

} // namespace lw
