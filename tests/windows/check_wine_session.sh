#!/bin/bash
# A Windows program's output ends when the program does, even when it
# started Wine's session (the server, its services and its desktop) and
# another program keeps that session alive: a test that reads a program's
# output never waits for the last program of the session.
# Usage: check_wine_session.sh RUNNER BUILD_PREFIX WORK_FOLDER
set -eu
run=$1 build_prefix=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
# A prefix of its own, where no session runs yet.
export RTC_WINE_PREFIX="$work/prefix"
sh "$(dirname "$0")/../../tools/wine32/copy_prefix.sh" "$build_prefix" "$RTC_WINE_PREFIX"
cleanup() {
    WINEPREFIX="$RTC_WINE_PREFIX" wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }
mkfifo "$work/a_in" "$work/a_out" "$work/b_in" "$work/b_out"
# Each program waits for a line on its standard input; read-write, so that
# opening it never blocks.
exec 3<>"$work/a_in" 4<>"$work/b_in"
line() { local text; IFS= read -r text <&"$1" || return 1; printf '%s' "${text%$'\r'}"; }

# The session's first program, then a second one while it runs. The first
# one also opens the desktop, as a program of the tests with a message box
# or a window does: Wine then starts its desktop's process too.
"$run" cmd /c "echo pret-A& set /p x=& rundll32 user32.dll,GetDesktopWindow& echo fin-A" \
    <&3 >"$work/a_out" 2>&1 &
exec 5<"$work/a_out"
[ "$(line 5)" = pret-A ] || fail "the first program did not start"
"$run" cmd /c "echo pret-B& set /p y=" <&4 >"$work/b_out" 2>&1 &
b=$!
exec 6<"$work/b_out"
[ "$(line 6)" = pret-B ] || fail "the second program did not start"

# The first one ends; its output ends with it, the second still running.
echo go >&3
[ "$(line 5)" = fin-A ] || fail "the first program did not end as asked"
if ! timeout 120 sh -c 'cat >/dev/null' <&5; then
    fail "the first program's output stays open while another program runs in its session"
fi
kill -0 "$b" 2>/dev/null || fail "the second program ended before its line"
echo "ok: a program's output ends with it while its session lives on"
echo go >&4
wait "$b"
