#include "support/FaultyFileSystem.h"

#include "platform/Path.h"

#include <algorithm>

namespace lw::test {

namespace fs = std::filesystem;

namespace {

// A path's text as rules see it: normalised, "/" as separator, no trailing separator.
std::string text(const fs::path& path) {
    std::string t = pathToUtf8(path.lexically_normal());
    std::replace(t.begin(), t.end(), '\\', '/');
    while (t.size() > 1 && t.back() == '/')
        t.pop_back();
    return t;
}

bool isSameOrBelow(const std::string& t, const std::string& folder) {
    return t == folder || t.starts_with(folder == "/" ? folder : folder + "/");
}

std::uint64_t roundUp(std::uint64_t bytes, std::uint64_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

Status failure(ErrorCode code, const fs::path& path, const std::string& reason) {
    return Status::error(code, pathToUtf8(path), reason);
}

} // namespace

// A file being read: fails from its read limit on.
class FaultyFileSystem::Input : public InputFile {
public:
    Input(std::unique_ptr<InputFile> inner, fs::path path, std::optional<Rule> limit)
        : m_inner(std::move(inner)), m_path(std::move(path)), m_limit(std::move(limit)) {}
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        if (m_limit && m_read >= m_limit->bytes)
            return failure(m_limit->code, m_path, m_limit->reason);
        const auto n = m_inner->read(
            m_limit ? buffer.first(std::min<std::size_t>(buffer.size(), m_limit->bytes - m_read)) : buffer);
        m_read += n ? *n : 0;
        return n;
    }
    std::uint64_t size() const override { return m_inner->size(); }
    Status seek(std::uint64_t offset) override {
        m_read = offset;
        return m_inner->seek(offset);
    }

private:
    std::unique_ptr<InputFile> m_inner;
    fs::path m_path;
    std::optional<Rule> m_limit;
    std::uint64_t m_read = 0;
};

// A file being written: its bytes held on the medium, within its own write limit; a staged
// file that never takes its name holds none.
class FaultyFileSystem::Output : public StagedFile {
public:
    Output(FaultyFileSystem& owner, std::unique_ptr<OutputFile> inner, StagedFile* staged, fs::path path)
        : m_owner(owner), m_inner(std::move(inner)), m_staged(staged), m_path(std::move(path)),
          m_key(text(m_path)), m_limit(owner.rule(owner.m_limits, FsOp::OpenWrite, m_path)) {
        m_owner.m_held[m_key] = 0;
    }
    ~Output() override {
        if (m_staged && !m_committed)
            m_owner.m_held.erase(m_key);
    }
    Status write(std::span<const std::uint8_t> data) override {
        std::uint64_t room = data.size();
        Status refusal;
        if (m_limit && m_written + room > m_limit->bytes) {
            room = m_limit->bytes - std::min(m_written, m_limit->bytes);
            refusal = failure(m_limit->code, m_path, m_limit->reason);
        }
        if (const auto capacity = m_owner.m_capacity) {
            const std::uint64_t unit = m_owner.m_unit,
                                free = *capacity - std::min(m_owner.unitsHeld(), *capacity);
            if (const std::uint64_t left = roundUp(m_written, unit) - m_written + free / unit * unit;
                left < room) {
                room = left;
                refusal = failure(ErrorCode::NoSpace, m_path, "No space left on device");
            }
        }
        if (room > 0) {
            if (Status s = m_inner->write(data.first(static_cast<std::size_t>(room))); !s)
                return s;
            m_owner.m_held[m_key] = m_written += room;
        }
        return refusal;
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        return m_inner->writeAt(offset, data);
    }
    Status close() override { return m_inner->close(); }
    Status commit() override {
        const auto failed = m_owner.injected(FsOp::Close, m_path);
        Status s = failed ? *failed : m_staged->commit();
        m_committed = s.isOk();
        return m_owner.touch(m_path, std::move(s));
    }

private:
    FaultyFileSystem& m_owner;
    std::unique_ptr<OutputFile> m_inner;
    StagedFile* m_staged;
    fs::path m_path;
    std::string m_key;
    std::optional<Rule> m_limit;
    std::uint64_t m_written = 0;
    bool m_committed = false;
};

bool FaultyFileSystem::touchedOnlyBelow(const fs::path& folder) const {
    return std::all_of(m_touched.begin(), m_touched.end(),
                       [&](const fs::path& p) { return isSameOrBelow(text(p), text(folder)); });
}

std::uint64_t FaultyFileSystem::unitsHeld() const {
    std::uint64_t total = 0;
    for (const auto& [key, bytes] : m_held)
        total += roundUp(bytes, m_unit);
    return total;
}

std::optional<FaultyFileSystem::Rule> FaultyFileSystem::rule(std::vector<Rule>& rules, FsOp op,
                                                             const fs::path& path) {
    for (Rule& r : rules)
        if (r.op == op && r.timesLeft != 0 && text(path).find(r.pattern) != std::string::npos) {
            r.timesLeft -= r.timesLeft > 0;
            return r;
        }
    return std::nullopt;
}

std::optional<Status> FaultyFileSystem::injected(FsOp op, const fs::path& path) {
    const auto r = rule(m_rules, op, path);
    return r ? std::optional(failure(r->code, path, r->reason)) : std::nullopt;
}

Status FaultyFileSystem::touch(const fs::path& path, Status status) {
    m_touched.push_back(path);
    return status;
}

template <class File, class Open>
Result<std::unique_ptr<File>> FaultyFileSystem::written(const fs::path& path, Open open) {
    const auto failed = injected(FsOp::OpenWrite, path);
    Result<std::unique_ptr<File>> file = failed ? Result<std::unique_ptr<File>>(*failed) : open();
    if (!touch(path, file.status()))
        return file.status();
    StagedFile* staged = nullptr;
    if constexpr (std::is_same_v<File, StagedFile>)
        staged = file->get();
    return std::unique_ptr<File>(new Output(*this, std::move(*file), staged, path));
}

Result<std::vector<DirectoryEntry>> FaultyFileSystem::listDirectory(const fs::path& dir) {
    if (auto failed = injected(FsOp::List, dir))
        return *failed;
    return m_listing ? *m_listing : m_inner.listDirectory(dir);
}

Result<std::unique_ptr<InputFile>> FaultyFileSystem::openRead(const fs::path& path) {
    auto failed = injected(FsOp::OpenRead, path);
    auto file = failed ? Result<std::unique_ptr<InputFile>>(*failed) : m_inner.openRead(path);
    if (!file)
        return file.status();
    return std::unique_ptr<InputFile>(
        new Input(std::move(*file), path, rule(m_limits, FsOp::OpenRead, path)));
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::openWrite(const fs::path& path) {
    return written<OutputFile>(path, [&] { return m_inner.openWrite(path); });
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::createNew(const fs::path& path) {
    return written<OutputFile>(path, [&] { return m_inner.createNew(path); });
}

Result<std::unique_ptr<StagedFile>> FaultyFileSystem::createStaged(const fs::path& path) {
    return written<StagedFile>(path, [&] { return m_inner.createStaged(path); });
}

Status FaultyFileSystem::createDirectory(const fs::path& path) {
    if (auto failed = injected(FsOp::CreateDirectory, path))
        return touch(path, *failed);
    if (m_capacity && !m_inner.isDirectory(path)) {
        if (*m_capacity < unitsHeld() + m_unit)
            return touch(path, failure(ErrorCode::NoSpace, path, "No space left on device"));
        m_held[text(path) + "/."] = m_unit; // a folder takes a unit
    }
    return touch(path, m_inner.createDirectory(path));
}

Status FaultyFileSystem::removeTree(const fs::path& path, bool forceReadOnly) {
    Status status = m_inner.removeTree(path, forceReadOnly);
    if (status)
        std::erase_if(m_held, [&](const auto& entry) { return isSameOrBelow(entry.first, text(path)); });
    return touch(path, std::move(status));
}

Status FaultyFileSystem::removeFile(const fs::path& path) {
    Status status = m_inner.removeFile(path);
    if (status)
        m_held.erase(text(path));
    return touch(path, std::move(status));
}

Result<std::uint64_t> FaultyFileSystem::freeSpace(const fs::path& path) {
    if (auto failed = injected(FsOp::FreeSpace, path))
        return *failed;
    if (m_fixedFree || m_capacity)
        return m_fixedFree ? *m_fixedFree : *m_capacity - std::min(unitsHeld(), *m_capacity);
    return m_inner.freeSpace(path);
}

Status FaultyFileSystem::flushTree(const fs::path& folder) {
    if (auto failed = injected(FsOp::Flush, folder))
        return *failed;
    return m_inner.flushTree(folder);
}

} // namespace lw::test
