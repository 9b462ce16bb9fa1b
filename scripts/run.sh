#!/usr/bin/env bash
# Installs what is missing, builds, writes a demo card with the project's own
# generator (once, into demo-card/), and starts the viewer on its first day.
#   scripts/run.sh [DAY_FOLDER_OR_CARD_ROOT]   (default: the demo card's day)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh

card=demo-card
day=$card/20260301
if [ $# -eq 0 ] && [ ! -f "$card/.complete" ]; then
  echo "Writing a demo card into $card/ (8 channels, 3 x 2 minutes, 640x360, 15 fps)..."
  rm -rf "$card"
  build/bin/korvel-mkcard --out "$card" --start "2026-03-01 12:00:00" --channels 8 \
    --files 3 --minutes-per-file 2 --size 640x360 --fps 15 --audio ulaw --seed 7
  touch "$card/.complete"
fi

# QtWebEngine (the map) refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
exec build/bin/korvel "${1:-$(realpath "$day")}"
