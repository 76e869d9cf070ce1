// A small option parser shared by the commands: positional arguments, flags, and
// options with a value ("--order alphabetical" or "--order=alphabetical"), repeatable.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lw {

class CliArgs {
public:
    // valueOptions take a value; flagOptions do not. Returns false and sets error() on
    // an unknown option or a missing value.
    bool parse(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions);

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
