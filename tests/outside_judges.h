// The outside judges of the written files: the Khronos glTF validator (npm gltf-validator,
// run with node) and assimp's command line (`assimp info`). Both are installed by
// scripts/install-deps.sh. Where one is missing a test skips, except under CI (CI=true),
// where it fails and says what is missing.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// Why the judge cannot run; empty when it can.
std::string GltfValidatorMissing();
std::string AssimpMissing();

struct ValidatorVerdict {
    std::string file;
    int errors = 1;
    int warnings = 0;
    std::string messages;  // the validator's errors and warnings, one a line
};
// Validates every file in one run of the validator.
std::vector<ValidatorVerdict> ValidateGltf(const std::vector<std::string>& files);

struct AssimpCounts {
    bool read = false;  // assimp loaded the file
    long vertices = -1;
    long faces = -1;
    long meshes = -1;
    std::string output;
};
// `assimp info FILE -r`: the counts as the file has them (no post-processing).
AssimpCounts AssimpInfo(const std::string& file);

// Standard output of a shell command; `status` gets its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace testing_support

// Skips the test where the judge is missing, fails it under CI.
#define REQUIRE_JUDGE(missing)                                                \
    do {                                                                      \
        const std::string why_ = (missing);                                   \
        if (!why_.empty()) {                                                  \
            const char* ci_ = std::getenv("CI");                              \
            if (ci_ && std::string(ci_) == "true") {                          \
                FAIL() << why_ << " (scripts/install-deps.sh installs it)";   \
            }                                                                 \
            GTEST_SKIP() << why_ << " (scripts/install-deps.sh installs it)"; \
        }                                                                     \
    } while (0)
