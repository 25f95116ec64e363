#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# only when one of them is missing.
set -euo pipefail
PKGS="build-essential cmake qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libqt5xml5 \
fonts-font-awesome fonts-wqy-zenhei xvfb xauth imagemagick sqlite3 libsqlite3-dev"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
  echo "Installing:$missing"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
