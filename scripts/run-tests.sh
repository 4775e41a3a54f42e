#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test. The tests start the
# broker and the gateway simulator themselves, on loopback addresses only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" "$@"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2
