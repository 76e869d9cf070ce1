#include "support/FaultyFileSystem.h"

#include "platform/Path.h"

#include <algorithm>
#include <array>

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

// An input file whose reads can be made to fail.
class FaultyFileSystem::FaultyInput : public InputFile {
public:
    FaultyInput(FaultyFileSystem& owner, std::unique_ptr<InputFile> inner, fs::path path)
        : m_owner(owner), m_inner(std::move(inner)), m_path(std::move(path)) {}
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        if (std::optional<Status> failure = m_owner.injectedFailure(FsOp::Read, m_path))
            return *failure;
        return m_inner->read(buffer);
    }

private:
    FaultyFileSystem& m_owner;
    std::unique_ptr<InputFile> m_inner;
    fs::path m_path;
};

// An output file that counts its bytes against the simulated medium and its own limit.
class FaultyFileSystem::LimitedOutput : public OutputFile {
public:
    LimitedOutput(FaultyFileSystem& owner, std::unique_ptr<OutputFile> inner, fs::path path,
                  std::optional<WriteLimit> limit)
        : m_owner(owner), m_inner(std::move(inner)), m_path(std::move(path)), m_key(matchText(m_path)),
          m_limit(std::move(limit)) {}

    Status write(std::span<const std::uint8_t> data) override {
        std::uint64_t fits = data.size();
        Status refusal;
        if (m_limit && m_written + fits > m_limit->bytes) {
            fits = m_limit->bytes - std::min(m_written, m_limit->bytes);
            refusal = Status::error(m_limit->code, pathToUtf8(m_path), m_limit->reason);
        }
        if (m_owner.m_capacity) {
            const std::uint64_t held = m_owner.bytesWritten();
            const std::uint64_t free = *m_owner.m_capacity - std::min(held, *m_owner.m_capacity);
            if (fits > free) {
                fits = free;
                refusal = Status::error(ErrorCode::NoSpace, pathToUtf8(m_path), "No space left on device");
            }
        }
        if (fits > 0) {
            if (Status s = m_inner->write(data.first(static_cast<std::size_t>(fits))); !s)
                return s;
            m_written += fits;
            m_owner.m_heldBytes[m_key] += fits;
        }
        return refusal;
    }

    Status close() override {
        Status closed = m_inner->close();
        if (std::optional<Status> failure = m_owner.injectedFailure(FsOp::Close, m_path))
            return *failure;
        return closed;
    }

private:
    FaultyFileSystem& m_owner;
    std::unique_ptr<OutputFile> m_inner;
    fs::path m_path;
    std::string m_key;
    std::optional<WriteLimit> m_limit;
    std::uint64_t m_written = 0;
};

FaultyFileSystem::FaultyFileSystem(FileSystem& inner) : m_inner(inner) {}

void FaultyFileSystem::setFreeSpace(std::uint64_t bytes) {
    m_fixedFree = bytes;
    m_capacity.reset();
}

void FaultyFileSystem::setCapacity(std::uint64_t bytes) {
    m_fixedFree.reset();
    // Counted from now on: what was written before is part of the medium's past.
    m_heldBytes.clear();
    m_capacity = bytes;
}

std::uint64_t FaultyFileSystem::bytesWritten() const {
    std::uint64_t total = 0;
    for (const auto& [key, bytes] : m_heldBytes)
        total += bytes;
    return total;
}

void FaultyFileSystem::failOn(FsOp op, std::string pattern, ErrorCode code, std::string reason, int times) {
    m_failRules.push_back({op, std::move(pattern), code, std::move(reason), times});
}

void FaultyFileSystem::failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code,
                                      std::string reason) {
    m_writeLimits.push_back({std::move(pattern), bytes, code, std::move(reason)});
}

