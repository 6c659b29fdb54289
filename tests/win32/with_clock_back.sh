#!/bin/sh
# Runs the clock test of the silent-run test program $1 twice in the prefix that WINEPREFIX
# names: first with the local time at UTC, then three hours earlier. Wine takes a process's
# local time from the TZ of the Linux process that starts it, so each step is a program of its
# own, started from here.
set -u
TARNWICK_CLOCK_STEP=1 TZ=UTC wine "$1" --gtest_filter='ClockGoesBack.*' || exit 1
wineserver -w
TARNWICK_CLOCK_STEP=2 TZ=UTC+3 wine "$1" --gtest_filter='ClockGoesBack.*'
