#!/usr/bin/env bash
# The ZIP package as a user receives it: what it holds, its size budgets,
# binaries without debug symbols, its checksum, the guide and the command
# files; and - where Wine runs this build's programs - the packaged host and
# each command file run from the unpacked package, with no input.
# Usage: check_package.sh BUILD_DIR SYSTEM_NAME OBJDUMP WINE_RUN|- WINE_PREFIX
set -euo pipefail
build=$1 system=$2 objdump=$3 wine_run=$4 prefix=$5
top=rtc_iow24-*-"$system"
zip=$(ls "$build"/package/$top.zip)
top=$(basename "$zip" .zip)
failures=0
fail() { printf 'FAILED: %s\n' "$*"; failures=$((failures + 1)); }
ok() { printf 'ok: %s\n' "$*"; }

expected="$top/
$top/Essayer sans materiel.cmd
$top/LISEZMOI.txt
$top/Verifier le cablage.cmd
$top/Verifier le cablage virtuel.cmd
$top/enseignant/
$top/enseignant/Effacer l'exercice.cmd
$top/enseignant/Planter un exercice.cmd
$top/enseignant/Voir l'exercice.cmd
$top/enseignant/Voir la salle.cmd
$top/enseignant/simulateur.txt
$top/essai.csv
$top/rtc_host.exe
$top/rtc_iow24.dll
$top/virtuel/
$top/virtuel/iowkit.dll"
actual=$(unzip -Z1 "$zip" | sort)
[ "$actual" = "$(sort <<<"$expected")" ] && ok "the package holds the three binaries, the guide, the three command files, essai.csv and the teacher's folder" ||
    fail "the package holds"$'\n'"$actual"

unpacked=$(mktemp -d "$build/package/unpacked.XXXXXX")
# The programs run in a prefix of their own: a library put in its system
# folder and the PC's exercise file planted in its C:\ProgramData are seen
# by no other test running meanwhile.
own_prefix=""
if [ "$wine_run" != "-" ]; then
    own_prefix=$unpacked/prefix
    sh "$(dirname "$0")/../../tools/wine32/copy_prefix.sh" "$prefix" "$own_prefix"
    prefix=$own_prefix
    export RTC_WINE_PREFIX=$own_prefix
fi
system32=""
pc_folder=$prefix/drive_c/ProgramData/rtc_iow24
cleanup() {
    [ -z "$own_prefix" ] || WINEPREFIX=$own_prefix wineserver -k 2>/dev/null || true
    rm -rf "$unpacked"
}
trap cleanup EXIT
(cd "$unpacked" && unzip -q "$zip")
dir=$unpacked/$top

# Size budgets: what a teacher downloads and copies.
block_size=$(stat -c %s "$dir/rtc_iow24.dll")
zip_size=$(stat -c %s "$zip")
[ "$block_size" -le 65536 ] && ok "rtc_iow24.dll weighs $block_size bytes (at most 64 KB)" ||
    fail "rtc_iow24.dll weighs $block_size bytes, more than 64 KB"
[ "$zip_size" -le 1048576 ] && ok "the ZIP weighs $zip_size bytes (at most 1 MB)" ||
    fail "the ZIP weighs $zip_size bytes, more than 1 MB"
for binary in rtc_iow24.dll rtc_host.exe virtuel/iowkit.dll; do
    # Whole outputs are captured before grep: under pipefail, a grep -q that
    # stops at its first match would fail its writer with SIGPIPE.
    if grep -q '\.debug_' <<<"$("$objdump" -h "$dir/$binary")"; then
        fail "$binary carries debug symbols"
    fi
done
ok "the shipped binaries carry no debug symbols"

# The IOW24 and its device library are named; their maker never is.
named=$(python3 "$(dirname "$0")/forbidden_names.py" "$dir")
[ -z "$named" ] && ok "no file of the package names the IOW24's maker or its product family" ||
    fail "these files of the package name the IOW24's maker or its product family: $named"

