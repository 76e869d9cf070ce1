// What scripts/test-windows.sh tells the Windows tests about the drives of its Wine
// prefix, through the environment:
//   LIEDWERK_WINE_DRIVES       "a:=removable;d:=cdrom;e:=removable;f:=remote"
//   LIEDWERK_WINE_CARD_DRIVE   "e:", the drive that stands for a card reader
//   LIEDWERK_WINE_CARD_FOLDER  the Linux folder behind that drive
//   LIEDWERK_WINE_CARD_FREE    free bytes of that folder's file system, as df counted them
// On a real Windows none of these is set, and the tests that need them skip.
#pragma once

#include "platform/Drives.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace lw::test {

// The value of an environment variable as UTF-8; empty when unset.
std::string environmentUtf8(const char* name);

struct WineDrives {
    std::map<std::string, DriveType> types; // "e:" -> Removable
    std::string cardDrive;                  // "e:"
    std::string cardFolder;                 // Linux path, UTF-8
    std::optional<std::uint64_t> cardFree;
};

// The prefix's drives, or nullopt when the tests do not run in that prefix.
std::optional<WineDrives> wineDrives();

} // namespace lw::test
