// What a reader reports: success, or why it failed. The kind lets callers decide what to
// show without matching strings; `message` is the reader's own message box text where the
// reader has one ("failure on addfaces"), shown once by the caller; `detail` is the
// diagnostic for logs, the status bar and the converter.
#pragma once

#include <string>
#include <vector>

namespace formats {

enum class ReadFailure {
    None,          // the read succeeded
    Unreadable,    // the file cannot be opened or read
    Malformed,     // the bytes are not a valid file of the format
    Unsupported,   // a valid file of a layout or version this reader does not take
    MergeRefused,  // the faces could not be added to the model (the mesh refused them)
    NoModel,       // there is no model mesh to add to
};

struct ReadResult {
    ReadFailure kind = ReadFailure::None;
    std::string message;  // the reader's own message box text, or empty
    std::string caption;  // its caption ("ERROR"), or empty
    std::string detail;   // why, in words, for diagnostics
    // Textures the file names whose bitmaps were not found or not readable: the faces keep
    // the texture's name without pixels, and the read still succeeds.
    std::vector<std::string> missingTextures;

    bool ok() const { return kind == ReadFailure::None; }
    explicit operator bool() const { return ok(); }

    static ReadResult Success() { return {}; }
    static ReadResult Failure(ReadFailure kind, std::string detail) {
        ReadResult r;
        r.kind = kind;
        r.detail = std::move(detail);
        return r;
    }
};

}  // namespace formats
