#!/usr/bin/env bash
# Times kestrawave's conversions against the copy of the file, ffmpeg and sox:
#   bench/compare.sh [--minutes M] [--large-minutes M] [--reps N] [--no-install]
#                    [--cli PATH] [--no-card | --card-only]
# Takes (random 24-bit samples written straight from /dev/urandom):
#   1 GiB: 8 channels, 48 kHz, RIFF, 932 s unless --minutes says otherwise;
#   large: 16 channels, 96 kHz, always RF64, 1398 s (about 6 GiB, past 4 GiB)
#          unless --large-minutes says otherwise; skipped, with a word, when
#          the folder has less than 4 times its size free (the take, the monos
#          every merge reads, one run's outputs and room for the tools' own);
#   memory: 64 channels, 48 kHz, 8 s, split and merged once for peak memory;
#   card: 200 takes of 8 channels, 24 bits, 48 kHz, 20 s in 10 folders (about
#         4.6 GB), split with split -r and merged back with merge -r, with
#         -j 1 and -j 2, against cp -r of the card (--no-card: left out;
#         --card-only: nothing else).
# Each program runs N times (default 5), in turns, on a warm page cache and
# after a sync; the tables give medians, ratios to the copy, nanoseconds per
# sample byte and peak memory, then the goals. ffmpeg or sox runs that fail, or
# that write fewer samples than the take holds (or a RIFF header past 4 GiB),
# are shown as "cannot" with the reason. Installs ffmpeg, sox and time when
# missing (--no-install: does not; a missing tool "cannot"), builds
# build-bench/ (Release) unless --cli names a kestrawave-cli to time, and
# works in a temporary folder under TMPDIR (default /tmp).
# The timed programs are called through the table "run", which shellcheck
# cannot follow.
# shellcheck disable=SC2317
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    echo "usage: bench/compare.sh [--minutes M] [--large-minutes M] [--reps N] [--no-install]" \
        "[--cli PATH] [--no-card | --card-only]" >&2
    exit 2
}
to_seconds() { awk -v m="$1" 'BEGIN { s = int(m * 60); if (s < 1) exit 1; print s }'; }
seconds=932        # 8 channels × 3 bytes × 48000 Hz × 932 s ≈ 1 GiB
large_seconds=1398 # 16 channels × 3 bytes × 96000 Hz × 1398 s ≈ 6 GiB
reps=5
install=1
cli=""
card=1 # 0: no card; 2: the card alone
while [ $# -gt 0 ]; do
    case "$1" in
    --minutes | --large-minutes)
        [ $# -ge 2 ] || usage
        value=$(to_seconds "$2") || usage
        if [ "$1" = --minutes ]; then seconds=$value; else large_seconds=$value; fi
        shift 2
        ;;
    --reps)
        [[ $# -ge 2 && "$2" =~ ^[1-9][0-9]*$ ]] || usage
        reps=$2
        shift 2
        ;;
    --no-install)
        install=0
        shift
        ;;
    --no-card | --card-only)
        [ "$1" = --no-card ] && card=0 || card=2
        shift
        ;;
    --cli)
        [[ $# -ge 2 && -x "$2" ]] || usage
        cli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
        shift 2
        ;;
    *) usage ;;
    esac
done

missing=()
for package in ffmpeg sox time; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -ne 0 ] && [ $install -eq 1 ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "compare: installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ! -x /usr/bin/time ]; then
    echo "compare: /usr/bin/time (package time) is needed for the peak memory" >&2
    exit 1
fi
if [ -z "$cli" ]; then
    bash "$root/scripts/deps.sh" build
    build="$root/build-bench"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRAWAVE_TESTS=OFF \
        >/dev/null
    ninja -C "$build" kestrawave-cli >/dev/null
    cli="$build/bin/kestrawave-cli"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrawave-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
out="$work/out"

# PATH FORM CHANNELS RATE SECONDS: a poly take of random 24-bit samples with
# an extensible "fmt " (no speaker mask); FORM RF64 gives the RF64 header and
# "ds64" whatever the size. sox would take minutes for the large take.
make_take() {
    local frames=$(($4 * $5))
    perl -e '
        my ($form, $channels, $rate, $frames) = @ARGV;
        my $align = $channels * 3;
        my $data = $frames * $align;
        my $fmt = "fmt " . pack("V", 40) .
            pack("vvVVvv", 0xFFFE, $channels, $rate, $rate * $align, $align, 24) .
            pack("vvVv", 22, 24, 0, 1) .
            pack("C14", 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71);
        binmode STDOUT;
        if ($form eq "RF64") {
            my $size = 12 + 36 + length($fmt) + 8 + $data;
            print "RF64", pack("V", 0xFFFFFFFF), "WAVE", "ds64",
                pack("VQ<Q<Q<V", 28, $size - 8, $data, $frames, 0),
                $fmt, "data", pack("V", 0xFFFFFFFF);
        } else {
            my $size = 12 + length($fmt) + 8 + $data;
            die "a RIFF take must stay under 4 GiB\n" if $size - 8 > 0xFFFFFFFF;
            print "RIFF", pack("V", $size - 8), "WAVE", $fmt, "data", pack("V", $data);
        }' "$2" "$3" "$4" "$frames" >"$1"
    head -c $((frames * $3 * 3)) /dev/urandom >>"$1"
}

# The position of the first sample byte and the size of the samples, from
# info's text (RF64: the "ds64" size).
samples() {
    "$cli" info "$1" | awk '$1 == "data" { print $2 + 8, $3; exit }'
}

# Says which step of ours failed, with its messages, and returns false.
step() {
    local what=$1
    shift
    if ! "$@" 2>"$work/stderr"; then
        echo "compare: $what failed:" >&2
        sed 's/^/    /' "$work/stderr" | head -n 20 >&2
        return 1
    fi
}

# Each program is timed with its peak memory (KiB, one line per process).
measure() { /usr/bin/time -f %M -a -o "$work/rss.$key" "$@"; }

copy_take() { cat "$take" >"$out/copy.wav"; }
split_once() { measure "$cli" split -o "$out" "$take"; }
merge_monos() { measure "$cli" merge -o "$out" "$work/monos/take"; }
ffmpeg_split() {
    local layout labels="" maps=() n
    case $channels in
    8) layout=7.1 ;;
    16) layout=hexadecagonal ;;
    *) return 1 ;;
    esac
    for ((n = 1; n <= channels; n++)); do
        labels+="[c$n]"
        maps+=(-map "[c$n]" -c:a pcm_s24le "$out/take_$n.wav")
    done
    measure ffmpeg -nostdin -v error -i "$take" \
        -filter_complex "channelsplit=channel_layout=$layout$labels" "${maps[@]}"
}
sox_split() {
    local n
    for ((n = 1; n <= channels; n++)); do
        measure sox "$take" "$out/take_$n.wav" remix "$n" || return
    done
}
ffmpeg_merge() {
    local inputs=() mono
    for mono in "${monos[@]}"; do
        inputs+=(-i "$mono")
    done
    measure ffmpeg -nostdin -v error "${inputs[@]}" -filter_complex "amerge=inputs=$channels" \
        -c:a pcm_s24le -rf64 auto "$out/take.wav"
}
sox_merge() { measure sox -M "${monos[@]}" "$out/take.wav"; }

