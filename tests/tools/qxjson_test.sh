#!/usr/bin/env bash
# Checks the JSON filter's output and exit codes: qxjson_test.sh <path to qxjson>
set -u
qxjson=$1
source "${BASH_SOURCE[0]%/*}/../shell_harness.sh"

printf '%s' '{ "Name" : "", "Tag" : 0, "LastSeleID" : "0" }' >"$tmp/settings.json"
expect settings-file 0 '{"Name":"","Tag":0,"LastSeleID":"0"}' '' -- "$qxjson" "$tmp/settings.json"
expect stdin 0 '[1,2,1500]' '' -- sh -c "printf '[1 2, 1.5e3,]' | '$qxjson'"
expect dash-is-stdin 0 'true' '' -- sh -c "printf 'true' | '$qxjson' -"
expect not-json 1 '' 'not JSON' -- sh -c "printf '[1,,2]' | '$qxjson'"
expect empty 1 '' 'not JSON' -- sh -c "'$qxjson' </dev/null"
expect missing-file 2 '' 'cannot read' -- "$qxjson" "$tmp/absent.json"
expect directory 2 '' 'cannot read' -- "$qxjson" "$tmp"
expect usage 2 '' 'usage' -- "$qxjson" a b
expect unwritable-output 2 '' 'cannot write' -- sh -c "'$qxjson' '$tmp/settings.json' >/dev/full"

finish qxjson
