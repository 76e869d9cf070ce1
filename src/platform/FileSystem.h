// The file system as the core sees it: one interface, so that tests can put a double
// in its place (a full card, a file that vanishes, a failing write) and the core never
// calls the operating system itself. Paths are std::filesystem::path; sizes are bytes.
//
// The operations are made for a program that must never harm what it does not own:
// files are read only when they are regular files (a FIFO or a device never makes it
// wait), new files are created without following a link and without replacing anything,
// a finished output takes its name only when it is complete, and deleting a folder
// never follows a link out of it.
#pragma once

#include "platform/Status.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lw {

// A file opened for reading, read in sequence from its start.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to buffer.size() bytes; 0 bytes read means the end of the file.
    virtual Result<std::size_t> read(std::span<std::uint8_t> buffer) = 0;
    // The file's size as the open file had it when it was opened.
    virtual std::uint64_t size() const = 0;
    // The next read starts at this byte.
    virtual Status seek(std::uint64_t offset) = 0;
};

// What appending one file to another achieved: the bytes appended, and a failure on
// either side. Fewer bytes than asked for without a failure means the source ended early.
struct AppendOutcome {
    std::uint64_t appended = 0;
    Status readError;  // reading the source failed (names the source)
    Status writeError; // writing this file failed (names this file)
};

// A file opened for writing from its start, written in sequence.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual Status write(std::span<const std::uint8_t> data) = 0;
    // Writes over bytes already written, from `offset` on; later writes go on at the end.
    virtual Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;
    // Appends up to `length` bytes of the source, from its current position on. Goes
    // through `buffer`, unless the system can copy between the two files by itself.
    // A read fault and a write fault are told apart, each naming its own file.
    virtual AppendOutcome appendFrom(InputFile& source, std::uint64_t length, std::span<std::uint8_t> buffer);
    // Flushes and closes; a write error that the system reports only now shows here.
    virtual Status close() = 0;
};

// A file written under a temporary name beside its final name. commit() closes it and
// gives it the final name in one step, replacing what had that name; until then the
// final name keeps what it had. Destroyed without a commit, the file is removed.
class StagedFile : public OutputFile {
public:
    virtual Status commit() = 0;
};

// A claim on an output for one run: while it is held, no other run (of this program, on
// this computer) gets a claim on the same output. Released when destroyed.
class OutputLock {
public:
    virtual ~OutputLock() = default;
};

// What identifies a file or folder, however it is spelled or reached: the device and
// the inode (the volume and the file ID on Windows).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

struct DirectoryEntry {
    std::string name;         // UTF-8
    bool isDirectory = false; // a folder, or a link to one
    bool isLink = false;      // a symbolic link (or another kind of reparse point)
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // A regular file, or a folder (links followed).
    virtual bool isFile(const std::filesystem::path& path) = 0;
    virtual bool isDirectory(const std::filesystem::path& path) = 0;
    // Whether anything at all has this name (a link is not followed).
    virtual bool exists(const std::filesystem::path& path) = 0;
    virtual Result<std::uint64_t> fileSize(const std::filesystem::path& path) = 0;
    virtual Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) = 0;

    // Opens a regular file for reading. Anything else (a FIFO, a device, a folder) is
    // refused with NotAFile at once, without waiting for it.
    virtual Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path) = 0;
    // Creates the file, or empties an existing one.
    virtual Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path) = 0;
    // Creates a new file. Fails with AlreadyExists when anything has that name, a link
    // included, which is never followed.
    virtual Result<std::unique_ptr<OutputFile>> createNew(const std::filesystem::path& path) = 0;
    // A file that takes the name `path` only when committed (see StagedFile). A temporary
    // file that a killed run left beside `path` is removed first; the caller holds the
    // output's lock, so no other run is writing it.
    virtual Result<std::unique_ptr<StagedFile>> createStaged(const std::filesystem::path& path) = 0;

    virtual Status createDirectory(const std::filesystem::path& path) = 0;
    // Deletes a folder with everything in it; a link (also one named `path`) is removed
    // itself and never followed. A folder inside that is another mounted file system is
    // refused before anything is deleted. With forceReadOnly, read-only files and folders
    // are made writable first; without it a read-only one makes the deletion fail.
    virtual Status removeTree(const std::filesystem::path& path, bool forceReadOnly) = 0;
    // Deletes a file, or the link itself.
    virtual Status removeFile(const std::filesystem::path& path) = 0;

    // Bytes that a file written now on the medium holding the path could still use.
    virtual Result<std::uint64_t> freeSpace(const std::filesystem::path& path) = 0;
    // The medium's allocation unit in bytes (its cluster or block): every file takes
    // whole units of it.
    virtual Result<std::uint64_t> allocationUnit(const std::filesystem::path& path) = 0;
    // Total size in bytes of all files in the folder and below it.
    virtual Result<std::uint64_t> directorySize(const std::filesystem::path& dir) = 0;

    // The identity of what the path names, following links or not; nothing when it does
    // not exist or cannot be asked.
    virtual std::optional<FileId> identity(const std::filesystem::path& path, bool followLinks) = 0;
    // Claims the output `name` in `folder` (or the folder itself, for an empty name) for
    // this run. Busy when another run holds it. Leaves nothing in the folder.
    virtual Result<std::unique_ptr<OutputLock>> lockOutput(const std::filesystem::path& folder,
                                                           const std::string& name) = 0;
    // Makes everything written below the folder reach the medium (a card can then be taken out).
    virtual Status flushTree(const std::filesystem::path& folder) = 0;
};

// The real file system of this computer.
FileSystem& realFileSystem();

// Reads a whole file, or at most maxBytes of it, into memory.
Result<std::vector<std::uint8_t>> readFilePrefix(FileSystem& fs, const std::filesystem::path& path,
                                                 std::size_t maxBytes);

// Writes a whole file in one piece (create or replace), closing it.
Status writeWholeFile(FileSystem& fs, const std::filesystem::path& path, std::span<const std::uint8_t> data);

// Appends exactly `length` bytes of the source to the output through the buffer. A source
// that ends early is a read fault of the source; the status names the failing file.
Status appendExactly(OutputFile& out, InputFile& source, const std::string& sourcePath, std::uint64_t length,
                     std::span<std::uint8_t> buffer);

} // namespace lw
