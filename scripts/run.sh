#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the shop folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
# The program and the demo generator only: the tests are built by test.sh.
bash "$root/scripts/build.sh" mochen mochen-gen

shop="${MOCHEN_SHOP:-$root/shop}"
mkdir -p "$shop"
# The shipped configuration; a newer one from the build replaces an older copy.
cp -u "$root/dbset.xml" "$shop/dbset.xml"
# A folder without a database gets the demo shop, unless an empty one is wanted.
if [ ! -f "$shop/mochenxinxi.db" ] && [ "${MOCHEN_DEMO:-1}" != 0 ]; then
  echo "First start in $shop: generating the demo shop (MOCHEN_DEMO=0 starts an empty shop)."
  "$root/build/tools/mochen-gen" --scale demo --seed 1 --out "$shop"
fi
cd "$shop"
echo "Working directory: $shop (database: $shop/mochenxinxi.db)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/mochen"
fi

echo "No display is available: starting the program on a virtual display (Xvfb)."
disp=99
while [ -e "/tmp/.X11-unix/X$disp" ] || [ -e "/tmp/.X$disp-lock" ]; do disp=$((disp + 1)); done
Xvfb ":$disp" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "${app_pid:-}" "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$disp"
sleep 1
"$root/build/mochen" &
app_pid=$!
sleep 4
shot="$shop/screenshot-$(date +%Y%m%d-%H%M%S).png"
import -window root "$shot"
echo "Screenshot of the first window: $shot"
if [ -t 0 ]; then
  echo "The program keeps running on display $DISPLAY; press Ctrl+C to end it."
  wait "$app_pid" || true
fi
