#include "support/FaultyFileSystem.h"

#include "platform/Path.h"

#include <algorithm>

namespace lw::test {

namespace fs = std::filesystem;

namespace {

// A path's text as rules see it: normalised, "/" as separator, no trailing separator.
std::string text(const fs::path& path) {
    const std::u8string generic = path.lexically_normal().generic_u8string();
    std::string t(generic.begin(), generic.end());
    std::replace(t.begin(), t.end(), '\\', '/');
    while (t.size() > 1 && t.back() == '/')
        t.pop_back();
    return t;
}

bool matches(const std::string& pattern, const fs::path& path) {
    return text(path).find(pattern) != std::string::npos;
}

bool isSameOrBelow(const std::string& t, const std::string& folder) {
    return t == folder || t.starts_with(folder == "/" ? folder : folder + "/");
}

Status noSpace(const fs::path& path) {
    return Status::error(ErrorCode::NoSpace, pathToUtf8(path), "No space left on device");
}

} // namespace

class FaultyFileSystem::FaultyInput : public InputFile {
public:
    FaultyInput(FaultyFileSystem& owner, std::unique_ptr<InputFile> inner, fs::path path,
                std::optional<Rule> limit)
        : m_owner(owner), m_inner(std::move(inner)), m_path(std::move(path)), m_limit(std::move(limit)) {}
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        if (auto failure = m_owner.injected(FsOp::Read, m_path))
            return *failure;
        if (m_limit) {
            if (m_read >= m_limit->bytes)
                return Status::error(m_limit->code, pathToUtf8(m_path), m_limit->reason);
            buffer = buffer.first(
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), m_limit->bytes - m_read)));
        }
        auto n = m_inner->read(buffer);
        if (n)
            m_read += *n;
        return n;
    }
    std::uint64_t size() const override { return m_inner->size(); }
    Status seek(std::uint64_t offset) override {
        m_read = offset;
        return m_inner->seek(offset);
    }

private:
    FaultyFileSystem& m_owner;
    std::unique_ptr<InputFile> m_inner;
    fs::path m_path;
    std::optional<Rule> m_limit;
    std::uint64_t m_read = 0;
};

