#!/usr/bin/env bash
# End to end: the real korvel on a generated 9-channel card, under an X
# server of its own, in a temporary home with auto login preset; driven with
# xdotool, checked on screenshots (shots.py):
#   - a start without a folder reopens the day remembered in the home, paused
#     on its first picture (the vehicle stands: speed read-out 0);
#   - playing after Space: eight moving views (the ninth channel is not opened), the time
#     label advancing; ten seconds on (Right, Right) the vehicle drives: the
#     speed read-out is no longer 0;
#   - paused with Space: no view moves, the time label stands;
#   - x4 after Space, L, L: eight moving views, the time advancing;
#   - after End: the eight views and the time label show the last recording;
#   - Ctrl+Q ends korvel with status 0.
#   korvel_e2e.sh BUILD_DIR [SHOTS_DIR]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-e2e-XXXXXX")
shots=${2:-$work/shots}
mkdir -p "$shots"
xvfb_pid=
korvel_pid=
cleanup() {
  for p in $korvel_pid $xvfb_pid; do kill "$p" 2>/dev/null || true; done
  for p in $korvel_pid $xvfb_pid; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work/home" "$work/card"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "screenshots in $shots" >&2; exit 1; }
now() { date +%s%N | cut -c1-13; }

"$build/bin/korvel-mkcard" --out "$work/card" --start "2026-03-01 12:00:00" --channels 9 \
  --files 3 --seconds-per-file 60 --size 320x180 --fps 5 --jobs 2 >/dev/null
day=$work/card/20260301

# A home of its own: auto login, the window's place, no question on closing.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$XDG_CONFIG_HOME/QUENDRA" "$HOME/korvl"
cat >"$XDG_CONFIG_HOME/QUENDRA/Korvel.conf" <<CONF
[LOGIN]
FIRST_LOGIN=false
AUTO_LOGIN=true

[SESSION]
GEOMETRY=@Rect(0 0 1400 900)
CARD=$work/card
DAY=$day
SPLIT=9
CONF
printf 'CLOSE_ASK=true\n' >"$HOME/korvl/korvel_config.ini"
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/korvel-e2e-bus
export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
unset KORVEL_TRACE

# An X server of its own: nothing else draws on it or takes its keyboard.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1400x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")

shot() { import -window root "$shots/$1.png"; }
check() { python3 "$here/shots.py" "$@"; }
start_korvel() {
  "$build/bin/korvel" "$@" >"$work/korvel.log" 2>&1 &
  korvel_pid=$!
  window=$(timeout 30 xdotool search --sync --name '^Korvel$' | head -n1) || fail "no window"
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
quit_korvel() {
  xdotool key --clearmodifiers ctrl+q
  local deadline=$(( $(now) + 15000 ))
  while kill -0 "$korvel_pid" 2>/dev/null; do
    [ "$(now)" -lt "$deadline" ] || fail "Ctrl+Q did not end korvel"
    sleep 0.1
  done
  wait "$korvel_pid" || fail "korvel ended with status $?"
  korvel_pid=
}
# Takes pairs of shots in a row until `moving` answers $1 for a pair (within
# $2 ms): the pair is left as $3-a and $3-b.
wait_moving() {
  local want=$1 deadline=$(( $(now) + $2 )) name=$3 n=-1
  shot "$name-a"
  while [ "$(now)" -lt "$deadline" ]; do
    shot "$name-b"
    n=$(check moving "$shots/$name-a.png" "$shots/$name-b.png")
    [ "$n" = "$want" ] && return 0
    mv "$shots/$name-b.png" "$shots/$name-a.png"
  done
  fail "$name: $n moving views, not $want"
}

# Takes shots until the time label differs from that of shot $2 (within $3
# ms); the shot that shows it is left as $1.
wait_time_moves() {
  local deadline=$(( $(now) + $3 ))
  until shot "$1" && [ "$(check time "$shots/$2.png" "$shots/$1.png")" = changed ]; do
    [ "$(now)" -lt "$deadline" ] || fail "$1: the time label stands"
  done
}

# 1. No folder: the remembered day comes back, paused on its first picture.
start_korvel
deadline=$(( $(now) + 30000 ))
until shot restored && [ "$(check time "$shots/restored.png" "$shots/restored.png")" = same ]; do
  [ "$(now)" -lt "$deadline" ] || fail "no time label on the restored day"
done
wait_moving 0 20000 still
[ "$(check cells "$shots/still-b.png" "$shots/still-b.png")" = 9 ] || fail "not a 3 x 3 grid"
[ "$(check lcd "$shots/restored.png" "$shots/still-b.png")" = same ] || fail "speed read-out"
cp "$shots/still-b.png" "$shots/zero.png"

# 2. Space: it plays; once the grid has settled eight views move (the ninth
# channel is not opened).
xdotool key space
wait_moving 8 30000 playing
wait_time_moves playing-c playing-a 5000
# The demo vehicle stands for its first seven seconds: ten seconds on
# (Right twice) it drives.
xdotool key Right Right
deadline=$(( $(now) + 30000 ))
until shot driving && [ "$(check lcd "$shots/zero.png" "$shots/driving.png")" = changed ]; do
  [ "$(now)" -lt "$deadline" ] || fail "the speed read-out stays at 0 while the vehicle drives"
done

# 3. Space: paused. Once two shots in a row agree, a second later nothing
# has moved either.
xdotool key space
wait_moving 0 10000 paused
sleep 1
shot paused-c
[ "$(check moving "$shots/paused-b.png" "$shots/paused-c.png")" = 0 ] || fail "views move while paused"
[ "$(check time "$shots/paused-b.png" "$shots/paused-c.png")" = same ] ||
  fail "the time label moves while paused"

# 4. Space, L, L: x4.
xdotool key space l l
wait_moving 8 20000 fast
wait_time_moves fast-c fast-a 5000

# 5. End: the last recording.
xdotool key End
deadline=$(( $(now) + 20000 ))
until shot end && [ "$(check moving "$shots/fast-c.png" "$shots/end.png")" = 8 ] &&
      [ "$(check time "$shots/fast-c.png" "$shots/end.png")" = changed ]; do
  [ "$(now)" -lt "$deadline" ] || fail "End did not show the last recording"
done
quit_korvel
echo "end to end ok ($shots)"