# Why another program's output cannot stand for the job ("" when it can).
split_short() {
    local n size
    for ((n = 1; n <= channels; n++)); do
        size=$(stat -c %s "$out/take_$n.wav" 2>/dev/null || echo 0)
        if [ "$size" -lt $((bytes / channels)) ]; then
            echo "wrote $size bytes for channel $n, fewer than its $((bytes / channels)) sample bytes"
            return
        fi
    done
}
merge_short() {
    local size
    size=$(stat -c %s "$out/take.wav" 2>/dev/null || echo 0)
    if [ "$size" -lt "$bytes" ]; then
        echo "wrote $size bytes, fewer than the $bytes sample bytes"
    elif [ "$size" -gt 4294967303 ] && [ "$(head -c 4 "$out/take.wav")" = RIFF ]; then
        echo "writes a RIFF header for a file past 4 GiB"
    fi
}

names=(copy split window ffsplit soxsplit merge ffmerge soxmerge)
declare -A run=(
    [copy]=copy_take [split]=split_once [ffsplit]=ffmpeg_split [soxsplit]=sox_split
    [merge]=merge_monos [ffmerge]=ffmpeg_merge [soxmerge]=sox_merge
)
declare -A tool=([ffsplit]=ffmpeg [soxsplit]=sox [ffmerge]=ffmpeg [soxmerge]=sox)
declare -A short=([ffsplit]=split_short [soxsplit]=split_short [ffmerge]=merge_short
    [soxmerge]=merge_short)
