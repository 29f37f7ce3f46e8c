#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given sets.
#   scripts/deps.sh build        compiler, CMake, Ninja, CLI11, nlohmann-json, expat
#   scripts/deps.sh build test   also GoogleTest and clang with its sanitizer
#                                and libFuzzer runtimes
#   scripts/deps.sh windows      the Windows cross-build: mingw-w64, Wine,
#                                zip (scripts/windows.sh)
#   scripts/deps.sh package      what package.sh and check-package.sh use:
#                                dpkg-dev, file, lintian, the desktop entry
#                                and AppStream validators, zsh
set -euo pipefail

BUILD_PACKAGES=(cmake ninja-build g++ libcli11-dev nlohmann-json3-dev libexpat1-dev qt6-base-dev)
TEST_PACKAGES=(libgtest-dev clang libclang-rt-14-dev libsndfile1-dev pkg-config)
# The Windows cross-build (scripts/windows.sh): compiler, Wine, the sources of
# GoogleTest, dpkg-source for expat's, zip for the package.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 libgtest-dev libcli11-dev nlohmann-json3-dev
    dpkg-dev zip cmake ninja-build)
PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream zsh zip unzip)

if [ "$(uname -s)" = Darwin ]; then
    cat <<'EOF'
deps: macOS has no apt; install with Homebrew instead (untested):
  brew install cmake ninja cli11 nlohmann-json googletest qt libsndfile expat pkg-config
EOF
    exit 0
fi

wanted=()
for set in "${@:-build}"; do
    case "$set" in
    build) wanted+=("${BUILD_PACKAGES[@]}") ;;
    test) wanted+=("${TEST_PACKAGES[@]}") ;;
    package) wanted+=("${PACKAGE_PACKAGES[@]}") ;;
    windows) wanted+=("${WINDOWS_PACKAGES[@]}") ;;
    *)
        echo "deps: unknown package set '$set' (use build, test, package, windows)" >&2
        exit 2
        ;;
    esac
done

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    if [ "$status" != "install ok installed" ]; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "deps: nothing to install (${#wanted[@]} packages present)"
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "deps: need root or sudo to install: ${missing[*]}" >&2
        exit 1
    fi
    sudo=(sudo)
fi
echo "deps: installing ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
