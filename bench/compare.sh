#!/usr/bin/env bash
# Times kestrawave's conversions against the copy limit, ffmpeg and sox on one
# poly take of 8 channels, 24 bits, 48 kHz, made with sox (932 s, about 1 GiB,
# unless --minutes says otherwise):
#   bench/compare.sh [--minutes M] [--reps N]
# Each program runs N times (default 5), in turns, on a warm page cache and
# after a sync; the table gives medians, their ratios to the copy and to ffmpeg
# and sox, and the peak memory of kestrawave's runs. Installs ffmpeg, sox and time when missing,
# builds build-bench/ (Release), and works in a temporary folder under TMPDIR
# (default /tmp) that needs about four times the take's size free.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    echo "usage: bench/compare.sh [--minutes M] [--reps N]" >&2
    exit 2
}
seconds=932 # 8 channels × 3 bytes × 48000 Hz × 932 s ≈ 1 GiB
reps=5
while [ $# -gt 0 ]; do
    case "$1" in
    --minutes)
        [ $# -ge 2 ] || usage
        seconds=$(awk -v m="$2" 'BEGIN { s = int(m * 60); if (s < 1) exit 1; print s }') || usage
        shift 2
        ;;
    --reps)
        [[ $# -ge 2 && "$2" =~ ^[1-9][0-9]*$ ]] || usage
        reps=$2
        shift 2
        ;;
    *) usage ;;
    esac
done
channels=8
bytes=$((channels * 3 * 48000 * seconds))

missing=()
for package in ffmpeg sox time; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -ne 0 ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "compare: installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
bash "$root/scripts/deps.sh" build

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRAWAVE_TESTS=OFF >/dev/null
ninja -C "$build" kestrawave-cli >/dev/null
cli="$build/bin/kestrawave-cli"

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrawave-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
free=$(df --output=avail -B1 "$work" | tail -n 1)
if [ "$free" -lt $((4 * bytes)) ]; then
    echo "compare: $work has $((free >> 20)) MiB free; $((4 * bytes >> 20)) MiB are needed" >&2
    exit 1
fi

take="$work/take.wav"
out="$work/out"
echo "compare: making a ${seconds} s take of $channels channels, 24 bits, 48 kHz with sox"
sox -n -r 48000 -c $channels -b 24 "$take" synth "$seconds" whitenoise vol 0.5

# The mono files that every merge reads, and a check that ours come back whole:
# a fast conversion that loses samples would be no result.
mkdir "$work/monos" "$out"
"$cli" split -o "$work/monos" "$take" 2>/dev/null
monos=()
for ((n = 1; n <= channels; n++)); do
    monos+=("$work/monos/take/take_$n.wav")
done
"$cli" merge -o "$out" "$work/monos/take" 2>/dev/null
samples() {
    "$cli" info "$1" | awk '$1 == "data" { print $2 + 8, $3; exit }'
}
read -r start size <<<"$(samples "$take")"
read -r merged_start _ <<<"$(samples "$out/take.wav")"
if ! cmp -s -n "$size" -i "$start:$merged_start" "$take" "$out/take.wav"; then
    echo "compare: the merged take's samples differ from the original's" >&2
    exit 1
fi

copy_take() { cat "$take" >"$out/copy.wav"; }
ffmpeg_split() {
    local labels="" maps=() n
    for ((n = 1; n <= channels; n++)); do
        labels+="[c$n]"
        maps+=(-map "[c$n]" -c:a pcm_s24le "$out/take_$n.wav")
    done
    ffmpeg -nostdin -v error -i "$take" -filter_complex "channelsplit=channel_layout=7.1$labels" \
        "${maps[@]}"
}
sox_split() {
    local n
    for ((n = 1; n <= channels; n++)); do
        sox "$take" "$out/take_$n.wav" remix $n || return
    done
}
ffmpeg_merge() {
    local inputs=() mono
    for mono in "${monos[@]}"; do
        inputs+=(-i "$mono")
    done
    ffmpeg -nostdin -v error "${inputs[@]}" -filter_complex "amerge=inputs=$channels" \
        -c:a pcm_s24le "$out/take.wav"
}
sox_merge() { sox -M "${monos[@]}" "$out/take.wav"; }
# Ours run under /usr/bin/time for their peak memory (KiB, one line a run).
ours() {
    local name=$1
    shift
    /usr/bin/time -f %M -a -o "$work/rss.$name" "$@"
}
split_once() { ours split "$cli" split -o "$out" "$take"; }
merge_monos() { ours merge "$cli" merge -o "$out" "$work/monos/take"; }

names=(copy split ffsplit soxsplit merge ffmerge soxmerge)
declare -A run=(
    [copy]=copy_take [split]=split_once [ffsplit]=ffmpeg_split
    [soxsplit]=sox_split [merge]=merge_monos [ffmerge]=ffmpeg_merge [soxmerge]=sox_merge
)
declare -A label=(
    [copy]="cat take.wav > copy.wav"
    [split]="kestrawave-cli split (one pass)"
    [ffsplit]="ffmpeg channelsplit"
    [soxsplit]="sox remix (8 runs)"
    [merge]="kestrawave-cli merge"
    [ffmerge]="ffmpeg amerge"
    [soxmerge]="sox -M"
)

echo "compare: warming the page cache"
cat "$take" "${monos[@]}" >/dev/null
for ((rep = 1; rep <= reps; rep++)); do
    echo "compare: round $rep of $reps"
    for name in "${names[@]}"; do
        rm -rf "$out"
        mkdir "$out"
        # Each run starts with no dirty pages, so none pays for another's writeback.
        sync
        started=$EPOCHREALTIME
        if ! "${run[$name]}" 2>"$work/stderr"; then
            cat "$work/stderr" >&2
            echo "compare: ${label[$name]} failed" >&2
            exit 1
        fi
        awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }' \
            >>"$work/times.$name"
    done