// An output file that counts its bytes against the medium and its own limit.
class FaultyFileSystem::LimitedOutput : public StagedFile {
public:
    LimitedOutput(FaultyFileSystem& owner, std::unique_ptr<OutputFile> inner, StagedFile* staged,
                  fs::path path, std::string key, std::optional<Rule> limit)
        : m_owner(owner), m_inner(std::move(inner)), m_staged(staged), m_path(std::move(path)),
          m_key(std::move(key)), m_limit(std::move(limit)) {
        m_owner.m_held[m_key] = 0;
    }
    ~LimitedOutput() override {
        if (m_staged && !m_committed)
            m_owner.m_held.erase(m_key);
    }
    Status write(std::span<const std::uint8_t> data) override {
        std::uint64_t fits = data.size();
        Status refusal;
        if (m_limit && m_written + fits > m_limit->bytes) {
            fits = m_limit->bytes - std::min(m_written, m_limit->bytes);
            refusal = Status::error(m_limit->code, pathToUtf8(m_path), m_limit->reason);
        }
        if (m_owner.m_capacity) {
            const std::uint64_t free =
                *m_owner.m_capacity - std::min(m_owner.unitsHeld(), *m_owner.m_capacity);
            const std::uint64_t room =
                m_owner.roundUp(m_written) - m_written + free / m_owner.m_unit * m_owner.m_unit;
            if (fits > room) {
                fits = room;
                refusal = noSpace(m_path);
            }
        }
        if (fits > 0) {
            if (Status s = m_inner->write(data.first(static_cast<std::size_t>(fits))); !s)
                return s;
            m_owner.m_held[m_key] = m_written += fits;
        }
        return refusal;
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        return m_inner->writeAt(offset, data);
    }
    Status close() override {
        Status closed = m_inner->close();
        if (auto failure = m_owner.injected(FsOp::Close, m_path))
            return m_owner.record(FsOp::Close, m_path, *failure);
        return closed;
    }
    Status commit() override {
        if (auto failure = m_owner.injected(FsOp::Close, m_path))
            return m_owner.record(FsOp::Close, m_path, *failure);
        Status s = m_staged->commit();
        if (s) {
            m_committed = true;
            m_owner.m_held.erase(m_key);
            m_owner.m_held[text(m_path)] = m_written;
        }
        return m_owner.record(FsOp::Close, m_path, std::move(s));
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

void FaultyFileSystem::setFreeSpace(std::uint64_t bytes) {
    m_fixedFree = bytes;
    m_capacity.reset();
}

void FaultyFileSystem::setCapacity(std::uint64_t bytes, std::uint64_t unit) {
    m_fixedFree.reset();
    m_held.clear(); // counted from now on: what was written before is the medium's past
    m_capacity = bytes;
    m_unit = std::max<std::uint64_t>(unit, 1);
}

void FaultyFileSystem::failOn(FsOp op, std::string pattern, ErrorCode code, std::string reason, int times) {
    m_rules.push_back({op, std::move(pattern), code, std::move(reason), times});
}

void FaultyFileSystem::failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code,
                                      std::string reason) {
    m_writeLimits.push_back({FsOp::OpenWrite, std::move(pattern), code, std::move(reason), -1, bytes});
}

void FaultyFileSystem::failReadAfter(std::string pattern, std::uint64_t bytes, ErrorCode code,
                                     std::string reason) {
    m_readLimits.push_back({FsOp::Read, std::move(pattern), code, std::move(reason), -1, bytes});
}

bool FaultyFileSystem::touchedOnlyBelow(const fs::path& folder) const {
    return std::all_of(m_mutations.begin(), m_mutations.end(),
                       [&](const Mutation& m) { return isSameOrBelow(text(m.path), text(folder)); });
}

std::uint64_t FaultyFileSystem::unitsHeld() const {
    std::uint64_t total = 0;
    for (const auto& [key, bytes] : m_held)
        total += roundUp(bytes);
    return total;
}

std::optional<Status> FaultyFileSystem::injected(FsOp op, const fs::path& path) {
    for (Rule& rule : m_rules)
        if (rule.op == op && rule.timesLeft != 0 && matches(rule.pattern, path)) {
            if (rule.timesLeft > 0)
                --rule.timesLeft;
            return Status::error(rule.code, pathToUtf8(path), rule.reason);
        }
    return std::nullopt;
}

Status FaultyFileSystem::record(FsOp op, const fs::path& path, Status status) {
    m_mutations.push_back({op, path, status.isOk()});
    return status;
}

template <class File>
Result<std::unique_ptr<File>> FaultyFileSystem::limited(const fs::path& path,
                                                        Result<std::unique_ptr<File>> file,
                                                        const std::string& heldAs) {
    record(FsOp::OpenWrite, path, file.status());
    if (!file)
        return file.status();
    std::optional<Rule> limit;
    for (const Rule& l : m_writeLimits)
        if (matches(l.pattern, path) && (!limit || l.bytes < limit->bytes))
            limit = l;
    StagedFile* staged = nullptr;
    if constexpr (std::is_same_v<File, StagedFile>)
        staged = file->get();
    std::unique_ptr<OutputFile> inner(std::move(*file));
    return std::unique_ptr<File>(new LimitedOutput(*this, std::move(inner), staged, path, heldAs, limit));
}

Result<std::vector<DirectoryEntry>> FaultyFileSystem::listDirectory(const fs::path& dir) {
    if (auto failure = injected(FsOp::List, dir))
        return *failure;
    return m_listing ? *m_listing : m_inner.listDirectory(dir);
}

Result<std::unique_ptr<InputFile>> FaultyFileSystem::openRead(const fs::path& path) {
    if (auto failure = injected(FsOp::OpenRead, path))
        return *failure;
    auto file = m_inner.openRead(path);
    if (!file)
        return file.status();
    std::optional<Rule> limit;
    for (const Rule& l : m_readLimits)
        if (matches(l.pattern, path))
            limit = l;
    return std::unique_ptr<InputFile>(new FaultyInput(*this, std::move(*file), path, limit));
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::openWrite(const fs::path& path) {
    if (auto failure = injected(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    return limited(path, m_inner.openWrite(path), text(path));
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::createNew(const fs::path& path) {
    if (auto failure = injected(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    return limited(path, m_inner.createNew(path), text(path));
}

Result<std::unique_ptr<StagedFile>> FaultyFileSystem::createStaged(const fs::path& path) {
    if (auto failure = injected(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    return limited(path, m_inner.createStaged(path), text(path) + ".staged");
}

Status FaultyFileSystem::createDirectory(const fs::path& path) {
    if (auto failure = injected(FsOp::CreateDirectory, path))
        return record(FsOp::CreateDirectory, path, *failure);
    if (m_capacity && !m_inner.isDirectory(path)) {
        if (*m_capacity < unitsHeld() + m_unit)
            return record(FsOp::CreateDirectory, path, noSpace(path));
        m_held[text(path) + "/."] = m_unit; // a folder takes a unit
    }
    return record(FsOp::CreateDirectory, path, m_inner.createDirectory(path));
}

Status FaultyFileSystem::removeTree(const fs::path& path, bool forceReadOnly) {
    if (auto failure = injected(FsOp::RemoveTree, path))
        return record(FsOp::RemoveTree, path, *failure);
    Status status = m_inner.removeTree(path, forceReadOnly);
    if (status)
        std::erase_if(m_held, [&](const auto& entry) { return isSameOrBelow(entry.first, text(path)); });
    return record(FsOp::RemoveTree, path, std::move(status));
}

Status FaultyFileSystem::removeFile(const fs::path& path) {
    if (auto failure = injected(FsOp::RemoveFile, path))
        return record(FsOp::RemoveFile, path, *failure);
    Status status = m_inner.removeFile(path);
    if (status)
        m_held.erase(text(path));
    return record(FsOp::RemoveFile, path, std::move(status));
}

Result<std::uint64_t> FaultyFileSystem::freeSpace(const fs::path& path) {
    if (auto failure = injected(FsOp::FreeSpace, path))
        return *failure;
    if (m_fixedFree)
        return *m_fixedFree;
    if (m_capacity)
        return *m_capacity - std::min(unitsHeld(), *m_capacity);
    return m_inner.freeSpace(path);
}

Result<std::uint64_t> FaultyFileSystem::allocationUnit(const fs::path& path) {
    return m_capacity ? Result<std::uint64_t>(m_unit) : m_inner.allocationUnit(path);
}

Result<std::uint64_t> FaultyFileSystem::directorySize(const fs::path& dir) {
    if (auto failure = injected(FsOp::DirectorySize, dir))
        return *failure;
    return m_directorySize ? Result<std::uint64_t>(*m_directorySize) : m_inner.directorySize(dir);
}

Status FaultyFileSystem::flushTree(const fs::path& folder) {
    if (auto failure = injected(FsOp::Flush, folder))
        return *failure;
    return m_inner.flushTree(folder);
}

} // namespace lw::test
