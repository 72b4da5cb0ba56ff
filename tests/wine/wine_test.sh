#!/usr/bin/env bash
# Runs the COM server and its test host under Wine.
#   wine_test.sh prefix|registration|control|engine|soak|faults BITS PREFIX DLL WINTEST_EXE
#   wine_test.sh engine BITS PREFIX DLL ENGINE_TEST_EXE ENGINE_DLL
#   wine_test.sh package BITS PREFIX DLL WINTEST_EXE MSI MAKE_MSI_VERSION
#   wine_test.sh unit BITS PREFIX TEST_EXE
# prefix:       a fresh Wine prefix of that bitness (no crash dialogs)
# registration: regsvr32 into a directory with a blank, every registry key checked with
#               reg query, then unregistering twice, both successful, and the keys gone
# control:      registered, the test host drives the control (under Xvfb) with Wine's own
#               WebBrowser, unregistered
# soak, faults: registered, Wine's own WebBrowser, the program given (the soak's many
#               lifecycles, or the sweep failing each host call of a session once) under
#               Xvfb, unregistered
# engine:       registered, the scripted engine registered and put in the WebBrowser's place
#               (TreatAs), the engine test host drives the control through it (under Xvfb,
#               with the Chinese system code page 936 of the host terminal's systems); then
#               the TreatAs key, the engine and the control are unregistered
# package:      the Windows Installer package in a fresh prefix PREFIX, against a registration
#               of the same DLL at the same place with regsvr32 in a second fresh prefix
#               (PREFIX-regsvr32): every key equal, a repair restoring a lost file and key,
#               the test host run on the installed control, a second installation and one to
#               a bad folder refused without a change, uninstallation leaving no key and no
#               file, an upgrade from a lower version (built with MAKE_MSI_VERSION VERSION
#               OUTPUT) leaving one product, and the keys equal again in a folder without a
#               blank; for BITS 32 also the package on 64-bit Windows in a win64 prefix
#               (PREFIX-win64): the 32-bit folder and registry view, the 32-bit test host,
#               the removal
# unit:         one GoogleTest program of the portable core in the prefix, with the Chinese
#               system code page 936 of the host terminal's systems; its exit code is the result
set -uo pipefail

step=$1
bits=$2
export WINEPREFIX=$3
dll=$4
wintest=${5:-}
engine_dll=${6:-}
msi=${6:-}
make_msi_version=${7:-}
export WINEDEBUG=-all
# Enough cycles for damage that every cycle repeats; the memory bound is read from the
# unchecked 1000-cycle soak.
HEAP_CHECKED_SOAK_CYCLES=300
if [ "$bits" = 64 ]; then
  WINE=/usr/lib/wine/wine64
  export WINEARCH=win64
else
  WINE=/usr/lib/wine/wine
  export WINEARCH=win32
fi

# Wine's 32-bit loader is a 32-bit Linux program. On a machine that runs none (a kernel
# without 32-bit support and no emulator registered for them; ./run test registers one) the
# 32-bit tests are skipped, naming that cause; under CI they fail instead, since a skip
# there would pass a run that tested nothing. Any other reason Wine does not start is a
# failure.
if [ "$bits" = 32 ] && ! how=$("$(dirname "$0")/i386_exec_probe.sh"); then
  if [ -n "${CI:-}" ]; then
    echo "FAIL: 32-bit Wine cannot run here: $how"
    exit 1
  fi
  echo "SKIPPED: 32-bit Wine cannot run here: $how"
  exit 77
fi
if ! version=$("$WINE" --version 2>&1); then
  echo "FAIL: $WINE does not start: $version"
  exit 1
fi

CLSID='{475C7D5D-F8AE-4683-95C3-1B2A928CF510}'
LIBID='{CFC942F2-279E-4DCA-A7A7-F05B0410A5D5}'
IID='{676A2C83-232F-4DB3-BE95-72C70AA35550}'
PROGID='KvNewTavrixProj.KvNewTavrix'
INSTALL_DIR='C:\Program Files\Kv Tavrix'
INSTALLED="$INSTALL_DIR\\KvNewTavrixProj.dll"

