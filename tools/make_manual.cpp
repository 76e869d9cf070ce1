// liedwerk-make-manual OUTPUT_DIR VERSION: makes the manual pages liedwerk-cli.1 and
// liedwerk.1 and the bash completion of liedwerk-cli (a file named liedwerk-cli) from the
// tables that the programs' --help prints: the command line's commands and options
// (cli/CliArgs), the window's arguments (ui/WindowUsage.h), the card and cluster sizes
// (card/CardSizes.h) and the exit statuses (cli/Cli.h). The build runs it, so a page or the
// completion cannot offer what the program does not take. Every example is parsed against
// the command table first; one that the program would refuse stops the build.
#include "card/CardSizes.h"
#include "cli/Cli.h"
#include "cli/CliArgs.h"
#include "ui/WindowUsage.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lw;

struct Example {
    std::string_view what;
    std::vector<std::string> args; // after "liedwerk-cli"
};

const std::vector<Example> kCliExamples = {
    {"Print the working list of a backup:", {"list", "~/Backups/kn5000"}},
    {"The same list in alphabetical order, as one JSON object:",
     {"list", "~/Backups/kn6000", "--order", "alphabetical", "--json"}},
    {"Write the marked songs into a restore file for a 128 MB card:",
     {"transfer", "~/Backups/kn5000", "--restore-file", "/tmp/Restore.sdb", "--card-size", "128"}},
    {"Write them straight onto the card mounted at /media/anna/SDCARD, replacing its PRIVATE folder "
     "without asking:",
     {"transfer", "~/Backups/kn5000", "--card", "/media/anna/SDCARD", "--yes"}},
    {"Only two songs, one of them renamed, written one after the other:",
     {"transfer", "~/Backups/kn5000", "--restore-file", "out.sdb", "--only", "00101", "--only", "00301",
      "--rename", "00301=Night in Blue", "--layout", "sequential"}},
    {"Check a restore file, then a card:", {"inspect", "/tmp/Restore.sdb"}},
    {"", {"inspect", "/media/anna/SDCARD"}},
    {"Unpack a restore file into a folder as the card would receive it:",
     {"unpack", "/tmp/Restore.sdb", "--to", "/tmp/card", "--allow-fixed"}},
};

// ----- roff ------------------------------------------------------------------------------

// Text for a roff line: backslashes kept, and the hyphens of options and program names as
// minus signs, so that what a reader copies from the page can be typed as it is.
std::string roff(std::string_view text) {
    std::string out;
    bool literalWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool wordStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '(' || text[i - 1] == '[' ||
                               text[i - 1] == '"' || text[i - 1] == '|';
        if (wordStart)
            literalWord = c == '-' || text.substr(i).starts_with("liedwerk-");
        if (c == ' ')
            literalWord = false;
        if (c == '\\')
            out += "\\e";
        else if (c == '-' && literalWord)
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// Lines ended by "\n" as one paragraph line; a line that would start with a control
// character of roff is guarded.
std::string paragraph(std::string_view text) {
    std::string joined;
    for (char c : text)
        joined += c == '\n' ? ' ' : c;
    while (!joined.empty() && joined.back() == ' ')
        joined.pop_back();
    std::string out = roff(joined);
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out + "\n";
}

// A usage text in roff's fonts: options and literal words bold, placeholders italic,
// brackets and bars upright.
std::string usageRoff(std::string_view text, const std::set<std::string, std::less<>>& literals) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto isWordChar = [&](std::size_t k) {
            const char c = text[k];
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '/' ||
                   (c == '-' && k + 1 < text.size() && text[k + 1] != ' ');
        };
        if (!isWordChar(i)) {
            out += text[i] == '\\' ? std::string("\\e") : std::string(1, text[i]);
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && isWordChar(end))
            ++end;
        const std::string_view word = text.substr(i, end - i);
        const bool literal = word[0] == '-' || literals.contains(word) ||
                             word.find_first_not_of("0123456789") == std::string_view::npos;
        out += (literal ? "\\fB" : "\\fI") + roff(word) + "\\fR";
        i = end;
    }
    return out;
}

// The literal words of a command: its options and the choices of their values.
std::set<std::string, std::less<>> literalsOf(const CliCommand& c) {
    std::set<std::string, std::less<>> out{std::string(c.name)};
    for (const CliOption& o : c.options) {
        out.emplace(o.name);
        std::string_view v = o.value;
        if (v.find('|') == std::string_view::npos)
            continue;
        while (!v.empty()) {
            const std::size_t bar = v.find('|');
            out.emplace(v.substr(0, bar));
            v = bar == std::string_view::npos ? std::string_view() : v.substr(bar + 1);
        }
    }
    return out;
}

