#include "WineDrives.h"

#include "platform/Path.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace lw::test {

std::string environmentUtf8(const char* name) {
    // The wide environment: a narrow getenv would pass values through the ANSI code page.
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wide.c_str());
    return value ? pathToUtf8(std::filesystem::path(value)) : std::string();
}

namespace {

std::optional<DriveType> typeNamed(const std::string& name) {
    if (name == "removable")
        return DriveType::Removable;
    if (name == "fixed")
        return DriveType::Fixed;
    if (name == "remote")
        return DriveType::Remote;
    if (name == "cdrom")
        return DriveType::CdRom;
    if (name == "ramdisk")
        return DriveType::RamDisk;
    return std::nullopt;
}

} // namespace

std::optional<WineDrives> wineDrives() {
    const std::string list = environmentUtf8("LIEDWERK_WINE_DRIVES");
    if (list.empty())
        return std::nullopt;
    WineDrives drives;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ';');) {
        const auto eq = item.find('=');
        if (eq == std::string::npos)
            continue;
        if (auto type = typeNamed(item.substr(eq + 1)))
            drives.types[item.substr(0, eq)] = *type;
    }
    drives.cardDrive = environmentUtf8("LIEDWERK_WINE_CARD_DRIVE");
    drives.cardFolder = environmentUtf8("LIEDWERK_WINE_CARD_FOLDER");
    if (const std::string free = environmentUtf8("LIEDWERK_WINE_CARD_FREE"); !free.empty())
        drives.cardFree = std::strtoull(free.c_str(), nullptr, 10);
    return drives;
}

} // namespace lw::test
