// A file system for tests that passes every call on to another one (normally the real file
// system working in a TempDir) and can be told to misbehave the way media do: a card that
// fills up, a file that cannot be read or copied, a write that fails after so many bytes,
// a file that disappears between the test for it and its use, a folder that cannot be
// made or removed. It also records every call that changes something, so that a test can
// check that nothing outside a folder was touched.
//
//   lw::test::TempDir dir;
//   lw::test::FaultyFileSystem fs;                       // over realFileSystem()
//   fs.setCapacity(200'000);                             // a card with 200000 free bytes
//   fs.failOn(FsOp::CopyFile, "00102.SQT");              // this song file cannot be copied
//   fs.failWriteAfter("KN7000MN.INF", 1000);             // the information file: disk full at 1000 bytes
//   fs.vanishOnFirstUse("00105.LSW");                    // exists when tested, gone when copied
//   ... run the code under test with fs ...
//   EXPECT_TRUE(fs.touchedOnlyBelow(dir / "card"));
//
// Paths are matched by a piece of their text: a rule's pattern matches a path whose text,
// with "/" as separator, contains the pattern ("TFLD002/", "00101.SQT", "/card/PRIVATE").
// The empty pattern matches every path. A copy matches a rule when its source or its target
// matches. Rules apply every time unless given a count of times.
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lw::test {

// The calls of a FileSystem that rules can make fail, and that the record names.
enum class FsOp {
    OpenRead,  // opening a file for reading
    Read,      // a read of an open file (the open itself succeeds)
    OpenWrite, // creating or emptying a file
    Close,     // closing a written file: the late write error of a medium
    CopyFile,  // source or target matches
    CreateDirectory,
    RemoveTree,
    RemoveFile,
    FreeSpace, // the medium does not answer
};

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner = realFileSystem());

    // --- Free space -------------------------------------------------------------------
    // freeSpace() answers this value for every path (until changed); writes are not limited.
    void setFreeSpace(std::uint64_t bytes);
    // A medium with this many free bytes from now on: freeSpace() answers them less the bytes
    // of the files written or copied through this object since (files removed through it
    // give their bytes back). A write or copy that does not fit writes what fits and then
    // fails with NoSpace, leaving the partial file, as a full card does.
    void setCapacity(std::uint64_t bytes);
    // Bytes of the files that this object wrote and that still exist (as far as it knows).
    std::uint64_t bytesWritten() const;

    // --- Faults -----------------------------------------------------------------------
    // Calls of this kind on a matching path fail with the code and reason, `times` times
    // (or always, when times is negative). The inner file system is not called.
    void failOn(FsOp op, std::string pattern, ErrorCode code = ErrorCode::IoError,
                std::string reason = "simulated failure", int times = -1);
    // Each file opened for writing on a matching path (openWrite, or the target of a copy)
    // takes `bytes` bytes; the write that would pass them writes the part that fits and
    // fails. The default code is the full medium.
    void failWriteAfter(std::string pattern, std::uint64_t bytes, ErrorCode code = ErrorCode::NoSpace,
                        std::string reason = "No space left on device");
    // The first openRead of a matching file, or copy from it, deletes the file from the inner
    // file system just before passing the call on: isFile() said yes a moment ago, and the
    // call then fails as the system makes it fail. Once per rule.
    void vanishOnFirstUse(std::string pattern);

    // --- Record -----------------------------------------------------------------------
    struct Mutation {
        FsOp op;                    // OpenWrite, CopyFile, CreateDirectory, RemoveTree or RemoveFile
        std::filesystem::path path; // the file or folder changed (a copy's target)
        std::filesystem::path from; // a copy's source; empty otherwise
        bool ok = false;            // whether the call succeeded
    };
    // Every call that changes or tries to change something, in order, failed ones included.
    const std::vector<Mutation>& mutations() const { return m_mutations; }
    // The paths of the mutations of one kind, in order.
    std::vector<std::filesystem::path> touched(FsOp op) const;
    // True when every mutation's path is the folder itself or lies inside it (compared
    // lexically: "a/b/../c" is "a/c").
    bool touchedOnlyBelow(const std::filesystem::path& folder) const;
    // How many calls of a kind were made, any path, failed ones included (reads and
    // free-space queries are counted too).
    int callCount(FsOp op) const;

    // --- FileSystem -------------------------------------------------------------------
    bool isFile(const std::filesystem::path& path) override;
    bool isDirectory(const std::filesystem::path& path) override;
    Result<std::uint64_t> fileSize(const std::filesystem::path& path) override;
    Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) override;
    Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path) override;
    Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path) override;
    Status createDirectory(const std::filesystem::path& path) override;
    Status removeTree(const std::filesystem::path& path, bool forceReadOnly) override;
    Status removeFile(const std::filesystem::path& path) override;
    Status copyFile(const std::filesystem::path& from, const std::filesystem::path& to) override;
    Result<std::uint64_t> freeSpace(const std::filesystem::path& path) override;
    Result<std::uint64_t> directorySize(const std::filesystem::path& dir) override;

private:
    struct FailRule {
        FsOp op;
        std::string pattern;
        ErrorCode code;
        std::string reason;
        int timesLeft; // negative: always
    };
    struct WriteLimit {
        std::string pattern;
        std::uint64_t bytes;
        ErrorCode code;
        std::string reason;
    };
    struct VanishRule {
        std::string pattern;
        bool used = false;
    };
    class LimitedOutput;
    class FaultyInput;

    // The failure a rule prescribes for this call, if any (and counts the call).
    std::optional<Status> injectedFailure(FsOp op, const std::filesystem::path& path,
                                          const std::filesystem::path& other = {});
    void vanishIfDue(const std::filesystem::path& path);
    std::optional<WriteLimit> writeLimitFor(const std::filesystem::path& path) const;
    bool limitsWrites(const std::filesystem::path& path) const;
    Status record(FsOp op, const std::filesystem::path& path, Status status,
                  const std::filesystem::path& from = {});
    Result<std::unique_ptr<OutputFile>> openLimitedOutput(const std::filesystem::path& path);
    Status streamCopy(const std::filesystem::path& from, const std::filesystem::path& to);
    void forgetBelow(const std::filesystem::path& folder);

    FileSystem& m_inner;
    std::optional<std::uint64_t> m_fixedFree;
    std::optional<std::uint64_t> m_capacity;
    std::map<std::string, std::uint64_t> m_heldBytes; // by path key: bytes written through this object
    std::vector<FailRule> m_failRules;
    std::vector<WriteLimit> m_writeLimits;
    std::vector<VanishRule> m_vanishRules;
    std::vector<Mutation> m_mutations;
    std::map<FsOp, int> m_callCounts;
};

} // namespace lw::test