std::string shellQuoted(const std::string& arg) {
    if (arg.find_first_of(" \"'$`\\;&|<>()*?") == std::string::npos)
        return arg;
    return "\"" + arg + "\"";
}

// An example as a shell command, its lines continued with a backslash where it would be
// wider than a terminal of 80 columns shows in the page's indent.
std::string exampleRoff(std::string_view what, const std::vector<std::string>& words) {
    std::string out;
    if (!what.empty())
        out += ".PP\n" + paragraph(what);
    std::string lines;
    std::string line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        // An option stays on one line with its value.
        std::string quoted = shellQuoted(words[i]);
        if (words[i].starts_with("-") && i + 1 < words.size() && !words[i + 1].starts_with("-"))
            quoted += " " + shellQuoted(words[++i]);
        if (!line.empty() && line.size() + 1 + quoted.size() > 64) {
            lines += roff(line) + " \\e\n";
            line = "    " + quoted;
        } else {
            line += (line.empty() ? "" : " ") + quoted;
        }
    }
    lines += roff(line) + "\n";
    return out + ".PP\n.RS 4\n.EX\n" + lines + ".EE\n.RE\n";
}

std::string header(std::string_view name, std::string_view version) {
    std::string upper;
    for (char c : name)
        upper += c == '-' ? std::string("\\-")
                          : std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    // Neither hyphenated nor justified: an option or a path broken across lines cannot be copied.
    return ".TH " + upper + " 1 \"\" \"Liedwerk " + std::string(version) + "\" \"User Commands\"\n" +
           ".nr HY 0\n.ds AD l\n.nh\n.ad l\n";
}

std::string cliPage(std::string_view version) {
    std::string out = header("liedwerk-cli", version);
    out +=
        ".SH NAME\nliedwerk\\-cli \\- put Technics KN2000 to KN6000/6500 song backups onto KN7000 SD cards\n";

    out += ".SH SYNOPSIS\n";
    for (const CliCommand& c : cliCommands())
        out += ".B liedwerk\\-cli\n" +
               usageRoff(std::string(c.name) + " " + std::string(c.synopsis), literalsOf(c)) + "\n.br\n";
    out += ".B liedwerk\\-cli\n.RI [ COMMAND ]\n.B \\-\\-help\n";

    out += ".SH DESCRIPTION\n" + paragraph(programDescription());
    out +=
        ".PP\n" +
        paragraph("It does the job of the window liedwerk(1) without a display, so that it can be scripted. "
                  "The backup folder is only ever read: a run whose output would write, replace or "
                  "delete anything of it is refused before anything is touched.");
    out +=
        ".PP\n" + paragraph("An option's value follows it as the next argument or after \"=\" "
                            "(--order alphabetical, --order=alphabetical). -- ends the options, for a folder "
                            "whose name begins with -; -h works like --help on every command.");

    out += ".SH COMMANDS\n";
    for (const CliCommand& c : cliCommands()) {
        const auto literals = literalsOf(c);
        out += ".SS " + std::string(c.name) + "\n";
        out += "\\fBliedwerk\\-cli\\fR " +
               usageRoff(std::string(c.name) + " " + std::string(c.synopsis), literals) + "\n.PP\n" +
               paragraph(c.description);
        for (const CliOption& o : c.options) {
            out += ".TP\n" + usageRoff(o.name, literals);
            if (!o.value.empty())
                out += " " + usageRoff(o.value, literals);
            out += "\n" + paragraph(o.help);
        }
    }

    out +=
        ".SH OUTPUT\n" +
        paragraph("A transfer prints one line per handled song on standard output: its place on the card "
                  "(for example TFLD001/0100101_), OK or not found, and its name. An unpack prints one line "
                  "per file it writes. Both end with a summary: where the result is, or why the run stopped "
                  "early.") +
        ".PP\n" +
        paragraph("When standard error is a terminal, both also show one progress line there: songs or files "
                  "done of all, megabytes written, speed and time left, redrawn in place and cleared at the "
                  "end. When it is not a terminal, nothing of it appears, and standard output is the same "
                  "either way. --quiet prints only errors and the closing summary.") +
        ".PP\n" +
        paragraph(
            "Names are shown with control characters escaped (\\x1B); JSON output is always valid UTF-8. "
            "Errors go to standard error as one line that begins with liedwerk-cli: and names the file.");

    out += ".SH EXIT STATUS\n";
    const std::pair<int, std::string_view> statuses[] = {
        {kExitOk, "The command did its whole job."},
        {kExitError,
         "An error: no backup in the folder, a table or file that cannot be read, a card that does "
         "not answer, an output that cannot be written, a malformed restore or information file."},
        {kExitUsage, "Wrong usage: an unknown option, a missing argument, a bad value, no command."},
        {kExitStoppedEarly, "A transfer stopped early: the card is full, or its 99 folders are used up."},
    };
    for (const auto& [status, text] : statuses)
        out += ".TP\n.B " + std::to_string(status) + "\n" + paragraph(text);

    out += ".SH EXAMPLES\n";
    for (const Example& e : kCliExamples) {
        std::vector<std::string> words{"liedwerk-cli"};
        words.insert(words.end(), e.args.begin(), e.args.end());
        out += exampleRoff(e.what, words);
    }
    out += ".SH SEE ALSO\n.BR liedwerk (1)\n";
    return out;
}