declare -A median range cannot peak_kib take_bytes take_line
declare -A label=(
    [copy]="cat take.wav > copy.wav"
    [split]="kestrawave-cli split (one pass)"
    [window]="window's Poly to Mono job"
    [ffsplit]="ffmpeg channelsplit"
    [soxsplit]="sox remix (one run a channel)"
    [merge]="kestrawave-cli merge"
    [ffmerge]="ffmpeg amerge"
    [soxmerge]="sox -M"
)

# NAME FORM CHANNELS RATE SECONDS: makes the take, checks that our split and
# merge give its samples back, then times every program REPS times in turns.
# False, with the failing step named, when one of ours fails.
bench_take() {
    local name=$1 form=$2 rate=$4 seconds=$5 n rep program started reason failed
    channels=$3
    bytes=$((channels * 3 * rate * seconds))
    take="$work/take.wav"
    take_bytes[$name]=$bytes
    take_line[$name]=$(printf '%d channels, 24 bits, %d kHz, %s, %d s, %.1f MiB of samples' \
        "$channels" $((rate / 1000)) "$form" "$seconds" "$(awk -v b=$bytes 'BEGIN { print b / 1048576 }')")
    echo "compare: making the $name take: ${take_line[$name]}"
    step "$name take: making it" make_take "$take" "$form" "$channels" "$rate" "$seconds" || return

    # The mono files that every merge reads, and a check that ours come back
    # whole: a fast conversion that loses samples would be no result.
    mkdir -p "$work/monos" "$out"
    step "$name take: kestrawave-cli split (making the monos)" \
        "$cli" split -y -o "$work/monos" "$take" || return
    monos=()
    for ((n = 1; n <= channels; n++)); do
        monos+=("$work/monos/take/take_$n.wav")
    done
    step "$name take: kestrawave-cli merge (of the monos)" \
        "$cli" merge -y -o "$out" "$work/monos/take" || return
    local start size merged_start
    read -r start size <<<"$(samples "$take")"
    read -r merged_start _ <<<"$(samples "$out/take.wav" || true)"
    if [ "$size" != "$bytes" ] || [ -z "$merged_start" ] ||
        ! cmp -s -n "$size" -i "$start:$merged_start" "$take" "$out/take.wav"; then
        echo "compare: $name take: the merged samples differ from the take's" \
            "(info gives $size sample bytes at $start, $bytes written)" >&2
        return 1
    fi
    for program in "${!tool[@]}"; do
        command -v "${tool[$program]}" >/dev/null || cannot[$name.$program]="not installed"
    done
    [ "$channels" = 8 ] || [ "$channels" = 16 ] ||
        cannot[$name.ffsplit]="no channelsplit layout for $channels channels here"

    echo "compare: $name take: warming the page cache"
    cat "$take" "${monos[@]}" >/dev/null
    for ((rep = 1; rep <= reps; rep++)); do
        echo "compare: $name take: round $rep of $reps"
        for program in "${names[@]}"; do
            key=$name.$program
            if [ "$program" = window ] || [ -n "${cannot[$key]:-}" ]; then
                continue
            fi
            rm -rf "$out"
            mkdir "$out"
            # Each run starts with no dirty pages, so none pays for another's writeback.
            sync
            started=$EPOCHREALTIME
            failed=0
            "${run[$program]}" 2>"$work/stderr" || failed=$?
            if [ $failed -ne 0 ]; then
                if [ -z "${tool[$program]:-}" ]; then
                    echo "compare: $name take: ${label[$program]} failed:" >&2
                    sed 's/^/    /' "$work/stderr" | head -n 20 >&2
                    return 1
                fi
                cannot[$key]="failed ($failed): $(grep -v '^Command exited' "$work/stderr" |
                    grep -m 1 . || true)"
                continue
            fi
            awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }' \
                >>"$work/times.$key"
            if [ -n "${short[$program]:-}" ] && reason=$("${short[$program]}") && [ -n "$reason" ]; then
                cannot[$key]=$reason
            fi
        done
    done
    rm -rf "$out" "$work/monos" "$take"
    for program in "${names[@]}"; do
        key=$name.$program
        if [ -f "$work/times.$key" ] && [ -z "${cannot[$key]:-}" ]; then
            read -r "median[$key]" "range[$key]" < <(sort -g "$work/times.$key" | awk '{ t[NR] = $1 }
                END { printf "%s %.2f-%.2f\n", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2,
                      t[1], t[NR] }')
        fi
        [ -f "$work/rss.$key" ] && peak_kib[$key]=$(sort -n "$work/rss.$key" | tail -n 1)
    done
    return 0
}

