#pragma once
// The key tool's command line: a command, positional arguments and options
// ("--name value", "--name=value" or a bare "--flag").
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace oltrex::keytool {

struct Arguments {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
};

// `flags` are the options that take no value. False with a reason for an
// option that lacks its value.
bool parseArguments(const std::vector<std::string>& args, const std::set<std::string>& flags, Arguments& out,
                    std::string& error);

}  // namespace oltrex::keytool
