#!/usr/bin/env bash
# Runs the COM server and its test host under Wine.
#   wine_test.sh prefix|registration|control|engine|soak BITS PREFIX DLL WINTEST_EXE
#   wine_test.sh engine BITS PREFIX DLL ENGINE_TEST_EXE ENGINE_DLL
# prefix:       a fresh Wine prefix of that bitness (no crash dialogs)
# registration: regsvr32 into a directory with a blank, every registry key checked with
#               reg query, then unregistering twice, both successful, and the keys gone
# control:      registered, the test host drives the control (under Xvfb) with Wine's own
#               WebBrowser, unregistered
# engine:       registered, the scripted engine registered and put in the WebBrowser's place
#               (TreatAs), the engine test host drives the control through it (under Xvfb,
#               with the Chinese system code page 936 of the host terminal's systems); then
#               the TreatAs key, the engine and the control are unregistered
set -uo pipefail

step=$1
bits=$2
export WINEPREFIX=$3
dll=$4
wintest=$5
engine_dll=${6:-}
export WINEDEBUG=-all
if [ "$bits" = 64 ]; then
  WINE=/usr/lib/wine/wine64
  export WINEARCH=win64
else
  WINE=/usr/lib/wine/wine
  export WINEARCH=win32
fi

# Wine's 32-bit loader is a 32-bit Linux program: a kernel built without 32-bit support
# cannot start it. Such a machine skips the tests of that bitness, saying so, rather than
# failing them or passing them unrun.
if ! "$WINE" --version >/dev/null 2>&1; then
  echo "SKIPPED: $WINE does not start on this kernel ($(uname -r)), which runs no ${bits}-bit programs"
  exit 77
fi

CLSID='{475C7D5D-F8AE-4683-95C3-1B2A928CF510}'
LIBID='{CFC942F2-279E-4DCA-A7A7-F05B0410A5D5}'
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

case $step in
  prefix)
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    start=$(date +%s)
    "$WINE" wineboot --init >/dev/null 2>&1 || { echo "FAIL: wineboot"; exit 1; }
    wine_quiet reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
    wineserver -w
    echo "prefix ready in $(( $(date +%s) - start )) s"
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
  soak)
    register || fail "regsvr32 registers"
    unregister_engine
    wineserver -w
    start=$(date +%s)
    run_on_display "$wintest" || fail "the soak reports a failure"
    echo "soak ran in $(( $(date +%s) - start )) s"
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
    echo "usage: wine_test.sh prefix|registration|control|engine|soak BITS PREFIX DLL WINTEST_EXE" >&2
    echo "       wine_test.sh engine BITS PREFIX DLL ENGINE_TEST_EXE ENGINE_DLL" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ]
