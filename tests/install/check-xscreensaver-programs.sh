#!/usr/bin/env bash
# The script that lists Tavrelle in XScreenSaver's system-wide programs,
# run against small app-defaults folders in the states a machine can be in.
#   check-xscreensaver-programs.sh SCRIPT
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

list() { # name, hack
    printf '*timeout:\t0:10:00\n*programs:\t\\\n\t\tmaze --root\t\\n\\\n- GL:\t\t%s --root\t\\n\n\n*hacks.maze.name: Maze\n' "$2" >"$1"
}
# The packaged list with its last program continued by the new, unticked entry.
with_entry() {
    awk '/^- GL:/ { print $0 "\\"; print "-\t\t\t     \"Tavrelle\"  tavrelle -s\t\t\t    \\n"; next } { print }' "$1"
}

# Each case: name | files present before (nogl, gl, link target or "file" or
# "-") | actions | expected link target ("-" none, "file" untouched) | base of the copy ("-" no copy)
cases=(
    "first install|nogl - XScreenSaver-nogl|add|XScreenSaver-tavrelle|XScreenSaver-nogl"
    "again|nogl - XScreenSaver-nogl|add add|XScreenSaver-tavrelle|XScreenSaver-nogl"
    "with the GL hacks|nogl gl XScreenSaver-gl|add|XScreenSaver-tavrelle|XScreenSaver-gl"
    "GL hacks installed later|nogl gl XScreenSaver-tavrelle|add|XScreenSaver-tavrelle|XScreenSaver-gl"
    "link not made yet|nogl - -|add|XScreenSaver-tavrelle|XScreenSaver-nogl"
    "administrator's own list|nogl - XScreenSaver-local|add|XScreenSaver-local|-"
    "administrator's own file|nogl - file|add|file|-"
    "no XScreenSaver|- - -|add|-|-"
    "removed|nogl - XScreenSaver-nogl|add remove|XScreenSaver-nogl|-"
    "removed with GL hacks|nogl gl XScreenSaver-gl|add remove|XScreenSaver-gl|-"
    "XScreenSaver purged first|- - XScreenSaver-tavrelle|remove|-|-"
)
for c in "${cases[@]}"; do
    IFS='|' read -r name before actions want_link want_base <<<"$c"
    read -r nogl gl link <<<"$before"
    dir=$work/$RANDOM$RANDOM
    mkdir "$dir"
    [ "$nogl" = nogl ] && list "$dir/XScreenSaver-nogl" superquadrics
    [ "$gl" = gl ] && list "$dir/XScreenSaver-gl" gears
    case "$link" in
        -) ;;
        file) echo "*programs: xmatrix --root" >"$dir/XScreenSaver" ;;
        *) ln -s "$link" "$dir/XScreenSaver" ;;
    esac
    for action in $actions; do
        "$script" "$action" "$dir" 2>/dev/null || { echo "FAIL: $name: $action exited $?"; failures=$((failures + 1)); }
    done

    if [ -L "$dir/XScreenSaver" ]; then got_link=$(readlink "$dir/XScreenSaver")
    elif [ -e "$dir/XScreenSaver" ]; then got_link=file
    else got_link=-; fi
    [ "$got_link" = "$want_link" ] || { echo "FAIL: $name: link is $got_link, expected $want_link"; failures=$((failures + 1)); }

    copy=$dir/XScreenSaver-tavrelle
    if [ "$want_base" = - ]; then
        [ ! -e "$copy" ] || { echo "FAIL: $name: the copy remains"; failures=$((failures + 1)); }
        continue
    fi
    if ! diff <(with_entry "$dir/$want_base") "$copy" >"$work/diff"; then
        echo "FAIL: $name: the copy is not $want_base with one entry added:"
        cat "$work/diff"
        failures=$((failures + 1))
    fi
done
[ $failures -eq 0 ] && echo "xscreensaver-programs: ${#cases[@]} cases passed"
exit $((failures > 0))
