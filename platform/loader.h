// Loading shared libraries by name.
//
// A name "X.dll" (any case) is read as "libX.so", so workspace files written
// for the original platform keep working.  A bare name (no '/') is looked up
// next to the running program first, then in the build's library directory,
// then by the system loader.
#pragma once

#include <string>

namespace platform {

using LibraryHandle = void *;

// Maps a library name to the file name looked for ("TmData32W.dll" ->
// "libTmData32W.so"); other names are returned unchanged.
std::string library_file_name(const std::string &name);

// Loads a library (RTLD_NOW | RTLD_LOCAL).  Null on failure; *error (if given)
// receives the loader's message.
LibraryHandle load_library(const std::string &name, std::string *error = nullptr);
// A symbol by plain name, or null.
void *find_symbol(LibraryHandle lib, const char *name);
// The same into a typed function pointer; false (and a null slot) when the
// library lacks the symbol.
template <typename Function> bool find_function(LibraryHandle lib, const char *name,
                                                Function &slot) {
    slot = reinterpret_cast<Function>(find_symbol(lib, name));
    return slot != nullptr;
}
void close_library(LibraryHandle lib);

// Directory of the running program (no trailing '/').
std::string program_directory();

}  // namespace platform
