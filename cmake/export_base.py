#!/usr/bin/env python3
"""Sets the ordinal base of a linked DLL's export table to its lowest ordinal.

lld 14 always writes an export directory with ordinal base 0, an address table that starts
at ordinal 0 and empty slots below the lowest ordinal in use (Oroscape.dll: base 0 and 35
functions for its ordinals 1 to 34; hubcore60.dll: 227 functions for its one ordinal 226).
Microsoft's linker and GNU ld start the table at the lowest ordinal, which is what a host's
tools expect. The leading empty slots are dropped: the base goes up by their number, the
address table starts that many entries later and the name-ordinal indices come down by it.
Ordinals, names and code stay as they are. Usage: export_base.py FILE.dll
"""
import struct
import sys


def main(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE image")
    nsections = struct.unpack_from("<H", data, pe + 6)[0]
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    export_rva = struct.unpack_from("<I", data, dirs)[0]
    if export_rva == 0:
        return
    sections = []
    for i in range(nsections):
        s = opt + opt_size + 40 * i
        vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, s + 8)
        sections.append((va, max(vsize, rawsize), rawptr))

    def offset(rva):
        for va, size, raw in sections:
            if va <= rva < va + size:
                return raw + rva - va
        sys.exit(f"{path}: RVA {rva:#x} outside every section")

    ed = offset(export_rva)
    base, nfuncs, nnames, afuncs, anames, aords = struct.unpack_from("<IIIIII", data, ed + 16)
    funcs = struct.unpack_from(f"<{nfuncs}I", data, offset(afuncs)) if nfuncs else ()
    skip = 0
    while skip < nfuncs and funcs[skip] == 0:
        skip += 1
    if skip == 0 or skip == nfuncs:
        return
    ords = offset(aords) if nnames else 0
    for n in range(nnames):
        index = struct.unpack_from("<H", data, ords + 2 * n)[0]
        if index < skip:
            sys.exit(f"{path}: name {n} points at an empty export slot")
        struct.pack_into("<H", data, ords + 2 * n, index - skip)
    struct.pack_into("<III", data, ed + 16, base + skip, nfuncs - skip, nnames)
    struct.pack_into("<I", data, ed + 28, afuncs + 4 * skip)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
