#!/usr/bin/env bash
# Times one download of a 64 KB application over the serial line at 19200 baud: the library's
# end over a pseudo-terminal to `simdev serve`, which holds every byte back 10 bit times, and
# compares the time with what the bytes on the wire need at that speed. BUILD_DIR names the
# native optimised build it uses (build/host-release, built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/line-server.sh
# A 32-byte tag record first, then the application up to the top of the 64 KB space, written
# by a generic tool rather than by the suite.
app=$state/APP.HEX
srec_cat -generate 0x0000 0x0020 -constant 0x00 -generate 0x0020 0x10000 \
  -repeat-string "BENCH APP " -o "$app" -intel --address-length=2 --obs=32
data=0
while read -r first _ last; do
  data=$((data + 0x$last - 0x$first + 1))
done < <(srec_info "$app" -intel | grep -oE '[0-9A-F]{4,8} - [0-9A-F]{4,8}')
"$build/bin/simdev" attach COM3 8343 dual >/dev/null
serve_line COM3

status=0
result=$("$build/bin/linesoak" dload --state "$state" --tty "$tty" --file "$app") || status=$?
stop_server
echo "$result"
[[ $status -eq 0 ]] || { echo "bench-line: the download failed" >&2; exit "$status"; }
"$build/bin/simdev" show COM3 | grep -i 'image' || true

ms=${result#*ms=}
ms=${ms%% *}
read -r received sent < <(awk '$1 == "COM3" && $2 == "received" { print $3, $6 }' "$state/serve.out")
awk -v ms="$ms" -v rx="$received" -v tx="$sent" -v data="$data" 'BEGIN {
  wire = rx + tx; limit = wire * 10 / 19200; dlimit = data * 10 / 19200; t = ms / 1000
  printf "  %-34s %10.3f s\n", "measured (open, download, close)", t
  printf "  %-34s %10d bytes (received %d, sent %d)\n", "on the wire", wire, rx, tx
  printf "  %-34s %10.3f s   ratio measured/limit %.3f\n", "limit of the wire bytes at 19200", limit, t / limit
  printf "  %-34s %10d bytes\n", "image data", data
  printf "  %-34s %10.3f s   ratio measured/limit %.3f\n", "limit of the data bytes at 19200", dlimit, t / dlimit
}'
