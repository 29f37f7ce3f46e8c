#!/usr/bin/env bash
# Installs what the build needs, builds build/ (programs in build/bin/), then
# shows `kestrawave-cli info` on a small sample take written here.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/deps.sh build
# Tests stay off here so that GoogleTest is not needed; test.sh turns them on.
cmake -S . -B build -G Ninja -DKESTRAWAVE_TESTS=OFF
ninja -C build -j2

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

# Half a second of a 2-channel, 24-bit, 48 kHz take: bext, iXML, fmt, data.
channels=2 bits=24 rate=48000 frames=24000
block=$((channels * bits / 8))
history=$'A=PCM,F=48000,W=24,M=stereo,T=kestrawave run.sh\r\n'
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
    printf 'data'; le $data_size 4; head -c $data_size /dev/zero
} >"$take"
[ "$(wc -c <"$take")" -eq $((riff_size + 8)) ] # the sizes above add up

cli="$PWD/build/bin/kestrawave-cli"
cd "$tmp"
for args in "info demo_take.wav" "info --json demo_take.wav"; do
    echo
    echo "\$ build/bin/kestrawave-cli $args"
    "$cli" $args
done
