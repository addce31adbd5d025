#!/usr/bin/env bash
# Installs every Debian package that building, testing, fuzzing and running Kestrilune needs.
# Safe to run again. Needs root; re-runs itself through sudo when started as a user.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config clang-format
    # clang + libFuzzer runtime for the fuzz targets
    clang libclang-rt-14-dev
    # libraries
    zlib1g-dev libstb-dev
    # glTF files: tinygltf (header-only) and the JSON library it uses
    libtinygltf-dev nlohmann-json3-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # outside judges of the written files in the tests, and assimp's export in the
    # benchmarks: assimp's command line (never linked into the program)
    assimp-utils
    # assimp: only for the import benchmark that runs it beside our converter (optional
    # there; never linked into the program)
    libassimp-dev
    # the desktop program: Qt 6 Widgets, its Japanese texts, a Japanese font whose metrics
    # match the dialogs' layout, xdg-open for the About box's links and the manual, and the
    # X server tools that drive the real window in checks
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libxkbcommon-dev
    fonts-ipafont-gothic xdg-utils xvfb openbox xdotool imagemagick x11-utils xauth
    # every locale, so the tests can prove numbers ignore LC_ALL (de_DE.UTF-8)
    locales-all
)

# node and npm run the Khronos glTF validator in the tests. A machine that has node from
# elsewhere keeps it (Debian's npm would conflict with it).
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
echo "install-deps: all ${#packages[@]} packages present"

# The Khronos glTF validator (npm gltf-validator) goes into a folder of the build, where the
# tests look for it (tests/CMakeLists.txt), never into the program.
validator_version=2.0.0-dev.3.10
tools="$(cd "$(dirname "$0")/.." && pwd)/build/tools"
if ! grep -qs "\"version\": \"$validator_version\"" "$tools/node_modules/gltf-validator/package.json"; then
    mkdir -p "$tools"
    (cd "$tools" && npm install --no-audit --no-fund --no-save "gltf-validator@$validator_version")
fi
echo "install-deps: glTF validator $validator_version in $tools"