# Free bytes in the work folder against FACTOR times BYTES; says so when short.
has_room() {
    local free
    free=$(df --output=avail -B1 "$work" | tail -n 1)
    if [ "$free" -lt $(($1 * $2)) ]; then
        echo "compare: $work has $((free >> 20)) MiB free; the $3 take needs $(($1 * $2 >> 20)) MiB"
        return 1
    fi
}

# The card: TAKES takes in 10 folders, split -r and merged back with -r,
# with -j 1 and -j 2, against cp -r of the same bytes. Each run REPS times in
# turns, after a sync, on a warm page cache.
card_takes=200
card_seconds=20
declare -A card_median
bench_card() {
    local folder n rep program started
    local card_bytes=$((card_takes * 8 * 3 * 48000 * card_seconds))
    has_room 4 $card_bytes card >&2 || return 1
    echo "compare: making the card: $card_takes takes of 8 channels, 24 bits, 48 kHz," \
        "$card_seconds s in 10 folders"
    for ((n = 0; n < card_takes; n++)); do
        folder="$work/card/DAY$((n % 10))"
        mkdir -p "$folder"
        make_take "$folder/T$n.wav" RIFF 8 48000 "$card_seconds"
    done
    mkdir -p "$work/card-monos"
    step "card: split -r (making the monos)" "$cli" split -r -y -j 2 -o "$work/card-monos" \
        "$work/card" >/dev/null || return
    cat_card() { find "$work/card" "$work/card-monos" -type f -exec cat {} + >/dev/null; }
    echo "compare: card: warming the page cache"
    cat_card
    declare -A card_run=(
        [cp]="cp -r $work/card $out/copy"
        [split1]="$cli split -r -j 1 -o $out $work/card"
        [split2]="$cli split -r -j 2 -o $out $work/card"
        [merge1]="$cli merge -r -j 1 -o $out $work/card-monos"
        [merge2]="$cli merge -r -j 2 -o $out $work/card-monos"
    )
    for ((rep = 1; rep <= reps; rep++)); do
        echo "compare: card: round $rep of $reps"
        for program in cp split1 split2 merge1 merge2; do
            rm -rf "$out"
            mkdir "$out"
            sync
            started=$EPOCHREALTIME
            # shellcheck disable=SC2086
            step "card: ${card_run[$program]}" ${card_run[$program]} || return
            awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }' \
                >>"$work/card.$program"
        done
    done
    rm -rf "$out" "$work/card" "$work/card-monos"
    for program in cp split1 split2 merge1 merge2; do
        card_median[$program]=$(sort -g "$work/card.$program" |
            awk '{ t[NR] = $1 } END { print NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }')
    done
    echo
    printf 'card: %d takes of 8 channels, 24 bits, 48 kHz, %d s in 10 folders, %.2f GB; median of %d runs\n' \
        "$card_takes" "$card_seconds" "$(awk -v b=$card_bytes 'BEGIN { print b / 1e9 }')" "$reps"
    printf '  %-40s %9s %7s\n' program "median s" "x copy"
    local -A card_label=([cp]="cp -r card copy" [split1]="kestrawave-cli split -r -j 1"
        [split2]="kestrawave-cli split -r -j 2" [merge1]="kestrawave-cli merge -r -j 1"
        [merge2]="kestrawave-cli merge -r -j 2")
    for program in cp split1 split2 merge1 merge2; do
        printf '  %-40s %9.3f %7s\n' "${card_label[$program]}" "${card_median[$program]}" \
            "$(awk -v a="${card_median[$program]}" -v b="${card_median[cp]}" 'BEGIN { printf "%.2f", a / b }')"
    done
    for program in split1 merge1; do
        printf '  goal: %-33s %s\n' "$program <= 1.3 x copy" \
            "$(awk -v a="${card_median[$program]}" -v b="${card_median[cp]}" \
                'BEGIN { print (a <= 1.3 * b) ? "met" : "MISSED" }')"
    done
}
if [ $card = 2 ]; then
    bench_card
    exit
