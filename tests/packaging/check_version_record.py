#!/usr/bin/env python3
"""Checks the version written in CMakeLists.txt against what carries it: the
Windows version record, compiled with windres and read back from the binary
.res field by field the way Windows' own GetFileVersionInfo would see it, and
the metainfo's release.

usage: check_version_record.py VERSION WINDRES PREPROCESSOR RC_FILE METAINFO WORK_DIR
"""

import os
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

RT_VERSION = 16
VS_VERSION_INFO = 1
FRENCH = 0x040C
UNICODE_CODEPAGE = 1200

EXPECTED_FIXED = {
    "signature": 0xFEEF04BD,
    "struct version": 0x00010000,
    "flags": 0,
    "os": 0x00000004,  # VOS__WINDOWS32
    "file type": 0x00000001,  # VFT_APP
    "file subtype": 0,
    "date": (0, 0),
}

EXPECTED_STRINGS = {
    "CompanyName": "Corvane",
    "FileDescription": "soft adressage DMX",
    "InternalName": "Corvane adresse DMX V0.3",
    "OriginalFilename": "Corvane adresse DMX V0.3.exe",
    "ProductName": "Corvane adresse DMX V0.3",
}


def expected_from(version):
    """The record's numbers and texts for a version "major.minor.patch":
    3.0.0 gives 3,0,0,0 and the texts "3.00"."""
    major, minor, patch = (int(n) for n in version.split("."))
    text = f"{major}.{minor:02d}"
    fixed = dict(EXPECTED_FIXED)
    fixed["file version"] = fixed["product version"] = (major, minor, patch, 0)
    strings = dict(EXPECTED_STRINGS, FileVersion=text, ProductVersion=text)
    return fixed, strings


def align4(n):
    return (n + 3) & ~3


def read_id(data, off):
    """A resource type or name: 0xFFFF and an ordinal, or a UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, off)
    if first == 0xFFFF:
        (ordinal,) = struct.unpack_from("<H", data, off + 2)
        return ordinal, off + 4
    end = off
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[off:end].decode("utf-16-le"), end + 2


def resources(data):
    off = 0
    while off < len(data):
        data_size, header_size = struct.unpack_from("<II", data, off)
        rtype, p = read_id(data, off + 8)
        name, p = read_id(data, p)
        p = align4(p)
        _data_version, _memory_flags, language = struct.unpack_from("<IHH", data, p)
        body_start = off + header_size
        yield rtype, name, language, data[body_start:body_start + data_size]
        off = align4(body_start + data_size)


def read_node(block, off):
    """One node of the version tree: (key, type, value bytes, children)."""
    length, value_length, kind = struct.unpack_from("<HHH", block, off)
    end = off + length
    key_start = off + 6
    key_end = key_start
    while struct.unpack_from("<H", block, key_end)[0] != 0:
        key_end += 2
    key = block[key_start:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    value_bytes = value_length * 2 if kind == 1 else value_length
    value = block[value_start:value_start + value_bytes]
    children = []
    p = align4(value_start + value_bytes)
    while p < end:
        child = read_node(block, p)
        children.append(child)
        (child_length,) = struct.unpack_from("<H", block, p)
        p = align4(p + child_length)
    return key, kind, value, children


def text(value):
    decoded = value.decode("utf-16-le")
    if not decoded.endswith("\0"):
        raise ValueError(f"text value {decoded!r} lacks its terminating NUL")
    return decoded[:-1]


def check(res, fixed_wanted, strings_wanted, failures):
    def expect(what, actual, wanted):
        if actual != wanted:
            failures.append(f"{what}: {actual!r}, expected {wanted!r}")

    versions = [r for r in resources(res) if r[0] == RT_VERSION]
    expect("number of version resources", len(versions), 1)
    if not versions:
        return
    _rtype, name, language, body = versions[0]
    expect("resource name", name, VS_VERSION_INFO)
    expect("resource language", hex(language), hex(FRENCH))

    key, _kind, fixed, children = read_node(body, 0)
    expect("root key", key, "VS_VERSION_INFO")
    expect("fixed part size", len(fixed), 52)
    if len(fixed) != 52:
        return
    f = struct.unpack("<13I", fixed)
    actual_fixed = {
        "signature": f[0],
        "struct version": f[1],
        "file version": (f[2] >> 16, f[2] & 0xFFFF, f[3] >> 16, f[3] & 0xFFFF),
        "product version": (f[4] >> 16, f[4] & 0xFFFF, f[5] >> 16, f[5] & 0xFFFF),
        "flags": f[7],
        "os": f[8],
        "file type": f[9],
        "file subtype": f[10],
        "date": (f[11], f[12]),
    }
    for field, wanted in fixed_wanted.items():
        expect(field, actual_fixed[field], wanted)

    blocks = {child[0]: child for child in children}
    expect("blocks under the root", sorted(blocks), ["StringFileInfo", "VarFileInfo"])

    tables = blocks.get("StringFileInfo", (None, None, None, []))[3]
    expect("string tables", [t[0] for t in tables], ["040C04B0"])
    if tables:
        strings = {s[0]: text(s[2]) for s in tables[0][3]}
        for field in sorted(set(strings) | set(strings_wanted)):
            expect(field, strings.get(field), strings_wanted.get(field))
        for s in tables[0][3]:
            expect(f"{s[0]} value type", s[1], 1)

    variables = blocks.get("VarFileInfo", (None, None, None, []))[3]
    expect("variables", [v[0] for v in variables], ["Translation"])
    if variables:
        translation = variables[0][2]
        pairs = [struct.unpack_from("<HH", translation, i) for i in range(0, len(translation), 4)]
        expect("Translation", pairs, [(FRENCH, UNICODE_CODEPAGE)])


def check_metainfo(path, version, failures):
    root = ET.parse(path).getroot()
    releases = [r.get("version") for r in root.iter("release")]
    if releases[:1] != [version]:
        failures.append(f"metainfo releases {releases}, expected {version} first")


def main():
    version, windres, preprocessor, rc_file, metainfo, work_dir = sys.argv[1:7]
    os.makedirs(work_dir, exist_ok=True)
    res_file = os.path.join(work_dir, "adresse-dmx.res")
    subprocess.run(
        [windres, f"--preprocessor={preprocessor}",
         "--preprocessor-arg=-E", "--preprocessor-arg=-xc", "--preprocessor-arg=-DRC_INVOKED",
         "-i", rc_file, "-O", "res", "-o", res_file],
        check=True)
    with open(res_file, "rb") as f:
        res = f.read()

    failures = []
    check(res, *expected_from(version), failures)
    check_metainfo(metainfo, version, failures)
    for failure in failures:
        print(failure)
    if failures:
        return 1
    print(f"version {version}: version record and metainfo agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
