#!/usr/bin/env bash
# Counts the lines of the suite's own C, C++ and resource sources (.cpp .h .c .H .rc .rh) at a
# commit, or in the working tree when none is given, apart from the tests: tests/ and the test
# doubles beside their ports (Fake*, Fakes.*, ScriptedUi, RecordedPause, MemoryRegistry).
# Usage: count-lines.sh [commit]
set -euo pipefail
cd "$(dirname "$0")/.."
sources='\.(cpp|h|c|H|rc|rh)$'
doubles='(^tests/|Fake|/Fakes\.|ScriptedUi|RecordedPause|MemoryRegistry)'
if [ $# -eq 0 ]; then
  git ls-files -co --exclude-standard | grep -E "$sources" | grep -vE "$doubles" |
    xargs cat | wc -l
else
  git ls-tree -r --name-only "$1" | grep -E "$sources" | grep -vE "$doubles" |
    while read -r f; do git show "$1:$f"; done | wc -l
fi
