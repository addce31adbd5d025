#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace base {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        if (Lower(s[i]) != lowerPrefix[i]) return false;
    }
    return true;
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The value of a decimal number (digits, point, exponent; no sign) that a double cannot
// hold: infinity when its first significant digit stands before the point (a decimal
// exponent above 0), else 0.
double DecimalOutOfRange(std::string_view num) {
    long long magnitude = 0;  // position of the first significant digit relative to the point
    bool significant = false;
    bool afterPoint = false;
    std::size_t i = 0;
    for (; i < num.size() && (IsDigit(num[i]) || num[i] == '.'); ++i) {
        const char c = num[i];
        if (c == '.') {
            afterPoint = true;
        } else if (!significant) {
            if (c != '0') {
                significant = true;
                if (!afterPoint) magnitude = 1;
            } else if (afterPoint) {
                --magnitude;
            }
        } else if (!afterPoint) {
            ++magnitude;
        }
    }
    if (i < num.size() && (num[i] == 'e' || num[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < num.size() && (num[i] == '+' || num[i] == '-')) negative = num[i++] == '-';
        long long exponent = 0;
        for (; i < num.size() && IsDigit(num[i]); ++i) {
            if (exponent < 1000000000) exponent = exponent * 10 + (num[i] - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0 ? kInfinity : 0.0;
}

// Hexadecimal digits after "0x" with an optional binary exponent. "0x" without digits
// reads as the number 0 (its "x" is not part of it).
void ScanHex(const char*& s, const char* end, double& value) {
    const auto r = std::from_chars(s + 2, end, value, std::chars_format::hex);
    if (r.ec == std::errc()) {
        s = r.ptr;
    } else if (r.ec == std::errc::result_out_of_range) {
        // Out of range in binary: tiny only with a negative binary exponent.
        const char* q = s + 2;
        while (q < r.ptr && *q != 'p' && *q != 'P') ++q;
        value = (q + 1 < r.ptr && q[1] == '-') ? 0.0 : kInfinity;
        s = r.ptr;
    } else {
        value = 0.0;
        s += 1;
    }
}

// Decimal digits, point and exponent, no sign. False (nothing moved) without digits.
bool ScanUnsignedDecimal(const char*& s, const char* end, double& value) {
    if (detail::FastDecimal(s, end, value)) return true;
    if (s == end || *s == '-' || *s == '+') return false;  // from_chars takes a sign itself
    const auto r = std::from_chars(s, end, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        value = DecimalOutOfRange(std::string_view(s, std::size_t(r.ptr - s)));
    } else if (r.ec != std::errc()) {
        return false;
    }
    s = r.ptr;
    return true;
}

}  // namespace

void SkipSpace(std::string_view& s) {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    s.remove_prefix(i);
}

bool ScanDecimalFull(std::string_view& s, double& out) {
    const char* p = s.data();
    const char* const end = p + s.size();
    const bool negative = detail::TakeSign(p, end);
    double value = 0.0;
    if (!ScanUnsignedDecimal(p, end, value)) return false;
    out = negative ? -value : value;
    s.remove_prefix(std::size_t(p - s.data()));
    return true;
}

bool ScanDouble(std::string_view& s, double& out) {
    std::string_view t = s;
    SkipSpace(t);
    const char* p = t.data();
    const char* const end = p + t.size();
    const bool negative = detail::TakeSign(p, end);
    const std::string_view rest(p, std::size_t(end - p));
    double value = 0.0;
    if (p < end && ((IsDigit(*p) && !(*p == '0' && end - p > 1 && (p[1] == 'x' || p[1] == 'X'))) ||
                    *p == '.')) {
        // The common case first: a decimal.
        if (!ScanUnsignedDecimal(p, end, value)) return false;
    } else if (StartsWithNoCase(rest, "inf")) {
        p += StartsWithNoCase(rest, "infinity") ? 8 : 3;
        value = kInfinity;
    } else if (StartsWithNoCase(rest, "nan")) {
        p += 3;
        value = std::numeric_limits<double>::quiet_NaN();
    } else if (end - p > 1 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        ScanHex(p, end, value);
    } else if (!ScanUnsignedDecimal(p, end, value)) {
        return false;
    }
    out = negative ? -value : value;
    s.remove_prefix(std::size_t(p - s.data()));
    return true;
}

bool ScanFloat(std::string_view& s, float& out) {
    double d = 0.0;
    if (!ScanDouble(s, d)) return false;
    out = ToFloat(d);
    return true;
}

bool ScanInteger(std::string_view& s, long long& out) {
    std::string_view t = s;
    SkipSpace(t);
    const char* p = t.data();
    const char* const end = p + t.size();
    const bool negative = detail::TakeSign(p, end);
    if (p >= end || !IsDigit(*p)) return false;
    long long value = 0;
    for (; p < end && IsDigit(*p); ++p) {
        if (value < kIntegerLimit) value = value * 10 + (*p - '0');
    }
    if (value > kIntegerLimit) value = kIntegerLimit;
    out = negative ? -value : value;
    s.remove_prefix(std::size_t(p - s.data()));
    return true;
}

bool ScanInt(std::string_view& s, int& out) {
    std::string_view t = s;
    long long value = 0;
    if (!ScanInteger(t, value)) return false;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return false;
    }
    out = static_cast<int>(value);
    s = t;
    return true;
}

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

void AppendShortest(std::string& out, float value) {
    if (!std::isfinite(value)) value = 0.0f;
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendInt(std::string& out, long long value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

}  // namespace base
