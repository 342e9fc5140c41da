#!/usr/bin/env bash
# Installs what the build needs on a Debian machine (run as root or with sudo).
set -euo pipefail
packages=(build-essential cmake ninja-build g++ libgtest-dev libgmock-dev googletest qt6-base-dev qt6-qpa-plugins libgl-dev
          libftdi1-dev umockdev libumockdev-dev desktop-file-utils xdg-utils shared-mime-info libfile-mimeinfo-perl
          clang libclang-rt-14-dev strace)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