fi

status=0
small_bytes=$((8 * 3 * 48000 * seconds))
has_room 4 $small_bytes "1 GiB" >&2 || exit 1
bench_take 1g RIFF 8 48000 "$seconds" || exit 1
large="not run"
large_bytes=$((16 * 3 * 96000 * large_seconds))
if ! has_room 4 $large_bytes large; then
    large="skipped: not enough free space"
elif bench_take 6g RF64 16 96000 "$large_seconds"; then
    large=""
else
    large="failed (see above)"
    status=1
fi
# Peak memory only: one split and one merge of a 64-channel take.
echo "compare: 64-channel take for the peak memory"
channels=64
bytes=$((64 * 3 * 48000 * 8))
take="$work/take.wav"
make_take "$take" RIFF 64 48000 8
mkdir -p "$work/monos" "$out"
key=64ch.split
step "64-channel take: kestrawave-cli split" measure "$cli" split -o "$work/monos" "$take" ||
    status=1
key=64ch.merge
step "64-channel take: kestrawave-cli merge" measure "$cli" merge -o "$out" "$work/monos/take" ||
    status=1
for key in 64ch.split 64ch.merge; do
    [ -f "$work/rss.$key" ] && peak_kib[$key]=$(sort -n "$work/rss.$key" | tail -n 1)
