// Our UTF-8 texts as Qt strings, for every widget of the shell.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace dialogs {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
inline QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace dialogs
