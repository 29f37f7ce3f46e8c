#!/usr/bin/env bash
# Checks a kestrawave Debian package, as scripts/package.sh makes it:
#   scripts/check-package.sh kestrawave_VERSION_ARCH.deb
# - every file that the install rules promise is in it, man pages gzipped;
# - its control fields, stripped programs that print the package's version;
# - desktop-file-validate and appstreamcli accept the desktop entry and the
#   AppStream metadata;
# - lintian reports no error (its warnings are listed);
# - the bash completion loads and completes commands, options, modes, job
#   counts, wave files and folders; zsh -n reads the zsh one (when zsh is
#   there).
# Exits 1 on the first failed check. Needs scripts/deps.sh package.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 PACKAGE.deb" >&2
    exit 2
fi
deb=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
step() { echo "check-package: $*"; }

version=$(dpkg-deb --field "$deb" Version)

step "contents"
dpkg-deb --contents "$deb" | awk '{ print $6 }' >"$tmp/contents"
for file in \
    usr/bin/kestrawave \
    usr/bin/kestrawave-cli \
    usr/share/applications/kestrawave.desktop \
    usr/share/icons/hicolor/scalable/apps/kestrawave.svg \
    usr/share/metainfo/org.kestrawave.Kestrawave.metainfo.xml \
    usr/share/man/man1/kestrawave.1.gz \
    usr/share/man/man1/kestrawave-cli.1.gz \
    usr/share/bash-completion/completions/kestrawave-cli \
    usr/share/zsh/vendor-completions/_kestrawave-cli \
    usr/share/doc/kestrawave/copyright \
    usr/share/doc/kestrawave/changelog.gz \
    usr/share/doc/kestrawave/README.md; do
    grep -qx "\./$file" "$tmp/contents" || fail "$file is not in $deb"
done

step "control fields"
for field in Package Version Architecture Maintainer Section Depends Homepage Description; do
    [ -n "$(dpkg-deb --field "$deb" "$field")" ] || fail "no $field field"
done
[ "$(dpkg-deb --field "$deb" Section)" = sound ] || fail "the section is not sound"
# Computed by dpkg-shlibdeps: the window needs Qt's widgets.
# (Each output is taken whole before grep: under pipefail a grep -q that
# closes its pipe early would make the writer's broken pipe a failure.)
grep -q 'libqt6widgets6' <<<"$(dpkg-deb --field "$deb" Depends)" ||
    fail "Depends lacks Qt: $(dpkg-deb --field "$deb" Depends)"

root=$tmp/root
dpkg-deb -x "$deb" "$root"

step "programs"
for program in kestrawave kestrawave-cli; do
    grep -q ', stripped' <<<"$(file -b "$root/usr/bin/$program")" || fail "$program is not stripped"
    printed=$("$root/usr/bin/$program" --version)
    [ "$printed" = "$program $version" ] ||
        fail "$program --version printed '$printed', not '$program $version'"
done
newest=$(zcat "$root/usr/share/doc/kestrawave/changelog.gz")
grep -q "^kestrawave ($version) " <<<"${newest%%$'\n'*}" ||
    fail "the changelog's newest entry is not $version"

step "desktop entry and AppStream metadata"
desktop-file-validate "$root/usr/share/applications/kestrawave.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kestrawave.Kestrawave.metainfo.xml"

step "lintian"
lintian --fail-on error "$deb" | tee "$tmp/lintian" || fail "lintian reports errors"
warnings=$(grep -c '^W: ' "$tmp/lintian" || true)
step "lintian: no error, $warnings warnings"

step "bash completion"
completion=$root/usr/share/bash-completion/completions/kestrawave-cli
bash -n "$completion"
mkdir -p "$tmp/waves/take folder" "$tmp/monos"
touch "$tmp/waves/A.wav" "$tmp/waves/B.WAV" "$tmp/waves/notes.txt"
touch "$tmp/monos/A101_1.wav" "$tmp/monos/A101_2.wav" "$tmp/monos/B7_1.wav"
# A take whose name a careless completion would run.
touch "$tmp/monos/\$(touch pwned)_1.wav"
# Each case: the words typed (the last one being completed) and the
# completions expected, in compgen's order.
bash --norc --noprofile -s "$completion" "$tmp" "$root/usr/bin/kestrawave-cli" <<'EOF' ||
set -u
source "$1"
dir=$2
cli=$3
grep -q -- '-F _kestrawave_cli' <<<"$(complete -p kestrawave-cli)" || { echo "not registered"; exit 1; }
cd "$dir"
failed=0
expect() {
    local wanted=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kestrawave_cli
    local IFS=' '
    if [ "${COMPREPLY[*]}" != "$wanted" ]; then
        echo "'${COMP_WORDS[*]}' completed to '${COMPREPLY[*]}', not '$wanted'"
        failed=1
    fi
}
expect 'split' kestrawave-cli sp
expect 'info split takes merge --help --version' kestrawave-cli ''
expect '--help --version' kestrawave-cli --
expect '-o --output -c --channels -y --yes -n --no --copy-metadata -r --recursive -j --jobs --json --help' kestrawave-cli split -
expect '--json --help' kestrawave-cli info --
expect '--json --help' kestrawave-cli takes -
expect '-o --output -m --mode -y --yes -n --no --copy-metadata -r --recursive -j --jobs --json --help' kestrawave-cli merge -
expect '--recursive' kestrawave-cli merge --rec
expect '--jobs --json' kestrawave-cli split -r --j
expect '0 1 2' kestrawave-cli merge -m ''
expect '0 1 2' kestrawave-cli merge -y --mode ''
expect '' kestrawave-cli split -c ''
expect '0 1 2 4' kestrawave-cli split -j ''
expect '0 1 2 4' kestrawave-cli merge -r --jobs ''
expect 'waves/take folder waves/A.wav waves/B.WAV' kestrawave-cli info waves/
expect 'waves/take folder waves/A.wav waves/B.WAV' kestrawave-cli split -o monos -c 1 waves/
expect 'waves/take folder waves/A.wav waves/B.WAV' kestrawave-cli split -r -j 2 waves/
expect 'waves/take folder' kestrawave-cli split -o waves/
expect 'waves/take folder' kestrawave-cli takes waves/
expect 'waves/take folder' kestrawave-cli takes --json waves/
expect '' kestrawave-cli takes monos x
expect 'waves/take folder' kestrawave-cli merge -m 1 waves/
expect 'waves/take folder' kestrawave-cli merge -j 2 waves/
expect '$(touch pwned) A101 B7' "$cli" merge -o waves monos ''
expect 'A101' "$cli" merge monos B7 A
# The number after -j is no FOLDER: the takes are those of monos.
expect '$(touch pwned) A101 B7' "$cli" merge -r -j 2 --json monos ''
[ ! -e pwned ] || { echo "a take name was run as a command"; failed=1; }
exit $failed
EOF
    fail "the bash completion"

if command -v zsh >/dev/null; then
    step "zsh completion"
    zsh -n "$root/usr/share/zsh/vendor-completions/_kestrawave-cli"
else
    step "zsh completion: no zsh here, not checked"
fi
step "$deb: all checks passed"
