#include "test_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>
#include <stdexcept>

#include "formats/registry.h"

namespace testing_support {

std::string RealFile(const std::string& relative) {
    const char* env = std::getenv("KESTRILUNE_REAL_DATA");
    const std::string base = env && *env ? env : KESTRILUNE_REAL_DATA;
    return base + "/" + relative;
}

std::vector<std::string> RealFiles(const std::string& folder, bool recursive) {
    std::vector<std::string> out;
    const std::filesystem::path root = RealFile(folder);
    if (recursive) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
            if (e.is_regular_file()) out.push_back(e.path().string());
        }
    } else {
        for (const auto& e : std::filesystem::directory_iterator(root)) {
            if (e.is_regular_file()) out.push_back(e.path().string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> ReadableModels() {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KESTRILUNE_SAMPLES)) {
        if (e.is_regular_file() && formats::FindReader(e.path().string()))
            files.push_back(e.path().string());
    }
    for (const std::string& f : RealFiles("")) {
        if (formats::FindReader(f)) files.push_back(f);
    }
    std::sort(files.begin(), files.end());
    return files;
}

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        dir_ = base / ("kestrilune-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(dir_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

BytesAtPageEnd::BytesAtPageEnd(std::string_view bytes) : size_(bytes.size()) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t readable = (bytes.size() + page - 1) / page * page;
    mapSize_ = readable + page;
    map_ = mmap(nullptr, mapSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map_ == MAP_FAILED) throw std::runtime_error("cannot map a guarded buffer");
    char* base = static_cast<char*>(map_);
    if (mprotect(base + readable, page, PROT_NONE) != 0) {
        munmap(map_, mapSize_);
        throw std::runtime_error("cannot protect the guard page");
    }
    char* at = base + readable - bytes.size();
    std::copy(bytes.begin(), bytes.end(), at);
    data_ = at;
}

BytesAtPageEnd::~BytesAtPageEnd() {
    munmap(map_, mapSize_);
}

ScopedLocale::ScopedLocale(const char* name) {
    const char* cur = std::setlocale(LC_ALL, nullptr);
    old_ = cur ? cur : "C";
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() {
    std::setlocale(LC_ALL, old_.c_str());
}

}  // namespace testing_support
