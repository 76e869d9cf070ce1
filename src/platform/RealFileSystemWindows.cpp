// The real file system on Windows, on file handles with UTF-16 paths. Errors keep the
// system's own reason text so that a message can name it.
//
// As on other systems: reads accept only files on disk (no pipes or devices), new files
// are created with CREATE_NEW so that nothing is replaced, a folder is deleted without
// ever following a junction or link out of it, and a second run on the same output is
// kept out by a named mutex, which leaves nothing on the card.
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include <windows.h>

namespace lw {
namespace fs = std::filesystem;

namespace {

Status winStatus(DWORD err, const fs::path& path) {
    const std::error_code ec(static_cast<int>(err), std::system_category());
    ErrorCode code = ErrorCode::IoError;
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        code = ErrorCode::NotFound;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        code = ErrorCode::PermissionDenied;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        code = ErrorCode::NoSpace;
        break;
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
        code = ErrorCode::DeviceUnavailable;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        code = ErrorCode::AlreadyExists;
        break;
    default:
        break;
    }
    return Status::error(code, pathToUtf8(path), ec.message(), static_cast<int>(err));
}

Status lastError(const fs::path& path) {
    return winStatus(GetLastError(), path);
}

Status fromErrorCode(const std::error_code& ec, const fs::path& path) {
    if (ec.category() == std::system_category())
        return winStatus(static_cast<DWORD>(ec.value()), path);
    const std::error_condition cond = ec.default_error_condition();
    if (cond.category() == std::generic_category())
        return Status::error(statusFromErrno(cond.value(), {}).code(), pathToUtf8(path), ec.message(),
                             ec.value());
    return Status::error(ErrorCode::IoError, pathToUtf8(path), ec.message(), ec.value());
}

// No "insert a disk" box for an empty drive while the program asks it something.
class QuietErrors {
public:
    QuietErrors() {
        m_set = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous) != 0;
    }
    ~QuietErrors() {
        if (m_set)
            SetThreadErrorMode(m_previous, nullptr);
    }

private:
    DWORD m_previous = 0;
    bool m_set = false;
};

class HandleInput : public InputFile {
public:
    HandleInput(HANDLE h, fs::path path, std::uint64_t size)
        : m_h(h), m_path(std::move(path)), m_size(size) {}
    ~HandleInput() override { CloseHandle(m_h); }
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (!ReadFile(m_h, buffer.data(), want, &got, nullptr))
            return lastError(m_path);
        return static_cast<std::size_t>(got);
    }
    std::uint64_t size() const override { return m_size; }
    Status seek(std::uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(m_h, to, nullptr, FILE_BEGIN))
            return lastError(m_path);
        return Status::ok();
    }

private:
    HANDLE m_h;
    fs::path m_path;
    std::uint64_t m_size;
};

class HandleOutput : public StagedFile {
public:
    HandleOutput(HANDLE h, fs::path path) : m_h(h), m_path(std::move(path)) {}
    ~HandleOutput() override {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    Status write(std::span<const std::uint8_t> data) override {
        if (m_h == INVALID_HANDLE_VALUE)
            return Status::error(ErrorCode::IoError, pathToUtf8(m_path), "the file is closed");
        while (!data.empty()) {
            DWORD done = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
            if (!WriteFile(m_h, data.data(), want, &done, nullptr))
                return lastError(m_path);
            if (done == 0)
                return winStatus(ERROR_DISK_FULL, m_path);
            data = data.subspan(done);
        }
        return Status::ok();
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        LARGE_INTEGER here{};
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(m_h, zero, &here, FILE_CURRENT))
            return lastError(m_path);
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(m_h, to, nullptr, FILE_BEGIN))
            return lastError(m_path);
        const Status written = write(data);
        if (!SetFilePointerEx(m_h, here, nullptr, FILE_BEGIN) && written)
            return lastError(m_path);
        return written;
    }
    Status close() override {
        if (m_h == INVALID_HANDLE_VALUE)
            return Status::ok();
        const HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        if (!CloseHandle(h))
            return lastError(m_path);
        return Status::ok();
    }
    Status commit() override {
        return Status::error(ErrorCode::InvalidArgument, pathToUtf8(m_path), "not staged");
    }

protected:
    HANDLE m_h;
    fs::path m_path;
};

