#!/usr/bin/env bash
# Takes the README's screenshots again: builds the program, starts it on the simulated board under
# a virtual X server of its own, drives it with the mouse as a user would and writes
#   setup.png           the setup window after Load of RQ3118.CFG
#   main-fft.png        the main window after Sample, in FFT mode
#   main-histogram.png  the same record in histogram mode
#   figures.png         the Converter Figures window on that record
#   sweep.png           the Sweep window after a frequency sweep of the simulated converter
#   about.png           the About box
# to docs/screenshots/. Apart from the build folder, nothing in the repository changes but those
# six files: the program runs in a copy of examples/ with a settings store of its own.
#
# There is no window manager: windows sit where the program puts them, without frames, so every
# click is computed from a window's own geometry and the design places of its controls (twips,
# 15 to a pixel). The program is waited for by watching its windows and pictures, never longer
# than --timeout seconds for one step.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: scripts/screenshots.sh [options]
  --build-dir DIR   configure and build rq3118 in DIR (default: build, as scripts/run.sh)
  --no-build        use the rq3118 already built in the build folder
  --out DIR         write the pictures to DIR (default: docs/screenshots)
  --timeout SEC     longest wait for any one step (default: 60)
  --keep            keep the working folder (pictures, the program's output) and say where
  -h, --help        this text
EOF
}

top="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$top/build"
out_dir="$top/docs/screenshots"
do_build=1
keep=0
step_timeout=60

