// The program's folder: where the settings file "Liedwerk.ini" and the restore file's
// folder "RestorSDB" live. It is the executable's folder when that folder is writable
// (a portable install); otherwise a per-user data folder ($XDG_DATA_HOME/liedwerk or
// ~/.local/share/liedwerk on Linux, %LOCALAPPDATA%\Liedwerk on Windows), created on demand.
// An installation's bin folder (/usr/bin, ~/.local/bin: share/liedwerk lies beside it) is never
// the program's folder, even when it is writable (to root, or to its owner): it holds programs.
#pragma once

#include <filesystem>
#include <optional>

namespace lw {

class ProgramFolder {
public:
    virtual ~ProgramFolder() = default;
    virtual std::filesystem::path path() = 0;
};

// The real rule above. The environment variable LIEDWERK_PROGRAM_FOLDER, when set,
// names the folder instead (for scripted runs that must not touch the user's files).
ProgramFolder& realProgramFolder();

// The folder that holds the running executable, if it can be determined.
std::optional<std::filesystem::path> executableFolder();

// The per-user data folder of the rule above, from the given environment values
// (empty when unset). Split out so that the rule can be tested without an environment.
std::filesystem::path perUserFolder(const std::filesystem::path& xdgDataHome,
                                    const std::filesystem::path& home,
                                    const std::filesystem::path& localAppData);

// True when a file can be created in the folder.
bool isWritableFolder(const std::filesystem::path& folder);

// The settings file of a program folder: that folder plus "Liedwerk.ini".
std::filesystem::path settingsFilePath(const std::filesystem::path& programFolder);

// The restore file of a program folder: that folder plus "RestorSDB" and "Restore.sdb".
std::filesystem::path restoreFilePath(const std::filesystem::path& programFolder);

} // namespace lw
