#!/usr/bin/env bash
# Reads the export table of norvel.dll and compares it with the operation
# table of quelb/quelb_pgn.h: exactly the 70 "norvel_fi_pgn_<op>" entry
# points, nothing missing and nothing else.
#
#   check_exports.sh OBJDUMP C_COMPILER INCLUDE_DIR DLL
set -euo pipefail
objdump=$1 cc=$2 include=$3 dll=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '#include <quelb/quelb_pgn.h>\n#define NAME(op) norvel_fi_pgn_##op\nQLB_PGN_OPERATIONS(NAME)\n' |
  "$cc" -E -P -I "$include" -x c - | tr ' ' '\n' | grep -E '^norvel_fi_pgn_' | sort >"$work/expected"
# The name pointer table: lines "[ n] name" after its header.
"$objdump" -p "$dll" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort >"$work/exported"

expected=$(wc -l <"$work/expected")
[ "$expected" -eq 70 ] || { echo "the operation table lists $expected operations, not 70"; exit 1; }
if ! diff -u "$work/expected" "$work/exported" >"$work/diff"; then
  echo "the exports of $dll differ from the 70 entry points (- missing, + extra):"
  sed -n '4,$p' "$work/diff" | grep -E '^[-+]'
  exit 1
fi
echo "$dll exports exactly the $expected entry points"
