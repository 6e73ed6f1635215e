#!/bin/sh
# Checks a built DLL with the cross objdump: the PE kind, exactly the expected exports
# (undecorated: the names as given), and imports from system DLLs only.
# usage: check-pe.sh OBJDUMP DLL pe32|pe32+ "EXPORT..."  (the exports sorted, blank-separated)
set -u
objdump=$1 dll=$2 kind=$3 expected="$4 "
dump=$("$objdump" -p "$dll") || { echo "objdump failed on $dll"; exit 1; }
fail=0

case $kind in
    pe32) magic=010b ;;
    pe32+) magic=020b ;;
    *) echo "unknown kind $kind"; exit 2 ;;
esac
echo "$dump" | grep -Eq "^Magic[[:space:]]+$magic" || { echo "not $kind: $(echo "$dump" | grep ^Magic)"; fail=1; }

exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
if [ "$exports" != "$expected" ]; then
    echo "exports are '$exports', expected exactly '$expected'"
    fail=1
fi

imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "no import table found"; fail=1; }
for name in $imports; do
    case $name in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shlwapi.dll|shell32.dll|comctl32.dll|\
        comdlg32.dll|ole32.dll|oleaut32.dll|winspool.drv|ws2_32.dll|wsock32.dll|version.dll|\
        msvcrt.dll|api-ms-win-*) ;;
        *) echo "imports non-system DLL: $name"; fail=1 ;;
    esac
done

[ $fail -eq 0 ] && echo "$dll: $kind, exports: $exports imports: $(echo $imports)"
exit $fail
