#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the saver.
# Idempotent: does nothing when everything is already present. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format git libxcb1-dev
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev
  qt6-image-formats-plugins
  libgl-dev fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fontconfig
  xvfb xauth xdotool x11-utils openbox wmctrl
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-apps
  dpkg-dev file desktop-file-utils libxml2-utils appstream
  xscreensaver procps util-linux gdb
  mate-screensaver dbus-x11 dbus-bin libglib2.0-bin
  libjpeg-turbo-progs
  xautolock xss-lock xsecurelock
  lintian man-db
  clang libclang-rt-dev
  sway swayidle grim wtype qt6-wayland wayland-utils libwayland-dev wayland-protocols
  mutter dbus-daemon pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
