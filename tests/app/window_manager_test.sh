#!/usr/bin/env bash
# Runs the window-manager tests of the main window on a virtual X display with openbox managing the
# windows, the pointer driven through the X server (xdotool) as the user's mouse would.
# Usage: window_manager_test.sh <path to test_app_windowmanager_test>
set -euo pipefail

tests=$(realpath "$1")
if [[ -z "${JSJXC_WM_ON_DISPLAY:-}" ]]; then
  for tool in xvfb-run openbox xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)"; exit 1; }
  done
  export JSJXC_WM_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
# The manager has taken over once it names itself on the root window.
for _ in $(seq 1 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" HOME="$work"
"$tests" --gtest_filter='WindowManagerTest.*' 2>&1 | tee "$work/out.log"
status=${PIPESTATUS[0]}
if grep -q '\[  SKIPPED \]' "$work/out.log"; then
  echo "the window-manager tests were skipped"; exit 1
fi
exit "$status"
