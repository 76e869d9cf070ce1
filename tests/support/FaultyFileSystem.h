// A file system for tests that passes every call on to another one (normally the real one,
// working in a TempDir) and misbehaves the way media do when told: a card that fills up in
// whole clusters, a call that fails, a read or write that fails after so many bytes, a
// folder listed in a chosen order. It records every call that changes something, so that a
// test can check that nothing outside a folder was touched.
//
// Rules match a path by a piece of its text, with "/" as separator ("TFLD002/", "00101.SQT");
// the empty pattern matches every path.
#pragma once

#include "support/ForwardingFileSystem.h"

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
    Read,      // a read of an open file
    OpenWrite, // openWrite, createNew, createStaged
    Close,     // closing or committing a written file: the late write error of a medium
    CreateDirectory,
    RemoveTree,
    RemoveFile,
    List,
    FreeSpace, // the medium does not answer
    DirectorySize,
    Flush,
};

class FaultyFileSystem : public ForwardingFileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner = realFileSystem()) : ForwardingFileSystem(inner) {}

    // freeSpace() answers this, whatever is written.
    void setFreeSpace(std::uint64_t bytes);
    // A medium with this many free bytes from now on, allocated in units of `unit` bytes:
    // files and new folders written through this object take whole units of it. A write that
    // does not fit writes what fits and fails with NoSpace, as a full card does.
    void setCapacity(std::uint64_t bytes, std::uint64_t unit = 1);
    void setDirectorySize(std::uint64_t bytes) { m_directorySize = bytes; }

    // Calls of this kind on a matching path fail with the code and reason, `times` times
    // (or always, when negative), without reaching the inner file system.
    void failOn(FsOp op, std::string pattern, ErrorCode code = ErrorCode::IoError,
                std::string reason = "simulated failure", int times = -1);
    // Each file created on a matching path takes `bytes` bytes; the write that would pass
    // them writes what fits and fails.
    void failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::NoSpace,
                        std::string reason = "No space left on device");
    // Reads of a matching file deliver `bytes` bytes, then fail.
    void failReadAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::IoError,
                       std::string reason = "Input/output error");
    // Every folder lists exactly these entries, in this order.
    void setListing(std::vector<DirectoryEntry> entries) { m_listing = std::move(entries); }

    struct Mutation {
        FsOp op;
        std::filesystem::path path;
        bool ok = false;
    };
    // Every call that changes or tries to change something, in order.
    const std::vector<Mutation>& mutations() const { return m_mutations; }
    // Whether every mutation's path is the folder or lies inside it (lexically).
    bool touchedOnlyBelow(const std::filesystem::path& folder) const;

    Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) override;
    Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path) override;
    Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path) override;
    Result<std::unique_ptr<OutputFile>> createNew(const std::filesystem::path& path) override;
    Result<std::unique_ptr<StagedFile>> createStaged(const std::filesystem::path& path) override;
    Status createDirectory(const std::filesystem::path& path) override;
    Status removeTree(const std::filesystem::path& path, bool forceReadOnly) override;
    Status removeFile(const std::filesystem::path& path) override;
    Result<std::uint64_t> freeSpace(const std::filesystem::path& path) override;
    Result<std::uint64_t> allocationUnit(const std::filesystem::path& path) override;
    Result<std::uint64_t> directorySize(const std::filesystem::path& dir) override;
    Status flushTree(const std::filesystem::path& folder) override;

private:
    struct Rule {
        FsOp op;
        std::string pattern;
        ErrorCode code;
        std::string reason;
        int timesLeft;
        std::uint64_t bytes = 0; // for write and read limits
    };
    class LimitedOutput;
    class FaultyInput;

    std::optional<Status> injected(FsOp op, const std::filesystem::path& path);
    Status record(FsOp op, const std::filesystem::path& path, Status status);
    std::uint64_t unitsHeld() const;
    std::uint64_t roundUp(std::uint64_t bytes) const { return (bytes + m_unit - 1) / m_unit * m_unit; }
    template <class File>
    Result<std::unique_ptr<File>> limited(const std::filesystem::path& path,
                                          Result<std::unique_ptr<File>> file, const std::string& heldAs);

    std::optional<std::uint64_t> m_fixedFree;
    std::optional<std::uint64_t> m_capacity;
    std::uint64_t m_unit = 1;
    std::optional<std::uint64_t> m_directorySize;
    std::map<std::string, std::uint64_t> m_held; // bytes written through this object, by path
    std::vector<Rule> m_rules, m_writeLimits, m_readLimits;
    std::optional<std::vector<DirectoryEntry>> m_listing;
    std::vector<Mutation> m_mutations;
};

} // namespace lw::test
