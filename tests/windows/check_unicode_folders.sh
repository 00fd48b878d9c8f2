#!/usr/bin/env bash
# The package unpacked where French, Polish, Czech and Chinese users keep
# their courses, under 32-bit Wine: every path the programs take or show is
# the one the user sees, and nothing is made under another name. Then the
# command files opened from another folder, and alone, out of the ZIP.
# Usage: check_unicode_folders.sh ZIP WINE_RUN WINE_PREFIX PART
# PART 1 takes the first name, and a command file run from another folder;
# PART 2 the second, iowvirt.txt beside the library, a library that cannot
# be loaded and the command files alone. Each part runs in a prefix of its
# own, linked file by file to the build's, so that the two and the other
# tests run side by side without seeing each other's folders.
set -euo pipefail
zip=$1 wine_run=$2 build_prefix=$3 part=$4
# Wine maps file names through the Unix locale: UTF-8 keeps every letter.
export LC_ALL=C.UTF-8
top=$(basename "$zip" .zip)
prefix=$build_prefix-unicode-$part
sh "$(dirname "$0")/../../tools/wine32/copy_prefix.sh" "$build_prefix" "$prefix"
export RTC_WINE_PREFIX=$prefix
users=$prefix/drive_c/users
failures=0
fail() { printf 'FAILED: %s\n' "$*"; failures=$((failures + 1)); }
ok() { printf 'ok: %s\n' "$*"; }
# One name the ANSI code page can spell, one that no code page holds whole:
# Polish, Czech, Chinese and Vietnamese letters together.
names=("Élodie Bérénice" "学生 Łukasz Dvořák Ngô")
name_of_part=${names[$((part - 1))]}

cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
before=$(ls "$users" | sort)

# run FOLDER PROGRAM ARGUMENTS...: in FOLDER, the alerts on the console, the
# host's clock simulated and the virtual clock moving a second per read.
run() {
    local folder=$1
    shift
    (cd "$folder" && IOWVIRT=${IOWVIRT:-tick} RTC_HOST_CLOCK=simulated "$wine_run" "$@" </dev/null 2>&1 |
        tr -d '\r') || true
}

for name in "$name_of_part"; do
    cours=$users/$name/Cours
    mkdir -p "$cours"
    (cd "$cours" && unzip -q "$zip")
    dir=$cours/$top
    win="C:\\users\\$name\\Cours"
    windir="$win\\$top"
    export IOWVIRT_STATE="$win\\horloge ł.bin"

    out=$(run "$dir" cmd /c "Essayer sans materiel.cmd")
    rows=$(grep -cE '^   [2-6]  lecture +[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+$' <<<"$out" || true)
    [ "$rows" -eq 5 ] && ok "$name: the demo's command file shows its 5 reads" ||
        fail "$name: the demo's command file printed"$'\n'"$out"
    [ -f "$cours/horloge ł.bin" ] && ok "$name: IOWVIRT_STATE made exactly \"horloge ł.bin\"" ||
        fail "$name: no \"horloge ł.bin\" in $cours: $(ls "$cours")"

    # Each name once: the block's path in --version, a missing script.
    if [ "$name" = "${names[0]}" ]; then
        out=$(run "$dir" rtc_host.exe --version)
        grep -qxF "bloc : $windir\\rtc_iow24.dll" <<<"$out" &&
            ok "$name: --version names the block's path exactly" ||
            fail "$name: --version printed"$'\n'"$out"
    fi

    out=$(run "$dir" rtc_host.exe --set now --check --console-alerts)
    grep -qF "OK       Bibliothèque de l'IOW24 : $windir\\virtuel\\iowkit.dll : " <<<"$out" &&
        ok "$name: the check names the virtual library's path exactly" ||
        fail "$name: the check printed"$'\n'"$out"

    printf 'init;RD;sec;min;heu;dat;moi;ann\r\n5;0;45;30;13;8;3;2011\r\n0;5;0;0;0;0;0;0\r\n' \
        >"$cours/séance ł.csv"
    out=$(IOWVIRT=frozen run "$dir" rtc_host.exe --script "$win\\séance ł.csv" --period-ms 0)
    grep -qxF "2;45;30;13;8;3;11" <<<"$out" && ok "$name: a script of that folder runs" ||
        fail "$name: the script run printed"$'\n'"$out"

    [ "$name" = "${names[0]}" ] && continue
    out=$(run "$dir" rtc_host.exe --script "$win\\absent ł.csv")
    grep -qxF "Erreur : impossible de lire le script $win\\absent ł.csv : fichier introuvable" \
        <<<"$out" && ok "$name: a missing script is named exactly" ||
        fail "$name: a missing script gave"$'\n'"$out"
done

after=$(ls "$users" | sort)
expected=$( (printf '%s\n' "$before"; printf '%s\n' "$name_of_part") | sort)
[ "$after" = "$expected" ] && ok "no folder under C:\\users but the one asked for" ||
    fail "C:\\users holds"$'\n'"$after"

if [ "$part" = 1 ]; then
    # A command file run from another current folder, as from a share.
    out=$(IOWVIRT_STATE="C:\\users\\${names[0]}\\Cours\\ailleurs.bin" run "$users" cmd /c \
        "C:\\users\\${names[0]}\\Cours\\$top\\Essayer sans materiel.cmd")
    rows=$(grep -cE '^   [2-6]  lecture ' <<<"$out" || true)
    [ "$rows" -eq 5 ] && ok "the demo's command file runs from another current folder" ||
        fail "the demo's command file from another folder printed"$'\n'"$out"
    [ "$failures" -eq 0 ]
    exit
fi

# The virtual IOW24 finds iowvirt.txt beside itself, and a library that
# cannot be loaded is named exactly.
dir=$users/${names[1]}/Cours/$top
win="C:\\users\\${names[1]}\\Cours"
printf 'no-chip\r\n' >"$dir/virtuel/iowvirt.txt"
out=$( (cd "$dir" && env -u IOWVIRT IOWVIRT_STATE="$win\\txt.bin" "$wine_run" rtc_host.exe \
    --console-alerts </dev/null 2>&1 | tr -d '\r') || true)
grep -qF "[Leture] Erreur de transmission" <<<"$out" &&
    ok "iowvirt.txt beside the virtual library applies its word" ||
    fail "with iowvirt.txt beside the virtual library"$'\n'"$out"
rm "$dir/virtuel/iowvirt.txt"
out=$(run "$dir" rtc_host.exe --device "$win\\absent ł.dll")
grep -qF "Erreur : impossible de charger la bibliothèque de l'IOW24 $win\\absent ł.dll : " \
    <<<"$out" && ok "a library that cannot be loaded is named exactly" ||
    fail "a missing library gave"$'\n'"$out"

# A command file opened alone, as the Explorer runs it from inside the ZIP.
alone=$users/${names[1]}/Cours/seul
mkdir -p "$alone"
for cmd in "Essayer sans materiel.cmd" "Verifier le cablage.cmd"; do
    cp "$dir/$cmd" "$alone/"
    out=$(run "$alone" cmd /c "$cmd")
    grep -qF 'extrayez d'"'"'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout")' \
        <<<"$out" && ok "$cmd alone says to extract the whole ZIP first" ||
        fail "$cmd alone printed"$'\n'"$out"
done

[ "$failures" -eq 0 ]
