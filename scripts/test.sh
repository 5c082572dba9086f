#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: on data.mdb, and those of the database's users
# once more on a throw-away PostgreSQL server, stopped at the end whatever happens.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh"
server_folder="$(mktemp -d /tmp/jsjxc-testserver.XXXXXX)"
trap 'bash "$here/scripts/testserver.sh" stop "$server_folder"' EXIT
JSJXC_TEST_SERVER="$(bash "$here/scripts/testserver.sh" start "$server_folder")"
export JSJXC_TEST_SERVER
cd "$here/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
