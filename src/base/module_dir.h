// The program's folder: where the executable lies, found through its real path (so a
// symbolic link in bin/ still leads to the folder that holds MODEL, TEXTURE and the manual).
#pragma once

#include <string>

namespace base {

// The executable's folder with a trailing '/', e.g. "/usr/lib/kestrilune/". Paths of any
// length work. When the executable's path cannot be found, the current folder ("./").
std::string GetModuleDirectory();

// Joins a folder (with or without its trailing '/') and a name.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace base