WEBBROWSER='{8856F961-340A-11D0-A96B-00C04FD705A2}'
ENGINE='{89C6F275-DF3B-4616-91F4-DBC082EE1AD0}'
ENGINE_DIR='C:\kvt-test'
ENGINE_INSTALLED="$ENGINE_DIR\\KvtScriptedEngine.dll"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

wine_quiet() { "$WINE" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

install_dll() {
  local dir="$WINEPREFIX/drive_c/Program Files/Kv Tavrix"
  mkdir -p "$dir"
  cp "$dll" "$dir/KvNewTavrixProj.dll"
}

# The data of one REG_SZ value ("" for the default value), or nothing when absent.
reg_value() {
  local key=$1 name=$2 out
  if [ -z "$name" ]; then
    out=$(wine_quiet reg query "HKCR\\$key" /ve) || return 1
  else
    out=$(wine_quiet reg query "HKCR\\$key" /v "$name") || return 1
  fi
  printf '%s\n' "$out" | sed -n 's/^ *[^ ].*REG_SZ *//p' | head -n 1
  printf '%s\n' "$out" | grep -q 'REG_SZ' || return 1
}

expect_value() {
  local key=$1 name=$2 expected=$3 actual
  if ! actual=$(reg_value "$key" "$name"); then
    fail "HKCR\\$key ${name:-(default)} is missing"
    return
  fi
  echo "    HKCR\\$key  ${name:-(default)} = \"$actual\""
  if [ "$actual" = "$expected" ]; then ok "HKCR\\$key ${name:-(default)}"; else fail "HKCR\\$key ${name:-(default)}: expected \"$expected\""; fi
}

register() {
  install_dll
  wine_quiet regsvr32 /s "$INSTALLED" >/dev/null
}

unregister() {
  wine_quiet regsvr32 /s /u "$INSTALLED" >/dev/null
}

# The scripted engine's class, and the WebBrowser's class treated as it.
register_engine() {
  mkdir -p "$WINEPREFIX/drive_c/kvt-test"
  cp "$engine_dll" "$WINEPREFIX/drive_c/kvt-test/KvtScriptedEngine.dll"
  wine_quiet reg add "HKCR\\CLSID\\$ENGINE" /ve /d 'Scripted browser engine (tests)' /f >/dev/null &&
    wine_quiet reg add "HKCR\\CLSID\\$ENGINE\\InprocServer32" /ve /d "$ENGINE_INSTALLED" /f >/dev/null &&
    wine_quiet reg add "HKCR\\CLSID\\$ENGINE\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null &&
    wine_quiet reg add "HKCR\\CLSID\\$WEBBROWSER\\TreatAs" /ve /d "$ENGINE" /f >/dev/null
}

unregister_engine() {
  wine_quiet reg delete "HKCR\\CLSID\\$WEBBROWSER\\TreatAs" /f >/dev/null 2>&1
  wine_quiet reg delete "HKCR\\CLSID\\$ENGINE" /f >/dev/null 2>&1
  rm -rf "$WINEPREFIX/drive_c/kvt-test"
}

# Runs a test program under Xvfb, with any VAR=VALUE settings given after it; the
# WebBrowser control needs a display, and wineserver -w inside the session lets Wine finish.
run_on_display() {
  local program=$1
  shift
  env "$@" xvfb-run -a -s '-screen 0 1024x768x24' \
    sh -c '"$0" "$1"; rc=$?; wineserver -w; exit $rc' "$WINE" "$program" 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# Runs a test program with its arguments under Xvfb with Wine's heap checking: warn+heap
# makes ntdll validate heap parameters and keep tail and free patterns on every block,
# reporting damage as err:heap or warn:heap lines on stderr (Wine 8 reports a double free
# as "warn:heap:unsafe_block_from_ptr heap ..., block ...: delayed freed block", and the
# test hosts' HeapValidate an overrun as "err:heap:validate_used_block heap ..., block ...:
# invalid block tail"). Prints their number and the first few; fails on any, or when the
# program fails.
run_heap_checked() {
  local log count rc
  log=$(mktemp)
  WINEDEBUG=-all,err+heap,warn+heap xvfb-run -a -s '-screen 0 1024x768x24' \
    sh -c '"$0" "$@"; rc=$?; wineserver -w; exit $rc' "$WINE" "$@" 2>"$log" | tr -d '\r'
  rc=${PIPESTATUS[0]}
  count=$(grep -cE ':(err|warn):heap:' "$log")
  echo "heap warnings: $count"
  grep -E ':(err|warn):heap:' "$log" | head -n 5
  rm -f "$log"
  [ "$rc" -eq 0 ] && [ "$count" -eq 0 ]
}

# A new prefix at $WINEPREFIX that shows no crash dialogs.
fresh_prefix() {
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$WINE" wineboot --init >/dev/null 2>&1 || return 1
  wine_quiet reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
  wineserver -w
}

# Every key of the control, its ProgID, its type library and its interface in a prefix's
# machine hive (both registry views), one line per key and per value, sorted, without the
# hive's time stamps. Read from the hive file, which wineserver -w has written out.
control_keys() {
  awk -v pattern="${CLSID}|${LIBID}|${IID}|${PROGID}" '
    BEGIN { gsub(/[{}.]/, "\\\\&", pattern); pattern = toupper(pattern) }
    /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); keep = toupper(key) ~ pattern; if (keep) print key; next }
    keep && /^#time=/ { next }
    keep && NF { print key "\t" $0 }' "$1/system.reg" | LC_ALL=C sort
}

