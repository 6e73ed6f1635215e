#!/bin/bash
# Benchmarks; they report and never fail on a time.
#  1. The DevMode operations natively, against counting fakes, in an unsanitized optimised
#     build.
#  2. Under Wine with the real DLL, on each sample model: the Printing Preferences opening
#     (document sheet start, both document tree calls, activation, destroy) and the DevMode
#     operations in plug-in time, with the shipped DLL (profile files read once and kept) and
#     with its build that calls the platform's GetPrivateProfileStringW/IntW, side by side.
#  3. What one of each costs in the plug-in's own system calls, counted from Wine's relay
#     trace of a run with one of each: profile-file reads, the platform's profile calls,
#     looks at file stamps, spooler, registry and module-loading calls, heap allocations.
# Usage: tools/bench.sh [openings] [x64|x86] [warm|idle]
#   (default 200 openings, 2000 DevMode operations, warm)
# warm: while Wine measures, one busy loop at the lowest priority per core keeps the
# virtual CPUs from idling. Under Wine nearly every system call is a round trip to the
# wineserver process, and on a virtual machine whose other CPUs sleep each round trip
# also pays their wake-up: measured here, the same opening took three times as long on an
# otherwise idle machine as beside such a loop. The loops yield to any other work at once.
# idle: without the loops, as the machine is.
set -eu
cd "$(dirname "$0")/.."
top=$PWD
openings=${1:-200}
arch=${2:-x64}
cpus=${3:-warm}
case "$arch/$cpus" in
    x64/warm | x64/idle | x86/warm | x86/idle) ;;
    *) echo "usage: tools/bench.sh [openings] [x64|x86] [warm|idle]" >&2; exit 2 ;;
esac
build=build/windows-$arch
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DPLUGIN_SANITIZE=OFF > /dev/null
cmake --build build/bench -j 2 --target devmode_bench > /dev/null
echo "== native, counting fakes"
build/bench/devmode_bench $((openings * 100))

cmake --preset "windows-$arch" > /dev/null
cmake --build --preset "windows-$arch" -j 2 \
    --target host_simulator plugin_dll snmp_module plugin_dll_platform_reads wine_desktop > /dev/null
tools/wine-server.sh start "$build"
cd "$build/bin"
times=$(mktemp) calls=$(mktemp)
spinners=()
trap 'rm -f "$times" "$calls"; [ ${#spinners[@]} -eq 0 ] || kill "${spinners[@]}" 2>/dev/null
      "$top/tools/wine-server.sh" stop "$build"' EXIT
if [ "$cpus" = warm ]; then
    for _ in $(seq "$(nproc)"); do
        nice -n 19 sh -c 'while :; do :; done' &
        spinners+=($!)
    done
fi
echo
echo "== Wine ($(nproc) cores, $cpus; load $(cut -d' ' -f1-3 /proc/loadavg))"
../wine-run.sh host_simulator.exe bench "$openings" | grep -v '^  Dll\|^Loaded' | tee "$times"

echo
echo "== Wine, the plug-in's own calls per operation (relay trace of one of each)"
# Only calls whose return address lies inside a build of the plug-in count: what the
# platform's functions or the host call in turn is theirs.
WINEDEBUG=+relay ../wine-run.sh host_simulator.exe bench 1 1 2>&1 >/dev/null |
    awk '
    function hex(s,   i, n, c) {
        n = 0; s = tolower(s)
        for (i = 1; i <= length(s); i++) {
            c = index("0123456789abcdef", substr(s, i, 1)); if (c == 0) break
            n = n * 16 + c - 1
        }
        return n
    }
    function flush() {
        if (name != "" && name != "end" && name != "-")
            printf "  %-34s %6d %8d %7d %8d %9d %6d %7d\n", name, reads, platform, stamps,
                   spooler, registry, loads, allocs
        reads = platform = stamps = spooler = registry = loads = allocs = 0
    }
    BEGIN {
        printf "  %-34s %6s %8s %7s %8s %9s %6s %7s\n", "model/profile/operation",
               "reads", "platform", "stamps", "spooler", "registry", "loads", "allocs"
    }
    /Call KERNEL32.OutputDebugStringA\(.*"bench module: / {
        line = $0; sub(/.*bench module: /, "", line); split(line, part, /[ "]/)
        modules++; low[modules] = hex(part[1]); high[modules] = hex(part[2]); next
    }
    /Call KERNEL32.OutputDebugStringA\(.*"bench case: / {
        flush(); name = $0; sub(/.*bench case: /, "", name); sub(/".*/, "", name); next
    }
    name == "" || !/:Call / { next }
    {
        if (!match($0, /ret=[0-9a-fA-F]+$/)) next
        at = hex(substr($0, RSTART + 4)); mine = 0
        for (m = 1; m <= modules; m++) if (at >= low[m] && at < high[m]) mine = 1
        if (!mine) next
        call = $0; sub(/\(.*/, "", call); sub(/.*:Call /, "", call)
        if (call ~ /GetPrivateProfile(String|Int)W$/) platform++
        else if (call ~ /CreateFileW$/) reads++
        else if (call ~ /GetFileAttributesExW$/) stamps++
        else if (call ~ /^winspool/) spooler++
        else if (call ~ /\.Reg[A-Za-z]*$/) registry++
        else if (call ~ /LoadLibrary/) loads++
        else if (call ~ /(HeapAlloc|HeapReAlloc|malloc|calloc|realloc)$/) allocs++
    }
    END { flush() }' | tee "$calls"
echo "   reads: files opened and read whole by the cache; platform: GetPrivateProfile*W calls,"
echo "   each of which opens its file; stamps: looks at a file's size and write time."

echo
echo "== Side by side: each model's opening and DevMode operations, with the plug-in's profile"
echo "   file reads (cache) or GetPrivateProfile*W calls (platform) in its first opening and in"
echo "   an opening after idling (plug-in microseconds, medians)"
awk -v calls="$calls" '
    BEGIN {
        while ((getline line < calls) > 0) {
            n = split(line, f, " ")
            if (n < 8 || f[1] !~ /\//) continue
            name = f[1]
            for (j = 2; j <= n - 7; j++) name = name " " f[j]
            reads[name] = f[n - 6] + f[n - 5]   # a read is a read, whichever way it was made
        }
        printf "  %-9s %-8s %8s %8s %8s %14s %8s %8s\n", "model", "profile", "median",
               "idle", "first", "reads 1st/idle", "default", "convert"
    }
    /^[A-Za-z].* (cached|platform) / || /^ +(cached|platform) / {
        if ($1 != "cached" && $1 != "platform") { model = $1; sub(/^ +/, "", model) }
        for (i = 1; i <= NF; i++) if ($i == "cached" || $i == "platform") break
        build = $i; first = $(i + 1); median = $(i + 2); idle = $(i + 4)
        def = $(i + 11); conv = $(i + 12)
        key = model "/" build "/"
        printf "  %-9s %-8s %8s %8s %8s %7d/%-6d %8s %8s\n", model, build, median, idle, first,
               reads[key "first opening"], reads[key "opening after idle"], def, conv
    }' "$times"
echo "   Targets: an opening under 1000 us on the largest model; default and convert under 100 us."
# A model with auto-configuration on loads and releases the SNMP module in every opening.
sed -n '/^The SNMP module alone/,/^(LoadLibrary/s/^/   /p' "$times"
