// Opening a target with the desktop: a web page or a mail address in the user's programs,
// a local file (the manual) in the program associated with it. The shell implements it
// with the desktop services; tests script the answers.
#pragma once

#include <string>

namespace ports {

// Result codes in the shell's old convention: above 32 is success; 31 means no program is
// associated with the target; smaller values are the shell's other error codes.
constexpr int OPEN_OK = 33;
constexpr int OPEN_NO_ASSOCIATION = 31;

class Opener {
  public:
    virtual ~Opener() = default;
    // Opens a URL ("https://...", "mailto:..."); the result code.
    virtual int OpenUrl(const std::string& url) = 0;
    // Opens a local file given by its path; the result code.
    virtual int OpenFile(const std::string& path) = 0;
};

}  // namespace ports
