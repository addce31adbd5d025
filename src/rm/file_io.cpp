#include "rm/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

namespace rm {

namespace {

std::string ErrnoText() {
    return std::strerror(errno);
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& out, std::string* error) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (error) *error = "cannot open: " + ErrnoText();
        return false;
    }
    bool ok = true;
    // A regular file is read in one piece into a buffer of its size; whatever the file
    // holds beyond that (it grew meanwhile), and files of unknown size, in blocks.
    struct stat st;
    if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        if (std::uint64_t(st.st_size) > kMaxInputFileSize) {
            std::fclose(f);
            if (error) *error = "file is larger than 1 GiB";
            return false;
        }
        out.resize(std::size_t(st.st_size));
        out.resize(std::fread(out.data(), 1, out.size(), f));
    }
    char buf[1 << 16];
    for (;;) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, f);
        if (n > 0) {
            if (out.size() + n > kMaxInputFileSize) {
                if (error) *error = "file is larger than 1 GiB";
                ok = false;
                break;
            }
            out.append(buf, n);
        }
        if (n < sizeof buf) {
            if (std::ferror(f)) {
                if (error) *error = "read error: " + ErrnoText();
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    // Temporary name beside the target, so the rename stays on one file system.
    static std::mt19937_64 rng{std::random_device{}()};
    std::string tmp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 16 && !f; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp%012llx",
                      static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
        tmp = path + suffix;
        f = std::fopen(tmp.c_str(), "wbx");  // exclusive: never clobber someone else's file
        if (!f && errno != EEXIST) break;
    }
    if (!f) {
        if (error) *error = "cannot create: " + ErrnoText();
        return false;
    }
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (ok && std::fflush(f) != 0) ok = false;
    if (ok && ::fsync(::fileno(f)) != 0 && errno != EINVAL) ok = false;
    const int savedErrno = errno;
    if (std::fclose(f) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        if (error)
            *error = "cannot write: " + std::string(std::strerror(errno ? errno : savedErrno));
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace rm
