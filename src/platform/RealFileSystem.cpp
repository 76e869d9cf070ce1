// The real file system, through the standard library and C stdio. Errors keep the
// system's own reason text so that a message can name it.
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef _WIN32
#include <windows.h>
#endif

namespace lw {
namespace fs = std::filesystem;

namespace {

Status fromErrorCode(const std::error_code& ec, const fs::path& path) {
    if (ec.category() == std::generic_category() || ec.category() == std::system_category()) {
#ifdef _WIN32
        // On Windows the system category carries Win32 codes; map the usual ones.
        const std::error_condition cond = ec.default_error_condition();
        if (cond.category() == std::generic_category())
            return Status::error(statusFromErrno(cond.value(), {}).code(), pathToUtf8(path), ec.message(),
                                 ec.value());
#else
        return statusFromErrno(ec.value(), pathToUtf8(path));
#endif
    }
    return Status::error(ErrorCode::IoError, pathToUtf8(path), ec.message(), ec.value());
}

std::FILE* openStdio(const fs::path& path, bool write) {
#ifdef _WIN32
    return _wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

class StdioInput : public InputFile {
public:
    // Unbuffered: every read goes to the system with the caller's (large) buffer, and the
    // file's offset is exactly what was read, so a kernel-side copy can go on from there.
    StdioInput(std::FILE* f, fs::path path) : m_file(f), m_path(std::move(path)) {
        std::setvbuf(m_file, nullptr, _IONBF, 0);
#ifndef _WIN32
        (void)::posix_fadvise(fileno(m_file), 0, 0, POSIX_FADV_SEQUENTIAL); // read in order, once
#endif
    }
    std::FILE* file() const { return m_file; }
    const fs::path& path() const { return m_path; }
    ~StdioInput() override { std::fclose(m_file); }
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        errno = 0;
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), m_file);
        if (n < buffer.size() && std::ferror(m_file))
            return statusFromErrno(errno ? errno : EIO, pathToUtf8(m_path));
        return n;
    }

private:
    std::FILE* m_file;
    fs::path m_path;
};

class StdioOutput : public OutputFile {
public:
    StdioOutput(std::FILE* f, fs::path path) : m_file(f), m_path(std::move(path)) {
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    }
    ~StdioOutput() override {
        if (m_file)
            std::fclose(m_file);
    }
    Status write(std::span<const std::uint8_t> data) override {
        if (!m_file)
            return Status::error(ErrorCode::IoError, pathToUtf8(m_path), "file is closed");
        errno = 0;
        if (std::fwrite(data.data(), 1, data.size(), m_file) != data.size())
            return statusFromErrno(errno ? errno : EIO, pathToUtf8(m_path));
        return Status::ok();
    }
#ifndef _WIN32
    // Song files go into a restore file without passing through user space where the
    // kernel can copy between the two files (copy_file_range).
    AppendOutcome appendFrom(InputFile& source, std::uint64_t length,
                             std::span<std::uint8_t> buffer) override {
        auto* input = dynamic_cast<StdioInput*>(&source);
        if (!input || !m_file)
            return OutputFile::appendFrom(source, length, buffer);
        AppendOutcome outcome;
        if (std::fflush(m_file) != 0) {
            outcome.writeError = statusFromErrno(errno ? errno : EIO, pathToUtf8(m_path));
            return outcome;
        }
        const int in = fileno(input->file());
        const int out = fileno(m_file);
        while (outcome.appended < length) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr,
                                                static_cast<std::size_t>(length - outcome.appended), 0);
            if (n > 0) {
                outcome.appended += static_cast<std::uint64_t>(n);
                continue;
            }
            if (n == 0)
                break; // the source ended early
            if (outcome.appended == 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
                return OutputFile::appendFrom(source, length, buffer);
            outcome.writeError = statusFromErrno(errno, pathToUtf8(m_path));
            break;
        }
        return outcome;
    }
#endif
    Status close() override {
        if (!m_file)
            return Status::ok();
        errno = 0;
        const int flushed = std::fflush(m_file);
        const int flushErr = errno;
        const int closed = std::fclose(m_file);
        const int closeErr = errno;
        m_file = nullptr;
        if (flushed != 0)
            return statusFromErrno(flushErr ? flushErr : EIO, pathToUtf8(m_path));
        if (closed != 0)
            return statusFromErrno(closeErr ? closeErr : EIO, pathToUtf8(m_path));
        return Status::ok();
    }

private:
    std::FILE* m_file;
    fs::path m_path;
};

void makeWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_write | fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::add, ec);
    if (!fs::is_directory(fs::symlink_status(root, ec)))
        return;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink(ec))
            continue;
        std::error_code pec;
        fs::permissions(it->path(), fs::perms::owner_write | fs::perms::owner_read | fs::perms::owner_exec,
                        fs::perm_options::add, pec);
    }
}

