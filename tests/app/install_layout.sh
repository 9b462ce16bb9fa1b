#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what a desktop
# needs: the programs under bin/, the style sheets where start-up finds them,
# a valid .desktop file and the "korvel" icon in hicolor (SVG, 48 and 256 px).
#   install_layout.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/korvel-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in korvel korvel-mkcard korvel-probe korvel-play; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
done
# Start-up looks for the style sheets in share/korvel/css beside bin/.
for css in style.css style_light.css style_gray.css monitor.css sitelist.css \
           style_screen_bottom_menu.css style_screen_menu.css; do
  [ -s "$prefix/share/korvel/css/$css" ] || fail "share/korvel/css/$css missing"
done

desktop=$prefix/share/applications/korvel.desktop
[ -f "$desktop" ] || fail "no korvel.desktop"
desktop-file-validate "$desktop" || fail "korvel.desktop does not validate"
grep -qx 'Exec=korvel %f' "$desktop" || fail "Exec does not run korvel"
grep -qx 'Icon=korvel' "$desktop" || fail "Icon is not korvel"

icons=$prefix/share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/korvel.svg" || fail "no scalable icon"
# PNG size: the IHDR width and height, bytes 16-23 of the file.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
for size in 48 256; do
  png=$icons/${size}x${size}/apps/korvel.png
  [ -f "$png" ] || fail "no ${size} px icon"
  [ "$(png_size "$png")" = "${size}x${size}" ] || fail "${size} px icon is $(png_size "$png")"
done

# The installed program runs from its new place.
[ "$(env -u DISPLAY "$prefix/bin/korvel" --version)" = "korvel 1.0.0.8" ] || fail "installed korvel does not run"
"$prefix/bin/korvel-mkcard" --help >/dev/null || fail "installed korvel-mkcard does not run"
echo "install layout ok"
