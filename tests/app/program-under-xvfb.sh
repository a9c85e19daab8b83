#!/bin/sh
# Starts the built program on a virtual X server, as a person starts it: its window must show,
# titled "Brisvane", at its size; File > Exit, chosen with the keyboard, must end it with the
# settings and the media library written. Skipped (exit 77) when the X tools are missing.
# Usage: program-under-xvfb.sh <path to brisvane>
program="$1"
for tool in xvfb-run Xvfb xwininfo xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
# The program keeps its settings in its own folder, so it runs from a copy in a folder of the
# test's own.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/brisvane"
export BV_TEST_DIR="$dir"
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    cd "$BV_TEST_DIR"
    QT_QPA_PLATFORM=xcb ./brisvane > out.txt 2>&1 &
    pid=$!
    window=""
    for i in $(seq 1 150); do
        window=$(xdotool search --onlyvisible --name "^Brisvane\$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.2
    done
    if [ -z "$window" ]; then
        echo "FAIL: no window titled Brisvane appeared"
        xwininfo -root -tree | head -n 40
        cat out.txt
        kill $pid 2>/dev/null
        exit 1
    fi
    width=$(xwininfo -id "$window" | sed -n "s/ *Width: //p")
    height=$(xwininfo -id "$window" | sed -n "s/ *Height: //p")
    echo "window $window: ${width} x ${height}"
    if [ "$width" -lt 900 ] || [ "$height" -lt 600 ]; then
        echo "FAIL: the window is ${width} x ${height}"
        kill $pid 2>/dev/null
        exit 1
    fi
    sleep 1
    # File > Exit with the keyboard: Alt+F opens "File", Up goes round to "Exit", Enter.
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key --window "$window" alt+f
    sleep 0.5
    xdotool key Up
    sleep 0.3
    xdotool key Return
    for i in $(seq 1 100); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $pid 2>/dev/null; then
        echo "FAIL: File > Exit did not end the program"
        kill $pid
        exit 1
    fi
    wait $pid
    status=$?
    if [ $status -ne 0 ]; then
        echo "FAIL: the program ended with status $status"
        cat out.txt
        exit 1
    fi
    for f in brisvane.ini MediaDB.db0 MediaDB.db1 MediaDB.db2 MediaDB.db3 MediaDB.db4 \
             MediaDB.db5 MediaDB.db6 MediaDB.db7; do
        if [ ! -f "$f" ]; then
            echo "FAIL: $f was not written"
            exit 1
        fi
    done
    echo "ok: the window showed and File > Exit ended the program with its files written"
'