std::string windowPage(std::string_view version) {
    const std::set<std::string, std::less<>> literals{"LNGID", "--help", "-h"};
    std::string out = header("liedwerk", version);
    out += ".SH NAME\nliedwerk \\- put Technics KN2000 to KN6000/6500 song backups onto KN7000 SD cards\n";
    out += ".SH SYNOPSIS\n.B liedwerk\n" + usageRoff(ui::kWindowSynopsis, literals) + "\n.br\n.B liedwerk\n" +
           usageRoff("--help", literals) + "\n";
    out += ".SH DESCRIPTION\n" + paragraph(ui::kWindowDescription);
    out += ".PP\n" + paragraph("liedwerk-cli(1) does the same job from the command line.");
    out += ".SH ARGUMENTS\n";
    for (const ui::WindowArgument& a : ui::kWindowArguments)
        out += ".TP\n" + usageRoff(a.name, literals) + "\n" + paragraph(a.help);
    out += ".PP\n" +
           paragraph("The window also takes the options of every Qt program, such as -platform and -style.");
    out += ".SH EXIT STATUS\n.TP\n.B 0\n" + paragraph("The window was closed, or --help printed the usage.") +
           ".TP\n.I other\n" + paragraph("The window could not start (without a display, for example).");
    out += ".SH FILES\n";
    out += ".TP\n.I Liedwerk.ini\n" +
           paragraph(
               "The settings (the language and the card reader's drive), in the program's folder. That is "
               "the executable's folder for a portable copy (a writable folder that is not an "
               "installation's bin folder), otherwise $XDG_DATA_HOME/liedwerk or ~/.local/share/liedwerk.");
    out += ".TP\n.I RestorSDB/Restore.sdb\n" +
           paragraph("The restore file for the Song Manager, in the program's folder.");
    out +=
        ".TP\n.I /usr/share/liedwerk/Help.html, Hilfe.html\n" +
        paragraph(
            "The help (F1) in English and German, looked for in the program's folder, beside the "
            "executable, then in ../share/liedwerk beside it. liedwerk --help shows where they are found.");
    out +=
        ".SH ENVIRONMENT\n.TP\n.B LIEDWERK_PROGRAM_FOLDER\n" +
        paragraph("Names another program's folder, for example to keep a trial run away from your settings.");
    out +=
        ".TP\n.B XDG_DATA_HOME\n" + paragraph("The per-user data folder's parent (default ~/.local/share).");
    out += ".SH EXAMPLES\n";
    for (const ui::WindowExample& e : ui::kWindowExamples)
        out += exampleRoff(e.what, {"liedwerk", std::string(e.arguments)});
    out += ".SH SEE ALSO\n.BR liedwerk\\-cli (1)\n";
    return out;
}

// ----- bash completion ------------------------------------------------------------------

std::string words(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& w : list)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

