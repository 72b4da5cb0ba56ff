# Shared by the command-line tool tests; source it after `set -u`. Gives a scratch folder
# $tmp (removed on exit), the checks below, and `finish`, which ends the test.

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {  # fail <message>
  echo "FAIL $1"
  failures=$((failures + 1))
}

expect() {  # expect <name> <wanted exit> <wanted stdout> <wanted stderr substring> -- command...
  local name=$1 want_rc=$2 want_out=$3 want_err=$4
  shift 5
  local out err rc
  out=$("$@" 2>"$tmp/err")
  rc=$?
  err=$(cat "$tmp/err")
  if [ "$rc" != "$want_rc" ] || [ "$out" != "$want_out" ] || [[ "$err" != *"$want_err"* ]]; then
    fail "$name: rc=$rc out=[$out] err=[$err]; wanted rc=$want_rc out=[$want_out] err~[$want_err]"
  fi
}

expect_absent() {  # expect_absent <name> <file>
  if [ -e "$2" ]; then
    fail "$1: $2 was created"
  fi
}

finish() {  # finish <tool name>; exits 0 only when every case passed
  if [ "$failures" -eq 0 ]; then
    echo "$1: all cases passed"
    exit 0
  fi
  echo "$1: $failures failed"
  # Not the count itself: an exit status keeps only its low eight bits.
  exit 1
}
