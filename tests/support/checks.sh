# Sourced by the shell tests. check WHAT COMMAND... runs the command and counts a failure instead
# of stopping, so that one run reports every failed check; checks_done NAME ends the test.
# shellcheck shell=bash disable=SC2317  # functions called through check and wait_for

failures=0
check() {  # WHAT COMMAND...
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
not_grep() { ! grep -q "$@"; }
same() { [[ $1 == "$2" ]] || { diff <(echo "$1") <(echo "$2"); false; }; }
wait_for() {  # SECONDS COMMAND...: until the command succeeds
  local limit=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < limit)) || return 1
    sleep 0.1
  done
}
use_scratch() {  # a scratch folder $tmp, and children put in pids killed, when the test ends
  tmp=$(mktemp -d)
  pids=()
  trap end_scratch EXIT
}
end_scratch() {
  local pid
  for pid in "${pids[@]}"; do { kill -9 "$pid" && wait "$pid"; } 2>/dev/null; done
  rm -rf "$tmp"
}
checks_done() {  # NAME: prints the verdict and exits with it
  ((failures == 0)) && echo "$1: every check passed"
  exit $((failures > 0))
}