// How a value or argument is completed: from a word list, as a folder, as a file, or not.
std::string completionOf(const CliOption& o) {
    std::string_view v = o.value;
    if (o.name == "--card-size") {
        std::vector<std::string> sizes;
        for (const CardSize& s : kCardSizes)
            sizes.push_back(std::to_string(s.megabytes));
        return "_liedwerk_cli_words \"" + words(sizes) + "\"";
    }
    if (o.name == "--cluster-size") {
        std::vector<std::string> sizes;
        for (const ClusterSize& s : kClusterSizes)
            sizes.push_back(std::to_string(s.bytes));
        return "_liedwerk_cli_words \"" + words(sizes) + "\"";
    }
    if (v.find('|') != std::string_view::npos) {
        std::string choices(v);
        for (char& c : choices)
            if (c == '|')
                c = ' ';
        return "_liedwerk_cli_words \"" + choices + "\"";
    }
    if (v.ends_with("DIR"))
        return "_liedwerk_cli_folders";
    if (v.ends_with("FILE") || v.ends_with("PATH"))
        return "_liedwerk_cli_files";
    return ":"; // INDEX, NNN, INDEX=NAME: nothing to offer
}

std::string completion() {
    std::vector<std::string> commands;
    for (const CliCommand& c : cliCommands())
        commands.emplace_back(c.name);
    commands.emplace_back("--help");

    std::string out =
        "# bash completion for liedwerk-cli, made from its command table when it was built.\n"
        "_liedwerk_cli_words() { mapfile -t COMPREPLY < <(compgen -W \"$1\" -- \"$cur\"); }\n"
        "_liedwerk_cli_folders() {\n"
        "    compopt -o filenames 2>/dev/null\n"
        "    mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")\n"
        "}\n"
        "_liedwerk_cli_files() {\n"
        "    compopt -o filenames 2>/dev/null\n"
        "    mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
        "}\n"
        "_liedwerk_cli() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} option=${COMP_WORDS[COMP_CWORD-1]} i\n"
        "    COMPREPLY=()\n"
        "    # bash splits \"--order=al\" at the \"=\": the option then stands two words back.\n"
        "    if [[ $cur == = ]]; then\n"
        "        cur=\n"
        "    elif [[ $option == = ]]; then\n"
        "        option=${COMP_WORDS[COMP_CWORD-2]}\n"
        "    fi\n"
        "    if ((COMP_CWORD == 1)); then\n"
        "        _liedwerk_cli_words \"" +
        words(commands) +
        "\"\n"
        "        return\n"
        "    fi\n"
        "    local optionsEnded=\n"
        "    for ((i = 2; i < COMP_CWORD; i++)); do\n"
        "        [[ ${COMP_WORDS[i]} == -- ]] && optionsEnded=1\n"
        "    done\n"
        "    case ${COMP_WORDS[1]} in\n";
    for (const CliCommand& c : cliCommands()) {
        std::vector<std::string> options;
        out += "    " + std::string(c.name) + ")\n";
        out += "        if [[ -z $optionsEnded ]]; then\n";
        out += "            case $option in\n";
        for (const CliOption& o : c.options) {
            options.emplace_back(o.name);
            if (!o.value.empty())
                out += "            " + std::string(o.name) + ") " + completionOf(o) + "; return ;;\n";
        }
        out += "            esac\n";
        out +=
            "            [[ $cur == -* ]] && { _liedwerk_cli_words \"" + words(options) + "\"; return; }\n";
        out += "        fi\n";
        const std::string_view argument = c.synopsis.substr(0, c.synopsis.find(' '));
        out += std::string("        ") +
               (argument.ends_with("DIR") ? "_liedwerk_cli_folders" : "_liedwerk_cli_files") +
               "\n        ;;\n";
    }
    out += "    esac\n"
           "}\n"
           "complete -F _liedwerk_cli liedwerk-cli\n";
    return out;
}

// ----- checks and files ---------------------------------------------------------------------

// Every example must be a command line the program accepts.
bool examplesParse() {
    bool ok = true;
    for (const Example& e : kCliExamples) {
        const CliCommand* command = findCommand(e.args.at(0));
        CliArgs parsed;
        if (!command || !parsed.parse({e.args.begin() + 1, e.args.end()}, *command)) {
            std::cerr << "liedwerk-make-manual: the example \"" << e.args.at(0)
                      << " ...\" is refused: " << (command ? parsed.error() : "no such command") << "\n";
            ok = false;
        }
    }
    return ok;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file) {
        std::cerr << "liedwerk-make-manual: cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: liedwerk-make-manual OUTPUT_DIR VERSION\n";
        return 2;
    }
    const std::string dir = argv[1];
    const std::string_view version = argv[2];
    if (!examplesParse())
        return 1;
    const bool written = writeFile(dir + "/liedwerk-cli.1", cliPage(version)) &&
                         writeFile(dir + "/liedwerk.1", windowPage(version)) &&
                         writeFile(dir + "/liedwerk-cli", completion());
    return written ? 0 : 1;
}
