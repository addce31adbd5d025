// Names in model files from other programs: UTF-8, or the Japanese Windows code page
// (Shift-JIS with its extensions) that files from Japanese systems use by default.
#pragma once

#include <string>
#include <string_view>

namespace base {

// True when `text` is well-formed UTF-8 (plain ASCII is).
bool IsUtf8(std::string_view text);

// `text` read as Shift-JIS (code page 932) in UTF-8. A byte that does not decode is kept
// as U+FFFD. The second byte of a double-byte character (0x40 to 0xFC) may be 0x5C, the
// ASCII backslash: it belongs to its character, so path separators must be looked for in
// the decoded text, never in the raw bytes.
std::string ShiftJisToUtf8(std::string_view text);

// A name as the program keeps it: `text` unchanged when it is UTF-8, else decoded from
// Shift-JIS.
std::string NameToUtf8(std::string_view text);

}  // namespace base