done
rm -rf "$out" "$work/monos" "$take"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v k="${1:-}" 'BEGIN { if (k != "") printf "%.1f MiB", k / 1024 }'; }
ns_per_byte() { awk -v s="$1" -v b="$2" 'BEGIN { printf "%.3f", s * 1e9 / b }'; }
table() {
    local name=$1 program key task
    echo
    printf '%s take: %s; median of %d runs\n' "$name" "${take_line[$name]}" "$reps"
    printf '%-6s %-32s %9s %11s %7s %8s %10s\n' task program "median s" "range s" "x copy" \
        "ns/byte" "peak RSS"
    for program in "${names[@]}"; do
        key=$name.$program
        case $program in
        copy) task="copy" ;;
        split | window | ffsplit | soxsplit) task="split" ;;
        *) task="merge" ;;
        esac
        if [ "$program" = window ]; then
            printf '%-6s %-32s %s\n' $task "${label[$program]}" \
                "the one-pass split above (same core, not timed twice)"
        elif [ -n "${cannot[$key]:-}" ]; then
            printf '%-6s %-32s cannot: %s\n' $task "${label[$program]}" "${cannot[$key]}"
        elif [ -n "${median[$key]:-}" ]; then
            printf '%-6s %-32s %9.3f %11s %7s %8s %10s\n' $task "${label[$program]}" \
                "${median[$key]}" "${range[$key]}" "$(ratio "${median[$key]}" "${median[$name.copy]}")" \
                "$(ns_per_byte "${median[$key]}" "${take_bytes[$name]}")" "$(mib "${peak_kib[$key]:-}")"
        fi
    done
}
table 1g
if [ -z "$large" ]; then
    table 6g
else
    printf '\n6g take: %s\n' "$large"
fi

echo
echo "nanoseconds per sample byte, 1 GiB take and large take:"
printf '  %-32s %8s %8s %7s\n' program 1g 6g 6g/1g
for program in copy split merge; do
    one=$(ns_per_byte "${median[1g.$program]}" "${take_bytes[1g]}")
    if [ -n "${median[6g.$program]:-}" ]; then
        six=$(ns_per_byte "${median[6g.$program]}" "${take_bytes[6g]}")
        printf '  %-32s %8s %8s %7s\n' "${label[$program]}" "$one" "$six" "$(ratio "$six" "$one")"
    else
        printf '  %-32s %8s %8s\n' "${label[$program]}" "$one" "-"
    fi
done
echo
echo "peak memory, 64 channels, 48 kHz, 8 s: split $(mib "${peak_kib[64ch.split]:-}"), merge $(mib "${peak_kib[64ch.merge]:-}")"

echo
echo "goals:"
check() {
    local verdict
    if [ -z "$2" ]; then
        verdict="not measured"
    else
        verdict=$(awk "BEGIN { print ($2) ? \"met\" : \"MISSED\" }")
    fi
    printf '  %-64s %s\n' "$1" "$verdict"
}
# The expression when every named figure is there, else nothing.
when() {
    local expression=$1 value
    shift
    for value in "$@"; do
        [ -n "$value" ] || return 0
    done
    echo "$expression"
}
m() { echo "${median[$1]:-}"; }
k() { echo "${peak_kib[$1]:-}"; }
for name in 1g 6g; do
    for program in split merge; do
        check "$program <= 1.3 x copy ($name take)" \
            "$(when "$(m $name.$program) <= 1.3 * $(m $name.copy)" "$(m $name.$program)")"
    done
    check "window's job <= 1.3 x copy ($name take): the split's core" \
        "$(when "$(m $name.split) <= 1.3 * $(m $name.copy)" "$(m $name.split)")"
done
check "peak RSS of split and merge < 16 MiB (8 channels)" \
    "$(when "$(k 1g.split) < 16384 && $(k 1g.merge) < 16384" "$(k 1g.split)" "$(k 1g.merge)")"
check "peak RSS of split and merge < 64 MiB (64 channels)" \
    "$(when "$(k 64ch.split) < 65536 && $(k 64ch.merge) < 65536" "$(k 64ch.split)" "$(k 64ch.merge)")"
for program in split merge; do
    check "$program: ns/byte of the large take <= the 1 GiB take's" \
        "$(when "$(m 6g.$program) / ${take_bytes[6g]:-1} <= $(m 1g.$program) / ${take_bytes[1g]}" \
            "$(m 6g.$program)")"
done
if [ $card = 1 ]; then
    bench_card || status=1
fi
exit $status
