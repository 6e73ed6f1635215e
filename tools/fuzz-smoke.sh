#!/bin/sh
# Builds the fuzz preset and runs every fuzz target briefly from its seeds (the CTest tests of
# the preset, FUZZ_SMOKE_SECONDS each, 4 by default): about a minute of fuzzing in all.
set -e
cd "$(dirname "$0")/.."
cmake --preset fuzz > /tmp/cvl-configure-fuzz.log 2>&1 || { cat /tmp/cvl-configure-fuzz.log; exit 1; }
cmake --build --preset fuzz -j "$(nproc)"
ctest --preset fuzz -j "$(nproc)"
