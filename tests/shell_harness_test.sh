#!/usr/bin/env bash
# Checks the tool tests' harness: the exit status says whether every case passed, and the
# scratch folder goes away.
set -u
harness="${BASH_SOURCE[0]%/*}/shell_harness.sh"
source "$harness"

# A test of its own with <count> failing cases; its output is dropped.
probe() {  # probe <count>
  bash -c 'set -u; source "$1"
           for ((i = 0; i < $2; i++)); do expect case 0 "" "" -- false; done
           finish probe' _ "$harness" "$1" >/dev/null
}

expect all-passed 0 '' '' -- probe 0
expect one-failed 1 '' '' -- probe 1
expect count-beyond-the-status-range 1 '' '' -- probe 256
expect_absent scratch-folder-removed "$(bash -c 'source "$1"; echo "$tmp"' _ "$harness")"

finish shell-harness
