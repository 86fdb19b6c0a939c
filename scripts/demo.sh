#!/usr/bin/env bash
# Usage: scripts/demo.sh BUILD_DIR
# Shows the slide show on the sample pictures, in a throw-away data folder
# (.demo/ in the repository) so that the user's own settings stay untouched.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$(realpath -m "${1:-build}")
PROGRAM=$BUILD_DIR/tavrelle
SAMPLES=$BUILD_DIR/tavrelle-samples

if [ -z "${DISPLAY:-}" ]; then
  echo "demo: there is no X display (\$DISPLAY is empty), and the slide show needs one." >&2
  echo "      Run 'make demo' from a desktop session, or under a virtual display: xvfb-run make demo" >&2
  exit 1
fi
for f in "$PROGRAM" "$SAMPLES"; do
  if [ ! -x "$f" ]; then
    echo "demo: $f is missing; build first (make build)." >&2
    exit 1
  fi
done

DEMO=$ROOT/.demo
rm -rf "$DEMO"
mkdir -p "$DEMO/data/Tavrelle" "$DEMO/pictures"

# The show reads the list of the default group, group 0, when no schedule
# says otherwise: "Tavrelle_0.rdm" in the data folder.
"$SAMPLES" "$DEMO/pictures" --list "$DEMO/data/Tavrelle/Tavrelle_0.rdm"

export XDG_DATA_HOME=$DEMO/data
echo "Starting the slide show on $(ls "$DEMO/pictures" | wc -l) sample pictures."
echo "Press a key, click or move the mouse to end it."
exec "$PROGRAM" /s
