#!/usr/bin/env bash
# Memory of rq3118ctl as a user runs it: "capture --sim --sim-fast" of SAMPLES-sample records.
# A run of LONG records reports its resident memory after record SHORT and after record LONG;
# runs of SHORT records and the long run report their peak resident memory. Fails when either
# pair lies more than LIMIT KiB apart, which a program that keeps something per record cannot
# hold over thousands of records.
# Arguments: RQ3118CTL EXAMPLES_DIR [SHORT] [LONG] [SAMPLES] [LIMIT_KIB]
# (defaults 100, 10000, 8192 and 256).
set -euo pipefail
ctl="$(realpath "$1")"
examples="$2"
short="${3:-100}"
long="${4:-10000}"
samples="${5:-8192}"
limit="${6:-256}"
if [ ! -x /usr/bin/time ]; then
  echo "soak-ctl: /usr/bin/time is missing (Debian package time)" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples/RQ3118.CFG" "$examples/VMB.EXE" "$work/"
cd "$work"

# Most of the program's resident memory is its libraries' pages, and which of them a run touches
# shifts by a few hundred KiB with where the libraries are mapped; with the address layout
# fixed, runs of the same program touch the same pages.
fixed=()
if setarch -R true 2>/dev/null; then
  fixed=(setarch -R)
fi
# The capture's arguments but the count; it runs under /usr/bin/time, which writes the peak
# resident memory (KiB) to peak.txt. Standard output is JSON, one record a line, on the named
# pipe lines.
run=("${fixed[@]}" /usr/bin/time -f %M -o peak.txt "$ctl" capture --sim --sim-fast
  --config RQ3118.CFG --samples "$samples" --json --records)

mkfifo lines
start=$SECONDS

# The resident memory is read from /proc when a record's line arrives, which may be as many
# records later as the pipe holds lines (64 KiB, some 200). The long run goes on past LONG by
# more than that, so that the program still runs when record LONG is read.
extra=400
"${run[@]}" $((long + extra)) >lines 2>messages.txt &
timer=$!
read -r resident_short resident_long < <(
  awk -v short="$short" -v long="$long" -v timer="$timer" '
    function rss(   line, f, kib) {
      f = "/proc/" pid "/status"
      while ((getline line < f) > 0) {
        if (line ~ /^VmRSS:/) { split(line, part, " "); kib = part[2] }
      }
      close(f)
      return kib
    }
    NR == 1 {
      f = "/proc/" timer "/task/" timer "/children"
      getline pid < f
      close(f)
      sub(/ .*/, "", pid)
    }
    index($0, "\"record\":" short ",") { at_short = rss() }
    index($0, "\"record\":" long ",") { at_long = rss() }
    END { print at_short, at_long }
  ' <lines)
if ! wait "$timer"; then
  echo "soak-ctl: the long capture failed:" >&2
  cat messages.txt >&2
  exit 1
fi
peak_long="$(tail -n 1 peak.txt)"

# Even so a run now and then touches fewer pages; the short run's peak is the highest of three,
# so that such a run does not pass for growth of the long one.
peak_short=0
for _ in 1 2 3; do
  "${run[@]}" "$short" >lines 2>messages.txt &
  cat lines >/dev/null
  if ! wait $!; then
    echo "soak-ctl: the short capture failed:" >&2
    cat messages.txt >&2
    exit 1
  fi
  peak="$(tail -n 1 peak.txt)"
  if [ "$peak" -gt "$peak_short" ]; then
    peak_short="$peak"
  fi
done

echo "rq3118ctl capture of $samples-sample records ($((SECONDS - start)) s):"
echo "  resident after record $short: ${resident_short:-?} KiB, after record $long: ${resident_long:-?} KiB"
echo "  peak resident of $short records: $peak_short KiB, of $((long + extra)) records: $peak_long KiB"
if [ -z "$resident_short" ] || [ -z "$resident_long" ]; then
  echo "soak-ctl: the resident memory could not be read during the run" >&2
  exit 1
fi
status=0
if [ $((resident_long - resident_short)) -gt "$limit" ]; then
  echo "soak-ctl: resident memory grew by $((resident_long - resident_short)) KiB (limit $limit)" >&2
  status=1
fi
if [ $((peak_long - peak_short)) -gt "$limit" ]; then
  echo "soak-ctl: peak resident memory grew by $((peak_long - peak_short)) KiB (limit $limit)" >&2
  status=1
fi
exit $status
