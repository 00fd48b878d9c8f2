#!/usr/bin/env python3
"""Builds the Windows ZIP package so that two builds of the same sources
give the same bytes: binaries stripped of their debug symbols, entries in a
fixed order with fixed attributes, every file time the commit's.

Usage: paquet.py --zip OUT.zip --top FOLDER --strip STRIP --source SRC
                 SOURCE=NAME[:strip] ...
Writes OUT.zip and OUT.zip.sha256, and prints the SHA-256 line.
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

# When neither SOURCE_DATE_EPOCH nor git gives a time: 2000-01-01 00:00 UTC.
FALLBACK_EPOCH = 946684800
FILE_MODE = 0o644
DIRECTORY_MODE = 0o755
MSDOS_DIRECTORY = 0x10


def commit_time(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return FALLBACK_EPOCH


def entry(name, when, directory=False):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(when)[:6])
    info.create_system = 3  # Unix, so that the mode below is read back
    mode = DIRECTORY_MODE | 0o040000 if directory else FILE_MODE | 0o100000
    info.external_attr = (mode << 16) | (MSDOS_DIRECTORY if directory else 0)
    info.compress_type = zipfile.ZIP_STORED if directory else zipfile.ZIP_DEFLATED
    return info


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True)
    parser.add_argument("--top", required=True)
    parser.add_argument("--strip", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    when = max(commit_time(args.source), FALLBACK_EPOCH)
    staged = []
    with tempfile.TemporaryDirectory() as scratch:
        for mapping in args.files:
            source, name = mapping.split("=", 1)
            strip = name.endswith(":strip")
            name = name[: -len(":strip")] if strip else name
            copy = os.path.join(scratch, str(len(staged)))
            shutil.copyfile(source, copy)
            if strip:
                # strip stamps the PE header with the time it runs, or this one.
                env = dict(os.environ, SOURCE_DATE_EPOCH=str(when))
                subprocess.run([args.strip, "--strip-all", copy], check=True, env=env)
            with open(copy, "rb") as f:
                staged.append((name, f.read()))

        folders = sorted({os.path.dirname(n) for n, _ in staged} - {""})
        partial = args.zip + ".part"
        with zipfile.ZipFile(partial, "w") as archive:
            archive.writestr(entry(args.top + "/", when, directory=True), b"")
            for folder in folders:
                archive.writestr(entry(f"{args.top}/{folder}/", when, directory=True), b"")
            for name, data in sorted(staged):
                archive.writestr(entry(f"{args.top}/{name}", when), data, compresslevel=9)
        os.replace(partial, args.zip)

    with open(args.zip, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    line = f"{digest}  {os.path.basename(args.zip)}\n"
    with open(args.zip + ".sha256.part", "w", encoding="ascii") as f:
        f.write(line)
    os.replace(args.zip + ".sha256.part", args.zip + ".sha256")
    sys.stdout.write("SHA-256 " + line)


if __name__ == "__main__":
    main()
