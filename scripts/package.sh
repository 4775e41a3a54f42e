#!/usr/bin/env bash
# Builds the Release tree in build/ (or $BUILD_DIR) and the Debian package
# from it: build/kestrelvane-config_<version>_amd64.deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
BUILD_TYPE=Release "$root/scripts/build.sh"
cd "$build"
cpack -G DEB
