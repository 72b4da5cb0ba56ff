#!/usr/bin/env bash
# Checks the JSON filter's output and exit codes: qxjson_test.sh <path to qxjson>
set -u
qxjson=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

expect() {  # expect <name> <wanted exit> <wanted stdout> <wanted stderr substring> -- command...
  local name=$1 want_rc=$2 want_out=$3 want_err=$4
  shift 5
  local out err rc
  out=$("$@" 2>"$tmp/err")
  rc=$?
  err=$(cat "$tmp/err")
  if [ "$rc" != "$want_rc" ] || [ "$out" != "$want_out" ] || [[ "$err" != *"$want_err"* ]]; then
    echo "FAIL $name: rc=$rc out=[$out] err=[$err]; wanted rc=$want_rc out=[$want_out] err~[$want_err]"
    failures=$((failures + 1))
  fi
}

printf '%s' '{ "Name" : "", "Tag" : 0, "LastSeleID" : "0" }' >"$tmp/settings.json"
expect settings-file 0 '{"Name":"","Tag":0,"LastSeleID":"0"}' '' -- "$qxjson" "$tmp/settings.json"
expect stdin 0 '[1,2,1500]' '' -- sh -c "printf '[1 2, 1.5e3,]' | '$qxjson'"
expect dash-is-stdin 0 'true' '' -- sh -c "printf 'true' | '$qxjson' -"
expect not-json 1 '' 'not JSON' -- sh -c "printf '[1,,2]' | '$qxjson'"
expect empty 1 '' 'not JSON' -- sh -c "'$qxjson' </dev/null"
expect missing-file 2 '' 'cannot read' -- "$qxjson" "$tmp/absent.json"
expect directory 2 '' 'cannot read' -- "$qxjson" "$tmp"
expect usage 2 '' 'usage' -- "$qxjson" a b

[ "$failures" -eq 0 ] && echo "qxjson: all cases passed"
exit "$failures"
