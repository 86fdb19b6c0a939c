#!/usr/bin/env bash
# Installs into a staging folder under an unusual prefix and checks what a
# desktop reads from there: the file list, the hack description, the desktop
# entries, the manual pages, the icon sizes and the program's --help and
# --version.
#   check-installed.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix=/opt/tavrelle
root=$stage$prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"

actual=$(cd "$root" && find . \( -type f -o -type l \) -printf '%P\n' | sort | while read -r f; do
    if [ -L "$f" ]; then echo "$f -> $(readlink "$f")"; else echo "$f"; fi
done)
if ! diff <(sort "$here/installed-files.txt") <(echo "$actual"); then
    fail "installed files differ from installed-files.txt (< expected, > installed)"
fi
[ -x "$root/libexec/xscreensaver/tavrelle" ] || fail "the hack link does not reach the program"

# Tools whose verdict matters; each line: what, command. Warnings count as
# failures, hints (desktop-file-validate's mildest level) do not.
checks=(
    "hack description|xmllint --noout --schema $here/xscreensaver-hack.xsd $root/share/xscreensaver/config/tavrelle.xml"
    "menu entry|desktop-file-validate --warn-kde $root/share/applications/tavrelle-settings.desktop"
    "theme entry|desktop-file-validate --warn-kde $root/share/applications/screensavers/tavrelle.desktop"
    "manual page|man --warnings -E UTF-8 -l $root/share/man/man1/tavrelle.1.gz"
    "renderer manual page|man --warnings -E UTF-8 -l $root/share/man/man1/tavrelle-render.1.gz"
)
for check in "${checks[@]}"; do
    what=${check%%|*} command=${check#*|}
    tool=${command%% *}
    if ! command -v "$tool" >/dev/null; then
        fail "$what: $tool is not installed (scripts/install-deps.sh installs it)"
        continue
    fi
    output=$(LC_ALL=C.UTF-8 MANWIDTH=80 $command 2>&1 >/dev/null)
    status=$?
    complaints=$(echo "$output" | grep -v -e ' validates$' -e ': hint: ' -e '^$')
    if [ $status -ne 0 ] || [ -n "$complaints" ]; then
        fail "$what (exit $status): $complaints"
    fi
done

# PNG width and height are big-endian words at bytes 16 and 20.
for size in 48 128; do
    dims=$(od -An -tu1 -j16 -N8 "$root/share/icons/hicolor/${size}x${size}/apps/tavrelle.png" |
        awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "icon ${size}x${size} is $dims"
done
grep -q "Tavrelle $version" <(zcat "$root/share/man/man1/tavrelle.1.gz") || fail "manual page lacks version $version"

# --help and --version need no display; each line: the desktop's language,
# arguments, exit status, expected first line of standard output.
cases=(
    "en_US.UTF-8|--help|0|Usage: tavrelle [/s | /c | /p WINDOW | /a]"
    "ja_JP.UTF-8|--help|0|使い方: tavrelle [/s | /c | /p ウィンドウ | /a]"
    "C.UTF-8|--version|0|tavrelle $version"
)
for c in "${cases[@]}"; do
    IFS='|' read -r lang args want_status want_first <<<"$c"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u TAVRELLE_LANG -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$lang" \
        QT_QPA_PLATFORM= "$root/bin/tavrelle" $args 2>"$stage/err")
    status=$?
    [ $status -eq "$want_status" ] || fail "tavrelle $args: exit $status, expected $want_status"
    [ "$(head -n1 <<<"$out")" = "$want_first" ] || fail "tavrelle $args printed: $(head -n1 <<<"$out")"
    [ ! -s "$stage/err" ] || fail "tavrelle $args wrote to standard error: $(cat "$stage/err")"
done

[ $failures -eq 0 ] && echo "installed files: all checks passed"
exit $((failures > 0))
