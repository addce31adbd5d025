#include "doc/recent_files.h"

#include <algorithm>

namespace doc {

namespace {
constexpr std::size_t kLength = RECENT_FILE_COUNT;
}

void RecentFileList::Add(const std::string& path) {
    std::erase(entries_, path);
    // Added last and turned to the front: GCC 12 at -O3 sees a null dereference in an
    // insert at the front.
    entries_.push_back(path);
    std::rotate(entries_.begin(), entries_.end() - 1, entries_.end());
    if (entries_.size() > kLength) entries_.resize(kLength);
}

void RecentFileList::Remove(const std::string& path) {
    std::erase(entries_, path);
}

void RecentFileList::Load(const std::vector<std::string>& stored) {
    entries_.clear();
    for (const std::string& f : stored) {
        if (entries_.size() == kLength) break;
        if (!f.empty()) entries_.push_back(f);
    }
}

std::string RecentFileList::MenuLabel(std::size_t index) const {
    std::string label = "&" + std::to_string(index + 1) + " ";
    for (const char c : entries_.at(index)) {
        label += c;
        if (c == '&') label += '&';
    }
    return label;
}

}  // namespace doc
