// What the window needs of the world, passed in so that tests can put doubles in place
// of the file system, the drive list, the program's folder and the message boxes.
#pragma once

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "settings/Localisation.h"
#include "ui/MessageBoxes.h"

#include <filesystem>

namespace lw::ui {

struct AppContext {
    FileSystem& fs;
    Drives& drives;
    ProgramFolder& programFolder;
    Localisation& localisation;
    MessageBoxes& messageBoxes;
    // Offered first in the drive list (the user's home folder on Linux); empty for none.
    std::filesystem::path homeFolder;
};

} // namespace lw::ui
