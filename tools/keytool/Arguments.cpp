#include "Arguments.h"

namespace oltrex::keytool {

std::optional<std::string> Arguments::value(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

bool parseArguments(const std::vector<std::string>& args, const std::set<std::string>& flags, Arguments& out,
                    std::string& error) {
    out = {};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            if (out.command.empty()) out.command = arg;
            else out.positional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        const auto eq = name.find('=');
        if (eq != std::string::npos) {
            out.options[name.substr(0, eq)] = name.substr(eq + 1);
        } else if (flags.count(name)) {
            out.options[name] = "";
        } else if (i + 1 < args.size()) {
            out.options[name] = args[++i];
        } else {
            error = "option --" + name + " needs a value";
            return false;
        }
    }
    return true;
}

}  // namespace oltrex::keytool
