// liedwerk-cli list: the working list of a backup, as text or as JSON.
#include "backup/Cp1252.h"
#include "cli/CliCommon.h"
#include "cli/Json.h"

#include <ostream>

namespace lw {

namespace {

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
                << r.index << "  " << shown(cp1252ToUtf8(r.text));
            if (r.name != r.text)
                out << "  (" << shown(cp1252ToUtf8(r.name)) << ")";
            out << '\n';
        } else {
            out << mark << ' ' << r.number << "  " << shown(cp1252ToUtf8(r.text)) << '\n';
        }
    }
}

} // namespace

int cliList(const std::vector<std::string>& args, CliContext& ctx) {
    CliArgs a;
    if (auto done = parseArguments(ctx, args, "list", a))
        return *done;
    if (a.positional().size() != 1)
        return usageError(ctx, "list",
                          a.positional().empty() ? "list needs the backup directory"
                                                 : "list takes one backup directory, not " +
                                                       std::to_string(a.positional().size()));
    ListOrder order = ListOrder::Standard;
    if (auto o = a.value("--order")) {
        auto parsed = parseOrder(*o);
        if (!parsed)
            return usageError(ctx, "list", "--order takes standard or alphabetical, not " + *o);
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
