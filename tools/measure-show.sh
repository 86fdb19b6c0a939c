#!/usr/bin/env bash
# Measures the running show on a private 1920 x 1080 X server:
#   tools/measure-show.sh [BUILD_DIR] [FIRST LAST]
# prints the table of every effect (or effects FIRST to LAST), key-to-exit in
# ordinary moments, while a 50-megapixel photo is being composed and while a
# picture is a pipe that never delivers, the time to the first picture against
# feh (when installed), a minute of the show against its floor and its peers,
# each decoder against its format's own tool, and the CPU while idle; then, on a file system of its own
# (FUSE, needs /dev/fuse and the right to mount) whose files stop answering,
# key and SIGTERM to the window going, the start with a stalled or a 600 MB
# music file, a composed raster handed back by a child process, and a run of
# SOAK_SECONDS (default 600) with a stuck picture.
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
"$build/tavrelle-measure" minute 60 "$build/tavrelle"
"$build/tavrelle-measure" decoders
"$build/tavrelle-measure" idle "$build/tavrelle"
for stall in lookup open read; do
  for end in key term; do
    "$build/tavrelle-measure" gone "$build/tavrelle" "$stall" "$end"
  done
done
"$build/tavrelle-measure" music "$build/tavrelle"
"$build/tavrelle-measure" handover
"$build/tavrelle-measure" soak "$build/tavrelle" "${SOAK_SECONDS:-600}"
