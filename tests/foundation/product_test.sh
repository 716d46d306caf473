#!/usr/bin/env bash
# Static checks of the shipped executable: a 32-bit GUI program that needs
# nothing but system DLLs and carries its manifest and version resource.
set -euo pipefail
exe="$UNINST_BINARY_DIR/uninstaller.exe"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "no $exe"
headers=$(i686-w64-mingw32-objdump -p "$exe")

grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 i386 image"
grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' <<<"$headers" || fail "not the GUI subsystem"

# DLLs that every Windows installation has; anything else (a MinGW runtime DLL,
# a library DLL) would be missing on the players' machines.
allowed="kernel32.dll user32.dll gdi32.dll gdiplus.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
comctl32.dll comdlg32.dll imm32.dll msimg32.dll shlwapi.dll version.dll dbghelp.dll iphlpapi.dll dxgi.dll
ws2_32.dll crypt32.dll bcrypt.dll secur32.dll normaliz.dll wldap32.dll msvcrt.dll uuid.dll winmm.dll"
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
  grep -qw -- "$dll" <<<"$allowed" || fail "imports $dll, which is not a system DLL"
done
grep -qx kernel32.dll <<<"$imports" || fail "kernel32.dll missing from the imports"

# The resource directory: walk it and pull out the manifest and the version block.
python3 - "$exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
assert data[pe:pe + 4] == b"PE\0\0"
nsec = struct.unpack_from("<H", data, pe + 6)[0]
opt_size = struct.unpack_from("<H", data, pe + 20)[0]
opt = pe + 24
assert struct.unpack_from("<H", data, opt)[0] == 0x10B, "not PE32"
rsrc_rva = struct.unpack_from("<I", data, opt + 96 + 2 * 8)[0]
sections = []
for i in range(nsec):
    s = opt + opt_size + 40 * i
    vsize, va, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
    sections.append((va, max(vsize, rsize), raw))
def off(rva):
    for va, size, raw in sections:
        if va <= rva < va + size:
            return raw + rva - va
    sys.exit("FAIL: RVA outside the sections")
if not rsrc_rva:
    sys.exit("FAIL: no resources")
base = off(rsrc_rva)
def entries(dir_off):
    named, ids = struct.unpack_from("<HH", data, dir_off + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", data, dir_off + 16 + 8 * i)
        yield name, target
def first_leaf(target):
    while target & 0x80000000:
        target = next(entries(base + (target & 0x7FFFFFFF)))[1]
    rva, size = struct.unpack_from("<II", data, base + target)
    return data[off(rva):off(rva) + size]
types = {name: target for name, target in entries(base)}
if 24 not in types:
    sys.exit("FAIL: no manifest resource")
manifest = first_leaf(types[24]).decode("utf-8")
for needle in ('level="requireAdministrator"', 'name="Microsoft.Windows.Common-Controls"', 'version="6.0.0.0"'):
    if needle not in manifest:
        sys.exit("FAIL: manifest lacks " + needle)
if 16 not in types:
    sys.exit("FAIL: no version resource")
version = first_leaf(types[16])
if "VS_VERSION_INFO".encode("utf-16-le") not in version or struct.unpack_from("<I", version, 40)[0] != 0xFEEF04BD:
    sys.exit("FAIL: version resource has no fixed file information")
PY
echo PASS