# The seconds from START (as date +%s.%N prints it) to now, to a tenth.
seconds_since() {
  awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'
}

# msiexec with its arguments; prints the installer's exit code (the whole of it: a Linux exit
# status keeps only 8 bits) and the seconds it took.
MSI_CODE=
MSI_SECONDS=
run_msiexec() {
  local start
  start=$(date +%s.%N)
  MSI_CODE=$(wine_quiet cmd /c "msiexec $* & echo exit=%ERRORLEVEL%" | sed -n 's/^exit=//p')
  MSI_SECONDS=$(seconds_since "$start")
  wineserver -w
}

# The installed products named KvNewTavrix, as "version" lines, from the uninstall keys.
installed_products() {
  awk '
    function flush() { if (in_product && named) print version }
    /^\[/ { flush(); in_product = $0 ~ /\\\\Uninstall\\\\\{/; named = 0; version = ""; next }
    in_product && /^"DisplayName"="KvNewTavrix"$/ { named = 1 }
    in_product && /^"DisplayVersion"=/ { version = $0; sub(/^"DisplayVersion"="/, "", version); sub(/"$/, "", version) }
    END { flush() }' "$WINEPREFIX/system.reg"
}

# The state an installation leaves: the keys, the remembered folder, the installed file and
# the products.
package_state() {
  control_keys "$WINEPREFIX"
  grep -i '^\[Software\\\\KvNewTavrix\]' "$WINEPREFIX/system.reg"
  [ -e "$WINEPREFIX/drive_c/Program Files/Kv Tavrix/KvNewTavrixProj.dll" ] && echo "file present"
  installed_products | sed 's/^/product /'
}

expect_code() {  # expect_code WANTED WHAT
  if [ "$MSI_CODE" = "$1" ]; then ok "$2 (exit $MSI_CODE)"; else fail "$2: exit ${MSI_CODE:-none}, wanted $1"; fi
}

package_test() {
  local reference="$WINEPREFIX-regsvr32" package_version lower before after reference_keys
  package_version=$(basename "$msi" | sed -n 's/^KvNewTavrix-\([0-9.]*\)-x[0-9]*\.msi$/\1/p')
  lower=0.9.0
  if [ -z "$package_version" ] || [ "$(printf '%s\n%s\n' "$lower" "$package_version" | sort -V | head -n 1)" != "$lower" ] ||
    [ "$lower" = "$package_version" ]; then
    lower=0.0.1
  fi
  # The reference: regsvr32 of the same DLL at the same place in a prefix of its own.
  WINEPREFIX=$reference fresh_prefix || { fail "wineboot (reference prefix)"; return; }
  if WINEPREFIX=$reference register; then ok "regsvr32 registers (reference prefix)"; else fail "regsvr32 registers (reference prefix)"; fi
  WINEPREFIX=$reference wineserver -w
  reference_keys=$(control_keys "$reference")

  fresh_prefix || { fail "wineboot"; return; }
  mkdir -p "$WINEPREFIX/drive_c/kvt-msi"
  cp "$msi" "$WINEPREFIX/drive_c/kvt-msi/KvNewTavrix.msi"
  "$make_msi_version" "$lower" "$WINEPREFIX/drive_c/kvt-msi/KvNewTavrix-lower.msi" >/dev/null ||
    fail "the package builds with version $lower"
  local package='C:\kvt-msi\KvNewTavrix.msi' lower_package='C:\kvt-msi\KvNewTavrix-lower.msi'

  run_msiexec /i "$package" /qn
  expect_code 0 "msiexec /i installs"
  echo "install: $MSI_SECONDS s"
  if [ -e "$WINEPREFIX/drive_c/Program Files/Kv Tavrix/KvNewTavrixProj.dll" ]; then ok "the DLL is in Program Files\\Kv Tavrix"; else fail "the DLL is in Program Files\\Kv Tavrix"; fi
  compare_keys "after installation"
  installed_keys=$(control_keys "$WINEPREFIX")
  if [ "$(installed_products)" = "$package_version" ]; then ok "one product installed, version $package_version"; else fail "one product installed, version $package_version (got: $(installed_products | tr '\n' ' '))"; fi

  # A repair puts back a lost file and a lost key.
  wine_quiet reg delete "HKCR\\CLSID\\$CLSID\\InprocServer32" /f >/dev/null
  rm -f "$WINEPREFIX/drive_c/Program Files/Kv Tavrix/KvNewTavrixProj.dll"
  wineserver -w
  run_msiexec /i "$package" /qn REINSTALL=ALL REINSTALLMODE=amus
  expect_code 0 "msiexec /i … REINSTALL=ALL REINSTALLMODE=amus repairs"
  compare_keys "after a repair"
  if [ -e "$WINEPREFIX/drive_c/Program Files/Kv Tavrix/KvNewTavrixProj.dll" ]; then ok "the repair puts the DLL back"; else fail "the repair puts the DLL back"; fi

  start=$(date +%s)
  run_on_display "$wintest" || fail "the test host reports failed checks against the installed control"
  echo "test host ran in $(( $(date +%s) - start )) s"

  before=$(package_state)
  run_msiexec /i "$package" /qn
  expect_code 1603 "a second installation of the same version is refused"
  after=$(package_state)
  if [ "$before" = "$after" ]; then ok "the refused installation changes nothing"; else fail "the refused installation changes nothing"; diff <(echo "$before") <(echo "$after"); fi

  run_msiexec /x "$package" /qn
  expect_code 0 "msiexec /x uninstalls"
  echo "uninstall: $MSI_SECONDS s"
  left=$(package_state)
  if [ -z "$left" ]; then ok "uninstallation leaves no key, no file and no product"; else fail "uninstallation leaves no key, no file and no product:"; echo "$left"; fi
  if [ -d "$WINEPREFIX/drive_c/Program Files/Kv Tavrix" ]; then fail "the folder Kv Tavrix is removed"; else ok "the folder Kv Tavrix is removed"; fi

  run_msiexec /i "$package" /qn 'INSTALLDIR=Q:\KvTavrix\'
  expect_code 1603 "an installation to a folder on a drive that does not exist fails"
  run_msiexec /i 'C:\kvt-msi\missing.msi' /qn
  if [ "$MSI_CODE" != 0 ]; then ok "installing a package that does not exist fails (exit $MSI_CODE)"; else fail "installing a package that does not exist fails"; fi
  left=$(package_state)
  if [ -z "$left" ] && [ ! -d "$WINEPREFIX/drive_c/Program Files/Kv Tavrix" ]; then ok "the failed installations change nothing"; else fail "the failed installations change nothing:"; echo "$left"; fi

  run_msiexec /i "$lower_package" /qn
  expect_code 0 "version $lower installs"
  run_msiexec /i "$package" /qn
  expect_code 0 "version $package_version installs over version $lower"
  echo "upgrade: $MSI_SECONDS s"
  if [ "$(installed_products)" = "$package_version" ]; then ok "the upgrade leaves one product, version $package_version"; else fail "the upgrade leaves one product, version $package_version (got: $(installed_products | tr '\n' ' '))"; fi
  compare_keys "after the upgrade"
  run_msiexec /i "$lower_package" /qn
  expect_code 1603 "version $lower does not install over version $package_version"

  run_msiexec /x "$package" /qn
  expect_code 0 "msiexec /x uninstalls the upgraded product"
  left=$(package_state)
  if [ -z "$left" ]; then ok "nothing is left after the upgraded product's removal"; else fail "nothing is left after the upgraded product's removal:"; echo "$left"; fi

  # A folder without a blank: the full path under InprocServer32 too, as regsvr32 writes it
  # there.
  WINEPREFIX=$reference unregister
  mkdir -p "$reference/drive_c/KvTavrix"
  cp "$dll" "$reference/drive_c/KvTavrix/KvNewTavrixProj.dll"
  WINEPREFIX=$reference wine_quiet regsvr32 /s 'C:\KvTavrix\KvNewTavrixProj.dll' >/dev/null ||
    fail "regsvr32 registers in C:\\KvTavrix (reference prefix)"
  WINEPREFIX=$reference wineserver -w
  reference_keys=$(control_keys "$reference")
  run_msiexec /i "$package" /qn 'INSTALLDIR=C:\KvTavrix\'
  expect_code 0 "msiexec /i installs into C:\\KvTavrix"
  compare_keys "in a folder without a blank"
  run_msiexec /x "$package" /qn
  expect_code 0 "msiexec /x uninstalls from C:\\KvTavrix"
  left=$(package_state)
  if [ -z "$left" ] && [ ! -e "$WINEPREFIX/drive_c/KvTavrix" ]; then ok "nothing is left in C:\\KvTavrix"; else fail "nothing is left in C:\\KvTavrix:"; echo "$left"; fi

  if [ "$bits" = 32 ]; then
    package_test_on_win64 "$installed_keys"
  fi
}

# The x86 package on 64-bit Windows: a win64 prefix (PREFIX-win64), the 64-bit msiexec as
# Windows runs it, the DLL under Program Files (x86), the keys in the 32-bit registry view
# (equal to the x86 package's in a 32-bit prefix) and none in the 64-bit view alone, the
# 32-bit test host creating the control by its ProgID, and a removal that leaves nothing.
package_test_on_win64() {
  local keys_win32=$1 start keys keys_shared keys_32bit keys_64bit short_win64 short_win32 normalised left
  local WINE=/usr/lib/wine/wine64
  local -x WINEARCH=win64 WINEPREFIX=$WINEPREFIX-win64
  local program_files_x86="$WINEPREFIX/drive_c/Program Files (x86)/Kv Tavrix"
  start=$(date +%s)
  fresh_prefix || { fail "wineboot of a win64 prefix"; return; }
  echo "win64 prefix ready in $(( $(date +%s) - start )) s"
  mkdir -p "$WINEPREFIX/drive_c/kvt-msi"
  cp "$msi" "$WINEPREFIX/drive_c/kvt-msi/KvNewTavrix.msi"

  run_msiexec /i 'C:\kvt-msi\KvNewTavrix.msi' /qn
  expect_code 0 "win64: the 64-bit msiexec installs the x86 package"
  echo "x86 on win64 install: $MSI_SECONDS s"
  if [ -e "$program_files_x86/KvNewTavrixProj.dll" ] && [ ! -e "$WINEPREFIX/drive_c/Program Files/Kv Tavrix" ]; then
    ok "win64: the DLL is in Program Files (x86)\\Kv Tavrix, nothing in Program Files"
  else
    fail "win64: the DLL is in Program Files (x86)\\Kv Tavrix, nothing in Program Files"
  fi
  keys=$(control_keys "$WINEPREFIX")
  # Wine shares HKCR\TypeLib between the two views (a library's 32-bit and 64-bit files are
  # told apart by its win32 and win64 keys); every other key of the control is redirected
  # into the 32-bit view (Wow6432Node).
  keys_shared=$(printf '%s\n' "$keys" | grep -vi 'Wow6432Node' | grep -i '^\[Software\\\\Classes\\\\TypeLib\\\\')
  keys_32bit=$(printf '%s\n' "$keys" | grep -i 'Wow6432Node'; printf '%s\n' "$keys_shared")
  keys_64bit=$(printf '%s\n' "$keys" | grep -vi 'Wow6432Node' | grep -vi '^\[Software\\\\Classes\\\\TypeLib\\\\' | grep .)
  # The 32-bit view's keys with the redirection node taken out of their paths, the folder of
  # 32-bit programs named as in a 32-bit system and the DLL's short path (Wine derives short
  # names of long ones from a hash) replaced by the 32-bit prefix's are that prefix's keys.
  short_win64=$(wine_quiet winepath -s 'C:\Program Files (x86)\Kv Tavrix\KvNewTavrixProj.dll' | head -n 1 | sed 's/\\/\\\\/g')
  # The test host below needs a wineserver started inside its display session.
  wineserver -w
  short_win32=$(printf '%s\n' "$keys_win32" | sed -n 's/^\[.*\\InprocServer32\]\t@="\(.*\)"$/\1/p')
  echo "    the DLL's short path as the hive stores it: $short_win64 (32-bit prefix: $short_win32)"
  normalised=$(printf '%s\n' "$keys_32bit" | grep . | sed -e 's/\\\\Wow6432Node//I' -e 's/Program Files (x86)/Program Files/g' |
    from=$short_win64 to=$short_win32 awk '{
      i = ENVIRON["from"] == "" ? 0 : index($0, ENVIRON["from"])
      if (i) $0 = substr($0, 1, i - 1) ENVIRON["to"] substr($0, i + length(ENVIRON["from"]))
      print }' | LC_ALL=C sort)
  if [ -n "$keys_32bit" ] && [ "$normalised" = "$keys_win32" ]; then
    echo "key comparison x86 on win64: $(printf '%s\n' "$normalised" | grep -c $'\t') values in $(printf '%s\n' "$normalised" | grep -vc $'\t') keys of the 32-bit view ($(printf '%s\n' "$keys_shared" | grep -vc $'\t') keys of the shared TypeLib), all equal to the x86 package's in a 32-bit prefix; $(printf '%s\n' "$keys_64bit" | grep -vc '^$') keys in the 64-bit view alone"
    ok "win64: every key of the control is in the 32-bit view, equal to a 32-bit system's"
  else
    echo "key comparison x86 on win64: differences (< 32-bit prefix, > win64 prefix's 32-bit view):"
    diff <(printf '%s\n' "$keys_win32") <(printf '%s\n' "$normalised")
    fail "win64: every key of the control is in the 32-bit view, equal to a 32-bit system's"
  fi
  if [ -z "$keys_64bit" ]; then
    ok "win64: no key of the control in the 64-bit view alone"
  else
    fail "win64: no key of the control in the 64-bit view alone:"
    printf '%s\n' "$keys_64bit"
  fi

  # The 32-bit test host, started by Wine's 32-bit loader as a 32-bit program on 64-bit
  # Windows is.
  start=$(date +%s)
  WINE=/usr/lib/wine/wine run_on_display "$wintest" ||
    fail "win64: the 32-bit test host reports failed checks against the installed control"
  echo "x86 on win64 test host ran in $(( $(date +%s) - start )) s"

  run_msiexec /x 'C:\kvt-msi\KvNewTavrix.msi' /qn
  expect_code 0 "win64: msiexec /x uninstalls the x86 package"
  echo "x86 on win64 uninstall: $MSI_SECONDS s"
  left=$(package_state; grep -i '^\[Software\\\\Wow6432Node\\\\KvNewTavrix\]' "$WINEPREFIX/system.reg")
  if [ -z "$left" ] && [ ! -e "$program_files_x86" ]; then
    ok "win64: uninstallation leaves no key in either view, no file and no product"
  else
    fail "win64: uninstallation leaves no key in either view, no file and no product:"
    echo "$left"
  fi
}

# The control's keys in the package's prefix against those of the reference prefix.
compare_keys() {
  local installed count
  installed=$(control_keys "$WINEPREFIX")
  count=$(printf '%s\n' "$reference_keys" | grep -c $'\t')
  if [ "$installed" = "$reference_keys" ]; then
    echo "key comparison $1: $count values in $(printf '%s\n' "$reference_keys" | grep -vc $'\t') keys, all equal to regsvr32's"
    ok "every key equals regsvr32's $1"
  else
    echo "key comparison $1: differences (< regsvr32, > package):"
    diff <(printf '%s\n' "$reference_keys") <(printf '%s\n' "$installed")
    fail "every key equals regsvr32's $1"
  fi
}

# Runs one GoogleTest program without a display (it opens no window), waits for Wine to
# finish, and answers the program's exit code.
run_unit_test() {
  local program=$1 start rc
  start=$(date +%s.%N)
  LC_ALL=zh_CN.UTF-8 "$WINE" "$program" 2>&1 | tr -d '\r'
  rc=${PIPESTATUS[0]}
  wineserver -w
  echo "$(basename "$program") ran in $(seconds_since "$start") s (${bits}-bit), exit code $rc"
  return "$rc"
}

case $step in
  unit)
    run_unit_test "$4"
    exit
    ;;
  prefix)
    start=$(date +%s)
    fresh_prefix || { echo "FAIL: wineboot"; exit 1; }
    echo "prefix ready in $(( $(date +%s) - start )) s"
    ;;
  package)
    package_test
    ;;
  registration)
    if register; then ok "regsvr32 registers"; else fail "regsvr32 registers"; fi
    echo "  keys seen:"
    expect_value "CLSID\\$CLSID" "" "KvNewTavrixProj Control"
    short=$(reg_value "CLSID\\$CLSID\\InprocServer32" "")
    echo "    HKCR\\CLSID\\$CLSID\\InprocServer32  (default) = \"$short\""
    case $short in
      *' '*|'') fail "InprocServer32 names the short path (got \"$short\")" ;;
      *'~'*) ok "InprocServer32 names the short path" ;;
      *) fail "InprocServer32 names the short path (got \"$short\")" ;;
    esac
    expect_value "CLSID\\$CLSID\\InprocServer32" ThreadingModel Apartment
    expect_value "$PROGID" "" "KvNewTavrixProj Control"
    expect_value "$PROGID\\Clsid" "" "$CLSID"
    expect_value "CLSID\\$CLSID\\ProgID" "" "$PROGID"
    expect_value "CLSID\\$CLSID\\Version" "" "1.0"
    expect_value "CLSID\\$CLSID\\TypeLib" "" "$LIBID"
    expect_value "CLSID\\$CLSID\\MiscStatus" "" "0"
    expect_value "CLSID\\$CLSID\\MiscStatus\\1" "" "205201"
    expect_value "CLSID\\$CLSID\\ToolboxBitmap32" "" "1,$INSTALLED"
    expect_value "CLSID\\$CLSID\\Control" "" ""
    expect_value "CLSID\\$CLSID\\Verb" "" ""
    expect_value "CLSID\\$CLSID\\Verb\\0" "" "Properties,0,2"
    expect_value "TypeLib\\$LIBID\\1.0" "" "KvNewTavrixProjProj Library"
    expect_value "TypeLib\\$LIBID\\1.0\\HELPDIR" "" "$INSTALL_DIR\\"
    if wine_quiet reg query "HKCR\\CLSID\\$CLSID\\Implemented Categories" >/dev/null; then
      fail "no component categories are registered"
    else
      ok "no component categories are registered"
    fi
    if unregister; then ok "first unregistration succeeds"; else fail "first unregistration succeeds"; fi
    if unregister; then ok "second unregistration succeeds"; else fail "second unregistration succeeds"; fi
    for key in "CLSID\\$CLSID" "$PROGID" "TypeLib\\$LIBID"; do
      if wine_quiet reg query "HKCR\\$key" >/dev/null; then fail "HKCR\\$key is gone"; else ok "HKCR\\$key is gone"; fi
    done
    wineserver -w
    ;;
  control)
    register || fail "regsvr32 registers"
    # Whatever an interrupted engine run left, this run uses Wine's own WebBrowser.
    unregister_engine
    if wine_quiet reg query "HKCR\\CLSID\\$WEBBROWSER\\TreatAs" >/dev/null 2>&1; then
      fail "the WebBrowser class is Wine's own (no TreatAs)"
    fi
    # A session started without a display (regsvr32) must end before the one with it.
    wineserver -w
    start=$(date +%s)
    run_on_display "$wintest" || fail "the test host reports failed checks"
    echo "test host ran in $(( $(date +%s) - start )) s"
    agent_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\User Agent\Post Platform'
    if wine_quiet reg query "$agent_key" /v 'KvNewTavrixWB/1.0' | grep -q REG_SZ; then
      ok "the browser's user-agent token is registered for the current user"
    else
      fail "the browser's user-agent token is registered for the current user"
    fi
    unregister || fail "unregistration"
    wineserver -w
    ;;
  soak|faults)
    register || fail "regsvr32 registers"
    unregister_engine
    wineserver -w
    if [ "$step" = soak ]; then
      # The memory bound is read without heap checking, whose patterns and delayed frees
      # grow the working set by themselves; the heap-checked soak bounds the handles only.
      start=$(date +%s)
      run_on_display "$wintest" || fail "the soak reports a failure"
      echo "soak ran in $(( $(date +%s) - start )) s"
      wineserver -w
      start=$(date +%s)
      run_heap_checked "$wintest" "$HEAP_CHECKED_SOAK_CYCLES" --heap-checked ||
        fail "the heap-checked soak reports a failure or heap damage"
      echo "heap-checked soak ran in $(( $(date +%s) - start )) s"
    else
      start=$(date +%s)
      run_heap_checked "$wintest" || fail "the sweep reports a failure or heap damage"
      echo "faults ran in $(( $(date +%s) - start )) s"
    fi
    unregister || fail "unregistration"
    wineserver -w
    ;;
  engine)
    register || fail "regsvr32 registers"
    if register_engine; then ok "the scripted engine stands in for the WebBrowser class"; else fail "the scripted engine stands in for the WebBrowser class"; fi
    wineserver -w
    start=$(date +%s)
    run_on_display "$wintest" LC_ALL=zh_CN.UTF-8 || fail "the engine test host reports failed checks"
    echo "engine test host ran in $(( $(date +%s) - start )) s"
    unregister_engine
    if wine_quiet reg query "HKCR\\CLSID\\$WEBBROWSER\\TreatAs" >/dev/null 2>&1; then
      fail "the TreatAs key is removed"
    else
      ok "the TreatAs key is removed"
    fi
    unregister || fail "unregistration"
    wineserver -w
    ;;
  *)
    echo "usage: wine_test.sh prefix|registration|control|engine|soak|faults BITS PREFIX DLL WINTEST_EXE" >&2
    echo "       wine_test.sh engine BITS PREFIX DLL ENGINE_TEST_EXE ENGINE_DLL" >&2
    echo "       wine_test.sh package BITS PREFIX DLL WINTEST_EXE MSI MAKE_MSI_VERSION" >&2
    echo "       wine_test.sh unit BITS PREFIX TEST_EXE" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ]
