#!/usr/bin/env bash
# The Debian package from end to end: builds it (the "package" target), checks its file list, runs
# lintian (no error, no warning), installs it with apt-get, starts the installed program from its menu
# entry's Exec line on a virtual X display with a fresh home, sees the login window and the data.mdb it
# made in the XDG shop folder, and purges the package again, whatever step failed.
# Needs root or sudo without a password (skipped otherwise, and when jsjxc is installed already: a
# shop's own installation is never replaced), lintian, xvfb, x11-utils and sqlite3.
# Usage: package_test.sh <build folder> <version>
set -euo pipefail

caption='嘉穗进销存 V4.3.9.1(青岚纪念版)'
app_id=cn.jiasuisoft.jsjxc

# The second half, on the virtual display: the installed program started as the menu starts it.
if [[ "${1:-}" == "--on-display" ]]; then
  work=$2
  exec_line=$(sed -n 's/^Exec=//p' "/usr/share/applications/$app_id.desktop")
  read -ra command <<<"$exec_line"
  [[ "${command[0]}" == "jsjxc" ]] || { echo "unexpected Exec line: $exec_line"; exit 1; }
  mkdir -p "$work/home/Desktop" "$work/elsewhere"
  cd "$work/elsewhere"
  unset QT_QPA_PLATFORM
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/xdg data"
  export PATH=/usr/sbin:/usr/bin:/sbin:/bin
  "${command[@]}" >"$work/out.log" 2>&1 &
  pid=$!
  login=""
  for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || { echo "the installed program ended early:"; cat "$work/out.log"; exit 1; }
    login=$(xwininfo -root -tree | grep -F '"用户登录"' | awk '{print $1}' | head -n1 || true)
    if [[ -n "$login" ]] && xwininfo -id "$login" | grep -q 'Map State: IsViewable'; then break; fi
    login=""
    sleep 0.2
  done
  main=$(xwininfo -root -tree | grep -F "\"$caption\"" | awk '{print $1}' | head -n1 || true)
  if [[ -z "$login" || -z "$main" ]]; then
    echo "no login window over the main window:"; cat "$work/out.log"; kill "$pid"; exit 1
  fi
  echo "the installed program shows its login window"
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  [[ $status -eq 0 ]] || { echo "the program ended with status $status:"; cat "$work/out.log"; exit 1; }
  shop="$XDG_DATA_HOME/jsjxc"
  [[ -f "$shop/data.mdb" ]] || { echo "no data.mdb in $shop"; ls -la "$work/home" "$shop" || true; exit 1; }
  tables=$(sqlite3 "$shop/data.mdb" "select count(*) from sqlite_master where type='table' and
    name in ('data','data1','userdb','rz')")
  [[ "$tables" == "4" ]] || { echo "data.mdb in $shop has $tables of its four tables"; exit 1; }
  [[ ! -e "$work/elsewhere/data.mdb" ]] || { echo "data.mdb was made in the working folder"; exit 1; }
  echo "data.mdb is in $shop"
  exit 0
fi

build=$(realpath "$1")
version=$2

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo="sudo -n"
  else
    echo "SKIP: installing the package needs root or sudo without a password"; exit 77
  fi
fi
if dpkg-query -W -f='${Status}' jsjxc 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIP: jsjxc is installed on this machine; the test does not replace a shop's installation"; exit 77
fi
for tool in lintian dpkg-deb xvfb-run xwininfo sqlite3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)"; exit 1; }
done

work=$(mktemp -d)
installed=""
cleanup() {
  if [[ -n "$installed" ]]; then
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq jsjxc >/dev/null ||
      echo "the package could not be purged"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== building the package"
if ! cmake --build "$build" --target package >"$work/package.log" 2>&1; then
  tail -n 40 "$work/package.log"; exit 1
fi
deb="$build/jsjxc_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || { echo "no $deb"; ls "$build"/*.deb 2>/dev/null || true; exit 1; }

echo "== its files (dpkg-deb -c)"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | sort >"$work/files"
cat "$work/files"
expected=(/usr/bin/jsjxc /usr/libexec/jsjxc/jsjxc_upgrader "/usr/share/applications/$app_id.desktop"
  "/usr/share/metainfo/$app_id.metainfo.xml" /usr/share/man/man1/jsjxc.1.gz
  /usr/share/doc/jsjxc/copyright /usr/share/doc/jsjxc/changelog.gz
  /usr/share/icons/hicolor/scalable/apps/jsjxc.svg)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/jsjxc.png")
done
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/files" || { echo "missing from the package: $file"; exit 1; }
done
if grep -v -e '^/usr$' -e '^/usr/' "$work/files" | grep -q .; then
  echo "files outside /usr:"; grep -v -e '^/usr$' -e '^/usr/' "$work/files"; exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for package in fonts-noto-cjk fonts-arphic-uming qt6-translations-l10n 'libqt6core6 (' 'libc6 ('; do
  [[ "$depends" == *"$package"* ]] || { echo "Depends lacks $package: $depends"; exit 1; }
done

echo "== lintian"
status=0
lintian --fail-on error,warning --pedantic --info "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v '^running with root' "$work/lintian.log" || true
[[ $status -eq 0 ]] || { echo "lintian found errors or warnings (status $status)"; exit 1; }
mkdir "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$work/unpacked/usr/share/applications/$app_id.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/$app_id.metainfo.xml"
fi

echo "== installing it"
cp "$deb" "$work/"
chmod 755 "$work"
installed=yes
if ! (cd "$work" && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "./$(basename "$deb")") >"$work/apt.log" 2>&1; then
  cat "$work/apt.log"; exit 1
fi
[[ -x /usr/bin/jsjxc ]] || { echo "/usr/bin/jsjxc was not installed"; exit 1; }

echo "== starting it from the menu entry"
# A fresh home the program may write as whoever runs it.
mkdir -m 700 "$work/gui"
xvfb-run -a -s "-screen 0 1280x800x24" "$0" --on-display "$work/gui"
