#!/usr/bin/env bash
# Makes the Windows installer with Debian's NSIS from a Windows build of the program:
#   scripts/windows-installer.sh <build folder> <TQ260-Setup.exe>
# The folder's files are listed one by one, so the uninstaller removes exactly those.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
folder="$build/application"
output="$(realpath -m "$2")"
"$root/scripts/install-deps.sh" nsis

version=$(sed -n 's/^project(tq260 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files="$work/files.nsh"
# What the program folder holds after a build: the executables, their DLLs and plugins, qt.conf,
# the translations and the skins. Data files and Wine's own folder are not the program's.
mapfile -d '' shipped < <(cd "$folder" && find . -type f \( -name '*.exe' -o -name '*.dll' \
    -o -name '*.png' -o -name '*.qm' -o -name 'qt.conf' -o -name 'VER.bin' \) \
    -not -path './wine/*' -print0 | sort -z)
windows() { local path="${1#./}"; printf '%s' "${path//\//\\}"; }
{
    echo '!macro InstallFiles'
    last=""
    for path in "${shipped[@]}"; do
        dir="$(dirname "$path")"
        if [ "$dir" != "$last" ]; then
            if [ "$dir" = . ]; then echo '    SetOutPath "$INSTDIR"'; else
                echo "    SetOutPath \"\$INSTDIR\\$(windows "$dir")\""; fi
            last="$dir"
        fi
        echo "    File \"$folder/${path#./}\""
    done
    echo '!macroend'
    echo '!macro RemoveFiles'
    for path in "${shipped[@]}"; do echo "    Delete \"\$INSTDIR\\$(windows "$path")\""; done
    # Folders deepest first, each only when empty.
    (cd "$folder" && printf '%s\n' "${shipped[@]}" | xargs -d '\n' -n1 dirname | sort -u |
        grep -v '^\.$' | awk -F/ '{ print NF "\t" $0 }' | sort -rn | cut -f2) |
        while read -r dir; do echo "    RMDir \"\$INSTDIR\\$(windows "$dir")\""; done
    echo '!macroend'
} >"$files"
icon="$build/resources/tq260.ico"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DOUTFILE="$output" -DICON="$icon" \
    -DFILES="$files" "$root/packaging/windows/tq260.nsi"
echo "$output: ${#shipped[@]} files"
