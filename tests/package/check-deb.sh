#!/usr/bin/env bash
# Packs the build into a .deb of its own, unpacks it and checks what an
# installed tool relies on: its files and nothing else, the desktop entry,
# the AppStream data, a Depends for every QML module the interface imports,
# and a program that runs.
# Usage: check-deb.sh BUILD_DIR SOURCE_DIR QT_QML_DIR
set -euo pipefail
build=$1
source=$2
qt_qml=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(echo "$work"/out/*.deb)
version=$(dpkg-deb -f "$deb" Version)
[[ $(basename "$deb") == "kestrelvane-config_${version}_amd64.deb" ]] || fail "package named $deb"
root=$work/root
dpkg-deb -x "$deb" "$root"

id=com.meridax.KestrelvaneConfig
expected=(usr/bin/kestrelvane-config usr/share/applications/$id.desktop
    usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg
    usr/share/man/man1/kestrelvane-config.1.gz usr/share/doc/kestrelvane-config/copyright
    usr/share/doc/kestrelvane-config/changelog.gz
    usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/$id.png)
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) \
    || fail "files differ from the expected (<) ones"

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
# The hand-kept release records name the version being packed.
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" \
    || fail "no AppStream release $version"
gunzip -c "$root/usr/share/doc/kestrelvane-config/changelog.gz" >"$work/changelog"
[[ $(dpkg-parsechangelog -l "$work/changelog" -S Version) == "$version" ]] \
    || fail "changelog's last entry is not $version"

depends=$(dpkg-deb -f "$deb" Depends)
has_depend() { grep -qE "(^|, )$1( |,|$)" <<<"$depends"; }
has_depend libqt6core6 || fail "no shared-library Depends: $depends"
modules=$(grep -rhoE --include='*.qml' '^[[:space:]]*import[[:space:]]+[A-Za-z][A-Za-z0-9_.]*' \
    "$source/qml" | awk '{ print $2 }' | grep -Ev '^Kestrelvane(\.|$)' | sort -u)
for module in $modules; do
    qmldir=$qt_qml/${module//.//}/qmldir
    [[ -f $qmldir ]] || fail "no qmldir for QML module $module"
    package=$(dpkg-query -S "$qmldir" | cut -d: -f1)
    has_depend "$package" || fail "$module is in $package, not in Depends: $depends"
done

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/kestrelvane-config" --version)
[[ $out == "kestrelvane-config $version" ]] || fail "--version printed '$out'"
echo "checked $(basename "$deb")"
