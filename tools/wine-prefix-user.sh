#!/bin/sh
# The user registry a new Wine prefix starts with: the null graphics driver (windows
# without a display) and unmanaged X11 windows (fast closing under Xvfb).
printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n'
printf '[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n\n'
printf '[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n\n'
