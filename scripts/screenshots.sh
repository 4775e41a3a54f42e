#!/usr/bin/env bash
# Builds, then starts the tool's window under Xvfb against the in-process
# gateway simulator (and, for cloud mode, a local mosquitto broker) and saves
# a screenshot of every page into screenshots/ (or the folder given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=${1:-$root/screenshots}
"$root/scripts/build.sh" >/dev/null
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/tools/screenshots/screenshots" "$out"
