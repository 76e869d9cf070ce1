#include "platform/ProgramFolder.h"
#include "platform/Path.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace lw {
namespace fs = std::filesystem;

namespace {

fs::path envPath(const char* name) {
#ifdef _WIN32
    std::wstring wname(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wname.c_str());
    return value && *value ? fs::path(value) : fs::path();
#else
    const char* value = std::getenv(name);
    return value && *value ? pathFromUtf8(value) : fs::path();
#endif
}

// The bin folder of an installation: the help files' share/liedwerk lies beside it.
bool isInstalledProgramFolder(const fs::path& executableFolder) {
    std::error_code ec;
    return fs::is_directory(executableFolder.parent_path() / "share" / "liedwerk", ec);
}

class RealProgramFolder : public ProgramFolder {
public:
    fs::path path() override {
        if (m_resolved)
            return m_path;
        m_resolved = true;
        if (fs::path forced = envPath("LIEDWERK_PROGRAM_FOLDER"); !forced.empty()) {
            std::error_code ec;
            fs::create_directories(forced, ec);
            m_path = forced;
            return m_path;
        }
        if (auto exe = executableFolder(); exe && !isInstalledProgramFolder(*exe) && isWritableFolder(*exe)) {
            m_path = *exe;
            return m_path;
        }
        m_path = perUserFolder(envPath("XDG_DATA_HOME"), envPath("HOME"), envPath("LOCALAPPDATA"));
        std::error_code ec;
        fs::create_directories(m_path, ec);
        return m_path;
    }

private:
    bool m_resolved = false;
    fs::path m_path;
};

} // namespace

ProgramFolder& realProgramFolder() {
    static RealProgramFolder instance;
    return instance;
}

std::optional<fs::path> executableFolder() {
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return std::nullopt;
    buffer.resize(n);
    return fs::path(buffer).parent_path();
#else
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return std::nullopt;
    return exe.parent_path();
#endif
}

fs::path perUserFolder(const fs::path& xdgDataHome, const fs::path& home, const fs::path& localAppData) {
#ifdef _WIN32
    (void)xdgDataHome;
    if (!localAppData.empty())
        return localAppData / "Liedwerk";
    if (!home.empty())
        return home / "AppData" / "Local" / "Liedwerk";
    return fs::temp_directory_path() / "Liedwerk";
#else
    (void)localAppData;
    if (!xdgDataHome.empty() && xdgDataHome.is_absolute())
        return xdgDataHome / "liedwerk";
    if (!home.empty())
        return home / ".local" / "share" / "liedwerk";
    return fs::temp_directory_path() / "liedwerk";
#endif
}

bool isWritableFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return false;
#ifdef _WIN32
    // Access checks on Windows do not tell about UAC-protected folders: try a file.
    const fs::path probe = folder / ".liedwerk-write-test";
    FILE* f = _wfopen(probe.c_str(), L"wb");
    if (!f)
        return false;
    std::fclose(f);
    fs::remove(probe, ec);
    return true;
#else
    return ::access(folder.c_str(), W_OK) == 0;
#endif
}

fs::path settingsFilePath(const fs::path& programFolder) {
    return programFolder / "Liedwerk.ini";
}

fs::path restoreFilePath(const fs::path& programFolder) {
    return programFolder / "RestorSDB" / "Restore.sdb";
}

} // namespace lw
