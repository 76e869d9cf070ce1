// The command line's commands and options in one table, from which both the parser and
// the usage texts come, and the small parser over it: positional arguments, flags, and
// options with a value ("--order alphabetical" or "--order=alphabetical"), repeatable.
// "--" ends the options; "-h" is "--help" everywhere.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

struct CliOption {
    std::string_view name;  // "--order"
    std::string_view value; // what it takes ("standard|alphabetical"); empty for a flag
    std::string_view help;  // one line, with the default in parentheses
};

struct CliCommand {
    std::string_view name;        // "transfer"
    std::string_view synopsis;    // what follows the name in the usage line
    std::string_view summary;     // one line for the list of commands
    std::string_view description; // a paragraph, lines ended by "\n"
    std::span<const CliOption> options;
};

// Every command, in the order the usage lists them.
std::span<const CliCommand> cliCommands();
const CliCommand* findCommand(std::string_view name);

// What the program does, lines ended by "\n" (the usage's and the manual page's words).
std::string_view programDescription();
// "usage: liedwerk-cli COMMAND [ARGS]", the description and the list of commands.
std::string programUsage();
// A command's usage line, description and options.
std::string commandUsage(const CliCommand& command);

class CliArgs {
public:
    // Returns false and sets error() on an unknown option or a missing value.
    bool parse(const std::vector<std::string>& args, const CliCommand& command);

    const std::vector<std::string>& positional() const { return m_positional; }
    bool has(const std::string& option) const { return m_values.count(option) || m_flags.count(option); }
    std::optional<std::string> value(const std::string& option) const; // the last one given
    std::vector<std::string> values(const std::string& option) const;  // all, in order
    const std::string& error() const { return m_error; }

private:
    std::vector<std::string> m_positional;
    std::map<std::string, std::vector<std::string>> m_values;
    std::set<std::string> m_flags;
    std::string m_error;
};

} // namespace lw
