// A file system for tests that behaves like the real one except where a test asks for
// a fault: a file that cannot be opened, a read that fails after some bytes, or a
// directory listing in an order the test chooses (real listings come in whatever
// order the disk keeps).
#pragma once

#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lw::test {

class BackupFaultFs : public FileSystem {
public:
    // Files whose name (last path component) equals failOpenName cannot be opened.
    std::string failOpenName;
    int openErrno = EACCES;
    // Reading files named failReadName fails once readFailAfter bytes have been delivered.
    std::string failReadName;
    std::size_t readFailAfter = 0;
    int readErrno = EIO;
    // When set, every directory lists exactly these entries, in this order.
    std::optional<std::vector<DirectoryEntry>> listing;

    bool isFile(const std::filesystem::path& p) override { return real().isFile(p); }
    bool isDirectory(const std::filesystem::path& p) override { return real().isDirectory(p); }
    Result<std::uint64_t> fileSize(const std::filesystem::path& p) override { return real().fileSize(p); }
    Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& dir) override {
        if (listing)
            return *listing;
        return real().listDirectory(dir);
    }
    Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& p) override {
        if (!failOpenName.empty() && pathToUtf8(p.filename()) == failOpenName)
            return statusFromErrno(openErrno, pathToUtf8(p));
        auto file = real().openRead(p);
        if (!file || failReadName.empty() || pathToUtf8(p.filename()) != failReadName)
            return file;
        return std::unique_ptr<InputFile>(
            new FailingInput(std::move(*file), pathToUtf8(p), readFailAfter, readErrno));
    }
    Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& p) override {
        return real().openWrite(p);
    }
    Status createDirectory(const std::filesystem::path& p) override { return real().createDirectory(p); }
    Status removeTree(const std::filesystem::path& p, bool force) override {
        return real().removeTree(p, force);
    }
    Status removeFile(const std::filesystem::path& p) override { return real().removeFile(p); }
    Status copyFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return real().copyFile(from, to);
    }
    Result<std::uint64_t> freeSpace(const std::filesystem::path& p) override { return real().freeSpace(p); }
    Result<std::uint64_t> directorySize(const std::filesystem::path& d) override {
        return real().directorySize(d);
    }

private:
    static FileSystem& real() { return realFileSystem(); }

    class FailingInput : public InputFile {
    public:
        FailingInput(std::unique_ptr<InputFile> inner, std::string path, std::size_t failAfter, int err)
            : m_inner(std::move(inner)), m_path(std::move(path)), m_left(failAfter), m_errno(err) {}
        Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
            if (m_left == 0)
                return statusFromErrno(m_errno, m_path);
            auto n = m_inner->read(buffer.first(std::min(buffer.size(), m_left)));
            if (n)
                m_left -= *n;
            return n;
        }

    private:
        std::unique_ptr<InputFile> m_inner;
        std::string m_path;
        std::size_t m_left;
        int m_errno;
    };
};

} // namespace lw::test
