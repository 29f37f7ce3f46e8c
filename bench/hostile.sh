#!/usr/bin/env bash
# Time and peak memory of kestrawave-cli on two hostile files, both valid
# RIFF/WAVE (fmt, the chunks, then a small data chunk, 16-bit mono):
#   tiny:  10 MB, one million 10-byte chunks (undefined "zzzz", 2-byte body)
#   empty: 64 MiB, about 8.4 million 8-byte chunks (empty bodies)
# Each goes through info, info --json, split, and merge as the lead mono
# T_1.wav of a take. The target: every run under 5 s and 64 MiB.
#   bench/hostile.sh
# Installs time when missing, builds build-bench/ (Release), and works in a
# temporary folder under TMPDIR (default /tmp) that needs about 300 MB free.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)

status=$(dpkg-query -W -f='${Status}' time 2>/dev/null || true)
if [ "$status" != "install ok installed" ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "hostile: installing time"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends time
fi
bash "$root/scripts/deps.sh" build >/dev/null

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRAWAVE_TESTS=OFF >/dev/null
ninja -C "$build" kestrawave-cli >/dev/null
cli="$build/bin/kestrawave-cli"

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrawave-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT

# NAME COUNT BODY: COUNT chunks "zzzz" of BODY bytes between fmt and data.
make_file() {
    perl -e '
        my ($count, $body) = @ARGV;
        my $fmt = "fmt " . pack("V v v V V v v", 16, 1, 1, 48000, 96000, 2, 16);
        my $chunks = ("zzzz" . pack("V", $body) . ("\x01" x $body)) x $count;
        my $data = "data" . pack("V", 4800) . ("\x00\x01" x 2400);
        my $riff = "WAVE" . $fmt . $chunks . $data;
        print "RIFF", pack("V", length $riff), $riff;
    ' "$2" "$3" >"$work/$1.wav"
    mkdir -p "$work/take-$1"
    ln "$work/$1.wav" "$work/take-$1/T_1.wav"
}
make_file tiny 1000000 2
make_file empty $(((64 * 1048576 - 4844) / 8)) 0

printf '%-6s %-12s %8s %10s %6s  %s\n' file command seconds "peak KiB" status "under 5 s and 64 MiB"
failed=0
for name in tiny empty; do
    mkdir -p "$work/out-$name"
    for command in info info-json split merge; do
        case $command in
        info) args=(info "$work/$name.wav") ;;
        info-json) args=(info --json "$work/$name.wav") ;;
        split) args=(split -y -o "$work/out-$name" "$work/$name.wav") ;;
        merge) args=(merge -y -o "$work/out-$name" "$work/take-$name" T) ;;
        esac
        code=0
        /usr/bin/time -f '%e %M' -o "$work/time" "$cli" "${args[@]}" >/dev/null 2>"$work/err" ||
            code=$?
        read -r seconds kib <"$work/time"
        verdict=$(awk -v s="$seconds" -v k="$kib" -v c="$code" \
            'BEGIN { print (s < 5 && k < 65536 && c == 0) ? "yes" : "NO" }')
        [ "$verdict" = yes ] || failed=1
        printf '%-6s %-12s %8s %10s %6s  %s\n' "$name" "$command" "$seconds" "$kib" "$code" "$verdict"
        if [ "$code" -ne 0 ]; then
            sed 's/^/         /' "$work/err" | head -n 5
        fi
    done
    rm -rf "$work/out-$name"
done
exit $failed
