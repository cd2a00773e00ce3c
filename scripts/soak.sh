#!/usr/bin/env bash
# Soak run, by hand (not part of the tests): the real window on a virtual
# display watches a local page that changes at every period end, at "10 sec",
# for MINUTES minutes, and the memory of Vigilo and its helper processes is
# sampled every 10 seconds. Prints the growth per 1000 period ends fitted over
# the second half of the run.
#
#   bash scripts/soak.sh MINUTES [single|random] [on|off] [PAGE_KB]
#
# single: the URL box holds the changing page (a download, a change test and a
#         real update at each period end, then the pane shows it), of about
#         PAGE_KB thousand characters (40 unless given).
# random: random mode over a list of 50 local pages in a vigilo.cfg beside a
#         copy of the program.
# on:     a screen reader: the accessibility bus is switched on and a screen
#         reader announced on it, QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, and an
#         AT-SPI client reads the whole window once a minute.
# off:    no assistive tool listening.
#
# Needs no display of its own: Xvfb, openbox and a private D-Bus session with
# the accessibility bus are started and stopped here. Logs stay in the folder
# printed at the start (VIGILO_SOAK_DIR to choose it). VIGILO_SOAK_PROGRAM soaks
# another build of the program instead of building this one.
set -euo pipefail

if [ "${1:-}" = --inner ]; then
  inner=1
  shift
else
  inner=0
fi
minutes=${1:-}
mode=${2:-single}
a11y=${3:-on}
size=${4:-40}
if ! [[ "$minutes" =~ ^[1-9][0-9]*$ ]] || [[ "$mode" != single && "$mode" != random ]] ||
   [[ "$a11y" != on && "$a11y" != off ]] || ! [[ "$size" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bash scripts/soak.sh MINUTES [single|random] [on|off] [PAGE_KB]" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)

if [ "$inner" = 0 ]; then
  source "$scripts/common.sh"
  need_packages "${build_packages[@]}" xvfb openbox xdotool dbus at-spi2-core python3-gi \
    gir1.2-atspi-2.0 python3-pyatspi
  program=${VIGILO_SOAK_PROGRAM:-}
  if [ -z "$program" ]; then
    [ -f "$build/build.ninja" ] ||
      cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target vigilo >/dev/null
    program=$build/bin/vigilo
  fi
  work=${VIGILO_SOAK_DIR:-$(mktemp -d /tmp/vigilo-soak.XXXXXX)}
  mkdir -p "$work/program"
  # A copy of the program, so that its vigilo.cfg is the run's own.
  cp "$program" "$work/program/vigilo"
  cp "$here/resources/start.htm" "$work/program/"
  echo "Soak: $minutes min, $mode mode, accessibility $a11y, page $size kB; logs in $work"
  kind=given
  [ "$program" = "$build/bin/vigilo" ] &&
    kind="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt") build"
  echo "Program: $program ($kind); CPU: $(lscpu | sed -n 's/^Model name: *//p' | head -1)"
  # A private session bus; the accessibility bus starts on it when asked for.
  # Its daemons' chatter goes to a log; the run's own messages to stdout.
  export VIGILO_SOAK_DIR=$work
  # The accessibility bus puts its socket in the runtime folder (else in
  # ~/.cache, shared by every session): each run gets its own, so that runs
  # side by side do not take each other's bus.
  mkdir -p -m 700 "$work/runtime"
  export XDG_RUNTIME_DIR=$work/runtime
  # The bus keeps its switches in the desktop's settings, which outlive the
  # session: the run's own stay in memory.
  export GSETTINGS_BACKEND=memory
  exec dbus-run-session -- bash "$0" --inner "$minutes" "$mode" "$a11y" "$size" \
    2>"$work/dbus.log"
fi
exec 2>&1

work=$VIGILO_SOAK_DIR
log=$work/soak.log
: >"$log"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap cleanup EXIT

source "$scripts/session.sh"
start_pages "$size"
start_display

if [ "$a11y" = on ]; then
  # What a screen reader does when it starts.
  /usr/bin/python3 "$scripts/soak_reader.py" enable
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
else
  unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON
fi

if [ "$mode" = random ]; then
  for n in $(seq 0 49); do printf '%s/list/%d.htm\r\n' "$base" "$n"; done \
    >"$work/program/vigilo.cfg"
  marker="Town page"
else
  rm -f "$work/program/vigilo.cfg"
  marker="The Daily Watch"
fi

start_vigilo "$mode" "$work/vigilo.log"
period_ends() { requests reader; }
[ "$mode" = random ] && period_ends() { requests pane; }
echo "Started; memory sampled every 10 s, a line printed each minute."

# Memory every 10 s (one period) makes the fitted slope steadier than once a
# minute would; the accessible tree is read once a minute, as before.
reading=""
started=$(date +%s)
for tick in $(seq 0 $((minutes * 6))); do
  if [ "$tick" -gt 0 ]; then
    wait_s=$((started + 10 * tick - $(date +%s)))
    [ "$wait_s" -gt 0 ] && sleep "$wait_s"
  fi
  minute=$((tick / 6))
  whole=$((tick % 6 == 0))
  if [ "$a11y" = on ] && [ "$whole" = 1 ]; then
    reading=$(timeout 50 /usr/bin/python3 "$scripts/soak_reader.py" read "$marker" 2>/dev/null ||
      echo "reader failed or timed out")
    echo "read $minute $reading" >>"$log"
  fi
  figures=$(/usr/bin/python3 "$scripts/soak_stats.py" sample "$vigilo") || {
    echo "Vigilo ended at minute $minute (see $work/vigilo.log)" >&2
    exit 1
  }
  echo "sample $(awk "BEGIN { print $tick / 6 }") $(period_ends) $figures" >>"$log"
  [ "$whole" = 1 ] || continue
  set -- $figures
  printf 'minute %3d  period ends %5d  vigilo RSS %6d MB  PSS %6d MB  tree PSS %6d MB  private %6d MB  %s\n' \
    "$minute" "$(period_ends)" $(($1 / 1024)) $(($2 / 1024)) $(($4 / 1024)) $(($5 / 1024)) \
    "$([ "$a11y" = on ] && echo "${reading%% seconds*}")"
done

/usr/bin/python3 "$scripts/soak_stats.py" fit "$log"
