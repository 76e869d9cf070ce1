// The real file system on Linux and other POSIX systems, on plain file descriptors.
// Errors keep the system's own reason text so that a message can name it.
//
// Files are opened so that nothing can make the program wait or write where it should
// not: reads open without blocking and accept only regular files, new files are created
// with O_EXCL and O_NOFOLLOW, folders are deleted through descriptors without ever
// following a link, and song data is copied by the kernel (copy_file_range) where it can.
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace lw {
namespace fs = std::filesystem;

namespace {

Status errnoStatus(int err, const fs::path& path) {
    return statusFromErrno(err, pathToUtf8(path));
}

Status fromErrorCode(const std::error_code& ec, const fs::path& path) {
    if (ec.category() == std::generic_category() || ec.category() == std::system_category())
        return errnoStatus(ec.value(), path);
    return Status::error(ErrorCode::IoError, pathToUtf8(path), ec.message(), ec.value());
}

Status notAFile(const fs::path& path, const struct stat& st) {
    return Status::error(ErrorCode::NotAFile, pathToUtf8(path),
                         S_ISDIR(st.st_mode) ? "it is a folder, not a file"
                                             : "it is not a regular file (a FIFO, a device or a socket)");
}

void closeQuietly(int fd) {
    if (fd >= 0)
        ::close(fd);
}

class FdInput : public InputFile {
public:
    FdInput(int fd, fs::path path, std::uint64_t size) : m_fd(fd), m_path(std::move(path)), m_size(size) {}
    ~FdInput() override { closeQuietly(m_fd); }
    int fd() const { return m_fd; }
    const fs::path& path() const { return m_path; }

    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                return errnoStatus(errno, m_path);
        }
    }
    std::uint64_t size() const override { return m_size; }
    Status seek(std::uint64_t offset) override {
        if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0)
            return errnoStatus(errno, m_path);
        return Status::ok();
    }

private:
    int m_fd;
    fs::path m_path;
    std::uint64_t m_size;
};

class FdOutput : public StagedFile {
public:
    FdOutput(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~FdOutput() override { closeQuietly(m_fd); }

    Status write(std::span<const std::uint8_t> data) override {
        if (m_fd < 0)
            return Status::error(ErrorCode::IoError, pathToUtf8(m_path), "the file is closed");
        while (!data.empty()) {
            const ssize_t n = ::write(m_fd, data.data(), data.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errnoStatus(errno, m_path);
            data = data.subspan(static_cast<std::size_t>(n));
        }
        return Status::ok();
    }

    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        if (m_fd < 0)
            return Status::error(ErrorCode::IoError, pathToUtf8(m_path), "the file is closed");
        while (!data.empty()) {
            const ssize_t n = ::pwrite(m_fd, data.data(), data.size(), static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errnoStatus(errno, m_path);
            data = data.subspan(static_cast<std::size_t>(n));
            offset += static_cast<std::uint64_t>(n);
        }
        return Status::ok();
    }

    // The kernel copies between the two files where it can. When it fails, the rest goes
    // through the buffer: a read and a write there tell which of the two files is at fault.
    AppendOutcome appendFrom(InputFile& source, std::uint64_t length,
                             std::span<std::uint8_t> buffer) override {
        auto* input = dynamic_cast<FdInput*>(&source);
        if (!input || m_fd < 0)
            return OutputFile::appendFrom(source, length, buffer);
        std::uint64_t copied = 0;
        while (copied < length) {
            const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length - copied, 1u << 30));
            const ssize_t n = ::copy_file_range(input->fd(), nullptr, m_fd, nullptr, chunk, 0);
            if (n > 0) {
                copied += static_cast<std::uint64_t>(n);
                continue;
            }
            if (n == 0)
                return {copied, {}, {}}; // the source ended early
            if (errno == EINTR)
                continue;
            break;
        }
        if (copied == length)
            return {copied, {}, {}};
        AppendOutcome rest = OutputFile::appendFrom(source, length - copied, buffer);
        rest.appended += copied;
        return rest;
    }

