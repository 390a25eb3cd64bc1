#pragma once
// A readable account of a key folder: identity, how the download program will
// read it, faults, and each file with what it holds.
#include <filesystem>
#include <ostream>
#include <string>

#include "oltrex/testdata/Bytes.h"

namespace oltrex::keytool {

// One line about a key file: its kind, generation and structure, or why the
// download program leaves it alone or cannot read it.
std::string describeKeyFile(const std::string& name, const testdata::Bytes& bytes);

// False with a reason when the folder is not a key.
bool listKey(const std::filesystem::path& folder, std::ostream& out, std::string& error);

}  // namespace oltrex::keytool
