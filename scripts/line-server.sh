# Sourced by soak-line.sh and bench-line.sh: the native optimised build they use (BUILD_DIR,
# build/host-release by default, built when missing), a fresh state directory removed at the
# end, and `serve_line PORT ARGS...`, which starts `simdev serve ARGS... PORT` on it and sets
# $tty to the port's line and $server to the server's process.
build=${BUILD_DIR:-build/host-release}
if [[ ! -x $build/bin/simdev || ! -x $build/bin/linesoak ]]; then
  if [[ $build == build/host-release ]]; then
    cmake --preset host-release >/dev/null
    cmake --build --preset host-release --target simdev linesoak
  else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSUITE_SANITIZE=OFF >/dev/null
    cmake --build "$build" --target simdev linesoak -j2
  fi
fi

state=$(mktemp -d)
server=
cleanup() {
  [[ -n $server ]] && kill "$server" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT
export SIMDEV_STATE_DIR=$state

serve_line() {
  local port=$1
  shift
  "$build/bin/simdev" serve "$@" "$port" >"$state/serve.out" &
  server=$!
  for _ in $(seq 100); do [[ -s $state/serve.lines ]] && break; sleep 0.1; done
  tty=$(awk -v p="$port" '$1 == p { print $2 }' "$state/serve.lines")
  [[ -n $tty ]] || { echo "$0: simdev serve gave $port no line" >&2; exit 1; }
}

# Asks the server to stop and waits until it has.
stop_server() {
  touch "$state/serve.stop"
  wait "$server" || true
  server=
}
