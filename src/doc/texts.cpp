#include "doc/texts.h"

#include <cstdio>
#include <string>

namespace doc::text {

namespace {
template <typename... Args>
std::string FormatAny(std::string_view format, Args... args) {
    const std::string fmt(format);
    const int n = std::snprintf(nullptr, 0, fmt.c_str(), args...);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt.c_str(), args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
}
}  // namespace

std::string Format(std::string_view format, const std::string& arg) {
    return FormatAny(format, arg.c_str());
}
std::string Format(std::string_view format, int arg) {
    return FormatAny(format, arg);
}
std::string Format(std::string_view format, int a, int b) {
    return FormatAny(format, a, b);
}
std::string Format(std::string_view format, int a, int b, int c, int d) {
    return FormatAny(format, a, b, c, d);
}
std::string Format(std::string_view format, const std::string& a, const std::string& b) {
    return FormatAny(format, a.c_str(), b.c_str());
}

std::string ShellErrorText(int code) {
    switch (code) {
        case 0:
            return "The operating system is out\nof memory or resources.";
        case 2:
            return "The specified file was not found.";
        case 3:
            return "The specified path was not found.";
        case 5:
            return "The operating system denied\naccess to the specified file.";
        case 8:
            return "There was not enough memory to complete the operation.";
        case 11:
            return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26:
            return "A sharing violation occurred. ";
        case 27:
            return "The filename association is\nincomplete or invalid.";
        case 28:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29:
            return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere being processed.";
        case 31:
            return "There is no application associated\nwith the given filename extension.";
        case 32:
            return "The specified dynamic-link library was not found.";
        default:
            return Format("Unknown Error (%d) occurred.", code);
    }
}

}  // namespace doc::text
