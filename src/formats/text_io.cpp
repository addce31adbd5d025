#include "formats/text_io.h"

namespace formats {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

}  // namespace

void AppendCrlf(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
}

bool ScanWord(std::string_view& s, std::string_view& word) {
    base::SkipSpace(s);
    std::size_t i = 0;
    while (i < s.size() && !base::IsSpace(s[i])) ++i;
    if (i == 0) return false;
    word = s.substr(0, i);
    s.remove_prefix(i);
    return true;
}

bool ScanLiteral(std::string_view& s, std::string_view literal) {
    std::string_view t = s;
    for (char c : literal) {
        if (base::IsSpace(c)) {
            base::SkipSpace(t);
            continue;
        }
        if (t.empty() || t.front() != c) return false;
        t.remove_prefix(1);
    }
    s = t;
    return true;
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

std::string FileExtension(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    return ToLower(name.substr(dot + 1));
}

std::string FileTitle(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name);
}

bool LineReader::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const auto nl = text_.find('\n', pos_);
    const std::size_t end = nl == std::string_view::npos ? text_.size() : nl;
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = nl == std::string_view::npos ? text_.size() : nl + 1;
    return true;
}

}  // namespace formats
