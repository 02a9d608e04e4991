// Where the parts of Tamrix lie relative to the running program.
//
// A build tree keeps programs in bin/, libraries in lib/ and the shipped texts
// in bin/texts/.  An installed tree (any prefix, also a package unpacked into
// a scratch root) keeps programs in bin/, the kernel and the module library in
// the library directory, the extension libraries in its tamrix/ subdirectory
// and the shipped data in share/tamrix/.  Both are found from the program's
// own location, so no environment variable is ever needed.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Directories searched, in order, for a library given by bare name.
std::vector<std::string> library_directories();

// The file names tried for a library file in one directory: the name itself,
// then the name with the kernel's interface version appended
// ("libTamrix32W.so.9"), which is all a runtime-only installation carries.
std::vector<std::string> library_file_candidates(const std::string &file);

// The directory holding a shipped data entry ("texts", "opentm.htm"): beside
// the program when it is there (a build tree), else the installed data
// directory.  No trailing '/'.
std::string data_directory_for(const std::string &entry);

}  // namespace platform
