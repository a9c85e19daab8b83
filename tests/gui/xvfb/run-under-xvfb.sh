#!/bin/sh
# Runs a test program on a virtual X server through Qt's xcb platform; skipped (exit 77)
# with the reason printed when Xvfb is not installed.
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "skipped: Xvfb is not installed (xvfb-run or Xvfb not found)"
    exit 77
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$@"