#ifndef _WIN32
// Copies in the kernel (copy_file_range) where the file systems allow it, else through a
// buffer. A failure to read names the source; a failure to write (a full or write-protected
// card) names the target, so that a message can say which file and why.
Status copyPosix(const fs::path& from, const fs::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return statusFromErrno(errno, pathToUtf8(from));
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return statusFromErrno(err, pathToUtf8(to));
    }
    Status result;
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        if (kernelCopy) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
            if (n > 0)
                continue;
            if (n == 0)
                break;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
                kernelCopy = false; // nothing was copied by it: fall back to a buffer
                continue;
            }
            result = statusFromErrno(errno, pathToUtf8(errno == EIO ? from : to));
            break;
        }
        if (buffer.empty())
            buffer.resize(std::size_t{1} << 18);
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result = statusFromErrno(errno, pathToUtf8(from));
            break;
        }
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0) {
                result = statusFromErrno(errno, pathToUtf8(to));
                break;
            }
            done += w;
        }
        if (!result.isOk())
            break;
    }
    ::close(in);
    if (::close(out) != 0 && result.isOk())
        result = statusFromErrno(errno, pathToUtf8(to));
    return result;
}
#endif

class RealFileSystem : public FileSystem {
public:
    bool isFile(const fs::path& path) override {
        std::error_code ec;
        return fs::is_regular_file(path, ec);
    }
    bool isDirectory(const fs::path& path) override {
        std::error_code ec;
        return fs::is_directory(path, ec);
    }
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
            out.push_back({pathToUtf8(it->path().filename()), it->is_directory(tec)});
        }
        if (ec)
            return fromErrorCode(ec, dir);
        return out;
    }
    Result<std::unique_ptr<InputFile>> openRead(const fs::path& path) override {
        errno = 0;
        std::FILE* f = openStdio(path, false);
        if (!f)
            return statusFromErrno(errno ? errno : EIO, pathToUtf8(path));
        return std::unique_ptr<InputFile>(new StdioInput(f, path));
    }
    Result<std::unique_ptr<OutputFile>> openWrite(const fs::path& path) override {
        errno = 0;
        std::FILE* f = openStdio(path, true);
        if (!f)
            return statusFromErrno(errno ? errno : EIO, pathToUtf8(path));
        return std::unique_ptr<OutputFile>(new StdioOutput(f, path));
    }
    Status createDirectory(const fs::path& path) override {
        std::error_code ec;
        if (!fs::create_directory(path, ec) && ec)
            return fromErrorCode(ec, path);
        return Status::ok();
    }
    Status removeTree(const fs::path& path, bool forceReadOnly) override {
        std::error_code ec;
        if (forceReadOnly)
            makeWritable(path);
        fs::remove_all(path, ec);
        if (ec)
            return fromErrorCode(ec, path);
        return Status::ok();
    }
    Status removeFile(const fs::path& path) override {
        std::error_code ec;
        if (!fs::remove(path, ec) && ec)
            return fromErrorCode(ec, path);
        return Status::ok();
    }
    Status copyFile(const fs::path& from, const fs::path& to) override {
        std::error_code ec;
#ifdef _WIN32
        // MinGW's std::filesystem::copy_file takes every existing target for the source
        // itself (Windows reports no inode numbers) and refuses to overwrite it.
        if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
            ec = std::error_code(static_cast<int>(GetLastError()), std::system_category());
        if (ec)
            return fromErrorCode(ec, from);
        return Status::ok();
#else
        return copyPosix(from, to);
#endif
    }
    Result<std::uint64_t> freeSpace(const fs::path& path) override {
        std::error_code ec;
        const fs::space_info info = fs::space(path, ec);
        if (ec)
            return fromErrorCode(ec, path);
        return static_cast<std::uint64_t>(info.available);
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
};

} // namespace

AppendOutcome OutputFile::appendFrom(InputFile& source, std::uint64_t length,
                                     std::span<std::uint8_t> buffer) {
    AppendOutcome outcome;
    while (outcome.appended < length && !buffer.empty()) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - outcome.appended));
        auto n = source.read(buffer.first(want));
        if (!n) {
            outcome.readError = n.status();
            break;
        }
        if (*n == 0)
            break;
        const std::size_t got = std::min(*n, want);
        if (Status s = write(buffer.first(got)); !s) {
            outcome.writeError = s;
            break;
        }
        outcome.appended += got;
    }
    return outcome;
}

FileSystem& realFileSystem() {
    static RealFileSystem instance;
    return instance;
}

Result<std::vector<std::uint8_t>> readFilePrefix(FileSystem& fs, const fs::path& path, std::size_t maxBytes) {
    auto file = fs.openRead(path);
    if (!file)
        return file.status();
    std::vector<std::uint8_t> data(maxBytes);
    std::size_t filled = 0;
    while (filled < maxBytes) {
        auto n = (*file)->read(std::span(data).subspan(filled));
        if (!n)
            return n.status();
        if (*n == 0)
            break;
        filled += *n;
    }
    data.resize(filled);
    return data;
}

Status writeWholeFile(FileSystem& fs, const fs::path& path, std::span<const std::uint8_t> data) {
    auto file = fs.openWrite(path);
    if (!file)
        return file.status();
    if (Status s = (*file)->write(data); !s)
        return s;
    return (*file)->close();
}

} // namespace lw
