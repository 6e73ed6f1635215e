#!/bin/sh
# Fails when any C++ source of the project is not clang-format clean.
clang_format=${1:-clang-format}
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests host -name '*.cpp' -o -name '*.h')
[ -n "$files" ] || exit 0
exec "$clang_format" --dry-run -Werror $files
