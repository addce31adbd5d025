// Numbers and bytes for every reader and writer: decimal scanning and formatting that are
// the same under every locale, the C library's white-space test, and little- and big-endian
// loads and stores. One rule for values out of range everywhere: a decimal whose value is
// too large for a double reads as infinity, one too small as zero (as the C library's
// conversions give); it is the decimal exponent of the number's first significant digit,
// not the spelling of its exponent, that decides which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace base {

// The C library's isspace in the "C" locale: space, tab, LF, VT, FF, CR.
constexpr bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr bool IsDigit(char c) {
    return static_cast<unsigned>(c - '0') < 10u;
}

// Skips white space (IsSpace).
void SkipSpace(std::string_view& s);

// Scanning in the manner of scanf's conversions: white space is skipped, then a number is
// read; on success `s` moves past it, on failure it stays. A real takes a sign, decimal
// digits with an optional point and exponent, hexadecimal digits after "0x" with an
// optional binary exponent, "inf", "infinity" and "nan". Reals too large become +-inf and
// too small +-0 (see above); ScanFloat rounds the double to the nearest float, beyond the
// float range to +-inf. Integers take a sign and decimal digits: ScanInt fails beyond int,
// ScanInteger saturates at +-kIntegerLimit (far beyond any count a file can hold).
bool ScanDouble(std::string_view& s, double& out);
// Only the decimal part of ScanDouble, where the number must start at once: a sign,
// digits, point and exponent; no white space, hexadecimal, "inf" or "nan".
inline bool ScanDecimal(std::string_view& s, double& out);
bool ScanDecimalFull(std::string_view& s, double& out);  // ScanDecimal without its fast path
bool ScanFloat(std::string_view& s, float& out);
bool ScanInt(std::string_view& s, int& out);
constexpr long long kIntegerLimit = 1LL << 53;
bool ScanInteger(std::string_view& s, long long& out);

namespace detail {

// Moves past a leading '+' or '-'; true for '-'.
inline bool TakeSign(const char*& p, const char* end) {
    if (p >= end || (*p != '+' && *p != '-')) return false;
    return *p++ == '-';
}

// Exact powers of ten as doubles.
inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case of plain decimals ("12", "0.500000"): at most 19 digits whose value is
// exact in a double, at most 22 after the point, no exponent. The value is then one
// correctly rounded division, the same as the full conversion gives. False (and nothing
// moved) for anything else.
inline bool FastDecimal(const char*& s, const char* end, double& value) {
    const char* q = s;
    std::uint64_t mantissa = 0;  // wraps only past 19 digits, which are refused
    while (q < end && IsDigit(*q)) mantissa = mantissa * 10 + std::uint64_t(*q++ - '0');
    std::ptrdiff_t digits = q - s;
    std::ptrdiff_t decimals = 0;
    if (q < end && *q == '.') {
        const char* const fraction = ++q;
        while (q < end && IsDigit(*q)) mantissa = mantissa * 10 + std::uint64_t(*q++ - '0');
        decimals = q - fraction;
    }
    digits += decimals;
    if (digits == 0 || digits > 19 || decimals > 22 || mantissa > (std::uint64_t(1) << 53)) {
        return false;
    }
    if (q < end && (*q == 'e' || *q == 'E')) return false;
    value = double(mantissa) / kPowersOfTen[decimals];
    s = q;
    return true;
}

}  // namespace detail

inline bool ScanDecimal(std::string_view& s, double& out) {
    const char* p = s.data();
    const char* const end = p + s.size();
    const bool negative = detail::TakeSign(p, end);
    double value = 0.0;
    if (!detail::FastDecimal(p, end, value)) return ScanDecimalFull(s, out);
    out = negative ? -value : value;
    s.remove_prefix(std::size_t(p - s.data()));
    return true;
}

