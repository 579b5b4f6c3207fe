# shellcheck shell=bash
# What the scripts do alike: their messages and stages, waiting with a deadline, and the
# processes they start, stopped again on any exit. `me`, when a script sets it, heads what it says.

say() { echo "${me:+$me: }$*"; }

# fail TEXT...: says what failed, runs the script's on_failure if it has one (to keep the screen
# or its logs; what it prints goes to stderr too) and exits 1.
fail() {
  echo "${me:+$me: }FAILED: $*" >&2
  if declare -F on_failure >/dev/null; then on_failure >&2 || true; fi
  exit 1
}

# stage NAME: the start of a part of a long run, with the time taken so far.
# The version project() gives the build in folder $1, as its cache holds it.
build_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"; }
stage() { echo "== ${me:+$me: }$1 ($SECONDS s so far)"; }

# wait_on PID SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds; false after SECONDS,
# or at once when process PID has ended (after one more try: it may have done it just before).
wait_on() {
  local pid=$1 deadline=$((SECONDS + $2))
  shift 2
  until "$@"; do
    kill -0 "$pid" 2>/dev/null || {
      "$@"
      return
    }
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

# wait_for SECONDS COMMAND...: the same while this script runs.
wait_for() { wait_on "$$" "$@"; }

# The processes started with spawn, and the descriptors this script holds that they must not
# inherit (a pipe whose end stops the stand-in mall, a lock): a process left behind by a killed
# script must not keep them open.
pids=()
private_fds=()

# spawn LOG COMMAND...: COMMAND in the background, its output appended to LOG; its id in spawned.
spawn() {
  local log=$1
  shift
  (exec_without_private_fds "$@") >>"$log" 2>&1 &
  spawned=$!
  pids+=("$spawned")
}

# exec_without_private_fds COMMAND...: in a subshell, becomes COMMAND without private_fds.
exec_without_private_fds() {
  local fd
  for fd in "${private_fds[@]}"; do exec {fd}>&-; done
  exec "$@"
}

# Ends what spawn started, the last first: TERM, and KILL after 5 s.
stop_started() {
  local i pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    for _ in {1..50}; do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  done
}

# On any exit, also on Ctrl-C, TERM and HUP: stop_started, then the script's at_exit if it has one.
stop_started_on_exit() {
  trap 'stop_started; if declare -F at_exit >/dev/null; then at_exit; fi' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
}
