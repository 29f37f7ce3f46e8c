#!/usr/bin/env bash
# Builds the Debian package kestrawave_VERSION_ARCH.deb (the window and
# kestrawave-cli), checks it with scripts/check-package.sh and prints its path
# as the last line.
#   scripts/package.sh                   a Release build in build-package/,
#                                        with Debian's hardening flags; the
#                                        package goes there too
#   scripts/package.sh --from DIR [--out OUT]
#                                        packs the build in DIR as it is (CPack
#                                        only brings it up to date), into OUT
#                                        (default: DIR)
#   scripts/package.sh --windows DIR [--out OUT]
#                                        only the zip of DIR/bin/kestrawave-cli.exe
#                                        (a build of scripts/windows.sh)
# Without --from the zip for Windows is made too: kestrawave-cli.exe (built
# by scripts/windows.sh in build-package-win64/), README.md and LICENSE in
# kestrawave-cli_VERSION_windows-x86_64.zip, beside the package.
# Installs what it needs first (scripts/deps.sh build package).
set -euo pipefail
cd "$(dirname "$0")/.."

from=
out=
windows=
while [ $# -gt 0 ]; do
    case "$1" in
    --from | --out | --windows)
        if [ $# -lt 2 ]; then
            echo "package: $1 needs a folder" >&2
            exit 2
        fi
        case "$1" in
        --from) from=$2 ;;
        --out) out=$2 ;;
        *) windows=$2 ;;
        esac
        shift 2
        ;;
    -h | --help)
        sed -n '2,19s/^# \{0,1\}//p' "$0"
        exit 0
        ;;
    *)
        echo "package: unknown argument '$1' (see --help)" >&2
        exit 2
        ;;
    esac
done

bash scripts/deps.sh build package

# The zip of the Windows command line, its README and licence.
make_zip() {
    local exe=$1/bin/kestrawave-cli.exe zip_out=$2 version zip stage
    if [ ! -f "$exe" ]; then
        echo "package: no $exe; scripts/windows.sh builds it" >&2
        exit 2
    fi
    version=$(sed -n 's/^project(kestrawave VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    zip="$zip_out/kestrawave-cli_${version}_windows-x86_64.zip"
    stage=$(mktemp -d)
    mkdir "$stage/kestrawave-cli-$version"
    cp "$exe" README.md LICENSE "$stage/kestrawave-cli-$version/"
    rm -f "$zip"
    (cd "$stage" && zip -q -r "$zip" "kestrawave-cli-$version")
    rm -rf "$stage"
    # Listed whole first: grep -q would close the pipe early, and under
    # pipefail unzip's broken pipe would count as a failure.
    local listing
    listing=$(unzip -l "$zip")
    grep -q "kestrawave-cli-$version/kestrawave-cli.exe" <<<"$listing" || {
        echo "package: $zip lacks the program" >&2
        exit 1
    }
    echo "==> $zip"
}
if [ -n "$windows" ] && [ -z "$from" ]; then
    out=${out:-$windows}
    mkdir -p "$out"
    make_zip "$windows" "$(cd "$out" && pwd)"
    exit 0
fi

if [ -z "$from" ]; then
    from=build-package
    # Debian's flags for a package: stack protector, fortified sources,
    # read-only relocations bound at start. They reach CMake's cache on the
    # first configure only, which is the one that matters.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
    export CXXFLAGS LDFLAGS
    echo "==> $from/ (Release)"
    cmake -S . -B "$from" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DKESTRAWAVE_TESTS=OFF -DKESTRAWAVE_SANITIZE=OFF -DKESTRAWAVE_UI=ON
    ninja -C "$from" -j2
fi
if [ ! -f "$from/CPackConfig.cmake" ]; then
    echo "package: $from/ is no configured build folder" >&2
    exit 2
fi
out=${out:-$from}
mkdir -p "$out"
out=$(cd "$out" && pwd)

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$from/CPackConfig.cmake")
deb="$out/kestrawave_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
echo "==> $deb"
cpack --config "$from/CPackConfig.cmake" -G DEB -B "$out"
if [ ! -f "$deb" ]; then
    echo "package: CPack made no $deb" >&2
    exit 1
fi
bash scripts/check-package.sh "$deb"
if [ -n "$windows" ]; then
    make_zip "$windows" "$out"
elif [ "$from" = build-package ]; then
    KESTRAWAVE_WIN64_BUILD=$PWD/build-package-win64 KESTRAWAVE_LINUX_CLI=$PWD/build-package/bin/kestrawave-cli \
        bash scripts/windows.sh --no-tests
    make_zip build-package-win64 "$out"
fi
echo "$deb"
