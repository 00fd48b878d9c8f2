#!/usr/bin/env python3
"""Lists the files under FOLDER that name the IOW24's maker or its product
family, in any case, with or without a hyphen, in 8-bit or 16-bit text.

Usage: forbidden_names.py FOLDER

The names are held as SHA-256 digests of their plain lower-case spelling,
so that the tree never spells them: every run of letters of a name's length
is hashed and compared.
"""
import hashlib
import os
import sys

# Length of the name, and the digest of its lower-case letters.
FORBIDDEN = {
    11: {"0b274793beb714427d8e8a24c5c94112f6cd41a6228023612ca1e6506d6693eb"},
    9: {"305f396fd6c851b4402fbd98e13948ba2da0ed2ddd9ec740af232f1917820692"},
}


def letters(data):
    """The file's bytes, lower case, without hyphens and the NULs of UTF-16."""
    return data.lower().replace(b"-", b"").replace(b"\0", b"")


def names_one(data):
    text = letters(data)
    for length, digests in FORBIDDEN.items():
        for start in range(len(text) - length + 1):
            window = text[start:start + length]
            if window.isalpha() and hashlib.sha256(window).hexdigest() in digests:
                return True
    return False


def main():
    found = []
    for folder, _, files in os.walk(sys.argv[1]):
        for name in sorted(files):
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                if names_one(f.read()):
                    found.append(path)
    print("\n".join(found))


if __name__ == "__main__":
    main()
