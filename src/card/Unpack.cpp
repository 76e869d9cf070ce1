#include "card/Unpack.h"

#include "card/CardLayout.h"

#include "backup/Cp1252.h"
#include "platform/Path.h"

#include <system_error>

namespace lw {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

Status refused(const fs::path& path, const std::string& why) {
    return Status::error(ErrorCode::InvalidArgument, pathToUtf8(path), why + "; nothing was written");
}

// Whether a file with this identity lies in the tree below the folder (links not followed).
bool treeHoldsFile(FileSystem& fs, const fs::path& folder, const FileId& wanted, int depth = 0) {
    auto entries = fs.listDirectory(folder);
    if (!entries || depth > 64)
        return false;
    for (const auto& e : *entries) {
        const fs::path child = folder / pathFromUtf8(e.name);
        if (e.isLink)
            continue;
        if (e.isDirectory ? treeHoldsFile(fs, child, wanted, depth + 1) : fs.identity(child, false) == wanted)
            return true;
    }
    return false;
}

fs::path placeOf(const fs::path& root, const std::vector<std::string>& parts, std::size_t count) {
    fs::path p = root;
    for (std::size_t i = 0; i < count; ++i)
        p /= pathFromUtf8(cp1252ToUtf8(parts[i]));
    return p;
}

} // namespace

Result<UnpackPlan> planUnpack(FileSystem& fs, const fs::path& file, const fs::path& root) {
    UnpackPlan plan;
    plan.file = file;
    plan.root = root;
    if (!fs.isDirectory(root))
        return Status::error(fs.exists(root) ? ErrorCode::NotAFile : ErrorCode::NotFound, pathToUtf8(root),
                             fs.exists(root) ? "it is not a folder" : "the folder does not exist");
    auto input = fs.openRead(file);
    if (!input)
        return input.status();
    plan.input = std::move(*input);
    auto contents = readRestoreContents(*plan.input, pathToUtf8(file));
    if (!contents)
        return contents.status();
    plan.contents = std::move(*contents);
    auto lock = fs.lockOutput(root, {});
    if (!lock)
        return lock.status();
    plan.lock = std::move(*lock);

    // The restore file must outlive the old PRIVATE: not in it, nor reached through it.
    const fs::path priv = root / std::string(kPrivateFolder);
    const auto privId = fs.identity(priv, false);
    if (privId && privId == fs.identity(priv, true)) {
        const auto fileId = fs.identity(file, true);
        std::error_code ec;
        fs::path prefix;
        bool through = false;
        for (const fs::path& part : fs::absolute(file, ec).parent_path()) {
            prefix /= part;
            through = through || fs.identity(prefix, true) == privId;
        }
        if (through || (fileId && treeHoldsFile(fs, priv, *fileId)))
            return refused(file, "the restore file lies in " + pathToUtf8(priv) + ", which is replaced");
    }

    // Outside PRIVATE nothing is replaced, and no link or file stands in an entry's way.
    for (std::size_t e = 0; e < plan.contents.entries.size(); ++e) {
        const auto& parts = plan.contents.parts[e];
        if (parts.size() > 1 && parts[0] == kPrivateFolder)
            continue;
        for (std::size_t n = 1; n <= parts.size(); ++n) {
            const fs::path place = placeOf(root, parts, n);
            if (!fs.exists(place))
                break;
            const std::string entry = "the entry \"" + cp1252ToUtf8(plan.contents.entries[e].name) + "\"";
            if (fs.identity(place, false) != fs.identity(place, true))
                return refused(place, entry + " would pass through this link");
            if (n == parts.size())
                return refused(place, entry + " would replace this file outside PRIVATE");
            if (!fs.isDirectory(place))
                return refused(place, entry + " needs a folder where this file is");
        }
    }
    return plan;
}

Status runUnpack(FileSystem& fs, UnpackPlan& plan, const std::function<void(const RestoreEntry&)>& written) {
    const fs::path priv = plan.root / std::string(kPrivateFolder);
    if (fs.exists(priv))
        if (Status s = fs.removeTree(priv, true); !s)
            return s;
    if (Status s = plan.input->seek(0); !s)
        return s;
    RestoreFileReader reader(*plan.input, pathToUtf8(plan.file));
    if (Status s = reader.readHeader(); !s)
        return s;
    std::vector<std::uint8_t> buffer(kBufferSize);
    for (std::size_t e = 0; e < plan.contents.entries.size(); ++e) {
        RestoreEntry entry;
        auto more = reader.next(entry);
        if (!more)
            return more.status();
        if (!*more || entry.headOffset != plan.contents.entries[e].headOffset)
            return Status::error(ErrorCode::Corrupt, pathToUtf8(plan.file),
                                 "the file changed while it was unpacked");
        const auto& parts = plan.contents.parts[e];
        for (std::size_t n = 1; n < parts.size(); ++n)
            if (Status s = fs.createDirectory(placeOf(plan.root, parts, n)); !s)
                return s;
        const fs::path target = placeOf(plan.root, parts, parts.size());
        auto out = fs.createNew(target);
        if (!out)
            return out.status();
        Status s = reader.readData(buffer,
                                   [&](std::span<const std::uint8_t> chunk) { return (*out)->write(chunk); });
        if (Status closed = (*out)->close(); s && !closed)
            s = closed;
        if (!s)
            return s;
        if (written)
            written(entry);
    }
    return fs.flushTree(plan.root);
}

} // namespace lw
