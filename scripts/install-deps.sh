#!/bin/sh
# Installs the Debian 12 packages needed to build, run and test the tool,
# and any further packages named as arguments (what one script alone needs).
# Idempotent; runs as root or through sudo.
#
#   sh scripts/install-deps.sh [PACKAGE ...]
set -eu
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES="build-essential cmake pkg-config ninja-build qt6-base-dev libgl-dev libserialport-dev \
libxcb1-dev libxcb-shape0-dev libgtest-dev libgmock-dev libbenchmark-dev clang fonts-dejavu-core xvfb \
xauth openbox xdotool locales $*"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
# A locale with a decimal comma, so the tests check that numbers ignore it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