class StagedOutput : public HandleOutput {
public:
    StagedOutput(HANDLE h, fs::path temp, fs::path target)
        : HandleOutput(h, std::move(temp)), m_target(std::move(target)) {}
    ~StagedOutput() override {
        if (!m_committed) {
            (void)close();
            DeleteFileW(m_path.c_str());
        }
    }
    Status commit() override {
        if (Status s = close(); !s)
            return s;
        if (!MoveFileExW(m_path.c_str(), m_target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return lastError(m_target);
        m_committed = true;
        return Status::ok();
    }

private:
    fs::path m_target;
    bool m_committed = false;
};

HANDLE createFile(const fs::path& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

DWORD attributesOf(const fs::path& path) {
    return GetFileAttributesW(path.c_str());
}

bool isReparsePoint(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes a file or the link itself; with force, a read-only one is made writable first.
Status deleteEntry(const fs::path& path, DWORD attributes, bool force) {
    if (force && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A junction or a folder link is removed as a folder, without going into it.
    if (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str()))
        return Status::ok();
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
        return Status::ok();
    return winStatus(err, path);
}

Status clearFolder(const fs::path& folder, bool force) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder / L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        return err == ERROR_FILE_NOT_FOUND ? Status::ok() : winStatus(err, folder);
    }
    std::vector<std::pair<std::wstring, DWORD>> entries;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            entries.emplace_back(name, data.dwFileAttributes);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const auto& [name, attributes] : entries) {
        const fs::path child = folder / name;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !isReparsePoint(attributes))
            if (Status s = clearFolder(child, force); !s)
                return s;
        if (Status s = deleteEntry(child, attributes, force); !s)
            return s;
    }
    return Status::ok();
}

fs::path stagingName(const fs::path& target) {
    return target.parent_path() / (L"." + target.filename().wstring() + L".liedwerk-tmp");
}

std::wstring hexNumber(std::uint64_t n) {
    constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    do {
        out.insert(out.begin(), kDigits[n & 15]);
        n >>= 4;
    } while (n != 0);
    return out;
}

// FNV-1a of the name with ASCII letters folded, as Windows sees "Restore.sdb" and
// "RESTORE.SDB" as one file.
std::uint64_t foldedNameHash(const std::string& name) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        h = (h ^ static_cast<unsigned char>(folded)) * 1099511628211ull;
    }
    return h;
}

class MutexLock : public OutputLock {
public:
    explicit MutexLock(HANDLE h) : m_h(h) {}
    ~MutexLock() override { CloseHandle(m_h); }

private:
    HANDLE m_h;
};

