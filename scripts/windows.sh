#!/usr/bin/env bash
# Cross-builds the engine, the jobs, kestrawave-cli and their tests for
# 64-bit Windows in build-win64/ with Debian's mingw-w64, and runs the tests
# under Wine:
#   scripts/windows.sh [--no-tests]
# Then kestrawave-cli.exe splits and merges the shared corpus (../shared/corpus,
# when there) and a generated take with a name outside ASCII, and the files
# it writes are compared byte for byte with those the Linux build writes
# (KESTRAWAVE_LINUX_CLI, default build/bin/kestrawave-cli; built when
# missing).
# expat, which Debian ships for Linux only, is built from Debian's source
# package (fetched with apt-get source through a list of its own, so the
# system's apt configuration is left alone) into build-win64/deps/, once.
# Wine runs in a prefix of its own (WINEPREFIX, default a temporary folder
# removed at the end), so nothing lands in the user's home.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
run_tests=1
[ "${1:-}" = --no-tests ] && run_tests=0

bash scripts/deps.sh windows
build=${KESTRAWAVE_WIN64_BUILD:-$root/build-win64}
deps=$build/deps
mkdir -p "$deps"

if [ ! -f "$deps/prefix/lib/libexpat.a" ]; then
    echo "==> expat for Windows, from Debian's source package"
    rm -rf "$deps/apt" "$deps/src" "$deps/expat-build"
    mkdir -p "$deps/apt/lists/partial" "$deps/src"
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$deps/apt/sources.list"
    apt_options=(-o Dir::Etc::SourceList="$deps/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
        -o Dir::State::Lists="$deps/apt/lists" -o Debug::NoDropPrivs=1 -o APT::Sandbox::User=root)
    apt-get "${apt_options[@]}" update -q >/dev/null
    (cd "$deps/src" && apt-get "${apt_options[@]}" source -q expat >/dev/null 2>&1)
    source_dir=$(find "$deps/src" -maxdepth 3 -name CMakeLists.txt -path '*/expat/*' -printf '%h\n')
    source_dir=${source_dir%%$'\n'*}
    [ -n "$source_dir" ] || { echo "windows: no expat sources in $deps/src" >&2; exit 1; }
    cmake --toolchain "$root/cmake/mingw-w64.cmake" -S "$source_dir" -B "$deps/expat-build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
        -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
        -DEXPAT_BUILD_PKGCONFIG=OFF -DCMAKE_INSTALL_PREFIX="$deps/prefix" >/dev/null
    # Debian's patches test XML_DTD by value, which expat's CMake defines
    # empty.
    sed -i 's/^#define XML_DTD$/#define XML_DTD 1/' "$deps/expat-build/expat_config.h"
    ninja -C "$deps/expat-build" install >/dev/null
fi

echo "==> build-win64/"
cmake --toolchain "$root/cmake/mingw-w64.cmake" -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DKESTRAWAVE_TESTS=ON -DKESTRAWAVE_WINDOWS_DEPS="$deps/prefix" \
    -DCMAKE_PREFIX_PATH="$deps/prefix" -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh"
if [ $run_tests = 1 ]; then
    ninja -C "$build" -j2
else
    ninja -C "$build" -j2 kestrawave-cli
fi

echo "==> Wine"
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
    own_prefix=$(mktemp -d)
    export WINEPREFIX=$own_prefix
fi
stop_wine() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -z "$own_prefix" ] || rm -rf "$own_prefix"
}
trap stop_wine EXIT
if [ $run_tests = 1 ]; then
    ctest --test-dir "$build" --output-on-failure
fi

echo "==> the same files on Windows and on Linux"
linux_cli=${KESTRAWAVE_LINUX_CLI:-$root/build/bin/kestrawave-cli}
if [ ! -x "$linux_cli" ]; then
    cmake -S . -B "$root/build" -G Ninja >/dev/null
    ninja -C "$root/build" kestrawave-cli >/dev/null
fi
work=$(mktemp -d)
trap 'stop_wine; rm -rf "$work"' EXIT
mkdir -p "$work/in"
# A 3-channel take with its own bext and iXML (no default chunk, whose date
# would differ from one run to the next), under a name outside ASCII.
perl -e '
    srand(7);
    my $channels = 3; my $frames = 48000;
    my $align = $channels * 3;
    my $bext = pack("a256a32a32a10a8VVv", "sFILENAME=x.wav\r\nsTRK1=Boom\r\nsTRK2=Lav\r\nsTRK3=Plant\r\n",
        "kestrawave", "", "2026-12-07", "10:00:00", 0, 0, 1) . ("\0" x 254) . ("\0" x 256);
    my $ixml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BWFXML>\n\t<TRACK_LIST>\n" .
        "\t\t<TRACK_COUNT>3</TRACK_COUNT>\n" .
        join("", map { "\t\t<TRACK>\n\t\t\t<CHANNEL_INDEX>$_</CHANNEL_INDEX>\n" .
            "\t\t\t<INTERLEAVE_INDEX>$_</INTERLEAVE_INDEX>\n\t\t\t<NAME>T$_</NAME>\n\t\t</TRACK>\n" } 1 .. 3) .
        "\t</TRACK_LIST>\n</BWFXML>\n";
    my $data = join("", map { chr(int(rand(256))) } 1 .. $frames * $align);
    my $body = "WAVE" . "bext" . pack("V", length $bext) . $bext .
        "iXML" . pack("V", length $ixml) . $ixml . (length($ixml) % 2 ? "\0" : "") .
        "fmt " . pack("VvvVVvv", 16, 1, $channels, 48000, 48000 * $align, $align, 24) .
        "data" . pack("V", length $data) . $data;
    binmode STDOUT;
    print "RIFF", pack("V", length $body), $body;' >"$work/in/Szene_ä_1.wav"
corpus=$root/../shared/corpus
if [ -d "$corpus/poly" ]; then
    cp "$corpus"/poly/*.[wW][aA][vV] "$work/in/"
else
    echo "windows: no corpus at $corpus; the generated take alone is compared"
fi
# Each side splits every input and merges every take it wrote, by relative
# paths from the work folder, which Wine maps as they are.
convert() {
    local side=$1
    shift
    mkdir -p "$work/$side/mono" "$work/$side/poly"
    (
        cd "$work"
        for input in in/*; do
            "$@" split -y -o "$side/mono" "$input" >/dev/null 2>&1
        done
        "$@" merge -r -y -o "$side/poly" "$side/mono" >/dev/null 2>&1
    ) || { echo "windows: the $side conversions failed" >&2; return 1; }
}
convert linux "$linux_cli"
convert windows "$root/scripts/wine-run.sh" "$build/bin/kestrawave-cli.exe"
count=$(find "$work/linux" -type f | wc -l)
if [ "$count" -eq 0 ] || ! diff -r "$work/linux" "$work/windows"; then
    echo "windows: the files written on Windows differ from the Linux ones" >&2
    exit 1
fi
# And the merged samples are the originals.
for input in "$work"/in/*; do
    take=$(basename "${input%.*}")
    merged="$work/windows/poly/$take/$take.wav"
    read -r at size <<<"$("$linux_cli" info "$input" | awk '$1 == "data" { print $2 + 8, $3; exit }')"
    read -r merged_at _ <<<"$("$linux_cli" info "$merged" | awk '$1 == "data" { print $2 + 8, $3; exit }')"
    if ! cmp -s -n "$size" -i "$at:$merged_at" "$input" "$merged"; then
        echo "windows: $take: the merged samples differ from the original ones" >&2
        exit 1
    fi
done
echo "windows: $count files, the same bytes on both systems; the samples come back"