absolute() {
  case "$1" in
    /*) printf '%s\n' "$1" ;;
    *) printf '%s\n' "$PWD/$1" ;;
  esac
}

while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) [ $# -ge 2 ] || { usage >&2; exit 2; }; build_dir="$(absolute "$2")"; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --keep) keep=1; shift ;;
    --out) [ $# -ge 2 ] || { usage >&2; exit 2; }; out_dir="$(absolute "$2")"; shift 2 ;;
    --timeout) [ $# -ge 2 ] || { usage >&2; exit 2; }; step_timeout="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "screenshots.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
done
case "$step_timeout" in
  ''|*[!0-9]*) echo "screenshots.sh: --timeout takes whole seconds" >&2; exit 2 ;;
esac

# The virtual screen. The pictures depend on it: keep it fixed.
screen_w=1280
screen_h=1024
screen_depth=24
screen_dpi=96

# Design places in twips, from the windows' constructors (app/acquire/frmMainScreen.cpp,
# app/config/frmSetup.cpp); left, top, width, height in the client area.
main_sample=(60 0 1095 360)       # cmdSample
main_quit=(1150 1080 1095 360)    # cmdQuit
main_toggle=(7500 60 1335 315)    # ToggleButton1, the FFT/Histogram mode switch
setup_files=(120 540 1935 1260)   # fileConfig
setup_load=(4440 1860 1095 375)   # cmdLoad
setup_close=(4440 2340 1095 375)  # cmdClose
setup_cancel=(4440 2820 1095 375) # cmdCancel

main_title='^RQ3118 Evaluation Software$'
figures_title='^Converter Figures$'
sweep_title='^Sweep$'
setup_title='^Setup Menu$'
# The About box and the menus' popups have no title of their own (an empty WM_NAME).
untitled='^$'

# ---- Start-up and clean-up ---------------------------------------------------------------------

work=""
xvfb_pid=""
app_pid=""

cleanup() {
  local status=$?
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "$work" ] && [ "$keep" -eq 1 ]; then
    echo "Working folder kept: $work" >&2
  elif [ -n "$work" ]; then
    rm -rf "$work"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

die() {
  echo "screenshots.sh: $*" >&2
  if [ -n "$work" ] && [ -s "$work/rq3118.log" ]; then
    echo "--- last lines of the program's output:" >&2
    tail -n 20 "$work/rq3118.log" >&2
  fi
  exit 1
}

cd "$top"
if [ "$do_build" -eq 1 ]; then
  ./scripts/install-deps.sh screenshots
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" -j2 --target rq3118
else
  for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || die "$tool is missing: run ./scripts/install-deps.sh screenshots"
  done
fi
program="$build_dir/app/rq3118"
[ -x "$program" ] || die "no program at $program"

work="$(mktemp -d "${TMPDIR:-/tmp}/rq3118-shots.XXXXXX")"
mkdir -p "$work/examples" "$work/home/.config" "$work/home/.cache" "$work/runtime" "$work/out"
chmod 700 "$work/runtime"
cp -R "$top/examples/." "$work/examples/"

# Xvfb picks a free display number itself and writes it to the descriptor given.
Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x${screen_depth}" -dpi "$screen_dpi" \
  -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!

now() { date +%s; }

# Runs a command until it succeeds, at most --timeout seconds; also gives up when the program
# (once started) has gone.
wait_for() {
  local what="$1"
  shift
  local until=$(($(now) + step_timeout))
  while ! "$@"; do
    if [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null; then
      die "the program ended while waiting for $what"
    fi
    if [ "$(now)" -ge "$until" ]; then
      die "gave up after ${step_timeout}s waiting for $what"
    fi
    sleep 0.1
  done
}

display_known() {
  kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start: $(cat "$work/xvfb.log")"
  [ -s "$work/display" ] && grep -q '^[0-9][0-9]*$' "$work/display"
}
wait_for "the virtual X server" display_known
DISPLAY=":$(cat "$work/display")"
export DISPLAY
unset WAYLAND_DISPLAY XAUTHORITY
wait_for "the virtual X server to answer" xdotool getmouselocation >/dev/null

# ---- Windows and pictures ----------------------------------------------------------------------

# The program's visible windows whose name matches, one id a line.
windows_named() {
  local ours
  ours="$(xdotool search --onlyvisible --classname '^rq3118$' 2>/dev/null || true)"
  [ -n "$ours" ] || return 0
  xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -Fx "$ours" || true
}

# Sets win_x, win_y, win_w, win_h to a window's place and size; fails when it has gone.
geometry() {
  # shellcheck disable=SC2034 # SCREEN and WINDOW come with the others; kept local.
  local g X="" Y="" WIDTH="" HEIGHT="" SCREEN WINDOW
  g="$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 1
  eval "$g"
  [ -n "$WIDTH" ] || return 1
  win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
}

# The first visible window named $1 at least $2 x $3 pixels, in $found.
find_window() {
  local id
  found=""
  for id in $(windows_named "$1"); do
    geometry "$id" || continue
    if [ "$win_w" -ge "$2" ] && [ "$win_h" -ge "$3" ]; then
      found=$id
      return 0
    fi
  done
  return 1
}

window_gone() {
  ! xdotool getwindowgeometry "$1" >/dev/null 2>&1 || ! windows_named "$2" | grep -qx "$1"
}

# Any titled window but the main, the setup and the figures window is a box the program raised instead of
# doing what was asked ("Program Load Error", "Error", a board that does not answer).
check_no_error_box() {
  local id title
  for id in $(windows_named '.'); do
    title="$(xdotool getwindowname "$id" 2>/dev/null)" || continue
    if ! [[ "$title" =~ $main_title|$setup_title|$figures_title|$sweep_title ]]; then
      die "the program showed a box titled \"$title\""
    fi
  done
}

# The window's picture as a PPM (no time stamps, so equal pictures are equal files). import
# falls back to waiting for a click when the window has gone: never let it wait long.
capture() {
  timeout 10 import -silent -window "$1" ppm:"$2" 2>/dev/null
}

picture_hash() {
  md5sum <"$1" | cut -d' ' -f1
}

# A part of a window's picture, in pixels of the window, as a hash.
region_hash() {
  local id="$1" x="$2" y="$3" w="$4" h="$5"
  capture "$id" "$work/region.ppm" || return 1
  convert "$work/region.ppm" -crop "${w}x${h}+${x}+${y}" +repage ppm:- | md5sum | cut -d' ' -f1
}

# Waits until the window's picture has stayed the same for three looks in a row; leaves that
# picture in $work/settled.ppm.
settled_count=0
settled_last=""
looks_settled() {
  check_no_error_box
  capture "$1" "$work/look.ppm" || return 1
  local h
  h="$(picture_hash "$work/look.ppm")"
  if [ "$h" = "$settled_last" ]; then
    settled_count=$((settled_count + 1))
  else
    settled_count=0
    settled_last=$h
  fi
  if [ "$settled_count" -ge 2 ]; then
    mv "$work/look.ppm" "$work/settled.ppm"
    return 0
  fi
  sleep 0.2
  return 1
}
settle() {
  settled_count=0
  settled_last=""
  wait_for "$2 to stop changing" looks_settled "$1"
}

region_changed() {
  check_no_error_box
  [ "$(region_hash "$1" "$2" "$3" "$4" "$5")" != "$6" ]
}

save_png() {
  convert "$1" -strip -define png:exclude-chunks=date,time "$work/out/$2"
  echo "  $2 ($(identify -format '%wx%h' "$work/out/$2"))"
}

# ---- Mouse -------------------------------------------------------------------------------------

twips_to_px() {
  echo $((($1 + 7) / 15))
}

# Clicks the centre of a control given in twips, in the client area of a window whose client
# starts $2 pixels below the window's top (the menu bar).
click_control() {
  local id="$1" offset="$2" left="$3" top="$4" width="$5" height="$6"
  geometry "$id" || die "window $id has gone"
  local x=$((win_x + $(twips_to_px $((left + width / 2)))))
  local y=$((win_y + offset + $(twips_to_px $((top + height / 2)))))
  xdotool mousemove "$x" "$y" click 1
}

# Out of the way, so no control shows the pointer's hover in a picture.
park_mouse() {
  xdotool mousemove $((screen_w - 1)) $((screen_h - 1))
}

# The menu titles of a window's menu bar, found in its picture: the runs of dark columns in the
# first run of rows with dark pixels (the titles' text). Sets $bar_text_y (the middle of the text
# rows) and $menu_titles (the middle column of each title, left to right).
find_menu_titles() {
  local id="$1"
  geometry "$id" || die "the main window has gone"
  capture "$id" "$work/bar.ppm" || die "cannot capture the main window"
  local rows
  rows="$(convert "$work/bar.ppm" -crop "${win_w}x60+0+0" +repage -colorspace Gray \
    -threshold 50% -negate -scale "1x60!" -depth 16 txt:- |
    awk -F'[,:]' 'NR > 1 { v = ($0 ~ /gray\(0\)|#000000/) ? 0 : 1; print $2, v }')"
  local first last
  read -r first last < <(echo "$rows" | awk '
    $2 == 1 && start == "" { start = $1 }
    $2 == 0 && start != "" { print start, $1 - 1; done = 1; exit }
    END { if (!done && start != "") print start, 59 }') || true
  [ -n "${first:-}" ] || die "no menu bar found in the main window"
  bar_text_y=$(((first + last) / 2))
  # Gaps of six or more blank columns part the titles; a space inside a title is narrower.
  menu_titles="$(convert "$work/bar.ppm" -crop "${win_w}x$((last - first + 1))+0+${first}" +repage \
    -colorspace Gray -threshold 50% -negate -scale "${win_w}x1!" -depth 16 txt:- |
    awk -F'[,:]' 'NR > 1 { v = ($0 ~ /gray\(0\)|#000000/) ? 0 : 1; print $1, v }' |
    awk '
      $2 == 1 { if (start == "") start = $1; end = $1; gap = 0; next }
      start != "" { gap++; if (gap >= 6) { print int((start + end) / 2); start = "" } }
      END { if (start != "") print int((start + end) / 2) }' | tr '\n' ' ')"
}

# Clicks a menu title and waits for its popup; sets $popup and its geometry in popup_*.
open_menu() {
  local id="$1" title_x="$2" name="$3"
  geometry "$id" || die "the window of the $name menu has gone"
  local before
  before="$(windows_named "$untitled" | tr '\n' ' ')"
  xdotool mousemove $((win_x + title_x)) $((win_y + bar_text_y)) click 1
  popup_found() {
    local w
    for w in $(windows_named "$untitled"); do
      case " $before " in *" $w "*) continue ;; esac
      popup=$w
      return 0
    done
    return 1
  }
  wait_for "the $name menu to open" popup_found
  geometry "$popup" || die "the $name menu closed at once"
  popup_x=$win_x popup_y=$win_y popup_w=$win_w popup_h=$win_h
}

# ---- The program -------------------------------------------------------------------------------

echo "Taking the screenshots on display $DISPLAY with $program"
(
  cd "$work/examples"
  # A settings store, caches and run-time folder of its own: nothing left by earlier runs.
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
  export XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
  export QT_ENABLE_HIGHDPI_SCALING=0 QT_SCALE_FACTOR=1
  unset QT_FONT_DPI QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME
  exec "$program" /SIM
) >"$work/rq3118.log" 2>&1 &
app_pid=$!

main_found() { find_window "$main_title" 100 100 && main=$found; }
wait_for "the main window" main_found
settle "$main" "the main window"

# The File menu opens below the menu bar: its top tells the bar's height. Its first entry is
# "Setup Menu"; the menu's rows are of one height but for a thin separator.
find_menu_titles "$main"
read -r -a titles <<<"$menu_titles"
[ "${#titles[@]}" -eq 4 ] || die "expected four menu titles (File, Printer Port, Analysis, Help), found ${#titles[@]}"
open_menu "$main" "${titles[0]}" File
geometry "$main" || die "the main window has gone"
bar_height=$((popup_y - win_y))
file_entries=8
xdotool mousemove $((popup_x + popup_w / 2)) $((popup_y + popup_h / file_entries / 2)) click 1

setup_found() { find_window "$setup_title" 100 100 && setup=$found; }
wait_for "the setup window" setup_found
settle "$setup" "the setup window"

# RQ3118.CFG is the second of the files listed (sorted by name): click the first, go one down.
geometry "$setup" || die "the setup window has gone"
xdotool mousemove $((win_x + $(twips_to_px $((setup_files[0] + 300))))) \
  $((win_y + $(twips_to_px $((setup_files[1] + 90))))) click 1
sleep 0.2
xdotool key Down
settle "$setup" "the configuration list"

# Load succeeds when it takes Cancel away: watch that button's picture.
read -r -a cancel <<<"$(twips_to_px "${setup_cancel[0]}") $(twips_to_px "${setup_cancel[1]}") \
$(twips_to_px "${setup_cancel[2]}") $(twips_to_px "${setup_cancel[3]}")"
cancel_before="$(region_hash "$setup" "${cancel[@]}")"
click_control "$setup" 0 "${setup_load[@]}"
wait_for "Load to finish (Cancel disabled)" region_changed "$setup" "${cancel[@]}" "$cancel_before"
park_mouse
settle "$setup" "the setup window after Load"
save_png "$work/settled.ppm" setup.png

click_control "$setup" 0 "${setup_close[@]}"
wait_for "the setup window to close" window_gone "$setup" "$setup_title"
settle "$main" "the main window"

# Sample: the record, its spectrum and read-outs.
before="$(picture_hash "$work/settled.ppm")"
click_control "$main" "$bar_height" "${main_sample[@]}"
main_changed() {
  check_no_error_box
  capture "$main" "$work/look.ppm" && [ "$(picture_hash "$work/look.ppm")" != "$before" ]
}
wait_for "the capture to be drawn" main_changed
park_mouse
settle "$main" "the main window after Sample"
save_png "$work/settled.ppm" main-fft.png

# The mode switch shows the record's histogram in place of the spectrum.
before="$(picture_hash "$work/settled.ppm")"
click_control "$main" "$bar_height" "${main_toggle[@]}"
wait_for "histogram mode" main_changed
park_mouse
settle "$main" "the main window in histogram mode"
save_png "$work/settled.ppm" main-histogram.png

# Help, About. Its picture is animated (three frames, a tenth of a second each): keep the first
# frame, the one with two output bits lit, seen twice so that it is no half-drawn picture.
open_menu "$main" "${titles[3]}" Help
xdotool mousemove $((popup_x + popup_w / 2)) $((popup_y + popup_h / 2)) click 1
about_found() { find_window "$untitled" 200 100 && about=$found; }
wait_for "the About box" about_found
park_mouse
lit_pixels() {
  convert "$1" -format %c histogram:info:- | awk '/srgb\(32,192,64\)/ { sub(":", "", $1); n = $1 } END { print n + 0 }'
}
about_frames() {
  local h best=0 best_hash="" seen=" " steady=" "
  for _ in $(seq 1 16); do
    capture "$about" "$work/frame.ppm" || return 1
    h="$(picture_hash "$work/frame.ppm")"
    [ "$keep" -eq 0 ] || cp "$work/frame.ppm" "$work/frame-$h.ppm"
    case "$seen" in
      *" $h "*)
        case "$steady" in *" $h "*) ;; *) steady="$steady$h " ;; esac
        local n
        n="$(lit_pixels "$work/frame.ppm")"
        if [ "$n" -gt "$best" ]; then
          best=$n
          best_hash=$h
          cp "$work/frame.ppm" "$work/about.ppm"
        fi
        ;;
      *) seen="$seen$h " ;;
    esac
    sleep 0.04
  done
  # All three frames seen steadily, so the best of them is the first frame.
  [ -n "$best_hash" ] && [ "$(echo "$steady" | wc -w)" -ge 3 ]
}
settle_about() {
  check_no_error_box
  about_frames
}
wait_for "a steady frame of the About box" settle_about
save_png "$work/about.ppm" about.png

# A click on the box closes it; Quit ends the program.
geometry "$about" || die "the About box has gone"
xdotool mousemove $((win_x + win_w / 2)) $((win_y + win_h / 6)) click 1
wait_for "the About box to close" window_gone "$about" "$untitled"

# Analysis, Converter Figures (the first of the menu's three items): the figures of the same
# record, at the window's default size.
open_menu "$main" "${titles[2]}" Analysis
xdotool mousemove $((popup_x + popup_w / 2)) $((popup_y + popup_h / 4)) click 1
figures_found() { find_window "$figures_title" 400 300 && figures=$found; }
wait_for "the Converter Figures window" figures_found
park_mouse
settle "$figures" "the Converter Figures window"
save_png "$work/settled.ppm" figures.png
# Keys go to the window under the pointer (there is no window manager to give focus); a key sent
# to the window itself is refused by the server.
geometry "$figures" || die "the Converter Figures window has gone"
xdotool mousemove $((win_x + win_w * 3 / 4)) $((win_y + 30))
xdotool key ctrl+w
wait_for "the Converter Figures window to close" window_gone "$figures" "$figures_title"

# Analysis, Sweep (the last item): its default sweep, twelve frequencies from 1 to 45 kHz at
# -1 dBFS on the simulated converter, started with Ctrl+Return and pictured once it has ended.
open_menu "$main" "${titles[2]}" Analysis
xdotool mousemove $((popup_x + popup_w / 2)) $((popup_y + popup_h * 5 / 6)) click 1
sweep_found() { find_window "$sweep_title" 400 300 && sweep=$found; }
wait_for "the Sweep window" sweep_found
geometry "$sweep" || die "the Sweep window has gone"
xdotool mousemove $((win_x + win_w * 3 / 4)) $((win_y + 40))
xdotool key ctrl+Return
sleep 3
park_mouse
settle "$sweep" "the Sweep window"
save_png "$work/settled.ppm" sweep.png
geometry "$sweep" || die "the Sweep window has gone"
xdotool mousemove $((win_x + win_w * 3 / 4)) $((win_y + 40))
xdotool key ctrl+w
wait_for "the Sweep window to close" window_gone "$sweep" "$sweep_title"

click_control "$main" "$bar_height" "${main_quit[@]}"
program_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
quit_until=$(($(now) + step_timeout))
while ! program_ended; do
  [ "$(now)" -lt "$quit_until" ] || die "the program did not end on Quit"
  sleep 0.1
done
wait "$app_pid" || die "the program ended with status $? on Quit"
app_pid=""

mkdir -p "$out_dir"
cp "$work/out/"*.png "$out_dir/"
echo "Pictures written to $out_dir"
