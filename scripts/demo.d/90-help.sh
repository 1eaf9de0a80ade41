#!/usr/bin/env bash
# Help files: what each maps, and one topic opened at its context number in Wine's viewer.
set -euo pipefail
run() { "$SUITE_ROOT/cmake/wine-run.sh" "$SUITE_WIN" "$@"; }

for name in FIOSETUP WNT43SUP WNTDLD42; do
  file="$SUITE_BIN/$name.HLP"
  echo "$name.HLP, $(stat -c %s "$file") bytes, built beside the programs:"
  "$SUITE_ROOT/build/host/bin/hlpdump" "$file" --titles | sed 's/^/  /'
done

# The viewer finds "wnt43sup.hlp" in its working directory, as it will for the programs.
# Its output goes to a file: the viewer stays running for a moment and would hold a pipe.
echo "Wine's help viewer opened at WNT43SUP.HLP context 40, as the HELP button of"
echo "\"Load Device Serial Number\" asks for it (WinHelpA from tests/help/helpcall):"
out=$(mktemp)
cd "$SUITE_BIN"
run "$SUITE_BIN/helpcall.exe" wnt43sup.hlp 40 --shot "Z:$SUITE_DOCS/help-wnt43sup-ldsn.png" >"$out"
run "$SUITE_BIN/helpcall.exe" wnt43sup.hlp quit >/dev/null
tr -d '\r' <"$out" | sed 's/^Z:/  picture /'
rm -f "$out"