    Status close() override {
        if (m_fd < 0)
            return Status::ok();
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
            return errnoStatus(errno, m_path);
        return Status::ok();
    }

    Status commit() override {
        return Status::error(ErrorCode::InvalidArgument, pathToUtf8(m_path), "not staged");
    }

protected:
    int m_fd;
    fs::path m_path;
};

// Written as ".NAME.liedwerk-tmp" beside NAME, renamed over NAME by commit().
class StagedOutput : public FdOutput {
public:
    StagedOutput(int fd, fs::path temp, fs::path target)
        : FdOutput(fd, std::move(temp)), m_target(std::move(target)) {}
    ~StagedOutput() override {
        if (!m_committed) {
            closeQuietly(m_fd);
            m_fd = -1;
            ::unlink(m_path.c_str());
        }
    }
    Status commit() override {
        if (Status s = close(); !s)
            return s;
        if (::rename(m_path.c_str(), m_target.c_str()) != 0)
            return errnoStatus(errno, m_target);
        m_committed = true;
        return Status::ok();
    }

private:
    fs::path m_target;
    bool m_committed = false;
};

fs::path stagingName(const fs::path& target) {
    return target.parent_path() / ("." + target.filename().native() + ".liedwerk-tmp");
}

// --- Deleting folders ----------------------------------------------------------------------

// Whether the folder `name` in `dir` is the root of a mounted file system.
bool isMountRoot(int dir, const char* name, dev_t parentDevice, const struct stat& st) {
    if (st.st_dev != parentDevice)
        return true;
    struct statx sx {};
    if (::statx(dir, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0)
        return (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return false;
}

// The names in an open folder, without "." and "..".
Result<std::vector<std::string>> namesIn(int dir, const fs::path& path) {
    const int copy = ::dup(dir);
    if (copy < 0)
        return errnoStatus(errno, path);
    DIR* d = ::fdopendir(copy);
    if (!d) {
        const int err = errno;
        ::close(copy);
        return errnoStatus(err, path);
    }
    ::rewinddir(d);
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
        errno = 0;
    }
    const int err = errno;
    ::closedir(d);
    if (err != 0)
        return errnoStatus(err, path);
    return names;
}

// Opens the folder `name` of `dir` without following a link; with force, a folder that
// may not be read is made readable first.
int openFolderAt(int dir, const char* name, const struct stat& st, bool force) {
    int fd = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES && force) {
        ::fchmodat(dir, name, (st.st_mode & 07777) | S_IRWXU, 0);
        fd = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    return fd;
}

// Refuses a tree that holds another mounted file system, before anything is deleted.
Status checkNoMountInside(int dir, const fs::path& path, dev_t device, bool force) {
    auto names = namesIn(dir, path);
    if (!names)
        return names.status();
    for (const std::string& name : *names) {
        struct stat st {};
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
            continue;
        const fs::path child = path / name;
        if (isMountRoot(dir, name.c_str(), device, st))
            return Status::error(
                ErrorCode::InvalidArgument, pathToUtf8(child),
                "another file system is mounted there; unmount it first, nothing was deleted");
        const int sub = openFolderAt(dir, name.c_str(), st, force);
        if (sub < 0)
            return errnoStatus(errno, child);
        const Status s = checkNoMountInside(sub, child, device, force);
        ::close(sub);
        if (!s)
            return s;
    }
    return Status::ok();
}

Status clearFolder(int dir, const fs::path& path, bool force) {
    if (force) {
        struct stat st {};
        if (::fstat(dir, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
            ::fchmod(dir, (st.st_mode & 07777) | S_IRWXU);
    }
    auto names = namesIn(dir, path);
    if (!names)
        return names.status();
    for (const std::string& name : *names) {
        struct stat st {};
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            return errnoStatus(errno, path / name);
        }
        if (S_ISDIR(st.st_mode)) {
            const int sub = openFolderAt(dir, name.c_str(), st, force);
            if (sub < 0)
                return errnoStatus(errno, path / name);
            const Status s = clearFolder(sub, path / name, force);
            ::close(sub);
            if (!s)
                return s;
            if (::unlinkat(dir, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT)
                return errnoStatus(errno, path / name);
        } else if (::unlinkat(dir, name.c_str(), 0) != 0 && errno != ENOENT) {
            return errnoStatus(errno, path / name);
        }
    }
    return Status::ok();
}

// --- Locks ---------------------------------------------------------------------------------

// A folder for lock files: a real folder of this user that no one else may write.
Status usableLockFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return errnoStatus(errno, folder);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return errnoStatus(errno, folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 022) != 0)
        return Status::error(ErrorCode::PermissionDenied, pathToUtf8(folder),
                             "the folder for the program's locks belongs to someone else or is open to all");
    return Status::ok();
}

// The folder for this user's lock files: $XDG_RUNTIME_DIR/liedwerk, else /tmp/liedwerk-UID.
Result<fs::path> lockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        const fs::path folder = fs::path(runtime) / "liedwerk";
        if (usableLockFolder(folder))
            return folder;
    }
    const fs::path folder = fs::path("/tmp") / ("liedwerk-" + std::to_string(::getuid()));
    if (Status s = usableLockFolder(folder); !s)
        return s;
    return folder;
}

