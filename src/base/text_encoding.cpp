#include "base/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace base {

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

namespace {

void AppendReplacement(std::string& out) {
    out += "\xEF\xBF\xBD";
}

}  // namespace

std::string ShiftJisToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 2 + 4);
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter on this system: ASCII passes, everything else is unknown.
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x80) {
                out += c;
            } else {
                AppendReplacement(out);
            }
        }
        return out;
    }
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer, std::size_t(dst - buffer));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or cut-off sequence: one byte becomes U+FFFD, and decoding goes on.
            AppendReplacement(out);
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

std::string NameToUtf8(std::string_view text) {
    return IsUtf8(text) ? std::string(text) : ShiftJisToUtf8(text);
}

}  // namespace base
