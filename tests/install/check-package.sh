#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks its control
# fields, its contents against installed-files.txt and lintian's verdict.
#   check-package.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack"; }
deb=$out/tavrelle_${version}_amd64.deb
[ -f "$deb" ] || { fail "no $deb"; exit 1; }

# Each line: control field | a text its value must contain.
fields=(
    "Package|tavrelle" "Version|$version" "Architecture|amd64" "Section|x11"
    "Depends|libqt6widgets6" "Depends|libsdl2-mixer-2.0-0" "Depends|libcdio" "Depends|libx11-6"
    "Recommends|fonts-ipafont-gothic" "Recommends|qt6-translations-l10n" "Description|slide-show screen saver"
)
for f in "${fields[@]}"; do
    IFS='|' read -r field text <<<"$f"
    value=$(dpkg-deb --field "$deb" "$field")
    [[ "$value" == *"$text"* ]] || fail "$field is \"$value\", lacks \"$text\""
done
dpkg-deb --info "$deb" >"$out/info"
for member in postinst prerm triggers; do
    grep -q " $member " "$out/info" || fail "control member $member missing"
done

contents=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' | sort)
if ! diff <(sort "$here/installed-files.txt") <(echo "$contents"); then
    fail "package contents differ from installed-files.txt (< expected, > packaged)"
fi

lintian_output=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges')
echo "lintian: ${lintian_output:-no tags}"
grep -q '^E: ' <<<"$lintian_output" && fail "lintian reports errors"

[ $failures -eq 0 ] && echo "package: all checks passed"
exit $((failures > 0))
