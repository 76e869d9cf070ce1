#include "support/FaultyFileSystem.h"

#include "platform/Path.h"

#include <algorithm>

namespace lw::test {

namespace fs = std::filesystem;

namespace {

// A path's text as rules see it: normalised, "/" as separator, no trailing separator.
std::string matchText(const fs::path& path) {
    const std::u8string generic = path.lexically_normal().generic_u8string();
    std::string text(generic.begin(), generic.end());
    std::replace(text.begin(), text.end(), '\\', '/');
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool matches(const std::string& pattern, const fs::path& path) {
    if (pattern.empty())
        return true;
    std::string wanted = pattern;
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    return matchText(path).find(wanted) != std::string::npos;
}

bool isSameOrBelow(const std::string& text, const std::string& folder) {
    if (text == folder)
        return true;
    const std::string prefix = folder == "/" ? folder : folder + "/";
    return text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

// An input file whose reads can be made to fail, at once or after some bytes.
class FaultyFileSystem::FaultyInput : public InputFile {
public:
    FaultyInput(FaultyFileSystem& owner, std::unique_ptr<InputFile> inner, fs::path path,
                std::optional<ByteLimit> limit)
        : m_owner(owner), m_inner(std::move(inner)), m_path(std::move(path)), m_limit(std::move(limit)) {}
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        if (std::optional<Status> failure = m_owner.injectedFailure(FsOp::Read, m_path))
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
    std::optional<ByteLimit> m_limit;
    std::uint64_t m_read = 0;
};

// An output file that counts its bytes against the simulated medium and its own limit.
class FaultyFileSystem::LimitedOutput : public StagedFile {
public:
    LimitedOutput(FaultyFileSystem& owner, std::unique_ptr<OutputFile> inner, StagedFile* staged,
                  fs::path path, fs::path heldAs, std::optional<ByteLimit> limit)
        : m_owner(owner), m_inner(std::move(inner)), m_staged(staged), m_path(std::move(path)),
          m_key(matchText(heldAs)), m_limit(std::move(limit)) {
        m_owner.m_heldBytes[m_key] = 0;
    }
    ~LimitedOutput() override {
        if (m_staged && !m_committed)
            m_owner.m_heldBytes.erase(m_key);
    }

    Status write(std::span<const std::uint8_t> data) override {
        std::uint64_t fits = data.size();
        Status refusal;
        if (m_limit && m_written + fits > m_limit->bytes) {
            fits = m_limit->bytes - std::min(m_written, m_limit->bytes);
            refusal = Status::error(m_limit->code, pathToUtf8(m_path), m_limit->reason);
        }
        if (m_owner.m_capacity) {
            const std::uint64_t held = m_owner.unitsHeld();
            const std::uint64_t free = *m_owner.m_capacity - std::min(held, *m_owner.m_capacity);
            const std::uint64_t unit = m_owner.m_unit;
            const std::uint64_t room = m_owner.roundUp(m_written) - m_written + free / unit * unit;
            if (fits > room) {
                fits = room;
                refusal = Status::error(ErrorCode::NoSpace, pathToUtf8(m_path), "No space left on device");
            }
        }
        if (fits > 0) {
            if (Status s = m_inner->write(data.first(static_cast<std::size_t>(fits))); !s)
                return s;
            m_written += fits;
            m_owner.m_heldBytes[m_key] = m_written;
        }
        return refusal;
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        return m_inner->writeAt(offset, data);
    }
    Status close() override {
        Status closed = m_inner->close();
        if (std::optional<Status> failure = m_owner.injectedFailure(FsOp::Close, m_path))
            return m_owner.record(FsOp::Close, m_path, *failure);
        return closed;
    }
    Status commit() override {
        if (std::optional<Status> failure = m_owner.injectedFailure(FsOp::Close, m_path))
            return m_owner.record(FsOp::Close, m_path, *failure);
        Status s = m_staged->commit();
        if (s) {
            m_committed = true;
            m_owner.m_heldBytes[matchText(m_path)] = m_written;
            if (matchText(m_path) != m_key)
                m_owner.m_heldBytes.erase(m_key);
        }
        return m_owner.record(FsOp::Close, m_path, std::move(s));
    }

private:
    FaultyFileSystem& m_owner;
    std::unique_ptr<OutputFile> m_inner;
    StagedFile* m_staged;
    fs::path m_path;
    std::string m_key;
    std::optional<ByteLimit> m_limit;
    std::uint64_t m_written = 0;
    bool m_committed = false;
};

FaultyFileSystem::FaultyFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

void FaultyFileSystem::setFreeSpace(std::uint64_t bytes) {
    m_fixedFree = bytes;
    m_capacity.reset();
}

void FaultyFileSystem::setCapacity(std::uint64_t bytes, std::uint64_t unit) {
    m_fixedFree.reset();
    m_heldBytes.clear(); // counted from now on: what was written before is the medium's past
    m_capacity = bytes;
    m_unit = std::max<std::uint64_t>(unit, 1);
}

void FaultyFileSystem::setDirectorySize(std::uint64_t bytes) {
    m_directorySize = bytes;
}

std::uint64_t FaultyFileSystem::roundUp(std::uint64_t bytes) const {
    return (bytes + m_unit - 1) / m_unit * m_unit;
}

std::uint64_t FaultyFileSystem::unitsHeld() const {
    std::uint64_t total = 0;
    for (const auto& [key, bytes] : m_heldBytes)
        total += roundUp(bytes);
    return total;
}

void FaultyFileSystem::failOn(FsOp op, std::string pattern, ErrorCode code, std::string reason, int times) {
    m_failRules.push_back({op, std::move(pattern), code, std::move(reason), times});
}

void FaultyFileSystem::failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code,
                                      std::string reason) {
    m_writeLimits.push_back({std::move(pattern), bytes, code, std::move(reason)});
}

void FaultyFileSystem::failReadAfter(std::string pattern, std::uint64_t bytes, ErrorCode code,
                                     std::string reason) {
    m_readLimits.push_back({std::move(pattern), bytes, code, std::move(reason)});
}

void FaultyFileSystem::vanishOnFirstUse(std::string pattern) {
    m_vanish.emplace_back(std::move(pattern), false);
}

void FaultyFileSystem::setListing(std::vector<DirectoryEntry> entries) {
    m_listing = std::move(entries);
}

std::vector<fs::path> FaultyFileSystem::touched(FsOp op) const {
    std::vector<fs::path> out;
    for (const Mutation& m : m_mutations)
        if (m.op == op)
            out.push_back(m.path);
    return out;
}

bool FaultyFileSystem::touchedOnlyBelow(const fs::path& folder) const {
    const std::string base = matchText(folder);
    return std::all_of(m_mutations.begin(), m_mutations.end(),
                       [&](const Mutation& m) { return isSameOrBelow(matchText(m.path), base); });
}

std::optional<Status> FaultyFileSystem::injectedFailure(FsOp op, const fs::path& path) {
    for (FailRule& rule : m_failRules) {
        if (rule.op != op || rule.timesLeft == 0 || !matches(rule.pattern, path))
            continue;
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

void FaultyFileSystem::forgetBelow(const fs::path& folder) {
    const std::string base = matchText(folder);
    std::erase_if(m_heldBytes, [&](const auto& entry) { return isSameOrBelow(entry.first, base); });
}

template <class File>
Result<std::unique_ptr<File>>
FaultyFileSystem::limited(const fs::path& path, Result<std::unique_ptr<File>> file, const fs::path& heldAs) {
    record(FsOp::OpenWrite, path, file.status());
    if (!file)
        return file.status();
    std::optional<ByteLimit> limit;
    for (const ByteLimit& l : m_writeLimits)
        if (matches(l.pattern, path) && (!limit || l.bytes < limit->bytes))
            limit = l;
    StagedFile* staged = nullptr;
    if constexpr (std::is_same_v<File, StagedFile>)
        staged = file->get();
    std::unique_ptr<OutputFile> inner(std::move(*file));
    return std::unique_ptr<File>(new LimitedOutput(*this, std::move(inner), staged, path, heldAs, limit));
}

Result<std::vector<DirectoryEntry>> FaultyFileSystem::listDirectory(const fs::path& dir) {
    if (std::optional<Status> failure = injectedFailure(FsOp::List, dir))
        return *failure;
    if (m_listing)
        return *m_listing;
    return m_inner.listDirectory(dir);
}

Result<std::unique_ptr<InputFile>> FaultyFileSystem::openRead(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::OpenRead, path))
        return *failure;
    for (auto& [pattern, used] : m_vanish)
        if (!used && matches(pattern, path)) {
            used = true;
            (void)m_inner.removeFile(path);
        }
    auto file = m_inner.openRead(path);
    if (!file)
        return file.status();
    std::optional<ByteLimit> limit;
    for (const ByteLimit& l : m_readLimits)
        if (matches(l.pattern, path))
            limit = l;
    return std::unique_ptr<InputFile>(new FaultyInput(*this, std::move(*file), path, limit));
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::openWrite(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    return limited(path, m_inner.openWrite(path), path);
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::createNew(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    return limited(path, m_inner.createNew(path), path);
}

Result<std::unique_ptr<StagedFile>> FaultyFileSystem::createStaged(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    return limited(path, m_inner.createStaged(path), path.string() + ".staged");
}

Status FaultyFileSystem::createDirectory(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::CreateDirectory, path))
        return record(FsOp::CreateDirectory, path, *failure);
    if (m_capacity && !m_inner.isDirectory(path)) {
        if (*m_capacity < unitsHeld() + m_unit)
            return record(FsOp::CreateDirectory, path,
                          Status::error(ErrorCode::NoSpace, pathToUtf8(path), "No space left on device"));
        m_heldBytes[matchText(path) + "/."] = m_unit;
    }
    return record(FsOp::CreateDirectory, path, m_inner.createDirectory(path));
}

Status FaultyFileSystem::removeTree(const fs::path& path, bool forceReadOnly) {
    if (std::optional<Status> failure = injectedFailure(FsOp::RemoveTree, path))
        return record(FsOp::RemoveTree, path, *failure);
    Status status = m_inner.removeTree(path, forceReadOnly);
    if (status)
        forgetBelow(path);
    return record(FsOp::RemoveTree, path, std::move(status));
}

Status FaultyFileSystem::removeFile(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::RemoveFile, path))
        return record(FsOp::RemoveFile, path, *failure);
    Status status = m_inner.removeFile(path);
    if (status)
        m_heldBytes.erase(matchText(path));
    return record(FsOp::RemoveFile, path, std::move(status));
}

Result<std::uint64_t> FaultyFileSystem::freeSpace(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::FreeSpace, path))
        return *failure;
    if (m_fixedFree)
        return *m_fixedFree;
    if (m_capacity)
        return *m_capacity - std::min(unitsHeld(), *m_capacity);
    return m_inner.freeSpace(path);
}

Result<std::uint64_t> FaultyFileSystem::allocationUnit(const fs::path& path) {
    if (m_capacity)
        return m_unit;
    return m_inner.allocationUnit(path);
}

Result<std::uint64_t> FaultyFileSystem::directorySize(const fs::path& dir) {
    if (std::optional<Status> failure = injectedFailure(FsOp::DirectorySize, dir))
        return *failure;
    if (m_directorySize)
        return *m_directorySize;
    return m_inner.directorySize(dir);
}

Status FaultyFileSystem::flushTree(const fs::path& folder) {
    if (std::optional<Status> failure = injectedFailure(FsOp::Flush, folder))
        return *failure;
    return m_inner.flushTree(folder);
}

} // namespace lw::test
