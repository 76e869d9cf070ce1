// Small helpers shared by the tests: a temporary folder that cleans up after itself,
// the project's sample backups, and whole-file reads for comparing outputs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace lw::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The project's source folder, and a shipped sample backup ("kn5000", ...).
std::filesystem::path sourceDir();
std::filesystem::path sampleDir(const std::string& kind);

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::string readText(const std::filesystem::path& path);

// Every file below a folder with its bytes, by path relative to it ("a/b.SQT"); a missing
// folder holds no files.
using FileTree = std::map<std::string, std::vector<std::uint8_t>>;
FileTree fileTree(const std::filesystem::path& root);

} // namespace lw::test
