# Shared by soak.sh and cost.sh, sourced inside their private D-Bus session:
# the page server, the virtual display and its window manager, and Vigilo
# started at "10 sec" from the keyboard. Expects $scripts and $work; every
# process started is appended to the array pids, for the caller to end.

# start_pages PAGE_KB: sets base, the server's address.
start_pages() {
  /usr/bin/python3 "$scripts/soak_server.py" --size "$1" >"$work/server.log" 2>&1 &
  pids+=($!)
  local port=""
  for _ in $(seq 50); do
    port=$(head -1 "$work/server.log" 2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.2
  done
  [ -n "$port" ] || { echo "the page server did not start" >&2; exit 1; }
  base="http://127.0.0.1:$port"
}

# How many times WHO ("reader", "pane" or "tab") has asked for a page.
requests() {
  grep -c "^$1 /\(watched\|list/\)" "$work/server.log" || true
}

start_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.2
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(head -1 "$work/display")
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
  return 0
}

# start_vigilo single|random LOG: starts the copy in $work/program and presses
# Start at "10 sec"; sets vigilo (its process) and window.
start_vigilo() {
  local mode=$1
  (cd "$work/program" && exec ./vigilo) >"$2" 2>&1 &
  vigilo=$!
  pids+=($vigilo)
  window=$(timeout 60 xdotool search --sync --onlyvisible --class Vigilo | head -1)
  [ -n "$window" ] || { echo "the window did not open" >&2; exit 1; }
  sleep 5 # the start page loads
  xdotool windowactivate --sync "$window"

  # The focus starts on Start; Tab goes to "select wav", "<< Browse", the
  # interval box, the URL box, the random list box and the mode buttons.
  local before
  before=$(requests reader)
  keys Tab Tab Tab
  xdotool type --window "$window" --delay 50 "10 sec"
  if [ "$mode" = single ]; then
    keys Tab
    xdotool type --window "$window" --delay 20 "$base/watched.htm"
    keys shift+Tab shift+Tab shift+Tab shift+Tab
  else
    # To random mode; the URL box and "<< Browse" step out of the Tab order.
    keys Tab Tab Tab Down shift+Tab shift+Tab shift+Tab shift+Tab
  fi
  keys space

  local who=reader
  [ "$mode" = random ] && who=pane
  for _ in $(seq 40); do
    [ "$(requests $who)" -gt "$before" ] && return 0
    sleep 1
  done
  echo "no period end came within 40 s of Start: the keys did not reach the window" >&2
  exit 1
}

keys() { xdotool key --window "$window" --delay 150 "$@"; }