// A double rounded to the nearest float; beyond the float range +-inf, NaN stays NaN.
inline float ToFloat(double d) {
    // Halfway between the largest float and the next power of two: from there on the
    // rounding goes to infinity (the plain conversion would be undefined).
    constexpr double kOverflow = 0x1.ffffffp127;
    if (d >= kOverflow) return std::numeric_limits<float>::infinity();
    if (d <= -kOverflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

// Appends like printf's "%.<decimals>f" in the C locale (decimals 0..9); nan and inf are
// spelt "nan", "-nan", "inf", "-inf".
void AppendFixed(std::string& out, double value, int decimals = 6);
// Appends the shortest decimal text that reads back as the same float; values that are
// not finite are written as 0.
void AppendShortest(std::string& out, float value);
// Appends like printf's "%d".
void AppendInt(std::string& out, long long value);

// Byte order. The loads read from `p` without any alignment.
inline std::uint16_t LoadLE16(const unsigned char* p) {
    return static_cast<std::uint16_t>(unsigned(p[0]) | (unsigned(p[1]) << 8));
}
inline std::uint32_t LoadLE32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::uint64_t LoadLE64(const unsigned char* p) {
    return std::uint64_t(LoadLE32(p)) | (std::uint64_t(LoadLE32(p + 4)) << 32);
}
inline std::uint16_t LoadBE16(const unsigned char* p) {
    return static_cast<std::uint16_t>((unsigned(p[0]) << 8) | unsigned(p[1]));
}
inline std::uint32_t LoadBE32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
inline std::uint64_t LoadBE64(const unsigned char* p) {
    return (std::uint64_t(LoadBE32(p)) << 32) | LoadBE32(p + 4);
}
inline float FloatFromBits(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
inline std::uint32_t BitsOfFloat(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}
inline double DoubleFromBits(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
inline std::uint64_t BitsOfDouble(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}
inline float LoadLEFloat(const unsigned char* p) {
    return FloatFromBits(LoadLE32(p));
}
inline double LoadLEDouble(const unsigned char* p) {
    return DoubleFromBits(LoadLE64(p));
}
inline float LoadBEFloat(const unsigned char* p) {
    return FloatFromBits(LoadBE32(p));
}
inline double LoadBEDouble(const unsigned char* p) {
    return DoubleFromBits(LoadBE64(p));
}
// Writes into room already made, for writers that fill a block at a time; the appends
// below store into a few bytes and append them, so each byte order is written once.
inline void StoreLE16(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}
inline void StoreLE32(unsigned char* p, std::uint32_t v) {
    StoreLE16(p, v & 0xFFFF);
    StoreLE16(p + 2, v >> 16);
}
inline void StoreBE16(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>((v >> 8) & 0xFF);
    p[1] = static_cast<unsigned char>(v & 0xFF);
}
inline void StoreBE32(unsigned char* p, std::uint32_t v) {
    StoreBE16(p, v >> 16);
    StoreBE16(p + 2, v & 0xFFFF);
}
inline void StoreLEFloat(unsigned char* p, float f) {
    StoreLE32(p, BitsOfFloat(f));
}

namespace detail {
inline void AppendBytes(std::string& out, const unsigned char* p, std::size_t n) {
    out.append(reinterpret_cast<const char*>(p), n);
}
}  // namespace detail

inline void AppendBE16(std::string& out, unsigned v) {
    unsigned char b[2];
    StoreBE16(b, v);
    detail::AppendBytes(out, b, 2);
}
inline void AppendBE32(std::string& out, std::uint32_t v) {
    unsigned char b[4];
    StoreBE32(b, v);
    detail::AppendBytes(out, b, 4);
}
inline void AppendBEFloat(std::string& out, float f) {
    AppendBE32(out, BitsOfFloat(f));
}
inline void AppendLE16(std::string& out, unsigned v) {
    unsigned char b[2];
    StoreLE16(b, v);
    detail::AppendBytes(out, b, 2);
}
inline void AppendLE32(std::string& out, std::uint32_t v) {
    unsigned char b[4];
    StoreLE32(b, v);
    detail::AppendBytes(out, b, 4);
}
inline void AppendLEFloat(std::string& out, float f) {
    AppendLE32(out, BitsOfFloat(f));
}

}  // namespace base
