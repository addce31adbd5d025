#include "outside_judges.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace testing_support {

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (const char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

bool OnPath(const std::string& program) {
    int status = 0;
    RunCommand("command -v " + program + " >/dev/null 2>&1", &status);
    return status == 0;
}

}  // namespace

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        if (status) *status = -1;
        return out;
    }
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    const int rc = ::pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string GltfValidatorMissing() {
    if (!OnPath(KESTRILUNE_NODE))
        return std::string("node (") + KESTRILUNE_NODE + ") is not installed";
    if (!std::filesystem::exists(std::filesystem::path(KESTRILUNE_GLTF_VALIDATOR) / "package.json"))
        return std::string("the glTF validator is not installed in ") + KESTRILUNE_GLTF_VALIDATOR;
    return {};
}

std::string AssimpMissing() {
    return OnPath("assimp") ? std::string() : std::string("assimp (assimp-utils) is not installed");
}

std::vector<ValidatorVerdict> ValidateGltf(const std::vector<std::string>& files) {
    std::string command = std::string(KESTRILUNE_NODE) + " " +
                          Quoted(std::string(KESTRILUNE_TEST_TOOLS) + "/validate_gltf.js") + " " +
                          Quoted(KESTRILUNE_GLTF_VALIDATOR);
    for (const std::string& f : files) command += " " + Quoted(f);
    const std::string out = RunCommand(command + " 2>&1");
    std::vector<ValidatorVerdict> verdicts;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("  ", 0) == 0) {
            if (!verdicts.empty()) verdicts.back().messages += line + "\n";
            continue;
        }
        ValidatorVerdict v;
        std::istringstream words(line);
        if (!(words >> v.errors >> v.warnings)) {
            v.errors = 1;
            v.messages = line;
        }
        std::getline(words >> std::ws, v.file);
        verdicts.push_back(v);
    }
    // A file the validator never reported on counts as failed.
    for (std::size_t i = verdicts.size(); i < files.size(); ++i) {
        verdicts.push_back({files[i], 1, 0, "no verdict: " + out});
    }
    return verdicts;
}

AssimpCounts AssimpInfo(const std::string& file) {
    AssimpCounts c;
    int status = 0;
    c.output = RunCommand("assimp info " + Quoted(file) + " -r 2>&1", &status);
    c.read = status == 0 && c.output.find("Importing file ...") != std::string::npos &&
             c.output.find("ERROR") == std::string::npos;
    std::istringstream lines(c.output);
    std::string line;
    auto number = [&line](const char* key, long& out) {
        if (line.rfind(key, 0) == 0) out = std::atol(line.c_str() + std::string(key).size());
    };
    while (std::getline(lines, line)) {
        number("Vertices:", c.vertices);
        number("Faces:", c.faces);
        number("Meshes:", c.meshes);
    }
    return c;
}

}  // namespace testing_support