std::string hexNumber(std::uint64_t n) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[n & 15]);
        n >>= 4;
    } while (n != 0);
    return out;
}

// FNV-1a of the name with ASCII letters folded: a FAT card knows "Restore.sdb" and
// "RESTORE.SDB" as one file.
std::uint64_t foldedNameHash(const std::string& name) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        h = (h ^ static_cast<unsigned char>(folded)) * 1099511628211ull;
    }
    return h;
}

class FlockLock : public OutputLock {
public:
    FlockLock(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~FlockLock() override {
        ::unlink(m_path.c_str()); // while still held, so no one holds a lock on an unlinked file
        ::close(m_fd);
    }

private:
    int m_fd;
    fs::path m_path;
};

class PosixFileSystem : public FileSystem {
public:
    bool isFile(const fs::path& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    bool isDirectory(const fs::path& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool exists(const fs::path& path) override {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    Result<std::uint64_t> fileSize(const fs::path& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return errnoStatus(errno, path);
        if (!S_ISREG(st.st_mode))
            return notAFile(path, st);
        return static_cast<std::uint64_t>(st.st_size);
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
        // Without blocking: a FIFO would otherwise wait for a writer for ever.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return errnoStatus(errno, path);
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            const int err = errno;
            ::close(fd);
            return errnoStatus(err, path);
        }
        if (!S_ISREG(st.st_mode)) {
            ::close(fd);
            return notAFile(path, st);
        }
        // O_NONBLOCK stays: it changes nothing for a regular file, and clearing it would
        // cost two more calls for every song file.
        return std::unique_ptr<InputFile>(new FdInput(fd, path, static_cast<std::uint64_t>(st.st_size)));
    }

    Result<std::unique_ptr<OutputFile>> openWrite(const fs::path& path) override {
        struct stat existing {};
        if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
            return notAFile(path, existing);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0)
            return errnoStatus(errno, path);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return notAFile(path, st);
        }
        if (::ftruncate(fd, 0) != 0) {
            const int err = errno;
            ::close(fd);
            return errnoStatus(err, path);
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return std::unique_ptr<OutputFile>(new FdOutput(fd, path));
    }

    Result<std::unique_ptr<OutputFile>> createNew(const fs::path& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return errnoStatus(errno, path);
        return std::unique_ptr<OutputFile>(new FdOutput(fd, path));
    }

    Result<std::unique_ptr<StagedFile>> createStaged(const fs::path& path) override {
        const fs::path temp = stagingName(path);
        if (::unlink(temp.c_str()) != 0 && errno != ENOENT)
            return errnoStatus(errno, temp);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return errnoStatus(errno, temp);
        return std::unique_ptr<StagedFile>(new StagedOutput(fd, temp, path));
    }

    Status createDirectory(const fs::path& path) override {
        if (::mkdir(path.c_str(), 0777) == 0)
            return Status::ok();
        const int err = errno;
        struct stat st {};
        // An existing folder will do; a link to one will not (it could lead anywhere).
        if (err == EEXIST && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return Status::ok();
        if (err == EEXIST)
            return Status::error(ErrorCode::AlreadyExists, pathToUtf8(path),
                                 "a file or a link has this name where a folder is needed");
        return errnoStatus(err, path);
    }

    Status removeTree(const fs::path& path, bool forceReadOnly) override {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return errno == ENOENT ? Status::ok() : errnoStatus(errno, path);
        if (!S_ISDIR(st.st_mode))
            return removeFile(path); // a link named like the folder goes, its target stays
        const int dir = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir < 0)
            return errnoStatus(errno, path);
        Status s = checkNoMountInside(dir, path, st.st_dev, forceReadOnly);
        if (s)
            s = clearFolder(dir, path, forceReadOnly);
        ::close(dir);
        if (s && ::rmdir(path.c_str()) != 0 && errno != ENOENT)
            s = errnoStatus(errno, path);
        return s;
    }

    Status removeFile(const fs::path& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return errnoStatus(errno, path);
        return Status::ok();
    }

    Result<std::uint64_t> freeSpace(const fs::path& path) override {
        struct statvfs v {};
        if (::statvfs(path.c_str(), &v) != 0)
            return errnoStatus(errno, path);
        return static_cast<std::uint64_t>(v.f_bavail) * (v.f_frsize ? v.f_frsize : v.f_bsize);
    }

    Result<std::uint64_t> allocationUnit(const fs::path& path) override {
        struct statvfs v {};
        if (::statvfs(path.c_str(), &v) != 0)
            return errnoStatus(errno, path);
        std::uint64_t unit = v.f_frsize ? v.f_frsize : v.f_bsize;
        // Some file systems in user space (FAT through FUSE) count their free space in
        // smaller blocks than the clusters they allocate, which the folder's own block size
        // tells: the larger of the two is the unit a file really takes.
        if (struct stat st{}; ::stat(path.c_str(), &st) == 0 && st.st_blksize > 0)
            unit = std::max<std::uint64_t>(unit, static_cast<std::uint64_t>(st.st_blksize));
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
        struct stat st {};
        if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
            return std::nullopt;
        return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    }

    Result<std::unique_ptr<OutputLock>> lockOutput(const fs::path& folder, const std::string& name) override {
        const fs::path output = name.empty() ? folder : folder / pathFromUtf8(name);
        const auto id = identity(folder, true);
        if (!id)
            return Status::error(ErrorCode::NotFound, pathToUtf8(folder), "the folder does not exist");
        auto locks = lockFolder();
        if (!locks)
            return locks.status();
        std::string key = hexNumber(id->device) + "-" + hexNumber(id->inode);
        if (!name.empty())
            key += "-" + hexNumber(foldedNameHash(name));
        const fs::path lockPath = *locks / (key + ".lock");
        // The lock file is removed when released; a run that opened it just before is sent
        // round again, so that two runs never hold locks on two different files of one name.
        for (int attempt = 0; attempt < 16; ++attempt) {
            const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0)
                return errnoStatus(errno, lockPath);
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const int err = errno;
                ::close(fd);
                if (err == EWOULDBLOCK)
                    return Status::error(ErrorCode::Busy, pathToUtf8(output),
                                         "another Liedwerk run is writing it; wait until it has finished");
                return errnoStatus(err, lockPath);
            }
            struct stat held {};
            struct stat named {};
            if (::fstat(fd, &held) == 0 && ::lstat(lockPath.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino)
                return std::unique_ptr<OutputLock>(new FlockLock(fd, lockPath));
            ::close(fd);
        }
        return Status::error(ErrorCode::Busy, pathToUtf8(output), "its lock could not be taken; try again");
    }

    Status flushTree(const fs::path& folder) override {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errnoStatus(errno, folder);
        // One call writes the whole file system of the card: files, folders and their entries.
        const int synced = ::syncfs(fd);
        const int err = errno;
        ::close(fd);
        if (synced != 0)
            return errnoStatus(err, folder);
        return Status::ok();
    }
};

} // namespace

FileSystem& realFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

} // namespace lw
