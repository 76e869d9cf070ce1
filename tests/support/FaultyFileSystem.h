// A file system for tests that passes every call on to another one (normally the real one,
// working in a TempDir) and misbehaves the way media do when told: a card that fills up in
// whole clusters, a call that fails, a read or write that fails after so many bytes, a
// folder listed in a chosen order. It records every path it changes or tries to change.
// Rules match a path by a piece of its text, "/" as separator ("TFLD002/"; "" matches all).
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lw::test {

// The calls that rules can make fail.
enum class FsOp {
    OpenRead,
    OpenWrite, // openWrite, createNew, createStaged
    Close,     // committing a staged file: the late write error of a medium
    CreateDirectory,
    List,
    FreeSpace, // the medium does not answer
    DirectorySize,
    Flush,
};

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner = realFileSystem()) : m_inner(inner) {}

    // freeSpace() answers this, whatever is written.
    void setFreeSpace(std::uint64_t bytes) {
        m_fixedFree = bytes;
        m_capacity.reset();
    }
    // A medium with this many free bytes from now on, in units of `unit` bytes: files and new
    // folders written through this object take whole units; a write that does not fit writes
    // what fits and fails with NoSpace, as a full card does.
    void setCapacity(std::uint64_t bytes, std::uint64_t unit = 1) {
        m_fixedFree.reset();
        m_held.clear();
        m_capacity = bytes;
        m_unit = std::max<std::uint64_t>(unit, 1);
    }
    void setDirectorySize(std::uint64_t bytes) { m_directorySize = bytes; }
    // Calls of this kind on a matching path fail with the code and reason, `times` times
    // (or always, when negative), without reaching the inner file system.
    void failOn(FsOp op, std::string pattern, ErrorCode code = ErrorCode::IoError,
                std::string reason = "simulated failure", int times = -1) {
        m_rules.push_back({op, std::move(pattern), code, std::move(reason), times});
    }
    // Each file written on a matching path takes `bytes` bytes, then writes fail.
    void failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::NoSpace,
                        std::string reason = "No space left on device") {
        m_limits.push_back({FsOp::OpenWrite, std::move(pattern), code, std::move(reason), -1, bytes});
    }
    // Reads of a matching file deliver `bytes` bytes, then fail.
    void failReadAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::IoError,
                       std::string reason = "Input/output error") {
        m_limits.push_back({FsOp::OpenRead, std::move(pattern), code, std::move(reason), -1, bytes});
    }
    // Every folder lists exactly these entries, in this order.
    void setListing(std::vector<DirectoryEntry> entries) { m_listing = std::move(entries); }

    // Every path written, made or removed (or tried to), in order.
    const std::vector<std::filesystem::path>& touched() const { return m_touched; }
    // Whether every touched path is the folder or lies inside it (lexically).
    bool touchedOnlyBelow(const std::filesystem::path& folder) const;

    bool isFile(const std::filesystem::path& p) override { return m_inner.isFile(p); }
    bool isDirectory(const std::filesystem::path& p) override { return m_inner.isDirectory(p); }
    bool exists(const std::filesystem::path& p) override { return m_inner.exists(p); }
    Result<std::uint64_t> fileSize(const std::filesystem::path& p) override { return m_inner.fileSize(p); }
    std::optional<FileId> identity(const std::filesystem::path& p, bool follow) override {
        return m_inner.identity(p, follow);
    }
    Result<std::unique_ptr<OutputLock>> lockOutput(const std::filesystem::path& p,
                                                   const std::string& n) override {
        return m_inner.lockOutput(p, n);
    }
    Result<std::uint64_t> allocationUnit(const std::filesystem::path& p) override {
        return m_capacity ? Result<std::uint64_t>(m_unit) : m_inner.allocationUnit(p);
    }
    Result<std::uint64_t> directorySize(const std::filesystem::path& dir) override {
        if (auto failed = injected(FsOp::DirectorySize, dir))
            return *failed;
        return m_directorySize ? Result<std::uint64_t>(*m_directorySize) : m_inner.directorySize(dir);
    }
    Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) override;
    Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path) override;
    Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path) override;
    Result<std::unique_ptr<OutputFile>> createNew(const std::filesystem::path& path) override;
    Result<std::unique_ptr<StagedFile>> createStaged(const std::filesystem::path& path) override;
    Status createDirectory(const std::filesystem::path& path) override;
    Status removeTree(const std::filesystem::path& path, bool forceReadOnly) override;
    Status removeFile(const std::filesystem::path& path) override;
    Result<std::uint64_t> freeSpace(const std::filesystem::path& path) override;
    Status flushTree(const std::filesystem::path& folder) override;

private:
    struct Rule {
        FsOp op;
        std::string pattern;
        ErrorCode code;
        std::string reason;
        int timesLeft;
        std::uint64_t bytes = 0; // of a read or write limit
    };
    class Input;
    class Output;

    // The first live rule of this kind for the path, used up once.
    std::optional<Rule> rule(std::vector<Rule>& rules, FsOp op, const std::filesystem::path& path);
    std::optional<Status> injected(FsOp op, const std::filesystem::path& path);
    Status touch(const std::filesystem::path& path, Status status);
    std::uint64_t unitsHeld() const;
    template <class File, class Open>
    Result<std::unique_ptr<File>> written(const std::filesystem::path& path, Open open);

    FileSystem& m_inner;
    std::optional<std::uint64_t> m_fixedFree, m_capacity, m_directorySize;
    std::uint64_t m_unit = 1;
    std::map<std::string, std::uint64_t> m_held; // bytes written through this object, by path
    std::vector<Rule> m_rules, m_limits;
    std::optional<std::vector<DirectoryEntry>> m_listing;
    std::vector<std::filesystem::path> m_touched;
};

} // namespace lw::test
