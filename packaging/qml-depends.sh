#!/usr/bin/env bash
# Prints, comma-separated, the Debian packages that hold the QML modules the
# interface needs at run time: what the .qml files import, and what those
# modules import in turn (their qmldir files' "import", "default import" and
# "depends" lines; optional imports such as the other styles are left out).
# dpkg-shlibdeps cannot see them: the engine loads them by name. The
# Kestrelvane modules are the program's own, registered from C++.
# Usage: qml-depends.sh QML_SOURCE_DIR QT_QML_DIR
set -euo pipefail
sources=$1
qt_qml=$2

# Modules compiled into Qt's libraries have no qmldir on disk; the libraries
# come through dpkg-shlibdeps, but what they import may be a package of its own.
declare -A compiled_in=([QtQml]="QtQml.Models QtQml.WorkerScript" [QtQml.Models]="")
# Modules a module loads by itself, named nowhere in a qmldir: the file
# dialog's non-native implementation needs the folder model. The package
# test runs the program to find these.
declare -A loads_at_run_time=([QtQuick.Dialogs]="QtQuick.Dialogs.quickimpl Qt.labs.folderlistmodel")

mapfile -t queue < <(grep -rhoE --include='*.qml' '^[[:space:]]*import[[:space:]]+[A-Za-z][A-Za-z0-9_.]*' \
    "$sources" | awk '{ print $2 }' | grep -Ev '^Kestrelvane(\.|$)' | sort -u)
declare -A seen=()
packages=()
while ((${#queue[@]})); do
    module=${queue[0]}
    queue=("${queue[@]:1}")
    [[ -z ${seen[$module]:-} ]] || continue
    seen[$module]=1
    if [[ -v compiled_in[$module] ]]; then
        read -ra imports <<<"${compiled_in[$module]}"
        queue+=("${imports[@]}")
        continue
    fi
    qmldir=$qt_qml/${module//.//}/qmldir
    [[ -f $qmldir ]] || { echo "qml-depends: no QML module $module in $qt_qml" >&2; exit 1; }
    packages+=("$(dpkg-query -S "$qmldir" | cut -d: -f1)")
    mapfile -t imports < <(awk '$1 == "import" || $1 == "depends" { print $2 }
                                $1 == "default" && $2 == "import" { print $3 }' "$qmldir")
    queue+=("${imports[@]}")
    read -ra imports <<<"${loads_at_run_time[$module]:-}"
    queue+=("${imports[@]}")
done
printf '%s\n' "${packages[@]}" | sort -u | paste -sd, | sed 's/,/, /g'
