#pragma once
// oltrex-keytool: makes simulated keys (key folders, docs/simulated-key.md)
// and looks into them. Returns the process exit code: 0 done, 1 a command
// failed or refused a file, 2 a wrong command line.
#include <ostream>
#include <string>
#include <vector>

namespace oltrex::keytool {

int runKeyTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace oltrex::keytool
