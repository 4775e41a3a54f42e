#!/usr/bin/env bash
# Packs the build into a .deb of its own, unpacks it and checks what an
# installed tool relies on: its files and nothing else, the desktop entry,
# the AppStream data, a Depends for every QML module the interface loads
# (found by running it with only those modules), and a program that runs.
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

# The QML modules of the packages in Depends, and nothing else, as a folder
# of their own that a qt.conf next to a copied program makes its only QML
# folder: what a machine with just those packages installed has.
qml_set() { # FOLDER [MODULE FOLDER TO LEAVE OUT]
    local package path
    for package in $(sed 's/([^)]*)//g; s/|/,/g; s/,/ /g' <<<"$depends"); do
        dpkg-query -L "$package" >"$work/files" 2>/dev/null || fail "Depends $package is not installed"
        while read -r path; do
            [[ -f $path && $path == "$qt_qml"/* ]] || continue
            [[ -n ${2:-} && $path == "$qt_qml/$2"/* ]] && continue
            mkdir -p "$(dirname "$1/${path#"$qt_qml"/}")"
            ln -s "$path" "$1/${path#"$qt_qml"/}"
        done <"$work/files"
    done
}
confined() { # PROGRAM QML_FOLDER: a copy of PROGRAM that sees only that QML folder
    local bin
    bin=$(mktemp -d "$work/bin.XXX")
    cp "$1" "$bin/"
    printf '[Paths]\nPrefix=/usr\nPlugins=%s\nQmlImports=%s\n' \
        "$(dirname "$qt_qml")/plugins" "$2" >"$bin/qt.conf"
    echo "$bin/$(basename "$1")"
}
qml_set "$work/qml"

# Every page and every dialog (file dialogs included) in both modes, through
# the build's screenshot tool: the program's own interface and backend.
# The engine's import trace names each module it loaded.
shots=$work/shots
QML_IMPORT_TRACE=1 QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work \
    "$(confined "$build/tools/screenshots/screenshots" "$work/qml")" --dialogs "$shots" \
    >"$work/run.log" 2>&1 || { tail -40 "$work/run.log"; fail "the interface did not run through"; }
grep -q -- '-dialog-.*FileDialog' "$work/run.log" || fail "no file dialog opened"
if grep -E 'is not installed|not found|cannot load|Cannot load|failed to load' "$work/run.log" \
    | grep -v '^qt.qml.import'; then
    fail "the interface missed a QML module with only the Depends installed"
fi
# Modules under :/ are built into Qt's libraries, which dpkg-shlibdeps follows.
loaded=$(grep -oE 'loaded "[^"]*/qmldir"' "$work/run.log" | cut -d'"' -f2 | grep -v '^:/' | sort -u)
grep -q Qt/labs/folderlistmodel <<<"$loaded" || fail "the file dialogs loaded no folder model"
for qmldir in $loaded; do
    [[ $qmldir == "$work/qml/"* ]] || fail "$qmldir loaded from outside the Depends"
    package=$(dpkg-query -S "$(readlink -f "$qmldir")" | cut -d: -f1)
    has_depend "$package" || fail "${qmldir#"$work/qml/"} is in $package, not in Depends"
done

# Without the folder model the program says so and ends, instead of crashing
# when a file dialog first opens.
qml_set "$work/qml-nofolder" Qt/labs/folderlistmodel
status=0
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work \
    "$(confined "$root/usr/bin/kestrelvane-config" "$work/qml-nofolder")" >"$work/missing.log" 2>&1 \
    || status=$?
[[ $status == 255 ]] && grep -q 'Qt.labs.folderlistmodel (qml6-module-qt-labs-folderlistmodel)' \
    "$work/missing.log" || { cat "$work/missing.log"; fail "missing module: exit $status"; }

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/kestrelvane-config" --version)
[[ $out == "kestrelvane-config $version" ]] || fail "--version printed '$out'"
echo "checked $(basename "$deb")"
