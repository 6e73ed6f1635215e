#!/bin/bash
# gallery.sh [x86|x64] (or ARCH=x86|x64; default x64) [PREFIX [LANGUAGE]]
# Builds the plug-in and the gallery program of that width and lets the program take a
# picture of every dialog, page and message of every sample model in every language it
# has texts for (or of one model, or one model in one language), through the real DLL
# under Wine, into build/demo/gallery/ with an index.html that shows them side by side;
# then the same once more on a right-to-left system, for the mirrored forms.
# tools/demo.sh runs it at its end; it also runs alone (faster with tools/wine-server.sh
# start).
set -eu
cd "$(dirname "$0")/.."
arch=${1:-${ARCH:-x64}}
case $arch in
    x86 | x64) ;;
    *)
        echo "usage: $0 [x86|x64] [PREFIX [LANGUAGE]]" >&2
        exit 2
        ;;
esac
[ $# -gt 0 ] && shift
preset=windows-$arch
cmake --preset "$preset" > /tmp/cvl-configure-gallery.log 2>&1 ||
    { cat /tmp/cvl-configure-gallery.log; exit 1; }
cmake --build --preset "$preset" -j "$(nproc)" --target gallery
gallery=build/demo/gallery
mkdir -p "$gallery"
rm -f "$gallery"/*.png "$gallery/index.html" "$gallery/gallery.tsv"
# Wine shows the Unix root as drive Z:.
folder="Z:$(pwd)/$gallery"
echo "== the gallery: every dialog of every sample model and language ($gallery/index.html)"
start=$(date +%s%N)
status=0
# Japanese texts: Wine links its dialog font to "MS UI Gothic" for glyphs it lacks; that
# name stands for the IPA Gothic font of the system (package fonts-ipafont-gothic).
build/$preset/wine-run.sh reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
    /t REG_SZ /d IPAGothic /f > /dev/null 2>&1 || true
(cd "build/$preset/bin" && ../wine-run.sh gallery.exe "${folder//\//\\}" "$@") || status=$?
# The mirrored forms: the same run on a system whose default language is Hebrew. Wine takes
# the system language from the C library's LC_CTYPE locale, which is built once into the
# build tree (the user's language, LC_MESSAGES, stays as it is).
locales=build/locale
if [ ! -d "$locales/he_IL.UTF-8" ]; then
    mkdir -p "$locales"
    localedef -i he_IL -f UTF-8 "$locales/he_IL.UTF-8" > /dev/null 2>&1 ||
        rm -rf "$locales/he_IL.UTF-8"
fi
if [ -d "$locales/he_IL.UTF-8" ]; then
    (cd "build/$preset/bin" && env -u LC_ALL LOCPATH="$(cd ../../locale && pwd)" \
        LC_CTYPE=he_IL.UTF-8 ../wine-run.sh gallery.exe "${folder//\//\\}" "$@") || status=$?
else
    echo "no Hebrew locale (localedef, package locales): no mirrored pictures"
fi
ms=$((($(date +%s%N) - start) / 1000000))
echo "gallery: $(ls "$gallery"/*.png 2>/dev/null | wc -l) pictures in $((ms / 1000)).$((ms % 1000 / 100)) s"
exit $status
