# shellcheck shell=bash
# The stand-in mall (tests/support/standin_mall) on loopback while the script runs. Needs common.sh.

# start_mall PROGRAM LOG [PORT]: the stand-in on PORT, or on a free port, its output in LOG; waits
# until it listens (it prints its port first) and sets mall_pid, mall_port and mall_host
# (127.0.0.1:PORT). False when it cannot listen there. Its stdin is a pipe held by this script, so
# it also ends when the script is killed outright.
start_mall() {
  local args=(--exit-when-stdin-closes) port=${3:-}
  [[ -z $port ]] || args+=(--port "$port")
  : >"$2"
  exec {mall_stdin}> >(exec_without_private_fds "$1" "${args[@]}" >"$2" 2>&1)
  mall_pid=$!
  pids+=("$mall_pid")
  if ! wait_on "$mall_pid" 60 mall_listening "$2" "$port"; then
    exec {mall_stdin}>&-
    return 1
  fi
  private_fds+=("$mall_stdin")
  mall_port=$(head -n 1 "$2")
  # shellcheck disable=SC2034  # for the script
  mall_host=127.0.0.1:$mall_port
}

mall_listening() {  # LOG [PORT]
  local first
  first=$(head -n 1 "$1")
  [[ $first =~ ^[0-9]+$ && ${2:-$first} == "$first" ]]
}
