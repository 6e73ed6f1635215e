#!/bin/sh
# Installs what the build and the tests need on a fresh Debian machine; does nothing when
# everything is there already. Runs apt-get update once (twice when the first
# update or install fails).
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
# The loader of 32-bit Windows programs, for the x86 build's Wine tests.
need wine32:i386 /usr/lib/wine/wine
need xvfb /usr/bin/xvfb-run
need clang-format /usr/bin/clang-format
# clang, and its libFuzzer and sanitizer runtimes (only recommended by clang), for the fuzz
# targets.
need clang /usr/bin/clang++
need libclang-rt-dev "$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
    2>/dev/null | head -n 1)"
# Caption glyphs and Windows-like text sizes in the pictures of dialogs.
need fonts-wine /usr/share/wine/fonts/tahoma.ttf
# The gallery's mirrored pictures: a Hebrew locale makes Wine's system language right to left.
need locales /usr/share/i18n/locales/he_IL
# Japanese glyphs in the gallery's pictures.
need fonts-ipafont-gothic /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
need git /usr/bin/git
# net-snmp's agent and tools: the stand-in printer of the SNMP module's tests and the demo.
need snmpd /usr/sbin/snmpd
need snmp /usr/bin/snmpget
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
case "$missing " in
    *" wine32:i386 "*)
        # i386 packages come from the same mirror once dpkg knows the architecture.
        dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
        ;;
esac
install() {
    $SUDO apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
}
# A mirror caught while it updates can serve index files that do not match each other
# (apt-get update fails, or the install finds no consistent set): one more try a little
# later gets a consistent set.
install || { echo "apt-get failed; once more in 10 s" && sleep 10 && install; }