void FaultyFileSystem::vanishOnFirstUse(std::string pattern) {
    m_vanishRules.push_back({std::move(pattern)});
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

int FaultyFileSystem::callCount(FsOp op) const {
    const auto it = m_callCounts.find(op);
    return it == m_callCounts.end() ? 0 : it->second;
}

std::optional<Status> FaultyFileSystem::injectedFailure(FsOp op, const fs::path& path,
                                                        const fs::path& other) {
    ++m_callCounts[op];
    for (FailRule& rule : m_failRules) {
        if (rule.op != op || rule.timesLeft == 0)
            continue;
        const bool hit = matches(rule.pattern, path) || (!other.empty() && matches(rule.pattern, other));
        if (!hit)
            continue;
        if (rule.timesLeft > 0)
            --rule.timesLeft;
        return Status::error(rule.code, pathToUtf8(path), rule.reason);
    }
    return std::nullopt;
}

void FaultyFileSystem::vanishIfDue(const fs::path& path) {
    for (VanishRule& rule : m_vanishRules) {
        if (!rule.used && matches(rule.pattern, path)) {
            rule.used = true;
            m_inner.removeFile(path);
        }
    }
}

std::optional<FaultyFileSystem::WriteLimit> FaultyFileSystem::writeLimitFor(const fs::path& path) const {
    std::optional<WriteLimit> tightest;
    for (const WriteLimit& limit : m_writeLimits)
        if (matches(limit.pattern, path) && (!tightest || limit.bytes < tightest->bytes))
            tightest = limit;
    return tightest;
}

bool FaultyFileSystem::limitsWrites(const fs::path& path) const {
    return m_capacity.has_value() || writeLimitFor(path).has_value();
}

Status FaultyFileSystem::record(FsOp op, const fs::path& path, Status status, const fs::path& from) {
    m_mutations.push_back({op, path, from, status.isOk()});
    return status;
}

void FaultyFileSystem::forgetBelow(const fs::path& folder) {
    const std::string base = matchText(folder);
    std::erase_if(m_heldBytes, [&](const auto& entry) { return isSameOrBelow(entry.first, base); });
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::openLimitedOutput(const fs::path& path) {
    auto file = m_inner.openWrite(path);
    if (!file)
        return file.status();
    m_heldBytes[matchText(path)] = 0; // an existing file is emptied
    return std::unique_ptr<OutputFile>(new LimitedOutput(*this, std::move(*file), path, writeLimitFor(path)));
}

Status FaultyFileSystem::streamCopy(const fs::path& from, const fs::path& to) {
    auto in = m_inner.openRead(from);
    if (!in)
        return in.status();
    auto out = openLimitedOutput(to);
    if (!out)
        return out.status();
    std::array<std::uint8_t, 1 << 16> buffer{};
    for (;;) {
        auto n = (*in)->read(buffer);
        if (!n)
            return n.status();
        if (*n == 0)
            break;
        if (Status s = (*out)->write(std::span<const std::uint8_t>(buffer).first(*n)); !s)
            return s;
    }
    return (*out)->close();
}

bool FaultyFileSystem::isFile(const fs::path& path) {
    return m_inner.isFile(path);
}

bool FaultyFileSystem::isDirectory(const fs::path& path) {
    return m_inner.isDirectory(path);
}

Result<std::uint64_t> FaultyFileSystem::fileSize(const fs::path& path) {
    return m_inner.fileSize(path);
}

Result<std::vector<DirectoryEntry>> FaultyFileSystem::listDirectory(const fs::path& dir) {
    return m_inner.listDirectory(dir);
}

Result<std::unique_ptr<InputFile>> FaultyFileSystem::openRead(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::OpenRead, path))
        return *failure;
    vanishIfDue(path);
    auto file = m_inner.openRead(path);
    if (!file)
        return file.status();
    return std::unique_ptr<InputFile>(new FaultyInput(*this, std::move(*file), path));
}

Result<std::unique_ptr<OutputFile>> FaultyFileSystem::openWrite(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::OpenWrite, path))
        return record(FsOp::OpenWrite, path, *failure);
    auto file = openLimitedOutput(path);
    record(FsOp::OpenWrite, path, file.status());
    return file;
}

Status FaultyFileSystem::createDirectory(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::CreateDirectory, path))
        return record(FsOp::CreateDirectory, path, *failure);
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

Status FaultyFileSystem::copyFile(const fs::path& from, const fs::path& to) {
    if (std::optional<Status> failure = injectedFailure(FsOp::CopyFile, from, to))
        return record(FsOp::CopyFile, to, *failure, from);
    vanishIfDue(from);
    if (limitsWrites(to))
        return record(FsOp::CopyFile, to, streamCopy(from, to), from);
    Status status = m_inner.copyFile(from, to);
    if (status) {
        auto size = m_inner.fileSize(to);
        m_heldBytes[matchText(to)] = size ? *size : 0;
    }
    return record(FsOp::CopyFile, to, std::move(status), from);
}

Result<std::uint64_t> FaultyFileSystem::freeSpace(const fs::path& path) {
    if (std::optional<Status> failure = injectedFailure(FsOp::FreeSpace, path))
        return *failure;
    if (m_fixedFree)
        return *m_fixedFree;
    if (m_capacity)
        return *m_capacity - std::min(bytesWritten(), *m_capacity);
    return m_inner.freeSpace(path);
}

Result<std::uint64_t> FaultyFileSystem::directorySize(const fs::path& dir) {
    return m_inner.directorySize(dir);
}

} // namespace lw::test
