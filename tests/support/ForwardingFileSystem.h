// A file system that passes every call on to another one (the real one by default), for
// test doubles that change only what their case needs.
#pragma once

#include "platform/FileSystem.h"

namespace lw::test {

class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& inner = realFileSystem()) : m_inner(inner) {}

    bool isFile(const std::filesystem::path& p) override { return m_inner.isFile(p); }
    bool isDirectory(const std::filesystem::path& p) override { return m_inner.isDirectory(p); }
    bool exists(const std::filesystem::path& p) override { return m_inner.exists(p); }
    Result<std::uint64_t> fileSize(const std::filesystem::path& p) override { return m_inner.fileSize(p); }
    Result<std::vector<DirectoryEntry>> listDirectory(const std::filesystem::path& d) override {
        return m_inner.listDirectory(d);
    }
    Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& p) override {
        return m_inner.openRead(p);
    }
    Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& p) override {
        return m_inner.openWrite(p);
    }
    Result<std::unique_ptr<OutputFile>> createNew(const std::filesystem::path& p) override {
        return m_inner.createNew(p);
    }
    Result<std::unique_ptr<StagedFile>> createStaged(const std::filesystem::path& p) override {
        return m_inner.createStaged(p);
    }
    Status createDirectory(const std::filesystem::path& p) override { return m_inner.createDirectory(p); }
    Status removeTree(const std::filesystem::path& p, bool force) override {
        return m_inner.removeTree(p, force);
    }
    Status removeFile(const std::filesystem::path& p) override { return m_inner.removeFile(p); }
    Result<std::uint64_t> freeSpace(const std::filesystem::path& p) override { return m_inner.freeSpace(p); }
    Result<std::uint64_t> allocationUnit(const std::filesystem::path& p) override {
        return m_inner.allocationUnit(p);
    }
    Result<std::uint64_t> directorySize(const std::filesystem::path& d) override {
        return m_inner.directorySize(d);
    }
    std::optional<FileId> identity(const std::filesystem::path& p, bool follow) override {
        return m_inner.identity(p, follow);
    }
    Result<std::unique_ptr<OutputLock>> lockOutput(const std::filesystem::path& folder,
                                                   const std::string& name) override {
        return m_inner.lockOutput(folder, name);
    }
    Status flushTree(const std::filesystem::path& folder) override { return m_inner.flushTree(folder); }

protected:
    FileSystem& m_inner;
};

} // namespace lw::test
