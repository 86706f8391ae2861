#!/usr/bin/env bash
# Usage: check-exports.sh <shared library> <expected symbols file>
# Compares the library's defined dynamic symbols (demangled, without the
# linker's own markers) with the expected list.
set -euo pipefail
actual=$(nm -D --defined-only "$1" | awk '{print $3}' | grep -v -E '^(_edata|_end|__bss_start|_init|_fini)$' |
         c++filt | sort)
expected=$(grep -v '^#' "$2" | sed '/^$/d' | sort)
if [[ "$actual" != "$expected" ]]; then
  echo "exported symbols differ (< actual, > expected):"
  diff <(echo "$actual") <(echo "$expected") || true
  exit 1
fi
echo "exports ok: $(echo "$actual" | wc -l) symbols"
