#!/usr/bin/env bash
# Measures the running show on a private 1920 x 1080 X server:
#   tools/measure-show.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
display=":$(( 300 + RANDOM % 200 ))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display
"$build/tavrelle-measure" transition 63
"$build/tavrelle-measure" exit "$build/tavrelle"
"$build/tavrelle-measure" idle "$build/tavrelle"
