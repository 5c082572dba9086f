#!/usr/bin/env bash
# The backup window hides the main window and gives it back: run once on a virtual X display under a
# real window manager (openbox), where a window whose owner is hidden must still come up and be used.
# Usage: window_manager_test.sh <path to test_maintenance_backupwindow_test>
set -euo pipefail

program=$(realpath "$1")
if [[ -z "${JSJXC_WM_ON_DISPLAY:-}" ]]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }
  command -v openbox >/dev/null || { echo "openbox is missing (package openbox)"; exit 1; }
  export JSJXC_WM_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
# The window manager announces itself on the root window once it runs.
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "openbox did not start"; cat "$work/openbox.log"; exit 1; }

QT_QPA_PLATFORM=xcb "$program" --gtest_filter='*TheWindowHidesTheMainWindow*'
