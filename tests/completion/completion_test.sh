#!/usr/bin/env bash
# The bash completions offer what the programs themselves list: quelbctl's
# commands and each command's options as its help gives them, symsim's
# commands as its usage gives them. A command or option added to a program
# but not to its completion fails here.
#
# Usage: completion_test.sh SOURCE_DIR QUELBCTL SYMSIM
set -uo pipefail
source_dir=$1 quelbctl=$2 symsim=$3
failed=0 passed=0

# The words the completion offers at the end of the command line "$@".
offered() {
  local program=$1
  # shellcheck source=/dev/null
  source "$source_dir/data/completion/$program"
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "_$program"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort -u
}

expect() {
  local what=$1 expected=$2 actual=$3
  if [ "$expected" = "$actual" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/  /'
  fi
}

commands=$("$quelbctl" --help | sed -n '/^commands:/,/^$/s/^  \([a-z]\+\) .*/\1/p')
expect "quelbctl commands" "$(printf '%s\nhelp\n' "$commands" | LC_ALL=C sort -u)" \
  "$(offered quelbctl '')"
for command in $commands; do
  options=$("$quelbctl" help "$command" | head -n 1 | sed 's/^usage: quelbctl \[OPTIONS\]//' |
    grep -o -- '--[a-z-]*')
  expect "quelbctl $command options" \
    "$(printf '%s\n--help\n' "$options" | grep -v '^$' | LC_ALL=C sort -u)" \
    "$(offered quelbctl "$command" -)"
done
expect "quelbctl after --lib FILE" "$(offered quelbctl --lib x n)" "nodes"

expect "symsim commands" \
  "$("$symsim" --help 2>&1 | sed -n 's/^  \([a-z]\+\) .*/\1/p' | LC_ALL=C sort -u)" \
  "$(offered symsim '' | grep -v '^-')"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
