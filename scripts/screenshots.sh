#!/usr/bin/env bash
# Pictures of the window: renders it offscreen (no X server needed) in its
# main states -- Poly to Mono with a folder listed and a source row's
# channels, Mono to Poly with a take, the progress window mid-run, the
# summary, the overwrite question -- at 1280x800 and 800x600, into
# BUILD/screenshots/. With --docs, docs/window.png becomes the Poly to Mono
# picture at 1280x800. The files shown are made in a temporary folder.
#
#   scripts/screenshots.sh [--docs] [BUILD]     BUILD: the build folder, build by default
set -euo pipefail
cd "$(dirname "$0")/.."

docs=false
if [[ ${1:-} == --docs ]]; then
    docs=true
    shift
fi
build=${1:-build}

if [[ ! -f $build/CMakeCache.txt ]]; then
    echo "screenshots.sh: $build is no configured build folder (./run.sh makes build/)" >&2
    exit 1
fi
cmake --build "$build" --target ui_screenshots
QT_QPA_PLATFORM=offscreen "$build/bin/ui_screenshots" "$build/screenshots"

if $docs; then
    mkdir -p docs
    cp "$build/screenshots/poly-to-mono-1280x800.png" docs/window.png
    # Smaller where a PNG optimiser is at hand; the picture stays the same.
    if command -v optipng >/dev/null; then
        optipng -quiet -o5 docs/window.png
    fi
    echo "docs/window.png: $(stat -c %s docs/window.png) bytes"
fi
