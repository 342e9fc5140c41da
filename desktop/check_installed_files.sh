#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop sees of
# it: the desktop entry validates, a "*.kvnset" file has the project type, the
# window program is that type's default, and the installed program starts.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

share=$prefix/share
desktop-file-validate "$share/applications/kelvane.desktop"
update-mime-database "$share/mime"
update-desktop-database "$share/applications"

# Only the scratch prefix counts; no desktop environment is asked.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
export XDG_DATA_HOME=$share XDG_DATA_DIRS=$share
export XDG_CONFIG_HOME=$scratch/config XDG_CONFIG_DIRS=$scratch/config
mkdir -p "$XDG_CONFIG_HOME"
printf '<?xml version="1.0"?>\n<KelvaneProject/>\n' >"$scratch/Board.kvnset"

type=$(xdg-mime query filetype "$scratch/Board.kvnset")
[ "$type" = "application/x-kelvane-project" ] || { echo "file type: '$type'"; exit 1; }
default=$(xdg-mime query default application/x-kelvane-project)
[ "$default" = "kelvane.desktop" ] || { echo "default application: '$default'"; exit 1; }
[ -f "$share/icons/hicolor/scalable/apps/kelvane.svg" ] || { echo "no icon"; exit 1; }
# The USB backend sits beside the programs, the udev rule under the prefix.
[ -f "$prefix/lib/udev/rules.d/60-kelvane.rules" ] || { echo "no udev rule"; exit 1; }
if [ -f "$build/bin/libkelvane_ftdiusb.so" ]; then
  ls "$prefix"/lib*/kelvane/libkelvane_ftdiusb.so >/dev/null || { echo "no USB backend"; exit 1; }
fi

# The installed window program finds its libraries and data files: a silent
# start loads the configuration and ends.
unset KELVANE_USB
# (A sanitizer build checks leaks in its tests, not in the window system's
# libraries here.)
ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 QT_QPA_PLATFORM=offscreen \
  timeout 60 "$prefix/bin/kelvane" -Silent
# Its shutdown wrote the settings.
[ -f "$XDG_CONFIG_HOME/Orvanti/Kelvane.ini" ] || { echo "the program did not run through"; exit 1; }
echo "desktop integration OK"
