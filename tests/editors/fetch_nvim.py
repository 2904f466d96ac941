#!/usr/bin/env python3
"""A newer Neovim than the distribution's, unpacked into a private folder.

Usage: fetch_nvim.py FOLDER

Reads the package index of Debian trixie (http://deb.debian.org/debian),
downloads its neovim package and every package it depends on, and unpacks
them into FOLDER (nothing is installed: trixie's C library must not replace
the machine's). Prints the command that runs that Neovim through trixie's
own loader and libraries, as a JSON list, on its last line. A folder
unpacked before is used again. Exits 2, saying why, when the packages cannot
be fetched (no network).
"""
import json
import lzma
import os
import subprocess
import sys
import urllib.request

MIRROR = "http://deb.debian.org/debian"
SUITE = "trixie"
ROOT_PACKAGE = "neovim"


def fetch(url):
    with urllib.request.urlopen(url, timeout=60) as response:
        return response.read()


def read_index(text):
    """Package name -> its fields; also virtual name -> a package providing it."""
    packages, provided = {}, {}
    for stanza in text.split("\n\n"):
        fields, key = {}, None
        for line in stanza.split("\n"):
            if line.startswith((" ", "\t")) and key:
                fields[key] += "\n" + line
            elif ":" in line:
                key, value = line.split(":", 1)
                fields[key] = value.strip()
        if "Package" in fields:
            packages[fields["Package"]] = fields
    for name, fields in packages.items():
        for item in fields.get("Provides", "").split(","):
            virtual = item.strip().split(" ")[0]
            if virtual:
                provided.setdefault(virtual, name)
    return packages, provided


def closure(packages, provided, root):
    """The packages root needs, itself first: the first of each alternative."""
    wanted, pending = [], [root]
    while pending:
        name = pending.pop()
        name = name if name in packages else provided.get(name)
        if name is None or name in wanted:
            continue
        wanted.append(name)
        for field in ("Pre-Depends", "Depends"):
            for item in packages[name].get(field, "").split(","):
                first = item.split("|")[0].strip().split(" ")[0].split(":")[0]
                if first:
                    pending.append(first)
    return wanted


def command(prefix):
    usr = os.path.join(prefix, "usr")
    return [os.path.join(usr, "lib64", "ld-linux-x86-64.so.2"), "--library-path",
            os.path.join(usr, "lib", "x86_64-linux-gnu"), os.path.join(usr, "bin", "nvim")]


def main():
    folder = os.path.abspath(sys.argv[1])
    prefix = os.path.join(folder, "root")
    done = os.path.join(folder, "unpacked")
    if not os.path.exists(done):
        try:
            index = lzma.decompress(
                fetch(f"{MIRROR}/dists/{SUITE}/main/binary-amd64/Packages.xz")).decode()
            packages, provided = read_index(index)
            os.makedirs(os.path.join(folder, "debs"), exist_ok=True)
            names = closure(packages, provided, ROOT_PACKAGE)
            debs = []
            for name in names:
                path = os.path.join(folder, "debs", os.path.basename(packages[name]["Filename"]))
                if not os.path.exists(path):
                    data = fetch(f"{MIRROR}/{packages[name]['Filename']}")
                    with open(path + ".part", "wb") as f:
                        f.write(data)
                    os.replace(path + ".part", path)
                debs.append(path)
        except (OSError, lzma.LZMAError) as error:
            print(f"cannot fetch Neovim from {MIRROR} ({SUITE}): {error}")
            sys.exit(2)
        for deb in debs:
            subprocess.run(["dpkg-deb", "-x", deb, prefix], check=True)
        open(done, "w").write("\n".join(names) + "\n")
    print(json.dumps(command(prefix)))


if __name__ == "__main__":
    main()
