// The window program's command line in one place: `liedwerk --help` prints it, and the
// manual page liedwerk(1) is made from it when the program is built, so the two cannot
// differ. Plain text without Qt, so that the manual's maker needs no window library.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lw::ui {

struct WindowArgument {
    std::string_view name; // as typed: "FOLDER", "LNGID=1|2", "-h, --help"
    std::string_view help; // one sentence or two, without line breaks
};

struct WindowExample {
    std::string_view what;      // what it does, a sentence
    std::string_view arguments; // what follows "liedwerk"
};

inline constexpr std::string_view kWindowSynopsis = "[FOLDER] [LNGID=1|2]";

// Lines ended by "\n", as the usage prints them; the manual page fills them into a paragraph.
inline constexpr std::string_view kWindowDescription =
    "Brings the songs of a Technics KN2000, KN3000, KN5000 or KN6000/6500 to the KN7000. Reads a\n"
    "song backup from a folder, lists its folders and songs, lets you choose and rename them, and\n"
    "writes them in the KN7000's SD-card layout: straight onto an SD card in a card reader, or into\n"
    "one restore file (RestorSDB/Restore.sdb) that the Song Manager puts onto a card. The backup\n"
    "folder is only ever read.\n";

inline constexpr std::array kWindowArguments = {
    WindowArgument{"FOLDER", "open this backup folder once the main window shows, as \"Open with\" does"},
    WindowArgument{"LNGID=1|2", "speak German (1) or English (2) in this run; the saved choice stays"},
    WindowArgument{"-h, --help", "print this usage and where the help files are, and exit"},
};

inline constexpr std::array kWindowExamples = {
    WindowExample{"Open the window with the KN5000 backup in ~/Backups/kn5000:", "~/Backups/kn5000"},
    WindowExample{"Open the window in English for this run:", "LNGID=2"},
};

// The usage as `liedwerk --help` prints it (the help files' places follow it there).
inline std::string windowUsage() {
    std::string out = "usage: liedwerk " + std::string(kWindowSynopsis) + "\n\n" +
                      std::string(kWindowDescription) + "\narguments:\n";
    for (const WindowArgument& a : kWindowArguments) {
        std::string left = "  " + std::string(a.name);
        left.resize(left.size() + 2 > 16 ? left.size() + 2 : 16, ' ');
        out += left + std::string(a.help) + "\n";
    }
    out += "\nMore in the manual page liedwerk(1) and in the help (F1).\n";
    return out;
}

} // namespace lw::ui
