#!/usr/bin/env bash
# Builds Qt's base modules (Core, Gui, Widgets, Network, the Windows platform plugin) and
# hidapi's Windows backend for 64-bit Windows from Debian's own sources, with MinGW-w64 and the
# host's Qt tools of the same version. The result goes to a prefix outside the repository, keyed
# by version; when that prefix is already complete, nothing is done.
#   TQ260_WINDOWS_PREFIX  where the prefixes live (default /opt/tq260-win)
# Prints the Qt prefix, then hidapi's. With --if-built it builds nothing: it prints them when
# both are complete, and otherwise ends with 3.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev \
    qt6-base-dev-tools libhidapi-dev debian-archive-keyring xz-utils dpkg-dev

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_upstream=${qt_version%%+*}
hidapi_version=$(dpkg-query -W -f='${Version}' libhidapi-dev)
hidapi_upstream=${hidapi_version%%-*}
hidapi_upstream=${hidapi_upstream%%+*}
base=${TQ260_WINDOWS_PREFIX:-/opt/tq260-win}
qt_prefix=$base/qt-$qt_upstream
hidapi_prefix=$base/hidapi-$hidapi_upstream
if [ "${1:-}" = --if-built ]; then
    [ -f "$qt_prefix/.complete" ] && [ -f "$hidapi_prefix/.complete" ] || exit 3
    printf '%s\n' "$qt_prefix" "$hidapi_prefix"
    exit 0
fi
work=$base/src
mkdir -p "$work"

# The source archive of the suite the host runs, without touching the system's sources: apt
# reads this list and keeps its indexes under the work folder.
fetch_source() { # package version
    local lists=$work/apt
    if [ ! -f "$lists/sources.list.d/debian-src.sources" ]; then
        mkdir -p "$lists/sources.list.d" "$lists/lists/partial"
        local suite
        suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
        cat >"$lists/sources.list.d/debian-src.sources" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    fi
    local apt=(apt-get -q -o APT::Sandbox::User=root -o Dir::Etc::SourceList=/dev/null
        -o Dir::Etc::SourceParts="$lists/sources.list.d" -o Dir::State::Lists="$lists/lists")
    "${apt[@]}" update >/dev/null
    (cd "$work" && "${apt[@]}" source --download-only "$1=$2" >/dev/null)
}

# Qt: only what the program needs. The +dfsg archive leaves out Wacom's tablet headers, so
# tablet events are off; the Windows plugin does not build without OpenGL in this version,
# so OpenGL stays at its default, loaded at run time.
if [ ! -f "$qt_prefix/.complete" ]; then
    started=$(date +%s)
    fetch_source qt6-base "$qt_version"
    rm -rf "$work/qtbase-everywhere-src-$qt_upstream" "$work/qt-build"
    tar -xJf "$work"/qt6-base_"${qt_version%-*}".orig.tar.xz -C "$work"
    cmake -S "$work/qtbase-everywhere-src-$qt_upstream" -B "$work/qt-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$qt_prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_sql=OFF -DFEATURE_testlib=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_xml=OFF -DFEATURE_system_zlib=OFF -DFEATURE_tabletevent=OFF >/dev/null
    cmake --build "$work/qt-build"
    cmake --install "$work/qt-build" >/dev/null
    touch "$qt_prefix/.complete"
    rm -rf "$work/qt-build" "$work/qtbase-everywhere-src-$qt_upstream"
    echo "Qt $qt_upstream for Windows built in $(($(date +%s) - started)) s" >&2
fi

# hidapi: its Windows backend is one C file and a header.
if [ ! -f "$hidapi_prefix/.complete" ]; then
    fetch_source hidapi "$hidapi_version"
    rm -rf "$work/hidapi" && mkdir -p "$work/hidapi"
    tar -xf "$work"/hidapi_"$hidapi_upstream"*.orig.tar.* -C "$work/hidapi" --strip-components=1
    mkdir -p "$hidapi_prefix/include/hidapi" "$hidapi_prefix/lib"
    x86_64-w64-mingw32-gcc-posix -O2 -c "$work/hidapi/windows/hid.c" -I "$work/hidapi/hidapi" \
        -I "$work/hidapi/windows" -o "$work/hidapi/hid.o"
    x86_64-w64-mingw32-ar rcs "$hidapi_prefix/lib/libhidapi.a" "$work/hidapi/hid.o"
    cp "$work/hidapi/hidapi/hidapi.h" "$hidapi_prefix/include/hidapi/"
    touch "$hidapi_prefix/.complete"
    rm -rf "$work/hidapi"
fi
printf '%s\n%s\n' "$qt_prefix" "$hidapi_prefix"
