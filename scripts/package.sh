#!/usr/bin/env bash
# Builds the Debian package (Release, stripped) into build/package/: tq260_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# dpkg-shlibdeps works out the libraries the package depends on.
command -v dpkg-shlibdeps >/dev/null || {
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends dpkg-dev
}
# Debian's own compiler and linker hardening, as every package of the distribution gets it.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTQ260_TESTS=OFF \
    -DTQ260_WERROR=ON >/dev/null
cmake --build build/package
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/tq260_*.deb
