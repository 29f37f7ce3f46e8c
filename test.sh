#!/usr/bin/env bash
# Installs what is missing, then runs every check:
#   build/       RelWithDebInfo build and its tests, then its Debian package
#                packed and checked (scripts/package.sh --from build)
#   build-asan/  the same under AddressSanitizer, LeakSanitizer and UBSan
#   build-win64/ the engine, jobs and CLI cross-built for Windows (mingw-w64),
#                their tests under Wine, the same bytes as on Linux, the zip
#   build-fuzz/  clang + libFuzzer: the file engine and the jobs, 20 seconds each
# Exits non-zero on the first failure (both fuzz targets always run).
set -euo pipefail
cd "$(dirname "$0")"

started=$SECONDS
bash scripts/deps.sh build test

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
summary=()

# Runs ctest in $1 and keeps its closing line for the summary.
run_ctest() {
    ctest --test-dir "$1" --output-on-failure -j2 | tee "$tmp/ctest.log"
    summary+=("$(printf '%-12s %s' "$1/" "$(grep 'tests passed' "$tmp/ctest.log")")")
}

echo "==> build/"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRAWAVE_TESTS=ON \
    -DKESTRAWAVE_SANITIZE=OFF
ninja -C build -j2
run_ctest build

echo "==> package (from build/)"
# The Debian package of the build just tested, packed as it is (no second
# build) and checked by scripts/check-package.sh; package.sh makes the
# Release one.
bash scripts/package.sh --from build --out "$tmp/package" | tee "$tmp/package.log"
summary+=("$(printf '%-12s %s' "package" "$(grep -o 'lintian: .*' "$tmp/package.log")")")

echo "==> build-asan/"
# LeakSanitizer stops every program when it cannot work (under ptrace, as
# in a debugger or strace); leak checks are then left out, loudly.
leaks=1
printf '#include <cstdlib>\nint main() { void* volatile p = std::malloc(7); p = 0; }\n' \
    >"$tmp/leak.cpp"
g++ -fsanitize=address "$tmp/leak.cpp" -o "$tmp/leak"
probe=$(ASAN_OPTIONS=detect_leaks=1 "$tmp/leak" 2>&1 || true)
if [[ "$probe" != *"detected memory leaks"* ]]; then
    echo "WARNING: LeakSanitizer does not work here; running without leak checks" >&2
    leaks=0
fi
export ASAN_OPTIONS="detect_leaks=$leaks:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S . -B build-asan -G Ninja -DKESTRAWAVE_SANITIZE=ON -DKESTRAWAVE_TESTS=ON -DKESTRAWAVE_UI=ON
ninja -C build-asan -j2
# The 4 GiB output is written once, in build/: under the sanitizers it would
# only take longer.
KESTRAWAVE_SKIP_LARGE_TESTS=1 run_ctest build-asan

echo "==> build-win64/ (mingw-w64, tests under Wine)"
# Wine's prefix lives in $tmp, so nothing is left in the home folder. The
# 4 GiB output is not written again there.
WINEPREFIX="$tmp/wine" KESTRAWAVE_SKIP_LARGE_TESTS=1 KESTRAWAVE_LINUX_CLI="$PWD/build/bin/kestrawave-cli" \
    bash scripts/windows.sh | tee "$tmp/windows.log"
summary+=("$(printf '%-12s %s' "build-win64/" "$(grep -E 'tests passed' "$tmp/windows.log" | tail -n 1); $(grep -E '^windows: .* same bytes' "$tmp/windows.log")")")
bash scripts/package.sh --windows build-win64 --out "$tmp/package" >/dev/null

echo "==> build-fuzz/"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTRAWAVE_FUZZ=ON -DKESTRAWAVE_TESTS=OFF
ninja -C build-fuzz -j2 fuzz_bwffile fuzz_jobs fuzz_seeds
mkdir "$tmp/seeds"
build-fuzz/bin/fuzz_seeds "$tmp/seeds"
# Each target runs 20 s, even when the other found a crash. Crash inputs are
# kept in build-fuzz/TARGET-crash-*; the logs too (build-fuzz/TARGET.log), as
# libFuzzer is chatty. TMPDIR holds the targets' scratch files, which a crash
# leaves behind.
fuzz_failed=0
for target in fuzz_bwffile fuzz_jobs; do
    mkdir "$tmp/corpus-$target"
    log=build-fuzz/$target.log
    if TMPDIR="$tmp" "build-fuzz/bin/$target" -max_total_time=20 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build-fuzz/$target-" "$tmp/corpus-$target" "$tmp/seeds" >"$log" 2>&1; then
        summary+=("$(printf '%-12s %s' "$target" "$(grep -E '^Done [0-9]+ runs' "$log"), no crash")")
    else
        tail -n 60 "$log"
        echo "FAILED: $target found a crash; input in build-fuzz/$target-*, log in $log" >&2
        summary+=("$(printf '%-12s %s' "$target" "CRASH: input in build-fuzz/$target-*, log in $log")")
        fuzz_failed=1
    fi
done

echo
echo "==> Summary"
printf '%s\n' "${summary[@]}"
printf '%-12s %s\n' "leak checks" "$([ $leaks = 1 ] && echo on || echo 'OFF (LeakSanitizer unusable here)')"
printf '%-12s %s\n' "time" "$((SECONDS - started)) s"
exit $fuzz_failed
