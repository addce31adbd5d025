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
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
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
