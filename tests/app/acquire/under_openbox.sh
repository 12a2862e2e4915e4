#!/bin/sh
# Runs a window test program on an Xvfb server with openbox as its window manager, on Qt's X11
# platform. Exits 77 (skipped) where xvfb-run or openbox is not installed.
for tool in xvfb-run openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "under_openbox.sh: $tool is not installed: skipped"
    exit 77
  fi
done
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  # Until openbox has taken the screen.
  for i in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  QT_QPA_PLATFORM=xcb "$@"
  status=$?
  kill $wm 2>/dev/null
  exit $status' sh "$@"
