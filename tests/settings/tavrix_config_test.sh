#!/usr/bin/env bash
# Checks the settings tool's output and exit codes: tavrix_config_test.sh <path to tavrix-config>
set -u
tool=$1
source "${BASH_SOURCE[0]%/*}/../shell_harness.sh"

db=$tmp/host.db
record() { printf '{"Name":"","Tag":0,"LastSeleID":"%s"}' "$1"; }

expect usage 2 '' 'usage' -- "$tool" get
expect unknown-command 2 '' 'usage' -- "$tool" put "$db" 1
expect get-missing-file 1 '' 'no database file' -- "$tool" get "$db"
expect set-missing-file 1 '' 'no database file' -- "$tool" set "$db" 1
expect_absent missing-file-stays-missing "$db"

: >"$tmp/empty.db"
expect get-without-table 1 '' 'no table GeneralConfig' -- "$tool" get "$tmp/empty.db"
expect set-without-host-table 1 '' 'no such table: netSYSTEM' -- "$tool" set "$tmp/empty.db" 1
echo 'plain text' >"$tmp/text.db"
expect not-a-database 1 '' 'not a database' -- "$tool" get "$tmp/text.db"

expect init 0 '' '' -- "$tool" init "$db"
expect get-before-first-set 1 '' 'no table GeneralConfig' -- "$tool" get "$db"
expect set 0 "$(record 3)" '' -- "$tool" set "$db" 3
expect get 0 "$(record 3)" '' -- "$tool" get "$db"
expect get-named 0 "$(record 3)" '' -- "$tool" get "$db" KvTavrix2009
expect get-trimmed 0 "$(record 3)" '' -- "$tool" get "$db" ' KvTavrix2009 '
expect get-other-id 1 '' "no settings stored under 'other'" -- "$tool" get "$db" other
expect set-again 0 "$(record 1+2)" '' -- "$tool" set "$db" '1 2'
expect set-quote 0 "$(record "x')%3B+drop+table+netSYSTEM%3B--")" '' -- \
  "$tool" set "$db" "x'); drop table netSYSTEM;--"
expect host-table-intact 0 "$(record 4)" '' -- "$tool" set "$db" 4
expect get-unwritable-output 1 '' 'cannot write' -- sh -c "'$tool' get '$db' >/dev/full"
expect set-unwritable-output 1 '' 'cannot write' -- sh -c "'$tool' set '$db' 5 >/dev/full"
expect get-quoted-id 1 '' 'no settings stored' -- "$tool" get "$db" "x' or '1'='1"

finish tavrix-config
