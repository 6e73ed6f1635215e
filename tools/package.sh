#!/bin/sh
# Assembles the driver package in build/package and checks it.
#
# The INF (package/CVL.INF) is the list: every file of its [SourceDisksFiles] comes from
# package/ or models/, every file of [SourceDisksFiles.x86] from build/windows-x86/bin and of
# [SourceDisksFiles.amd64] from build/windows-x64/bin, each into the folder its entry names
# (x86/, x64/ or the root). A file named there that is not built or not found is reported
# and left out; the check then fails on it.
#
# usage: tools/package.sh [--no-build]
#   --no-build   assemble from the builds as they are, and do not check (make test builds
#                everything first and checks the package with the CTest entry driver_package)
set -eu
cd "$(dirname "$0")/.."
inf=package/CVL.INF
out=build/package
jobs=${JOBS:-2}
build=1
[ "${1:-}" = "--no-build" ] && build=0

if [ "$build" = 1 ]; then
    for preset in windows-x86 windows-x64; do
        echo "== build: $preset"
        cmake --preset "$preset" > "/tmp/cvl-configure-$preset.log" 2>&1 ||
            { cat "/tmp/cvl-configure-$preset.log"; exit 1; }
        # The plug-in, and the SNMP module once the build has a target for it.
        targets=plugin_dll
        if cmake --build --preset "$preset" --target help | grep -q '\bsnmp_module\b'; then
            targets="$targets snmp_module"
        fi
        cmake --build --preset "$preset" -j "$jobs" --target $targets
    done
    echo "== build: native (package_check)"
    cmake --preset native > /tmp/cvl-configure-native.log 2>&1 ||
        { cat /tmp/cvl-configure-native.log; exit 1; }
    cmake --build --preset native -j "$jobs" --target package_check
fi

# The entries "name=disk[,folder]" of one section of the INF: "name folder" per line, the
# folder with "/" and without the leading backslash.
entries() {
    tr -d '\r' < "$inf" | awk -v want="$(echo "$1" | tr 'A-Z' 'a-z')" '
        /^[ \t]*\[/ { name = $0; sub(/^[ \t]*\[/, "", name); sub(/\].*/, "", name)
                      current = tolower(name); next }
        current == want {
            sub(/;.*/, "")
            if ($0 !~ /=/) next
            file = $0; sub(/=.*/, "", file); gsub(/[ \t"]/, "", file)
            value = $0; sub(/^[^=]*=/, "", value); split(value, field, ",")
            folder = field[2]; gsub(/[ \t"]/, "", folder); gsub(/\\/, "/", folder)
            sub(/^\/+/, "", folder)
            print file, folder
        }'
}

missing=0
# place SECTION SOURCE-FOLDER...: copies each file of the section from the first folder that
# has it (names match without case, as on Windows).
place() {
    section=$1
    shift
    entries "$section" > /tmp/cvl-package-entries
    while read -r file folder; do
        found=""
        for dir in "$@"; do
            [ -d "$dir" ] || continue
            found=$(find "$dir" -maxdepth 1 -type f -iname "$file" | head -n 1)
            [ -n "$found" ] && break
        done
        if [ -z "$found" ]; then
            echo "package: $file ([$section]) is in none of: $*" >&2
            missing=1
            continue
        fi
        mkdir -p "$out/$folder"
        cp "$found" "$out/$folder/$file"
    done < /tmp/cvl-package-entries
}

rm -rf "$out"
mkdir -p "$out"
cp "$inf" "$out/"
place SourceDisksFiles package models
place SourceDisksFiles.x86 build/windows-x86/bin
place SourceDisksFiles.amd64 build/windows-x64/bin
echo "== package: $out"
(cd "$out" && find . -type f | sed 's|^\./||' | sort | sed 's/^/   /')

[ "$build" = 1 ] || exit "$missing"
# The same check as the CTest entry driver_package (cmake/native.cmake).
build/native/package_check --inf CVL.INF --arch NTx86 --arch NTamd64 \
    --family CVLU.DLL --family CVLN.DLL --models models "$out"
