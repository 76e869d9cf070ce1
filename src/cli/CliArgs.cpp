#include "cli/CliArgs.h"

#include <algorithm>
#include <array>

namespace lw {

namespace {

constexpr CliOption kHelp{"--help", "", "print this usage (also -h)"};

constexpr std::array kListOptions = {
    CliOption{"--order", "standard|alphabetical", "order of the working list (standard)"},
    CliOption{"--json", "", "print the list as one JSON object"},
    kHelp,
};

constexpr std::array kTransferOptions = {
    CliOption{"--card", "DIR", "write onto the card whose root folder is DIR"},
    CliOption{"--restore-file", "FILE", "write the restore file FILE for the Song Manager"},
    CliOption{"--order", "standard|alphabetical", "order of the working list (standard)"},
    CliOption{"--layout", "keep|sequential",
              "keep the backup's folders, or songs one after the other (keep; an alphabetical list is always "
              "sequential)"},
    CliOption{"--unmark", "INDEX", "unmark the song with this Index (e.g. 00703); repeatable"},
    CliOption{"--unmark-folder", "NNN", "unmark folder NNN and its songs; repeatable"},
    CliOption{"--only", "INDEX", "start with nothing marked and mark just these songs; repeatable"},
    CliOption{"--rename", "INDEX=NAME", "the song's KN7000 name (16 characters kept); repeatable"},
    CliOption{"--card-size", "MB", "restore file: card of 8, 16, 32, 64, 128, 256, 512 or 1024 MB (64)"},
    CliOption{"--cluster-size", "BYTES",
              "restore file: 2048, 4096, 8192, 16384 or 32768 (from the card size)"},
    CliOption{"--yes", "", "card: replace the card's PRIVATE folder without asking"},
    CliOption{"--allow-fixed", "", "card: accept a DIR that is not the root of a removable medium"},
    CliOption{"--add", "",
              "card: keep the card's songs and add the marked ones in new folders after them (no question)"},
    CliOption{"--dry-run", "",
              "write nothing; print where each song would go, what is left out, and how full the card gets"},
    CliOption{"--json", "", "with --dry-run: print the plan as one JSON object"},
    CliOption{"--quiet", "", "print only errors and the closing summary"},
    kHelp,
};

constexpr std::array kInspectOptions = {
    CliOption{"--json", "", "print the findings as one JSON object"},
    kHelp,
};

constexpr std::array kUnpackOptions = {
    CliOption{"--to", "DIR", "the folder that receives the entries, as a card's root"},
    CliOption{"--yes", "", "replace DIR's PRIVATE folder without asking"},
    CliOption{"--allow-fixed", "", "accept a DIR that is not the root of a removable medium"},
    CliOption{"--quiet", "", "print only errors and the closing summary"},
    kHelp,
};

constexpr std::array kCommands = {
    CliCommand{"list", "BACKUP_DIR [--order standard|alphabetical] [--json]",
               "print the working list of a backup",
               "Recognises the KN2000, KN3000, KN5000 or KN6000/6500 backup in BACKUP_DIR and prints\n"
               "its working list: folder rows and song rows with their marks.\n",
               kListOptions},
    CliCommand{"transfer", "BACKUP_DIR (--card DIR | --restore-file FILE) [options]",
               "write the marked songs to a card or a restore file",
               "Writes the marked songs of the backup in BACKUP_DIR onto the card whose root is DIR,\n"
               "or into the restore file FILE for the Song Manager.\n",
               kTransferOptions},
    CliCommand{"inspect", "PATH [--json]", "check and show a restore file, KN7000MN.INF or card",
               "PATH is a restore file, a KN7000MN.INF, or a card root (a folder holding\n"
               "PRIVATE/TECHNICS/KN7000). Checks its structure and prints what it holds.\n",
               kInspectOptions},
    CliCommand{"unpack", "RESTORE_FILE --to DIR [--yes] [--allow-fixed]",
               "write a restore file's entries into a folder as a card would get them",
               "Writes every entry of the restore file under DIR as the card would receive it, after\n"
               "replacing DIR's PRIVATE folder. DIR must be the root of a removable medium unless\n"
               "--allow-fixed is given; an existing PRIVATE folder is replaced only with --yes or\n"
               "after a yes on the terminal.\n",
               kUnpackOptions},
};

} // namespace

std::span<const CliCommand> cliCommands() {
    return kCommands;
}

const CliCommand* findCommand(std::string_view name) {
    for (const CliCommand& c : kCommands)
        if (c.name == name)
            return &c;
    return nullptr;
}

std::string_view programDescription() {
    return "Puts the songs of a KN2000, KN3000, KN5000 or KN6000/6500 backup onto a KN7000 SD card,\n"
           "or into a restore file for the Song Manager.\n";
}

std::string programUsage() {
    std::string out =
        "usage: liedwerk-cli COMMAND [ARGS]\n\n" + std::string(programDescription()) + "\ncommands:\n";
    for (const CliCommand& c : kCommands) {
        std::string left =
            "  " + std::string(c.name) + " " + std::string(c.synopsis.substr(0, c.synopsis.find(' ')));
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        out += left + std::string(c.summary) + "\n";
    }
    out += "\nRun liedwerk-cli COMMAND --help for a command's options.\n";
    return out;
}

std::string commandUsage(const CliCommand& command) {
    std::string out = "usage: liedwerk-cli " + std::string(command.name) + " " +
                      std::string(command.synopsis) + "\n\n" + std::string(command.description) +
                      "\noptions:\n";
    for (const CliOption& o : command.options) {
        std::string left = "  " + std::string(o.name) + (o.value.empty() ? "" : " " + std::string(o.value));
        left.resize(std::max<std::size_t>(left.size() + 2, 34), ' ');
        out += left + std::string(o.help) + "\n";
    }
    return out;
}

bool CliArgs::parse(const std::vector<std::string>& args, const CliCommand& command) {
    const auto optionNamed = [&](const std::string& name) -> const CliOption* {
        for (const CliOption& o : command.options)
            if (o.name == name)
                return &o;
        return nullptr;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            m_positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "-h") {
            m_flags.insert("--help");
            continue;
        }
        std::string name = a;
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); eq != std::string::npos && a.starts_with("--")) {
            name = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
        }
        const CliOption* option = optionNamed(name);
        if (!option) {
            m_error = "unknown option " + name;
            return false;
        }
        if (option->value.empty()) {
            if (inlineValue) {
                m_error = "option " + name + " takes no value";
                return false;
            }
            m_flags.insert(name);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                m_error = "option " + name + " needs a value";
                return false;
            }
            inlineValue = args[++i];
        }
        m_values[name].push_back(*inlineValue);
    }
    return true;
}

std::optional<std::string> CliArgs::value(const std::string& option) const {
    const auto it = m_values.find(option);
    if (it == m_values.end() || it->second.empty())
        return std::nullopt;
    return it->second.back();
}

std::vector<std::string> CliArgs::values(const std::string& option) const {
    const auto it = m_values.find(option);
    return it == m_values.end() ? std::vector<std::string>{} : it->second;
}

} // namespace lw
