// A file system for tests that passes every call on to another one (normally the real file
// system working in a TempDir) and can be told to misbehave the way media do: a card that
// fills up in whole clusters, a file that cannot be read or written, a read or write that
// fails after so many bytes, a file that disappears between the listing and its use, a
// folder that cannot be made, listed or removed. It also records every call that changes
// something, so that a test can check that nothing outside a folder was touched.
//
//   lw::test::TempDir dir;
//   lw::test::FaultyFileSystem fs;                       // over realFileSystem()
//   fs.setCapacity(200'000, 2048);                       // a card with 200000 free bytes, 2 KiB clusters
//   fs.failOn(FsOp::OpenWrite, "TFLD002/");              // no file can be made in this folder
//   fs.failWriteAfter("KN7000MN.INF", 1000);             // the information file: disk full at 1000 bytes
//   fs.vanishOnFirstUse("00105.LSW");                    // listed, but gone when opened
//   ... run the code under test with fs ...
//   EXPECT_TRUE(fs.touchedOnlyBelow(dir / "card"));
//
// Paths are matched by a piece of their text: a rule's pattern matches a path whose text,
// with "/" as separator, contains the pattern ("TFLD002/", "00101.SQT", "/card/PRIVATE").
// The empty pattern matches every path. Rules apply every time unless given a count.
#pragma once

#include "support/ForwardingFileSystem.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lw::test {

// The calls that rules can make fail, and that the record names.
enum class FsOp {
    OpenRead,  // opening a file for reading
    Read,      // a read of an open file (the open itself succeeds)
    OpenWrite, // creating a file: openWrite, createNew, createStaged
    Close,     // closing or committing a written file: the late write error of a medium
    CreateDirectory,
    RemoveTree,
    RemoveFile,
    List,      // listing a folder
    FreeSpace, // the medium does not answer
    DirectorySize,
    Flush,
};

class FaultyFileSystem : public ForwardingFileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner = realFileSystem());

    // --- Room ---------------------------------------------------------------------------
    // freeSpace() answers this value for every path (until changed); writes are not limited.
    void setFreeSpace(std::uint64_t bytes);
    // A medium with this many free bytes from now on, allocated in units of `unit` bytes:
    // freeSpace() answers them less the whole units of the files written through this object
    // since (files removed through it give their units back). A write that does not fit
    // writes what fits and then fails with NoSpace, leaving the partial file, as a full card
    // does; so does a new folder when no unit is left.
    void setCapacity(std::uint64_t bytes, std::uint64_t unit = 1);
    // directorySize() answers this value.
    void setDirectorySize(std::uint64_t bytes);

    // --- Faults -------------------------------------------------------------------------
    // Calls of this kind on a matching path fail with the code and reason, `times` times
    // (or always, when times is negative). The inner file system is not called.
    void failOn(FsOp op, std::string pattern, ErrorCode code = ErrorCode::IoError,
                std::string reason = "simulated failure", int times = -1);
    // Each file created for writing on a matching path takes `bytes` bytes; the write that
    // would pass them writes the part that fits and fails. The default code is the full medium.
    void failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::NoSpace,
                        std::string reason = "No space left on device");
    // Reads of a matching file deliver `bytes` bytes, then fail.
    void failReadAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::IoError,
                       std::string reason = "Input/output error");
    // The first openRead of a matching file deletes it from the inner file system just
    // before passing the call on: the listing had it a moment ago. Once per rule.
    void vanishOnFirstUse(std::string pattern);
    // Every folder lists exactly these entries, in this order.
    void setListing(std::vector<DirectoryEntry> entries);

    // --- Record -------------------------------------------------------------------------
    struct Mutation {
        FsOp op;                    // OpenWrite, Close, CreateDirectory, RemoveTree or RemoveFile
        std::filesystem::path path; // the file or folder changed
        bool ok = false;            // whether the call succeeded
    };
    // Every call that changes or tries to change something, in order, failed ones included.
    const std::vector<Mutation>& mutations() const { return m_mutations; }
    std::vector<std::filesystem::path> touched(FsOp op) const;
    // True when every mutation's path is the folder itself or lies inside it (compared
    // lexically: "a/b/../c" is "a/c").
    bool touchedOnlyBelow(const std::filesystem::path& folder) const;

    // --- FileSystem ---------------------------------------------------------------------
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
    struct FailRule {
        FsOp op;
        std::string pattern;
        ErrorCode code;
        std::string reason;
        int timesLeft; // negative: always
    };
    struct ByteLimit {
        std::string pattern;
        std::uint64_t bytes;
        ErrorCode code;
        std::string reason;
    };
    class LimitedOutput;
    class FaultyInput;

    std::optional<Status> injectedFailure(FsOp op, const std::filesystem::path& path);
    Status record(FsOp op, const std::filesystem::path& path, Status status);
    std::uint64_t unitsHeld() const;
    std::uint64_t roundUp(std::uint64_t bytes) const;
    template <class File>
    Result<std::unique_ptr<File>> limited(const std::filesystem::path& path,
                                          Result<std::unique_ptr<File>> file,
                                          const std::filesystem::path& heldAs);
    void forgetBelow(const std::filesystem::path& folder);

    std::optional<std::uint64_t> m_fixedFree;
    std::optional<std::uint64_t> m_capacity;
    std::uint64_t m_unit = 1;
    std::optional<std::uint64_t> m_directorySize;
    std::map<std::string, std::uint64_t> m_heldBytes; // by path key: bytes written through this object
    std::vector<FailRule> m_failRules;
    std::vector<ByteLimit> m_writeLimits;
    std::vector<ByteLimit> m_readLimits;
    std::vector<std::pair<std::string, bool>> m_vanish; // pattern, used
    std::optional<std::vector<DirectoryEntry>> m_listing;
    std::vector<Mutation> m_mutations;
};

} // namespace lw::test
