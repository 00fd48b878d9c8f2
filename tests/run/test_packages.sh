#!/usr/bin/env bash
# The package install that ./run and tools/wine32/setup.sh share, against
# stand-ins for apt-get and dpkg-query first on the PATH: no network, nothing
# installed. Each case says how the stand-ins answer, then checks the calls
# made, the status and the words said.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
library=$here/../../tools/packages.sh
release=$( (. /etc/os-release && printf '%s' "${VERSION_CODENAME:-}") || true)
if [ -z "$release" ]; then
    echo "this machine's /etc/os-release names no release codename" >&2
    exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
# apt-get: logs its call; update answers $UPDATE_RC, an install with -t
# answers $RELEASE_RC, any other install $INSTALL_RC.
cat >"$scratch/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$CALLS"
case " $* " in
    *" update "*) exit "$UPDATE_RC" ;;
    *" -t "*) exit "$RELEASE_RC" ;;
    *) [ "$INSTALL_RC" -eq 0 ] || echo "E: Unable to correct problems, you have held broken packages." >&2
       exit "$INSTALL_RC" ;;
esac
EOF
# dpkg-query: the packages in $INSTALLED are installed.
cat >"$scratch/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
pkg=${!#}
case " $INSTALLED " in *" $pkg "*) printf 'install ok installed' ;; *) exit 1 ;; esac
EOF
chmod +x "$scratch/bin/"*

failures=0
fail() {
    echo "FAIL [$1]: $2" >&2
    failures=$((failures + 1))
}

# case NAME UPDATE_RC INSTALL_RC RELEASE_RC INSTALLED EXPECTED_STATUS EXPECTED_CALLS EXPECTED_WORDS...
# EXPECTED_CALLS: the install calls, one per line, with "T" for "-t $release".
run_case() {
    local name=$1 update=$2 install=$3 again=$4 installed=$5 status=$6 calls=$7
    shift 7
    : >"$scratch/calls"
    local said got
    said=$(
        PATH="$scratch/bin:$PATH" CALLS="$scratch/calls" UPDATE_RC=$update INSTALL_RC=$install \
            RELEASE_RC=$again INSTALLED=$installed bash -c '
            set -euo pipefail
            . "$1"
            as_root() { "$@"; }
            ensure_packages --no-install-recommends wine gcc wine32:i386' _ "$library" 2>&1
    )
    got=$?
    [ "$got" -eq "$status" ] || fail "$name" "status $got, not $status; said: $said"
    local expected=${calls//T/-t $release}
    local made
    made=$(sed -e 's/-y -qq //' "$scratch/calls")
    [ "$made" = "$expected" ] || fail "$name" "calls:
$made
not:
$expected"
    local words
    for words in "$@"; do
        [[ $said == *"$words"* ]] || fail "$name" "did not say \"$words\"; said: $said"
    done
    [[ $status -eq 0 || $said == *"==> cannot install"* ]] ||
        fail "$name" "apt's own words stand alone: $said"
}

run_case "all there" 0 0 0 "wine gcc wine32:i386" 0 ""
run_case "installs only what is missing" 0 0 0 "gcc" 0 \
    "apt-get update -qq
apt-get install --no-install-recommends wine wine32:i386" "installing wine wine32:i386"
run_case "half-updated mirror, the release's suite works" 1 100 0 "" 0 \
    "apt-get update -qq
apt-get install --no-install-recommends wine gcc wine32:i386
apt-get install --no-install-recommends T wine gcc wine32:i386" \
    "apt-get update reported errors" "preferring the release's own suite ($release)"
run_case "half-updated mirror, nothing works" 1 100 100 "" 1 \
    "apt-get update -qq
apt-get install --no-install-recommends wine gcc wine32:i386
apt-get install --no-install-recommends T wine gcc wine32:i386" \
    "cannot install wine gcc wine32:i386: the package lists are incomplete" \
    "Try later, by hand: apt-get update && apt-get install -t $release wine gcc wine32:i386"
run_case "whole lists, the install fails: no second try" 0 100 0 "" 1 \
    "apt-get update -qq
apt-get install --no-install-recommends wine gcc wine32:i386" \
    "cannot install wine gcc wine32:i386 (apt-get's errors above)" \
    "Try by hand: apt-get update && apt-get install wine gcc wine32:i386"

# A user who is not root, on a machine without sudo: the words say so, and
# nothing is tried, nor any mirror blamed. Only the stand-ins, bash and grep are
# on the PATH, so that the machine's own sudo, if any, is not found.
mkdir "$scratch/user"
cp "$scratch/bin/apt-get" "$scratch/bin/dpkg-query" "$scratch/user/"
ln -s "$(command -v grep)" "$scratch/user/grep"
ln -s "$BASH" "$scratch/user/bash"
printf '#!%s\nif [ "$1" = -un ]; then echo eleve; else echo 1000; fi\n' "$BASH" >"$scratch/user/id"
chmod +x "$scratch/user/id"
: >"$scratch/calls"
said=$(PATH="$scratch/user" CALLS="$scratch/calls" UPDATE_RC=0 INSTALL_RC=0 RELEASE_RC=0 \
    INSTALLED="gcc" "$BASH" -c '. "$1"; ensure_packages wine gcc' _ "$library" 2>&1)
status=$?
[ "$status" -eq 1 ] || fail "no root, no sudo" "status $status, not 1; said: $said"
[ ! -s "$scratch/calls" ] || fail "no root, no sudo" "apt-get was called: $(cat "$scratch/calls")"
[[ $said == *"cannot install wine: installing packages needs root, and eleve is not root and has no sudo. As root, run: apt-get update && apt-get install wine"* ]] ||
    fail "no root, no sudo" "said: $said"
[[ $said != *mirror* && $said != *"sudo: command not found"* ]] ||
    fail "no root, no sudo" "blamed the mirror or ran sudo: $said"

if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "package install: 6 cases passed"
