#include "rm/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
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

// Reads the open file `f` through `reserve(n)` (room for n more bytes after `size`
// bytes, returned) and `commit(n)` (n bytes written there), and closes it.
template <typename Reserve, typename Commit>
bool ReadStream(std::FILE* f, Reserve reserve, Commit commit, std::string* error) {
    std::size_t size = 0;
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
        const auto whole = std::size_t(st.st_size);
        const std::size_t n = std::fread(reserve(whole), 1, whole, f);
        commit(n);
        size += n;
    }
    constexpr std::size_t kBlock = std::size_t(1) << 16;
    for (;;) {
        const std::size_t n = std::fread(reserve(kBlock), 1, kBlock, f);
        if (n > 0) {
            if (size + n > kMaxInputFileSize) {
                if (error) *error = "file is larger than 1 GiB";
                ok = false;
                break;
            }
            commit(n);
            size += n;
        }
        if (n < kBlock) {
            if (std::ferror(f)) {
                if (error) *error = "read error: " + ErrnoText();
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    return ok;
}

template <typename Reserve, typename Commit>
bool ReadInto(const std::string& path, Reserve reserve, Commit commit, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (error) *error = "cannot open: " + ErrnoText();
        return false;
    }
    return ReadStream(f, reserve, commit, error);
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& out, std::string* error) {
    out.clear();
    std::size_t used = 0;
    const auto reserve = [&](std::size_t n) {
        out.resize(used + n);
        return out.data() + used;
    };
    const auto commit = [&](std::size_t n) { used += n; };
    const bool ok = ReadInto(path, reserve, commit, error);
    out.resize(ok ? used : 0);
    return ok;
}

void FileBytes::ReleaseBefore(std::size_t offset) {
    if (!mapped_) return;
    static const auto page = std::size_t(::sysconf(_SC_PAGESIZE));
    // The last page, partly the file's, goes with the end of the file.
    const std::size_t end =
        offset >= mappedSize_ ? (mappedSize_ + page - 1) / page * page : offset / page * page;
    if (end <= released_) return;
    // Pages of a private read-only mapping hold nothing but the file: dropping them loses
    // nothing (and when the system refuses, they merely stay).
    ::madvise(static_cast<char*>(mapped_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
}

void FileBytes::Release() {
    if (mapped_) ::munmap(mapped_, mappedSize_);
    mapped_ = nullptr;
    mappedSize_ = 0;
    released_ = 0;
    buffer_.Truncate(0);
}

bool ReadFileBytes(const std::string& path, FileBytes& out, std::string* error, FileRead how) {
    out.Release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = "cannot open: " + ErrnoText();
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        if (std::uint64_t(st.st_size) > kMaxInputFileSize) {
            ::close(fd);
            if (error) *error = "file is larger than 1 GiB";
            return false;
        }
        const auto size = std::size_t(st.st_size);
        void* p = how == FileRead::Mapped
                      ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0)
                      : MAP_FAILED;
        if (p != MAP_FAILED) {
            ::close(fd);
            out.mapped_ = p;
            out.mappedSize_ = size;
            return true;
        }
    }
    // Not mappable (a pipe, an empty or special file) or to be read: read from the same opening.
    // (Opening a named pipe again would cut off the program writing into it.)
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        if (error) *error = "cannot open: " + ErrnoText();
        ::close(fd);
        return false;
    }
    const auto reserve = [&](std::size_t n) { return out.buffer_.Ensure(n); };
    const auto commit = [&](std::size_t n) { out.buffer_.Commit(n); };
    const bool ok = ReadStream(f, reserve, commit, error);
    if (!ok) out.Release();
    return ok;
}

namespace {

bool writesSynced = true;

// Writes the file's bytes to a new temporary file beside its path, flushed and closed; its
// name goes to `tmp`. False (nothing left behind) on any failure.
bool WriteTemporary(const FileToWrite& file, std::string& tmp, std::string* error) {
    const std::string& path = file.path;
    // Temporary name beside the target, so the rename stays on one file system.
    static std::mt19937_64 rng{std::random_device{}()};
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
    bool ok = true;
    const auto put = [&](std::string_view data) {
        if (ok && !data.empty()) ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    };
    put(file.data);
    for (const std::string_view data : file.more) put(data);
    if (ok && std::fflush(f) != 0) ok = false;
    if (ok && writesSynced && ::fsync(::fileno(f)) != 0 && errno != EINVAL) ok = false;
    const int savedErrno = errno;
    if (std::fclose(f) != 0) ok = false;
    if (!ok) {
        if (error)
            *error = "cannot write: " + std::string(std::strerror(errno ? errno : savedErrno));
        std::remove(tmp.c_str());
    }
    return ok;
}

}  // namespace

void SetWritesSynced(bool synced) {
    writesSynced = synced;
}

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    return WriteFilesAtomically({{path, data}}, error);
}

bool WriteFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    std::vector<std::string> temporary;
    temporary.reserve(files.size());
    auto removeFrom = [&temporary](std::size_t first) {
        for (std::size_t i = first; i < temporary.size(); ++i) std::remove(temporary[i].c_str());
    };
    for (const FileToWrite& file : files) {
        std::string tmp;
        if (!WriteTemporary(file, tmp, error)) {
            removeFrom(0);
            return false;
        }
        temporary.push_back(std::move(tmp));
    }
    // A target that cannot be replaced (a folder) fails the whole write before any rename.
    for (const FileToWrite& file : files) {
        struct stat st;
        if (::stat(file.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (error) *error = "cannot write: " + file.path + " is a folder";
            removeFrom(0);
            return false;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (std::rename(temporary[i].c_str(), files[i].path.c_str()) != 0) {
            if (error) *error = "cannot write: " + ErrnoText();
            removeFrom(i);
            return false;
        }
    }
    return true;
}

}  // namespace rm
