#!/usr/bin/env bash
# Test fixture for the Windows tests: start|stop BUILD_DIR.
# start: a private virtual X display, the build tree's Wine prefix (created once, with the
#        crash dialog off so a crashing program fails its test instead of hanging it) and a
#        persistent, warmed wineserver; stop: ends both.
set -u
action=$1
mkdir -p "$2"
bindir=$(cd "$2" && pwd)  # Wine needs an absolute prefix path
export WINEPREFIX="$bindir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -f "$bindir/wine-loader" ] && wine=$(cat "$bindir/wine-loader")
wineserver=/usr/lib/wine/wineserver
display_file="$bindir/wine-display"
xvfb_pid_file="$bindir/wine-xvfb.pid"
# Written when this machine cannot run the tree's Wine loader at all; wine-run.sh then skips.
unavailable_file="$bindir/wine-unavailable"

# The Windows tests that must meet what Windows does to a user who is not its administrator
# (root ignores the read-only attribute, for one) run as this ordinary account, with no
# password and no sudo, in a prefix and a wineserver of its own for this tree; wine-run.sh
# reads where from account_file. A user who is not root runs those tests as itself.
account=fio-technician
account_file="$bindir/wine-account"
account_unavailable="$bindir/wine-account-unavailable"
account_home=""
account_prefix=""
[ -f "$account_file" ] && { read -r account account_home account_prefix <"$account_file"; } 2>/dev/null

as_account() {
  runuser -u "$account" -- env HOME="$account_home" WINEPREFIX="$account_prefix" \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="${DISPLAY:-}" "$@"
}

