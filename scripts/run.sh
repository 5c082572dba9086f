#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Its database data.mdb lives in the shop
# folder of the menu's start, $XDG_DATA_HOME/jsjxc (~/.local/share/jsjxc), so that the installed
# program opens the same shop (JSJXC_HOME to choose another).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh"
data_home="${XDG_DATA_HOME:-}"
[[ "$data_home" == /* ]] || data_home="$HOME/.local/share"
home="${JSJXC_HOME:-$data_home/jsjxc}"
mkdir -p "$home"
cd "$home"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$here/build/app/jsjxc" --shop-folder="$home"
fi
exec "$here/build/app/jsjxc" --shop-folder="$home"
