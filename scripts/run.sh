#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Its database data.mdb lives in the working
# folder ~/.local/share/jsjxc (JSJXC_HOME to choose another).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh"
home="${JSJXC_HOME:-$HOME/.local/share/jsjxc}"
mkdir -p "$home"
cd "$home"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$here/build/app/jsjxc"
fi
exec "$here/build/app/jsjxc"