class WindowsFileSystem : public FileSystem {
public:
    bool isFile(const fs::path& path) override {
        std::error_code ec;
        return fs::is_regular_file(path, ec);
    }
    bool isDirectory(const fs::path& path) override {
        std::error_code ec;
        return fs::is_directory(path, ec);
    }
    bool exists(const fs::path& path) override { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }
    Result<std::uint64_t> fileSize(const fs::path& path) override {
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        if (ec)
            return fromErrorCode(ec, path);
        return static_cast<std::uint64_t>(size);
    }
    Result<std::vector<DirectoryEntry>> listDirectory(const fs::path& dir) override {
        std::error_code ec;
        std::vector<DirectoryEntry> out;
        for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            std::error_code tec;
            out.push_back({pathToUtf8(it->path().filename()), it->is_directory(tec), it->is_symlink(tec)});
        }
        if (ec)
            return fromErrorCode(ec, dir);
        return out;
    }

    Result<std::unique_ptr<InputFile>> openRead(const fs::path& path) override {
        QuietErrors quiet;
        const HANDLE h =
            createFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = GetLastError();
            const DWORD attributes = attributesOf(path);
            if (err == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return Status::error(ErrorCode::NotAFile, pathToUtf8(path), "it is a folder, not a file");
            return winStatus(err, path);
        }
        LARGE_INTEGER size{};
        if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
            CloseHandle(h);
            return Status::error(ErrorCode::NotAFile, pathToUtf8(path),
                                 "it is not a regular file (a pipe or a device)");
        }
        return std::unique_ptr<InputFile>(
            new HandleInput(h, path, static_cast<std::uint64_t>(size.QuadPart)));
    }

    Result<std::unique_ptr<OutputFile>> openWrite(const fs::path& path) override {
        QuietErrors quiet;
        const HANDLE h =
            createFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
        if (h == INVALID_HANDLE_VALUE)
            return lastError(path);
        if (GetFileType(h) != FILE_TYPE_DISK) {
            CloseHandle(h);
            return Status::error(ErrorCode::NotAFile, pathToUtf8(path),
                                 "it is not a regular file (a pipe or a device)");
        }
        return std::unique_ptr<OutputFile>(new HandleOutput(h, path));
    }

    Result<std::unique_ptr<OutputFile>> createNew(const fs::path& path) override {
        QuietErrors quiet;
        const HANDLE h = createFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
        if (h == INVALID_HANDLE_VALUE)
            return lastError(path);
        return std::unique_ptr<OutputFile>(new HandleOutput(h, path));
    }

    Result<std::unique_ptr<StagedFile>> createStaged(const fs::path& path) override {
        QuietErrors quiet;
        const fs::path temp = stagingName(path);
        if (!DeleteFileW(temp.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            return lastError(temp);
        const HANDLE h = createFile(temp, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
        if (h == INVALID_HANDLE_VALUE)
            return lastError(temp);
        return std::unique_ptr<StagedFile>(new StagedOutput(h, temp, path));
    }

    Status createDirectory(const fs::path& path) override {
        if (CreateDirectoryW(path.c_str(), nullptr))
            return Status::ok();
        const DWORD err = GetLastError();
        // An existing folder will do; a junction or link will not (it could lead anywhere).
        const DWORD attributes = attributesOf(path);
        if (err == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) && !isReparsePoint(attributes))
            return Status::ok();
        if (err == ERROR_ALREADY_EXISTS)
            return Status::error(ErrorCode::AlreadyExists, pathToUtf8(path),
                                 "a file or a link has this name where a folder is needed");
        return winStatus(err, path);
    }

    Status removeTree(const fs::path& path, bool forceReadOnly) override {
        QuietErrors quiet;
        const DWORD attributes = attributesOf(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD err = GetLastError();
            return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? Status::ok()
                                                                              : winStatus(err, path);
        }
        // A link or junction named like the folder goes itself; what it points to stays.
        // Mounted volumes inside are reparse points too and are only unlinked, never entered.
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !isReparsePoint(attributes))
            if (Status s = clearFolder(path, forceReadOnly); !s)
                return s;
        return deleteEntry(path, attributes, forceReadOnly);
    }

    Status removeFile(const fs::path& path) override {
        if (!DeleteFileW(path.c_str())) {
            const DWORD err = GetLastError();
            if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND)
                return winStatus(err, path);
        }
        return Status::ok();
    }

    Result<std::uint64_t> freeSpace(const fs::path& path) override {
        QuietErrors quiet;
        ULARGE_INTEGER available{};
        if (!GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr))
            return lastError(path);
        return static_cast<std::uint64_t>(available.QuadPart);
    }

    Result<std::uint64_t> allocationUnit(const fs::path& path) override {
        QuietErrors quiet;
        wchar_t volume[MAX_PATH + 1] = {};
        if (!GetVolumePathNameW(fs::absolute(path).c_str(), volume, MAX_PATH + 1))
            return lastError(path);
        DWORD sectorsPerCluster = 0;
        DWORD bytesPerSector = 0;
        DWORD freeClusters = 0;
        DWORD clusters = 0;
        if (!GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
            return lastError(path);
        const std::uint64_t unit = std::uint64_t{sectorsPerCluster} * bytesPerSector;
        return unit ? unit : 1;
    }

    Result<std::uint64_t> directorySize(const fs::path& dir) override {
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            return Status::error(ErrorCode::NotFound, pathToUtf8(dir), "not a folder");
        std::uint64_t total = 0;
        for (auto it =
                 fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code fec;
            if (it->is_regular_file(fec) && !it->is_symlink(fec)) {
                const auto size = it->file_size(fec);
                if (!fec)
                    total += size;
            }
        }
        if (ec)
            return fromErrorCode(ec, dir);
        return total;
    }

    std::optional<FileId> identity(const fs::path& path, bool followLinks) override {
        QuietErrors quiet;
        const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
        const HANDLE h =
            createFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, flags);
        if (h == INVALID_HANDLE_VALUE)
            return std::nullopt;
        BY_HANDLE_FILE_INFORMATION info{};
        const BOOL ok = GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        if (!ok)
            return std::nullopt;
        return FileId{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | std::uint64_t{info.nFileIndexLow}};
    }

    Result<std::unique_ptr<OutputLock>> lockOutput(const fs::path& folder, const std::string& name) override {
        const fs::path output = name.empty() ? folder : folder / pathFromUtf8(name);
        const auto id = identity(folder, true);
        if (!id)
            return Status::error(ErrorCode::NotFound, pathToUtf8(folder), "the folder does not exist");
        std::wstring key = L"Local\\Liedwerk-" + hexNumber(id->device) + L"-" + hexNumber(id->inode);
        if (!name.empty())
            key += L"-" + hexNumber(foldedNameHash(name));
        const HANDLE h = CreateMutexW(nullptr, FALSE, key.c_str());
        if (!h)
            return lastError(output);
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(h);
            return Status::error(ErrorCode::Busy, pathToUtf8(output),
                                 "another Liedwerk run is writing it; wait until it has finished");
        }
        return std::unique_ptr<OutputLock>(new MutexLock(h));
    }

    Status flushTree(const fs::path& folder) override {
        QuietErrors quiet;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code tec;
            if (!it->is_regular_file(tec) || it->is_symlink(tec))
                continue;
            const HANDLE h = createFile(it->path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
            if (h == INVALID_HANDLE_VALUE)
                return lastError(it->path());
            const BOOL flushed = FlushFileBuffers(h);
            const DWORD err = GetLastError();
            CloseHandle(h);
            if (!flushed)
                return winStatus(err, it->path());
        }
        if (ec)
            return fromErrorCode(ec, folder);
        return Status::ok();
    }
};

} // namespace

FileSystem& realFileSystem() {
    static WindowsFileSystem instance;
    return instance;
}

} // namespace lw
