#!/bin/sh
# Installs the Debian 12 packages that building and testing Quillory need.
set -eu
PACKAGES="g++ cmake ninja-build pkg-config libicu-dev libgtest-dev python3 qt6-base-dev libqt6svg6 libgl-dev qt6-qpa-plugins xvfb xauth dbus desktop-file-utils fonts-dejavu-core libxcb1-dev xdotool at-spi2-core gir1.2-atspi-2.0 python3-gi"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update
    # shellcheck disable=SC2086
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
