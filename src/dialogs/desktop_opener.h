// Opening links and files with the desktop's programs (the About box's links, the manual).
#pragma once

#include "ports/opener.h"

namespace dialogs {

class DesktopOpener final : public ports::Opener {
  public:
    // Success is 33; when the desktop has no program for the target, 31.
    int OpenUrl(const std::string& url) override;
    int OpenFile(const std::string& path) override;
};

}  // namespace dialogs
