#!/usr/bin/env bash
# Runs a Windows program under Wine without a display or dialogs, in the
# prefix WINEPREFIX names (scripts/windows.sh makes a temporary one). Used as
# the cross-build's CMAKE_CROSSCOMPILING_EMULATOR.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name a folder of its own}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
exec /usr/lib/wine/wine64 "$@"
