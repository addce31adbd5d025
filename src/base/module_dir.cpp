#include "base/module_dir.h"

#include <filesystem>
#include <system_error>

namespace base {

std::string GetModuleDirectory() {
    std::error_code ec;
    // /proc/self/exe names the running executable on Linux, with links resolved.
    const std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + '/' + name;
}

}  // namespace base
