#!/usr/bin/env bash
# Measures the running show on a private 1920 x 1080 X server:
#   tools/measure-show.sh [BUILD_DIR] [FIRST LAST]
# prints the table of every effect (or effects FIRST to LAST), key-to-exit in
# ordinary moments, while a 50-megapixel photo is being composed and while a
# picture is a pipe that never delivers, the time to the first picture against
# feh (when installed) and the CPU while idle.
set -euo pipefail
build=${1:-build}
first=${2:-1}
last=${3:-143}
display=":$(( 300 + RANDOM % 200 ))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display TAVRELLE_SERVER_PID=$server
"$build/tavrelle-measure" table "$first" "$last"
"$build/tavrelle-measure" exit "$build/tavrelle"
"$build/tavrelle-measure" exit "$build/tavrelle" big
"$build/tavrelle-measure" exit "$build/tavrelle" pipe
if command -v feh >/dev/null; then
  "$build/tavrelle-measure" first "$build/tavrelle"
fi
"$build/tavrelle-measure" idle "$build/tavrelle"