done
rm -rf "$out"

declare -A median range
for name in "${names[@]}"; do
    read -r "median[$name]" "range[$name]" < <(sort -g "$work/times.$name" | awk '{ t[NR] = $1 }
        END { printf "%s %.2f-%.2f\n", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2,
              t[1], t[NR] }')
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
peak() { [ -f "$work/rss.$1" ] && sort -n "$work/rss.$1" | tail -n 1 || echo 0; }

echo
printf 'take: %d channels, 24 bits, 48 kHz, %d s, %.1f MiB of samples; median of %d runs\n' \
    $channels "$seconds" "$(awk -v b=$bytes 'BEGIN { print b / 1048576 }')" "$reps"
printf '%-6s %-32s %9s %11s %7s %9s %6s %9s\n' task program "median s" "range s" "x copy" \
    "x ffmpeg" "x sox" "peak RSS"
for name in "${names[@]}"; do
    case $name in
    copy) task=copy ff="" sx="" ;;
    split | ffsplit | soxsplit) task=split ff=ffsplit sx=soxsplit ;;
    *) task=merge ff=ffmerge sx=soxmerge ;;
    esac
    rss=""
    [ -f "$work/rss.$name" ] && rss="$(awk -v k="$(peak "$name")" 'BEGIN { printf "%.1f MiB", k / 1024 }')"
    printf '%-6s %-32s %9.3f %11s %7s %9s %6s %9s\n' $task "${label[$name]}" "${median[$name]}" \
        "${range[$name]}" "$(ratio "${median[$name]}" "${median[copy]}")" \
        "${ff:+$(ratio "${median[$name]}" "${median[$ff]}")}" \
        "${sx:+$(ratio "${median[$name]}" "${median[$sx]}")}" "$rss"
done

echo
echo "targets:"
check() {
    printf '  %-58s %s\n' "$1" "$(awk "BEGIN { print ($2) ? \"met\" : \"MISSED\" }")"
}
m() { echo "${median[$1]}"; }
check "split <= 1.5 x copy" "$(m split) <= 1.5 * $(m copy)"
check "merge <= 1.5 x copy" "$(m merge) <= 1.5 * $(m copy)"
check "split faster than ffmpeg and sox" "$(m split) < $(m ffsplit) && $(m split) < $(m soxsplit)"
check "merge faster than ffmpeg and sox" "$(m merge) < $(m ffmerge) && $(m merge) < $(m soxmerge)"
check "peak RSS of split and merge < 16 MiB" "$(peak split) < 16384 && $(peak merge) < 16384"
