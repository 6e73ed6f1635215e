#!/bin/sh
# Installs what the build and the tests need on a fresh Debian machine; does nothing when
# everything is there already. Runs apt-get update at most once.
set -e
missing=""
need() { # need PACKAGE PATH-THAT-PROVES-IT
    [ -e "$2" ] || missing="$missing $1"
}
need cmake /usr/bin/cmake
need g++ /usr/bin/g++
need make /usr/bin/make
need googletest /usr/src/googletest/CMakeLists.txt
need libgtest-dev /usr/include/gtest/gtest.h
need g++-mingw-w64-i686-posix /usr/bin/i686-w64-mingw32-g++-posix
need g++-mingw-w64-x86-64-posix /usr/bin/x86_64-w64-mingw32-g++-posix
need wine64 /usr/lib/wine/wine64
need xvfb /usr/bin/xvfb-run
need clang-format /usr/bin/clang-format
need git /usr/bin/git
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