# A build tree below a folder the account may not enter (a checkout under /root, say): the
# account alone gets the right to pass through (x: not to list) each such folder on the way.
grant_passage() {
  local dir="" part IFS=/
  for part in ${bindir#/}; do
    dir="$dir/$part"
    runuser -u "$account" -- test -x "$dir" || setfacl -m "u:$account:x" "$dir" || return 1
  done
}

start_account() {
  rm -f "$account_file" "$account_unavailable"
  [ "$(id -u)" -eq 0 ] || return 0
  if ! id -u "$account" >/dev/null 2>&1 &&
    ! useradd --create-home --shell /bin/sh "$account" >/dev/null 2>&1; then
    echo "the account $account could not be created" >"$account_unavailable"
    return 0
  fi
  account_home=$(getent passwd "$account" | cut -d: -f6)
  # The tests and programs stay in the build tree: the account must reach it.
  runuser -u "$account" -- test -r "$bindir/wine-loader" || grant_passage >/dev/null 2>&1
  if ! runuser -u "$account" -- test -r "$bindir/wine-loader"; then
    echo "the account $account cannot read $bindir" >"$account_unavailable"
    return 0
  fi
  account_prefix="$account_home/prefix-$(printf %s "$bindir" | sha1sum | cut -c1-12)"
  local ready="$account_prefix/.suite-ready-1"
  if [ ! -f "$ready" ]; then
    as_account "$wine" wineboot -i </dev/null >/dev/null 2>&1
    as_account "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    as_account "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    as_account "$wineserver" -w </dev/null >/dev/null 2>&1
    as_account touch "$ready"
  fi
  as_account "$wineserver" -p </dev/null >/dev/null 2>&1
  as_account "$wine" wineboot </dev/null >/dev/null 2>&1
  echo "$account $account_home $account_prefix" >"$account_file"
}

# This tree's native simdev (cmake/NativeSimdev.cmake). Its servers are found by their first
# two arguments, compared as they stand: the path (as Wine names it, Z:\..., when a test
# started it) and "serve"; the servers of another tree keep running.
native_simdev="$bindir/native/bin/simdev"

stop_servers() {
  local p argv0 arg1 win="Z:${native_simdev//\//\\}" pids=()
  for p in /proc/[0-9]*; do
    { IFS= read -r -d '' argv0 && IFS= read -r -d '' arg1; } <"$p/cmdline" 2>/dev/null || continue
    if [ "$arg1" = serve ] && { [ "$argv0" = "$native_simdev" ] || [ "$argv0" = "$win" ]; }; then
      pids+=("${p#/proc/}")
    fi
  done
  [ ${#pids[@]} -eq 0 ] && return 0
  # SIGTERM lets a server save and take its links back; one that does not end is killed.
  kill "${pids[@]}" 2>/dev/null
  sleep 1
  kill -9 "${pids[@]}" 2>/dev/null
  return 0
}

stop() {
  stop_servers
  $wineserver -k </dev/null >/dev/null 2>&1
  if [ -n "$account_prefix" ]; then as_account "$wineserver" -k </dev/null >/dev/null 2>&1; fi
  if [ -f "$xvfb_pid_file" ]; then
    kill "$(cat "$xvfb_pid_file")" 2>/dev/null
    rm -f "$xvfb_pid_file"
  fi
  rm -f "$display_file"
}

# Xvfb picks a free display itself and names it on a file descriptor (-displayfd): the
# fixtures of two build trees start side by side, and choosing a number here by looking for
# lock files let both take the same display, so that one tree's windows covered the other's.
start_display() {
  local chosen="$bindir/wine-display.new"
  rm -f "$chosen"
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$chosen" </dev/null \
    >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 1 100); do
    if [ -s "$chosen" ]; then
      local n
      n=$(head -n 1 "$chosen")
      rm -f "$chosen"
      echo "$pid" >"$xvfb_pid_file"
      echo ":$n" >"$display_file"
      export DISPLAY=":$n"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  rm -f "$chosen"
  echo "wine-fixture: Xvfb did not start" >&2
  return 1
}

case "$action" in
  start)
    stop
    rm -f "$unavailable_file"
    # A kernel built or booted without 32-bit emulation runs no 32-bit Linux program, so no
    # 32-bit Wine: the tree's Windows programs cannot run on this machine at all. Its Wine
    # tests are then skipped, each saying why, rather than failed one by one.
    if ! why=$("$wine" --version 2>&1 </dev/null); then
      why=${why%%$'\n'*}
      echo "$wine cannot run here: ${why:-no reason given}" >"$unavailable_file"
      echo "wine-fixture: $(cat "$unavailable_file"); this tree's Wine tests are skipped"
      exit 0
    fi
    start_display || exit 1
    ready="$WINEPREFIX/.suite-ready-3"
    if [ ! -f "$ready" ]; then
      mkdir -p "$WINEPREFIX"
      $wine wineboot -i </dev/null >/dev/null 2>&1
      $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
      # There is no window manager on the virtual display: unmanaged windows spare every
      # hidden window Wine's two-second wait for a window manager that never answers.
      $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
      # Wine's own fonts (Marlett draws the caption buttons, Tahoma the dialogs), so that
      # screenshots look as on Windows instead of showing letters in the title bars.
      cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      $wineserver -w </dev/null >/dev/null 2>&1
      touch "$ready"
    fi
    # COM9 is a serial device whose reading never ends (as a terminal that keeps sending would
    # be): the tests that a device name is never read as a HEX file use it.
    ln -sfn /dev/zero "$WINEPREFIX/dosdevices/com9"
    # Wine's service processes keep a pipe open unless the server is warmed first.
    $wineserver -p </dev/null >/dev/null 2>&1
    $wine wineboot </dev/null >/dev/null 2>&1
    start_account
    echo "wine-fixture: prefix $WINEPREFIX, display $DISPLAY"
    if [ -f "$account_file" ]; then
      echo "wine-fixture: tests as an ordinary user run as $account"
    elif [ -f "$account_unavailable" ]; then
      echo "wine-fixture: $(cat "$account_unavailable"); the tests as an ordinary user are skipped"
    fi
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop BUILD_DIR" >&2
    exit 2
    ;;
esac
