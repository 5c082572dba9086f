#!/usr/bin/env bash
# Starts the real program on a virtual X display in an empty folder, sees its main window and the login
# window it asks with on screen and the desktop launcher it writes (starting it in this folder), asks it
# to end as a logout would (SIGTERM), and checks what it left: data.mdb with its four tables, no
# login-log row, and the last-exit date in the settings file.
# Usage: smoke_test.sh <path to jsjxc>
set -euo pipefail

program=$(realpath "$1")
caption='嘉穗进销存 V4.3.9.1(青岚纪念版)'

if [[ -z "${DISPLAY:-}" || -z "${JSJXC_SMOKE_ON_DISPLAY:-}" ]]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }
  export JSJXC_SMOKE_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
for tool in xwininfo sqlite3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/config" "$work/home/Desktop"
cd "$work/run"
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$work/config"
export HOME="$work/home"

started_on=$(date +%Y-%m-%d)
"$program" >"$work/out.log" 2>&1 &
pid=$!

window=""
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "the program ended before its window appeared:"; cat "$work/out.log"; exit 1
  fi
  window=$(xwininfo -root -tree | grep -F "\"$caption\"" | awk '{print $1}' | head -n1 || true)
  if [[ -n "$window" ]] && xwininfo -id "$window" | grep -q 'Map State: IsViewable'; then
    break
  fi
  window=""
  sleep 0.2
done
if [[ -z "$window" ]]; then
  echo "no viewable window titled $caption"; kill "$pid"; exit 1
fi
size=$(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
echo "main window $window is up, $size"
[[ "$size" == "1031x636" ]] || { echo "expected 1031x636"; kill "$pid"; exit 1; }
login=""
for _ in $(seq 1 100); do
  login=$(xwininfo -root -tree | grep -F '"用户登录"' | awk '{print $1}' | head -n1 || true)
  if [[ -n "$login" ]] && xwininfo -id "$login" | grep -q 'Map State: IsViewable'; then
    break
  fi
  login=""
  sleep 0.2
done
[[ -n "$login" ]] || { echo "no login window over the main window"; kill "$pid"; exit 1; }
echo "login window $login is up"
launcher="$HOME/Desktop/嘉穗进销存.desktop"
grep -q "^Exec=.*jsjxc" "$launcher" || { echo "no desktop launcher at $launcher"; kill "$pid"; exit 1; }
# Started from the launcher, the program must find this shop's data.mdb: it runs where this one did.
grep -qxF "Path=$work/run/" "$launcher" || {
  echo "the launcher starts the program elsewhere than $work/run/:"; grep '^Path=' "$launcher"; kill "$pid"; exit 1
}
if [[ -n "${JSJXC_SMOKE_SHOT:-}" ]] && command -v import >/dev/null; then
  import -window root "$JSJXC_SMOKE_SHOT"
fi

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || { echo "the program ended with status $status:"; cat "$work/out.log"; exit 1; }

tables=$(sqlite3 data.mdb "select group_concat(name, ' ') from (select name from sqlite_master
  where type='table' and name in ('data','data1','userdb','rz') order by name)")
[[ "$tables" == "data data1 rz userdb" ]] || { echo "tables of data.mdb: '$tables'"; exit 1; }
[[ ! -e data.mdb.creating ]] || { echo "the temporary file of the new database was left behind"; exit 1; }
admins=$(sqlite3 data.mdb "select count(*) from userdb where username='超级管理员'")
[[ "$admins" == "1" ]] || { echo "super administrator rows: $admins"; exit 1; }
logins=$(sqlite3 data.mdb "select count(*) from rz")
[[ "$logins" == "0" ]] || { echo "login-log rows without a login: $logins"; exit 1; }

settings="$XDG_CONFIG_HOME/tuomei/vov.ini"
# Today as the program saw it at the end (a run across midnight may have either date).
riqi=$(sed -n 's/^riqi=//p' "$settings" 2>/dev/null || true)
if [[ "$riqi" != "$started_on" && "$riqi" != "$(date +%Y-%m-%d)" ]]; then
  echo "riqi is '$riqi' in $settings, expected today"; cat "$settings" || true; exit 1
fi
echo "data.mdb has its tables; riqi=$riqi written"
