#!/usr/bin/env python3
"""Packs the release archives from dist/ (laid out by scripts/layout-dist.sh).

    scripts/release.py [--dist DIR] [--out DIR] [--print-version]

Writes OUT/Oroscape-<version>-<arch>.zip for i686 and x86_64 and OUT/SHA256SUMS (default OUT:
dist/release). The version is the one the public header states. Each archive holds one folder,
Oroscape-<version>-<arch>/, laid out as an installed prefix:

    bin/        Oroscape.dll, Oroscape.pdb, lutconv.exe
    include/    oroscape.h
    lib/        Oroscape.lib, liboroscape.a, Oroscape.def, cmake/Oroscape/, pkgconfig/oroscape.pc
    share/Oroscape/HeightLut, ramps, stops   the shipped tables, text ramps and the tables' stops
    licenses/   the licence texts of the tables and ramps taken from GRASS GIS and GMT
    README.md CHANGELOG.md LICENSE THIRD-PARTY-NOTICES.md

The same inputs give the same bytes: entries in sorted order, each dated 1980-01-01 00:00 with
fixed permissions, no extra fields, compressed at one fixed level.
"""
import argparse
import hashlib
import os
import re
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARCHES = {"i686": 4, "x86_64": 8}  # architecture: pointer size
FIXED_TIME = (1980, 1, 1, 0, 0, 0)


def header_version():
    parts = {}
    with open(os.path.join(ROOT, "include", "oroscape.h"), encoding="utf-8") as f:
        for line in f:
            m = re.match(r"#define OROSCAPE_VERSION_(MAJOR|MINOR|PATCH) +([0-9]+)$", line.rstrip("\n"))
            if m:
                parts[m.group(1)] = m.group(2)
    missing = [p for p in ("MAJOR", "MINOR", "PATCH") if p not in parts]
    if missing:
        sys.exit("release: include/oroscape.h defines no OROSCAPE_VERSION_" + missing[0])
    return parts["MAJOR"], parts["MINOR"], parts["PATCH"]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def template(name, values):
    text = read(os.path.join(ROOT, "cmake", "release", name)).decode("utf-8")
    for key, value in values.items():
        text = text.replace("@" + key + "@", value)
    if re.search(r"@[A-Z_]+@", text):
        sys.exit("release: %s: a placeholder is left unfilled" % name)
    return text.encode("utf-8")


def listdir(folder, suffix):
    if not os.path.isdir(folder):
        sys.exit("release: %s is missing (make dist)" % os.path.relpath(folder, ROOT))
    names = sorted(n for n in os.listdir(folder) if n.endswith(suffix))
    if not names:
        sys.exit("release: no %s in %s" % (suffix, os.path.relpath(folder, ROOT)))
    return names


def contents(dist, arch, version):
    """The archive's files: path inside the archive -> (bytes, executable)."""
    major, _, _ = version.split(".")
    d = os.path.join(dist, arch)
    files = {}

    def take(dest, src, executable=False):
        if not os.path.isfile(src):
            sys.exit("release: %s is missing (make dist)" % os.path.relpath(src, ROOT))
        files[dest] = (read(src), executable)

    for name in ("Oroscape.dll", "Oroscape.pdb", "lutconv.exe"):
        take("bin/" + name, os.path.join(d, name), name.endswith((".dll", ".exe")))
    take("include/oroscape.h", os.path.join(dist, "include", "oroscape.h"))
    for name in ("Oroscape.lib", "liboroscape.a", "Oroscape.def"):
        take("lib/" + name, os.path.join(d, name))
    for name in listdir(os.path.join(d, "HeightLut"), ".lut"):
        take("share/Oroscape/HeightLut/" + name, os.path.join(d, "HeightLut", name))
    for name in listdir(os.path.join(dist, "ramps"), ".txt"):
        take("share/Oroscape/ramps/" + name, os.path.join(dist, "ramps", name))
    stops = os.path.join(ROOT, "heightcolor", "luts")
    for name in listdir(stops, ".stops"):
        take("share/Oroscape/stops/" + name, os.path.join(stops, name))
    for name in ("README.md", "CHANGELOG.md", "LICENSE", "THIRD-PARTY-NOTICES.md"):
        take(name, os.path.join(ROOT, name))
    for name in listdir(os.path.join(ROOT, "licenses"), ".txt"):
        take("licenses/" + name, os.path.join(ROOT, "licenses", name))

    values = {"VERSION": version, "VERSION_MAJOR": major, "ARCH": arch, "POINTER_SIZE": str(ARCHES[arch])}
    files["lib/cmake/Oroscape/OroscapeConfig.cmake"] = (template("OroscapeConfig.cmake.in", values), False)
    files["lib/cmake/Oroscape/OroscapeConfigVersion.cmake"] = (
        template("OroscapeConfigVersion.cmake.in", values), False)
    files["lib/pkgconfig/oroscape.pc"] = (template("oroscape.pc.in", values), False)
    return files


def write_zip(path, top, files):
    """Writes files under the folder top; folders get entries of their own, all in sorted order."""
    entries = {}
    for name, (data, executable) in files.items():
        entries[top + "/" + name] = (data, executable)
        parts = name.split("/")[:-1]
        for i in range(len(parts) + 1):
            folder = "/".join([top] + parts[:i]) + "/"
            entries.setdefault(folder, None)
    tmp = path + ".tmp"
    with zipfile.ZipFile(tmp, "w") as z:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=FIXED_TIME)
            info.create_system = 3  # Unix: the permissions below are read by unzip
            entry = entries[name]
            if entry is None:
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b"")
            else:
                data, executable = entry
                info.external_attr = (0o100755 if executable else 0o100644) << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                z.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(tmp, path)


def main():
    ap = argparse.ArgumentParser(description="Packs the release archives from dist/.")
    ap.add_argument("--dist", default=os.path.join(ROOT, "dist"))
    ap.add_argument("--out", default=None, help="folder of the archives (default: DIST/release)")
    ap.add_argument("--print-version", action="store_true", help="print the version and stop")
    args = ap.parse_args()
    version = ".".join(header_version())
    if args.print_version:
        print(version)
        return 0
    out = args.out or os.path.join(args.dist, "release")
    os.makedirs(out, exist_ok=True)
    sums = []
    for arch in sorted(ARCHES):
        top = "Oroscape-%s-%s" % (version, arch)
        path = os.path.join(out, top + ".zip")
        write_zip(path, top, contents(args.dist, arch, version))
        sums.append("%s  %s\n" % (hashlib.sha256(read(path)).hexdigest(), top + ".zip"))
        print("release: %s" % os.path.relpath(path))
    with open(os.path.join(out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(sums)
    print("release: %s" % os.path.relpath(os.path.join(out, "SHA256SUMS")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
