// The file system as the core sees it: one interface, so that tests can put a double
// in its place (a full card, a file that vanishes, a failing write) and the core never
// calls the operating system itself. Paths are std::filesystem::path; sizes are bytes.
#pragma once

#include "platform/Status.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lw {

// A file opened for reading, read strictly in sequence.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to buffer.size() bytes; 0 bytes read means the end of the file.
    virtual Result<std::size_t> read(std::span<std::uint8_t> buffer) = 0;
};

// What appending one file to another achieved: the bytes appended, and a failure on
// either side. Fewer bytes than asked for without a failure means the source ended early.
struct AppendOutcome {
    std::uint64_t appended = 0;
    Status readError;  // reading the source failed (names the source)
    Status writeError; // writing this file failed (names this file)
};

// A file opened for writing from its start, written strictly in sequence.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual Status write(std::span<const std::uint8_t> data) = 0;
    // Appends up to `length` bytes of the source, from its current position on. Goes
    // through `buffer`, unless the system can copy between the two files by itself.
    virtual AppendOutcome appendFrom(InputFile& source, std::uint64_t length, std::span<std::uint8_t> buffer);
    // Flushes and closes; a write error that the system reports only now shows here.
    virtual Status close() = 0;
};

struct DirectoryEntry {
    std::string name; // UTF-8
    bool isDirectory = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool isFile(const std::filesystem::path& path) = 0;
    virtual bool isDirectory(const std::filesystem::path& path) = 0;
    virtual Result<std::uint64_t> fileSize(const std::filesystem::path& path) = 0;
    virtual Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) = 0;

    virtual Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path) = 0;
    // Creates the file, or empties an existing one.
    virtual Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path) = 0;

    virtual Status createDirectory(const std::filesystem::path& path) = 0;
    // Deletes a folder with everything in it. With forceReadOnly, read-only files are
    // made writable first; without it a read-only file makes the deletion fail.
    virtual Status removeTree(const std::filesystem::path& path, bool forceReadOnly) = 0;
    virtual Status removeFile(const std::filesystem::path& path) = 0;
    // Copies a file's bytes to a new name, replacing an existing target.
    virtual Status copyFile(const std::filesystem::path& from, const std::filesystem::path& to) = 0;

    // Bytes that a file written now on the medium holding the path could still use.
    virtual Result<std::uint64_t> freeSpace(const std::filesystem::path& path) = 0;
    // Total size in bytes of all files in the folder and below it.
    virtual Result<std::uint64_t> directorySize(const std::filesystem::path& dir) = 0;
};

// The real file system of this computer.
FileSystem& realFileSystem();

// Reads a whole file, or at most maxBytes of it, into memory.
Result<std::vector<std::uint8_t>> readFilePrefix(FileSystem& fs, const std::filesystem::path& path,
                                                 std::size_t maxBytes);

// Writes a whole file in one piece (create or replace), closing it.
Status writeWholeFile(FileSystem& fs, const std::filesystem::path& path, std::span<const std::uint8_t> data);

} // namespace lw
