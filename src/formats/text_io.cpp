#include "formats/text_io.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace formats {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Skips white space and an optional sign; true for '-'.
bool TakeSign(std::string_view& t) {
    SkipSpace(t);
    if (t.empty() || (t.front() != '+' && t.front() != '-')) return false;
    const bool negative = t.front() == '-';
    t.remove_prefix(1);
    return negative;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
    if (std::isnan(value)) {
        out += std::signbit(value) ? "-nan" : "nan";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    char buf[400];  // a double in fixed notation needs at most 309 digits before the point
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    out.append(buf, r.ptr);
}

void AppendInt(std::string& out, long long value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendCrlf(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
}

void SkipSpace(std::string_view& s) {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    s.remove_prefix(i);
}

bool ScanWord(std::string_view& s, std::string_view& word) {
    SkipSpace(s);
    std::size_t i = 0;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i == 0) return false;
    word = s.substr(0, i);
    s.remove_prefix(i);
    return true;
}

bool ScanLiteral(std::string_view& s, std::string_view literal) {
    std::string_view t = s;
    for (char c : literal) {
        if (IsSpace(c)) {
            SkipSpace(t);
            continue;
        }
        if (t.empty() || t.front() != c) return false;
        t.remove_prefix(1);
    }
    s = t;
    return true;
}

bool ScanDouble(std::string_view& s, double& out) {
    std::string_view t = s;
    const bool negative = TakeSign(t);
    if (StartsWithNoCase(t, "inf")) {
        t.remove_prefix(StartsWithNoCase(t, "infinity") ? 8 : 3);
        out = negative ? -std::numeric_limits<double>::infinity()
                       : std::numeric_limits<double>::infinity();
        s = t;
        return true;
    }
    if (StartsWithNoCase(t, "nan")) {
        t.remove_prefix(3);
        out = std::numeric_limits<double>::quiet_NaN();
        if (negative) out = -out;
        s = t;
        return true;
    }
    // from_chars takes neither a sign nor a leading '+': the sign is handled above.
    if (t.empty() || t.front() == '-' || t.front() == '+') return false;
    double value = 0.0;
    const auto r =
        std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large: scanf gives infinity; too small: zero. Tell them apart by the exponent.
        const std::string_view num(t.data(), std::size_t(r.ptr - t.data()));
        const auto e = num.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < num.size() && num[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (r.ec != std::errc()) {
        return false;
    }
    t.remove_prefix(std::size_t(r.ptr - t.data()));
    out = negative ? -value : value;
    s = t;
    return true;
}

bool ScanFloat(std::string_view& s, float& out) {
    double d = 0.0;
    if (!ScanDouble(s, d)) return false;
    out = static_cast<float>(d);  // out of float range becomes +-inf
    return true;
}

bool ScanInt(std::string_view& s, int& out) {
    std::string_view t = s;
    const bool negative = TakeSign(t);
    if (t.empty() || t.front() < '0' || t.front() > '9') return false;
    long long value = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ec != std::errc()) return false;
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return false;
    }
    out = static_cast<int>(value);
    t.remove_prefix(std::size_t(r.ptr - t.data()));
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
