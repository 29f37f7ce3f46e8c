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
# Installs what it needs first (scripts/deps.sh build package).
set -euo pipefail
cd "$(dirname "$0")/.."

from=
out=
while [ $# -gt 0 ]; do
    case "$1" in
    --from | --out)
        if [ $# -lt 2 ]; then
            echo "package: $1 needs a folder" >&2
            exit 2
        fi
        if [ "$1" = --from ]; then from=$2; else out=$2; fi
        shift 2
        ;;
    -h | --help)
        sed -n '2,12s/^# \{0,1\}//p' "$0"
        exit 0
        ;;
    *)
        echo "package: unknown argument '$1' (see --help)" >&2
        exit 2
        ;;
    esac
done

bash scripts/deps.sh build package

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
echo "$deb"