# The README gives the package's sizes: they stay true, within 10 %.
readme=$(cd "$(dirname "$0")/../.." && pwd)/README.md
failures_before=$failures
size_told() {
    local what=$1 bytes=$2 kb=$3
    local actual=$((bytes / 1024))
    if [ -z "$kb" ] || [ $((actual * 10)) -lt $((kb * 9)) ] || [ $((actual * 10)) -gt $((kb * 11)) ]; then
        fail "the README gives $what as ${kb:-no} KB; it is $actual KB"
    fi
}
for binary in rtc_iow24.dll rtc_host.exe virtuel/iowkit.dll; do
    size_told "$binary" "$(stat -c %s "$dir/$binary")" \
        "$(sed -n "s/^| \`${binary//\//\\/}\` | \([0-9]*\) KB |.*/\1/p" "$readme")"
done
size_told "the ZIP" "$zip_size" "$(sed -n 's/.*The ZIP weighs about \([0-9]*\) KB.*/\1/p' "$readme")"
[ "$failures" -eq "$failures_before" ] && ok "the README's sizes are the package's, within 10 %"

# The checksum beside the ZIP is the ZIP's.
if (cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256"); then
    ok "the SHA-256 beside the ZIP is the ZIP's"
else
    fail "the SHA-256 beside the ZIP is not the ZIP's"
fi

# Text for Notepad and cmd.exe: Windows line ends; the command files plain
# ASCII, which every console code page reads alike.
if ! grep -q 'ef bb bf' <<<"$(head -c 3 "$dir/LISEZMOI.txt" | od -An -tx1)" ||
    grep -q $'[^\r]$' "$dir/LISEZMOI.txt"; then
    fail "the guide is not UTF-8 with Windows line ends"
fi
for cmd in "Essayer sans materiel.cmd" "Verifier le cablage.cmd" "Verifier le cablage virtuel.cmd" \
    "enseignant/Planter un exercice.cmd" "enseignant/Voir l'exercice.cmd" \
    "enseignant/Effacer l'exercice.cmd" "enseignant/Voir la salle.cmd"; do
    if grep -q $'[^\r]$' "$dir/$cmd" || LC_ALL=C grep -q $'[\x80-\xff]' "$dir/$cmd" ||
        ! grep -q '^pause' "$dir/$cmd"; then
        fail "$cmd is not plain ASCII with Windows line ends ending on a pause"
    fi
done
ok "the guide and the command files have Windows line ends"

# The guide starts from the double-clicks; the command lines stay.
guide=$(tr -d '\r' <"$dir/LISEZMOI.txt")
for line in "Essayer dans le simulateur sans matériel" \
    "Double-cliquez sur « Essayer sans materiel.cmd » dans le dossier du paquet." \
    "Double-cliquez sur « Verifier le cablage.cmd » dans le dossier du paquet." \
    "2. Copiez virtuel\\iowkit.dll dans le dossier de l'exécutable du simulateur" \
    "Pour revenir au matériel : supprimez l'iowkit.dll copiée à côté du" \
    "    rtc_host --device \"C:\\chemin\\vers\\iowkit.dll\" --check" \
    "    pushd \"\\\\serveur\\TP\\rtc_iow24\""; do
    grep -qxF -e "$line" <<<"$guide" || fail "the guide lacks the line: $line"
done
ok "the guide tells the double-clicks and the command lines"

if [ "$wine_run" = "-" ]; then
    echo "skipped: running the packaged programs (Wine cannot run these programs here)"
    [ "$failures" -eq 0 ]
    exit
fi

# Each command file through cmd /c with no input: its pause ends at once.
# The host's clock is simulated and the virtual clock moves a second per
# read, so no run waits for real seconds.
# Each run's virtual clock chip keeps its state in a file of its own:
# run_cmd STATE_NAME COMMAND_FILE
run_cmd() {
    (cd "$dir" && IOWVIRT_STATE="$unpacked/etat-$1" RTC_HOST_CLOCK=simulated \
        "$wine_run" cmd /c "$2" </dev/null 2>&1 | tr -d '\r') || true
}

out=$(cd "$dir" && IOWVIRT_STATE="$unpacked/etat-hote" IOWVIRT=frozen "$wine_run" rtc_host.exe --set "2011-12-31 23:59:58" \
    --read 1 --period-ms 0 --console-alerts 2>&1 | tr -d '\r')
grep -qxF "   2  lecture      58     59     23     31     12     11" <<<"$out" &&
    ok "the packaged host runs against its virtual IOW24" || fail "the packaged host printed"$'\n'"$out"

# The guide's "rtc_host --script essai.csv", as written, in the package's
# folder: the new year, and nothing to warn of.
out=$(cd "$dir" && IOWVIRT_STATE="$unpacked/etat-script" IOWVIRT=tick RTC_HOST_CLOCK=simulated \
    "$wine_run" rtc_host.exe --script essai.csv --console-alerts 2>&1 | tr -d '\r')
grep -qxF "3;0;0;0;1;1;12" <<<"$out" && ! grep -q "Attention" <<<"$out" &&
    ok "the packaged essai.csv runs as the guide writes it, across the new year" ||
    fail "rtc_host --script essai.csv printed"$'\n'"$out"

out=$(IOWVIRT=tick run_cmd essai "Essayer sans materiel.cmd")
rows=$(grep -cE '^   [2-6]  lecture +[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+ +[0-9]+$' <<<"$out" || true)
if [ "$rows" -eq 5 ] && grep -qF "[Recherche IOW24] IOW24 détecté" <<<"$out" &&
    grep -qE '^   1  écriture +-' <<<"$out"; then
    ok "Essayer sans materiel.cmd sets the virtual clock, then reads it 5 times, alerts on the console"
else
    fail "Essayer sans materiel.cmd printed"$'\n'"$out"
fi

out=$(run_cmd sans-bibliotheque "Verifier le cablage.cmd")
if grep -qF "Windows ne trouve pas la vraie iowkit.dll" <<<"$out" &&
    grep -qF "Pour essayer sans matériel : « Verifier le cablage virtuel.cmd »" <<<"$out" &&
    ! grep -q "IOW24 sur l'USB" <<<"$out"; then
    ok "Verifier le cablage.cmd without the vendor's library says where to put it"
else
    fail "Verifier le cablage.cmd without the vendor's library printed"$'\n'"$out"
fi

# A copy of the virtual library in the system folder of 32-bit programs
# stands for the vendor's, installed where its installer puts it.
for folder in syswow64 system32; do
    if [ -d "$prefix/drive_c/windows/$folder" ]; then
        system32=$prefix/drive_c/windows/$folder
        break
    fi
done
# Here the copy is of the virtual IOW24: a fault of the setup, named with
# the copy to remove, never a pass.
cp "$dir/virtuel/iowkit.dll" "$system32/iowkit.dll"
out=$(run_cmd verification "Verifier le cablage.cmd")
if grep -qF "DEFAUT   Bibliothèque de l'IOW24 : C:\\windows\\" <<<"$out" &&
    grep -qF "\\iowkit.dll : c'est l'IOW24 virtuel de rtc_iow24, pas la bibliothèque du fabricant" <<<"$out" &&
    grep -qF "Bilan : un défaut" <<<"$out" && ! grep -qF "tout est bon" <<<"$out"; then
    ok "Verifier le cablage.cmd checks the library Windows finds in its system folder, and refuses the virtual IOW24"
else
    fail "Verifier le cablage.cmd with a library in the system folder printed"$'\n'"$out"
fi

# The troubleshooting exercise: the fault that virtuel\iowvirt.txt names,
# found by the third command file.
printf 'no-chip\r\n' >"$dir/virtuel/iowvirt.txt"
out=$(run_cmd exercice "Verifier le cablage virtuel.cmd")
rm -f "$dir/virtuel/iowvirt.txt"
if grep -qF "DEFAUT   Réponse de l'horloge : l'horloge ne répond pas à l'adresse D0" <<<"$out" &&
    grep -qF "IOW24 virtuel : aucun matériel n'a été vérifié." <<<"$out"; then
    ok "Verifier le cablage virtuel.cmd finds the exercise's fault on the virtual IOW24"
else
    fail "Verifier le cablage virtuel.cmd printed"$'\n'"$out"
fi

# The teacher's double-clicks on the prefix's own C:\ProgramData: plant
# (a copy stands in for Notepad), see, clear. The simulator's copy, named
# in simulateur.txt, has words of its own, which count once the PC's file
# is gone. The students' check plays the exercise and names none of it.
windows() { printf 'Z:%s' "$(tr / '\\' <<<"$1")"; }
simulator=$unpacked/Simulateur
mkdir -p "$simulator"
cp "$dir/virtuel/iowkit.dll" "$simulator/"
printf 'frozen\r\n' >"$simulator/iowvirt.txt"
printf '%s\r\n' "$(windows "$simulator")" >>"$dir/enseignant/simulateur.txt"
printf '# TP 3 : parasites\r\ninvalid\r\n' >"$unpacked/mots.txt"
out=$(RTC_EDITEUR="cmd /c copy /y $(windows "$unpacked/mots.txt")" \
    run_cmd planter "enseignant\Planter un exercice.cmd")
simulator_line="Exercice de l'IOW24 virtuel $(windows "$simulator")\\iowkit.dll : "
if grep -qF "virtuel\iowkit.dll : invalid (C:\ProgramData\rtc_iow24\iowvirt.txt)." <<<"$out" &&
    grep -qF "$simulator_line""invalid (C:\ProgramData\rtc_iow24\iowvirt.txt) ; " <<<"$out" &&
    grep -qF "\iowvirt.txt est sans effet tant que le fichier du PC a des mots" <<<"$out"; then
    ok "Planter un exercice.cmd plants the PC's exercise, seen for the package's copy and the simulator's"
else
    fail "Planter un exercice.cmd printed"$'\n'"$out"
fi
# The PC belongs to a room, whose table plants nothing for it: its check
# reports there, and says nothing of it.
room=$unpacked/Salle\ B12
mkdir -p "$room"
printf 'poste;exercice\r\nPOSTE-7;\r\nPOSTE-8;frozen\r\n' >"$room/exercices.csv"
out=$(IOWVIRT_SALLE="$(windows "$room")" IOWVIRT_POSTE=POSTE-7 \
    run_cmd exercice-pc "Verifier le cablage virtuel.cmd")
if grep -qF "DEFAUT   Heure et date valides" <<<"$out" &&
    ! grep -qiE "invalid|ProgramData|TP 3|iowvirt|salle|POSTE-7" <<<"$out" &&
    ls "$room/postes" | grep -q '^POSTE-7--.*-verification\.txt$'; then
    ok "Verifier le cablage virtuel.cmd finds the PC's exercise, reports to the room and names none of it"
else
    fail "Verifier le cablage virtuel.cmd with the PC's exercise printed"$'\n'"$out"
fi
out=$(run_cmd effacer "enseignant\Effacer l'exercice.cmd")
if [ ! -e "$pc_folder/iowvirt.txt" ] &&
    grep -qF "virtuel\iowkit.dll : aucun ; aucun mot pour tout le PC" <<<"$out" &&
    grep -qF "$simulator_line""frozen (" <<<"$out"; then
    ok "Effacer l'exercice.cmd clears the PC's exercise and shows the simulator's own words taking over"
else
    fail "Effacer l'exercice.cmd printed"$'\n'"$out"
fi

# The room at a glance, from the folder salle.txt (here IOWVIRT_SALLE)
# names: the bench that checked as intended, the one that never did.
out=$(IOWVIRT_SALLE="$(windows "$room")" RTC_SALLE_OPTIONS=--sans-navigateur \
    run_cmd salle "enseignant\Voir la salle.cmd")
if grep -qF "1 conforme(s), 0 à voir, 1 sans nouvelles." <<<"$out" &&
    grep -q '^"POSTE-7";conforme;' "$room/salle.csv" && grep -q '^"POSTE-8";sans nouvelles;' "$room/salle.csv" &&
    grep -qF '<tr class="conforme"><td>POSTE-7</td>' "$room/salle.html"; then
    ok "Voir la salle.cmd gathers the room's reports into salle.html and salle.csv"
else
    fail "Voir la salle.cmd printed"$'\n'"$out"
fi

[ "$failures" -eq 0 ]
