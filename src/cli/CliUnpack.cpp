// liedwerk-cli unpack: writes a restore file's entries into a folder as a card would
// receive them. The core judges the whole file and the folder before anything is written.
#include "backup/Cp1252.h"
#include "card/CardLayout.h"
#include "card/Unpack.h"
#include "cli/CliCommon.h"
#include "cli/CliProgress.h"
#include "platform/Path.h"

#include <ostream>

namespace lw {

int cliUnpack(const std::vector<std::string>& args, CliContext& ctx) {
    CliArgs a;
    if (auto done = parseArguments(ctx, args, "unpack", a))
        return *done;
    if (a.positional().size() != 1 || !a.has("--to"))
        return usageError(ctx, "unpack", "unpack takes one RESTORE_FILE and --to DIR");
    const std::string file = a.positional()[0];
    const std::string dir = *a.value("--to");
    if (file.empty() || dir.empty())
        return usageError(ctx, "unpack", "the restore file and the folder need names");

    auto plan = planUnpack(ctx.fs, pathFromUtf8(file), pathFromUtf8(dir));
    if (!plan) {
        const Status& why = plan.status();
        cliError(ctx,
                 (why.code() == ErrorCode::Corrupt || why.code() == ErrorCode::InvalidArgument
                      ? why.path() + ": " + why.reason()
                      : "cannot unpack " + file + " into " + dir + ": " + why.path() + ": " + why.reason()) +
                     (why.reason().ends_with("nothing was written") ? "" : "; nothing was written"));
        return kExitError;
    }
    if (!acceptCardRoot(ctx, dir, a.has("--allow-fixed")))
        return kExitError;
    if (!confirmReplacePrivate(ctx, plan->root / std::string(kPrivateFolder), a.has("--yes")))
        return kExitError;
    CliProgress progress(ctx, a.has("--quiet"), "files");
    progress.start(static_cast<int>(plan->contents.entries.size()));
    const Status s = runUnpack(progress.watch(ctx.fs), *plan, [&](const RestoreEntry& e) {
        progress.print(shown(cp1252ToUtf8(e.name)) + "  " + std::to_string(e.length) + " bytes\n");
        progress.advance();
    });
    progress.finish();
    if (!s) {
        cliError(ctx, "cannot unpack " + file + " into " + dir + ": " + s.path() + ": " + s.reason());
        return kExitError;
    }
    ctx.out << plan->contents.entries.size() << " entries written under " << shown(dir) << '\n';
    return kExitOk;
}

} // namespace lw
