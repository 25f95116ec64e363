#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# only when one of them is missing. Root installs directly; anyone else through
# sudo (a fresh container is root and has no sudo at all).
set -euo pipefail
PKGS="build-essential cmake qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libqt5xml5 \
qttranslations5-l10n libqt5charts5-dev fonts-font-awesome fonts-wqy-zenhei xvfb xauth imagemagick sqlite3 libsqlite3-dev poppler-utils \
libzip-dev pkg-config libreoffice-calc-nogui"
# libreoffice-calc-nogui opens the exported workbooks in a test (tst_openingimport):
# 52 packages, 82 MB to fetch, about 16 s to install on the build machine.
# "--server": also PostgreSQL and Qt's driver for it (CI's second pass, a shop server).
if [ "${1:-}" = "--server" ]; then
  PKGS="$PKGS libqt5sql5-psql postgresql"
fi
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing Debian packages:$missing" >&2
      echo "Install them as root (apt-get install$missing), or run this script as root." >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  echo "Installing:$missing"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
