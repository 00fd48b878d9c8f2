#!/bin/sh
# A Wine prefix of a test's own, made from the build's in a second: for a
# test that changes what every program in a prefix sees (a system folder,
# C:\ProgramData). The registry is copied whole: the wineserver rewrites a
# file that has several links in place, which would reach the build's
# prefix. The drive is linked file by file: Wine and the tests only ever
# add files there or replace them. The PC's exercise and room that a test
# running meanwhile may have planted are left out.
# Usage: copy_prefix.sh BUILD_PREFIX COPY
set -eu
from=$1 to=$2
rm -rf "$to"
mkdir -p "$to"
cp -p "$from"/*.reg "$from/.update-timestamp" "$to/"
cp -a "$from/dosdevices" "$to/"
cp -al "$from/drive_c" "$to/"
rm -rf "$to/drive_c/ProgramData/rtc_iow24"
