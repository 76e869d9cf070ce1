// A file system for tests that behaves like the real one except where a test asks for
// a fault: a file that cannot be opened, a read that fails after some bytes, or a
// directory listing in an order the test chooses (real listings come in whatever
// order the disk keeps).
#pragma once

#include "platform/Path.h"
#include "support/ForwardingFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lw::test {

class BackupFaultFs : public ForwardingFileSystem {
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

private:
    static FileSystem& real() { return realFileSystem(); }

    class FailingInput : public InputFile {
    public:
        FailingInput(std::unique_ptr<InputFile> inner, std::string path, std::size_t failAfter, int err)
            : m_inner(std::move(inner)), m_path(std::move(path)), m_left(failAfter), m_errno(err) {}
        std::uint64_t size() const override { return m_inner->size(); }
        Status seek(std::uint64_t offset) override { return m_inner->seek(offset); }
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
