#!/bin/sh
# The browser of the Wine tests (HKCU\Software\Wine\WineBrowser "Browsers"): instead of
# showing a web address it records it in browser.txt beside itself.
printf '%s\n' "$1" >> "$(dirname "$0")/browser.txt"
