#!/usr/bin/env bash
# Two starts of the real program on one shop folder, on a virtual X display: the second says that the
# shop is open already, brings no main window up and ends once its message is answered, while the first
# goes on. A program killed outright leaves its lock behind, and the next start takes it over.
# Usage: second_start_test.sh <path to jsjxc>
set -euo pipefail

program=$(realpath "$1")
caption='嘉穗进销存 V4.3.9.1(青岚纪念版)'

if [[ -z "${JSJXC_SECOND_ON_DISPLAY:-}" ]]; then
  for tool in xvfb-run xdotool sqlite3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)"; exit 1; }
  done
  export JSJXC_SECOND_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
started=()
cleanup() {
  for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run" "$work/config" "$work/home/Desktop"
cd "$work/run"
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"

# The titles of a process's windows on screen, one a line.
titles_of() {
  local window
  for window in $(xdotool search --all --onlyvisible --pid "$1" '' 2>/dev/null || true); do
    xdotool getwindowname "$window"
  done
}
# Waits until the process shows a window of exactly that title; prints its id.
wait_for_window() {
  local window
  for _ in $(seq 1 150); do
    for window in $(xdotool search --all --onlyvisible --pid "$1" '' 2>/dev/null || true); do
      [[ "$(xdotool getwindowname "$window")" == "$2" ]] && { echo "$window"; return 0; }
    done
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
# Waits for the process to end; its status in $ended.
wait_for_end() {
  for _ in $(seq 1 100); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  ended=0
  wait "$1" || ended=$?
}

"$program" >"$work/first.log" 2>&1 &
first=$!
started+=("$first")
wait_for_window "$first" "$caption" >/dev/null || { echo "the first start showed no main window:"; cat "$work/first.log"; exit 1; }
[[ -e data.mdb.lock ]] || { echo "no lock beside data.mdb"; exit 1; }
echo "first program $first is up"

"$program" >"$work/second.log" 2>&1 &
second=$!
started+=("$second")
message=$(wait_for_window "$second" '嘉穗进销存') || { echo "the second start said nothing:"; cat "$work/second.log"; exit 1; }
grep -q '嘉穗进销存已经在运行' "$work/second.log" || { echo "the second start did not say why:"; cat "$work/second.log"; exit 1; }
if grep -qxF "$caption" <<<"$(titles_of "$second")"; then
  echo "the second start brought a main window up"; exit 1
fi
echo "second program $second says the shop is open"
xdotool windowfocus --sync "$message" key Return
wait_for_end "$second"
[[ $ended -eq 1 ]] || { echo "the second start ended with status $ended"; cat "$work/second.log"; exit 1; }
kill -0 "$first" 2>/dev/null || { echo "the first program ended as well"; exit 1; }
grep -qxF "$caption" <<<"$(titles_of "$first")" || { echo "the first program's main window is gone"; exit 1; }
[[ "$(sqlite3 data.mdb 'PRAGMA integrity_check')" == "ok" ]] || { echo "data.mdb is damaged"; exit 1; }

# Killed outright, the first leaves its lock; the next start takes it over.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
[[ -e data.mdb.lock ]] || { echo "expected the killed program's lock to be left"; exit 1; }
"$program" >"$work/third.log" 2>&1 &
third=$!
started+=("$third")
wait_for_window "$third" "$caption" >/dev/null || { echo "no start after a killed program:"; cat "$work/third.log"; exit 1; }
echo "third program $third is up after the first was killed"
kill -TERM "$third"
wait_for_end "$third"
[[ $ended -eq 0 ]] || { echo "the third program ended with status $ended:"; cat "$work/third.log"; exit 1; }
[[ ! -e data.mdb.lock ]] || { echo "the lock outlived the program"; exit 1; }
echo "one program per shop folder"
