// What scripts/test-windows.sh tells the Windows tests about the drives of its Wine
// prefix, through the environment: LIEDWERK_WINE_DRIVES "a:=removable;d:=cdrom;e:=removable;
// f:=remote", LIEDWERK_WINE_CARD_DRIVE "e:" (the drive that stands for a card reader), and
// LIEDWERK_WINE_CARD_FREE (free bytes of that drive's file system, as df counted them).
// On a real Windows none of these is set, and the tests that need them skip.
#pragma once

#include "platform/Drives.h"
#include "platform/Path.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace lw::test {

struct WineDrives {
    std::map<std::string, DriveType> types; // "e:" -> Removable
    std::string cardDrive;                  // "e:"
    std::optional<std::uint64_t> cardFree;
};

// The wide environment: a narrow getenv would pass values through the ANSI code page.
inline std::string environmentUtf8(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? pathToUtf8(std::filesystem::path(value)) : std::string();
}

// The prefix's drives, or nullopt when the tests do not run in that prefix.
inline std::optional<WineDrives> wineDrives() {
    const std::map<std::string, DriveType> named = {{"removable", DriveType::Removable},
                                                    {"fixed", DriveType::Fixed},
                                                    {"remote", DriveType::Remote},
                                                    {"cdrom", DriveType::CdRom}};
    WineDrives drives;
    std::istringstream in(environmentUtf8(L"LIEDWERK_WINE_DRIVES"));
    for (std::string item; std::getline(in, item, ';');)
        if (const auto eq = item.find('='); eq != std::string::npos && named.count(item.substr(eq + 1)))
            drives.types[item.substr(0, eq)] = named.at(item.substr(eq + 1));
    if (drives.types.empty())
        return std::nullopt;
    drives.cardDrive = environmentUtf8(L"LIEDWERK_WINE_CARD_DRIVE");
    if (const std::string free = environmentUtf8(L"LIEDWERK_WINE_CARD_FREE"); !free.empty())
        drives.cardFree = std::strtoull(free.c_str(), nullptr, 10);
    return drives;
}

} // namespace lw::test
