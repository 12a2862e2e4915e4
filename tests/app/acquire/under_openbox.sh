#!/bin/sh
# Runs a window test program on an Xvfb server with openbox as its window manager, on Qt's X11
# platform. Exits 77 (skipped) where xvfb-run, openbox or xprop is not installed, or where
# openbox does not take the screen.
for tool in xvfb-run openbox xprop; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "under_openbox.sh: $tool is not installed: skipped"
    exit 77
  fi
done
# A server number of its own, away from the 99 every other xvfb-run -a tries first.
exec xvfb-run -a -n $(( $$ % 400 + 100 )) -s "-screen 0 1280x1024x24" sh -c '
  log=$(mktemp)
  openbox >"$log" 2>&1 &
  wm=$!
  managed=no
  for i in $(seq 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
      managed=yes
      break
    fi
    sleep 0.1
  done
  if [ $managed = no ]; then
    echo "under_openbox.sh: openbox did not take the screen: skipped"
    cat "$log"
    kill $wm 2>/dev/null
    rm -f "$log"
    exit 77
  fi
  QT_QPA_PLATFORM=xcb "$@"
  status=$?
  kill $wm 2>/dev/null
  rm -f "$log"
  exit $status' sh "$@"
