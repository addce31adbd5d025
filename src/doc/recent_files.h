// The recent-file list's rules, apart from the menu that shows it and the settings that
// keep it: the last file opened heads the list, each file at most once, four at most.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "doc/commands.h"

namespace doc {

class RecentFileList {
  public:
    // The file just opened (an absolute path): moved or added to the top; the oldest entry
    // beyond the list's length drops off.
    void Add(const std::string& path);
    // Every entry spelt `path` leaves the list.
    void Remove(const std::string& path);
    // The entries kept in the settings, newest first: empty ones are skipped, the rest kept
    // in order up to the list's length.
    void Load(const std::vector<std::string>& stored);

    const std::vector<std::string>& Entries() const { return entries_; }
    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }

    // The menu item of entry `index` (from 0): "&1 path", each "&" of the path doubled so
    // that it shows and is no mnemonic.
    std::string MenuLabel(std::size_t index) const;

  private:
    std::vector<std::string> entries_;
};

}  // namespace doc
