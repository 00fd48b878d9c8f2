#!/usr/bin/env bash
# Builds the ZIP package a user receives, checks what it holds, and - where
# Wine runs this build's programs - runs the stand-in host from the
# unpacked package against its own virtual IOW24.
# Usage: check_package.sh BUILD_DIR SYSTEM_NAME WINE_RUN|-
set -euo pipefail
build=$1 system=$2 wine_run=$3
cd "$build"
cpack -G ZIP >/dev/null
zip=$(ls package/rtc_iow24-*-"$system".zip)
top=$(basename "$zip" .zip)
expected="$top/LISEZMOI.txt
$top/rtc_host.exe
$top/rtc_iow24.dll
$top/virtuel/
$top/virtuel/iowkit.dll"
actual=$(cmake -E tar tf "$zip" | sort)
if [ "$actual" != "$expected" ]; then
    printf 'FAILED: the package holds\n%s\nnot\n%s\n' "$actual" "$expected"
    exit 1
fi
echo "ok: $zip holds the block, the host, virtuel/iowkit.dll and the guide"

unpacked=$(mktemp -d "$build/package/unpacked.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$build/$zip")
if ! head -c 3 "$unpacked/$top/LISEZMOI.txt" | od -An -tx1 | grep -q 'ef bb bf' ||
    ! grep -q $'\r$' "$unpacked/$top/LISEZMOI.txt"; then
    echo "FAILED: the guide is not UTF-8 with Windows line ends"
    exit 1
fi
echo "ok: the guide is UTF-8 with Windows line ends"

# Users without the hardware learn how the simulator loads the virtual
# IOW24, what a new virtual chip reads, and how to go back; users with it,
# how to check the wiring.
for line in "Essayer dans le simulateur sans matériel" \
    "2. Copiez virtuel\\iowkit.dll dans le dossier de l'exécutable du simulateur" \
    "une lecture avec \"RD\" donne SEC = 80 (le bit 7 des secondes, qui arrête" \
    "Pour revenir au matériel : supprimez l'iowkit.dll copiée à côté du" \
    "    rtc_host --device \"C:\\chemin\\vers\\iowkit.dll\" --check" \
    "- L'horloge avance : deux lectures à 1,5 s d'intervalle diffèrent d'une"; do
    if ! tr -d '\r' <"$unpacked/$top/LISEZMOI.txt" | grep -qxF -e "$line"; then
        echo "FAILED: the guide lacks the line: $line"
        exit 1
    fi
done
echo "ok: the guide tells how to try the block in the simulator without hardware, and how to check the wiring"

if [ "$wine_run" = "-" ]; then
    echo "skipped: running the packaged host (Wine cannot run these programs here)"
    exit 0
fi
out=$(cd "$unpacked/$top" && IOWVIRT=frozen "$wine_run" rtc_host.exe --set "2011-12-31 23:59:58" \
    --read 1 --period-ms 0 --console-alerts 2>&1 | tr -d '\r')
want="   2  read       58     59     23     31     12     11"
if ! grep -qxF "$want" <<<"$out"; then
    printf 'FAILED: the packaged host printed\n%s\n' "$out"
    exit 1
fi
echo "ok: the packaged host runs against its virtual IOW24"
