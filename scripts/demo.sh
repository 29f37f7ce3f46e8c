#!/usr/bin/env bash
# The headless demo: a small sample take written here goes round the
# conversions (info, split, takes, merge), and the merged samples are checked
# against the original ones. Needs build/bin/kestrawave-cli (./run.sh builds it).
set -euo pipefail
cd "$(dirname "$0")/.."

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Little-endian bytes of $1, $2 bytes wide.
le() {
    local i
    for ((i = 0; i < $2; i++)); do
        printf "\\x$(printf %02x $((($1 >> (8 * i)) & 255)))"
    done
}
# The zero pad byte that follows a body of odd size $1.
pad() {
    head -c $(($1 % 2)) /dev/zero
}
# Text $1 in a field of $2 bytes, zero-filled.
field() {
    printf '%s' "$1"
    head -c $(($2 - ${#1})) /dev/zero
}

# Half a second of a 4-channel, 24-bit, 48 kHz take: bext, iXML, fmt, data.
channels=4 bits=24 rate=48000 frames=24000
block=$((channels * bits / 8))
history=$'A=PCM,F=48000,W=24,M=4channel,T=kestrawave run.sh\r\n'
ixml='<?xml version="1.0"?><BWFXML><PROJECT>demo</PROJECT><SCENE>1</SCENE></BWFXML>'
bext_size=$((602 + ${#history}))
data_size=$((frames * block))
riff_size=$((4 + 8 + bext_size + bext_size % 2 + 8 + ${#ixml} + ${#ixml} % 2 + 24 + 8 + data_size))
take="$tmp/demo_take.wav"
{
    printf 'RIFF'; le $riff_size 4; printf 'WAVE'
    printf 'bext'; le $bext_size 4
    field 'Kestrawave demo take' 256
    field 'kestrawave' 32
    field 'run.sh' 32
    field "$(date +%Y-%m-%d)" 10
    field "$(date +%H:%M:%S)" 8
    le 0 8        # time reference in samples
    le 1 2        # bext version
    head -c 254 /dev/zero # UMID and reserved bytes
    printf '%s' "$history"; pad $bext_size
    printf 'iXML'; le ${#ixml} 4; printf '%s' "$ixml"; pad ${#ixml}
    printf 'fmt '; le 16 4; le 1 2; le $channels 2; le $rate 4
    le $((rate * block)) 4; le $block 2; le $bits 2
    # Random samples: a sample out of place cannot go unnoticed.
    printf 'data'; le $data_size 4; head -c $data_size /dev/urandom
} >"$take"
[ "$(wc -c <"$take")" -eq $((riff_size + 8)) ] # the sizes above add up

cli="$PWD/build/bin/kestrawave-cli"
cd "$tmp"
mkdir monos merged
show() {
    echo
    echo "\$ build/bin/kestrawave-cli $*"
    "$cli" "$@"
}
show info demo_take.wav
show split -o monos demo_take.wav
show takes monos/demo_take
show merge -o merged monos/demo_take

# Offset of the first sample and size of the samples, from the info listing.
samples() {
    "$cli" info "$1" | awk '$1 == "data" { print $2 + 8, $3; found = 1; exit } END { exit !found }' ||
        { echo "FAILED: kestrawave-cli info lists no data chunk in $1" >&2; exit 1; }
}
original=$(samples demo_take.wav)
merged=$(samples merged/demo_take.wav)
read -r start size <<<"$original"
read -r merged_start merged_size <<<"$merged"
echo
# The merged data chunk is filled up with zero frames; the original samples lead it.
if [ "$merged_size" -ge "$size" ] &&
    cmp -n "$size" -i "$start:$merged_start" demo_take.wav merged/demo_take.wav; then
    echo "OK: the $size bytes of samples of demo_take.wav came back unchanged from" \
        "its $channels mono files"
else
    echo "FAILED: the samples of merged/demo_take.wav differ from those of demo_take.wav" >&2
    exit 1
fi
