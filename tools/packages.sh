# Debian packages for the project's commands, installed only when missing.
# Sourced by ./run and tools/wine32/setup.sh, so that every install takes the
# same path. Messages go to stderr: the callers keep stdout for their results.
#
# A mirror is often half updated: one suite or architecture refreshed before
# another. apt-get update then reports errors, and with the security suite's
# i386 list missing, apt offers a library for amd64 at its security version
# and for i386 only at the release's, which multiarch cannot mix: apt says
# "held broken packages". The release's own suite alone is consistent, so the
# install is tried once more preferring it.

say() { printf '==> %s\n' "$*" >&2; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# Whether this user can install packages: as root, or through sudo.
may_install() { [ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null 2>&1; }

# The codename of the release this machine runs (bookworm...), empty if unknown.
release_codename() {
    (
        # shellcheck disable=SC1091
        . /etc/os-release 2>/dev/null && printf '%s' "${VERSION_CODENAME:-}"
    ) || true
}

apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

# ensure_packages [--apt-option...] package...
ensure_packages() {
    local options=() missing=() pkg
    while [[ ${1:-} == --* ]]; do
        options+=("$1")
        shift
    done
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! may_install; then
        say "cannot install ${missing[*]}: installing packages needs root, and $(id -un) is not root and has no sudo. As root, run: apt-get update && apt-get install ${missing[*]}"
        return 1
    fi
    say "installing ${missing[*]}"
    local lists_whole=1
    if ! as_root apt-get update -qq; then
        lists_whole=0
        say "apt-get update reported errors; trying the install anyway"
    fi
    apt_install "${options[@]}" "${missing[@]}" && return 0
    local release retry="apt-get update && apt-get install ${missing[*]}"
    release=$(release_codename)
    if [ $lists_whole -eq 0 ] && [ -n "$release" ]; then
        say "the install failed on incomplete package lists; trying again, preferring the release's own suite ($release)"
        apt_install "${options[@]}" -t "$release" "${missing[@]}" && return 0
        retry="apt-get update && apt-get install -t $release ${missing[*]}"
    fi
    if [ $lists_whole -eq 0 ]; then
        say "cannot install ${missing[*]}: the package lists are incomplete (apt-get update reported errors; the mirror may be half updated). Try later, by hand: $retry"
    else
        say "cannot install ${missing[*]} (apt-get's errors above). Try by hand: $retry"
    fi
    return 1
}
