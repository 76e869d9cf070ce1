#include "cli/CliArgs.h"

namespace lw {

bool CliArgs::parse(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                    const std::set<std::string>& flagOptions) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a.compare(0, 2, "--") != 0 || a == "--") {
            m_positional.push_back(a);
            continue;
        }
        std::string name = a;
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); eq != std::string::npos) {
            name = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
        }
        if (flagOptions.count(name)) {
            if (inlineValue) {
                m_error = "option " + name + " takes no value";
                return false;
            }
            m_flags.insert(name);
        } else if (valueOptions.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    m_error = "option " + name + " needs a value";
                    return false;
                }
                inlineValue = args[++i];
            }
            m_values[name].push_back(*inlineValue);
        } else {
            m_error = "unknown option " + name;
            return false;
        }
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
