#!/usr/bin/env bash
# "kgl view" on a small scene file written here (a red square sliding across the camera's view,
# one omni light): batch run with capture; the frames are not black and the square is in the
# middle of the picture. Also the viewer's refusals: no file, a missing file.
set -uo pipefail
KGL="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
command -v python3 >/dev/null || { echo "SKIP: python3 not installed"; exit 0; }

"$KGL" view 2>/dev/null; [ $? -eq 2 ] || fail "no file: expected status 2"
"$KGL" view missing.k3d --batch --frames 1 2>err.txt; [ $? -eq 1 ] || fail "missing file: expected status 1"
grep -q "K3D Scene File Not Founde." err.txt || fail "missing file: no message"

python3 - <<'PY' || fail "could not write the scene"
import struct
L = 20
out = bytearray(b"KORVO_GL3D EngineSceneFile" + b" " * 43)
out[50:56] = struct.pack("<HHH", L, 30, 160)
del out[56:]
def u8(v): out.extend(struct.pack("<B", v))
def u16(v): out.extend(struct.pack("<H", v))
def i32(v): out.extend(struct.pack("<i", v))
def f32(*vs): out.extend(struct.pack("<%df" % len(vs), *vs))
def name(s): u16(len(s)); out.extend(s.encode())
def vec(x, y, z): f32(x, -z, y)  # model Y-up to file Z-up
# object
name("Square"); u16(1); u16(0); u16(0); vec(0, 0, 0); u16(4); u16(2); u16(0)
pts = [(-2, -2), (2, -2), (2, 2), (-2, 2)]
for x, y in pts: vec(x, y, 0)
faces = [(0, 1, 2, 0), (2, 3, 0, 0)]
for f in faces:
    for v in f: u16(v)
u16(4)
for x, y in pts: f32((x + 2) / 4, (y + 2) / 4, 0)
for f in faces:
    for v in f[:3]: u16(v)
for _ in range(6): vec(0, 0, 1)
u16(0)
i32(L + 1)
for i in range(L + 1): vec(i / 8.0, 0, 0)
# material
i32(0); f32(0.3, 0, 0, 1, 0, 0, 0, 0, 0, 0.1, 0, 0, 1, 0); u16(0); name("none.jpg")
# camera
name("Camera01"); vec(0, 0, 10); f32(0, 0, 0); vec(0, 0, 0); u8(0); u8(0); u8(0)
# light
u8(0); vec(0, 0, 30); f32(1, 1, 1, 1); u8(0)
out[26:40] = struct.pack("<7H", 1, 1, L, 1, 1, L + 1, 0)
open("view.k3d", "wb").write(out)
PY

"$KGL" view view.k3d --batch --windowed --fixed-fps 30 --frames 4 --capture cap --camera 3 \
    || fail "view run failed"
n=$(ls cap | grep -c '^frame-[0-9]\{6\}\.png$')
[ "$n" -eq 4 ] || fail "expected 4 frames, got $n"

python3 - cap/frame-000003.png <<'PY' || fail "captured frame is wrong"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
pos, idat, w, h, ctype = 8, b"", 0, 0, 0
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + n]
    if kind == b"IHDR": w, h, _, ctype = struct.unpack(">IIBB", body[:10])
    if kind == b"IDAT": idat += body
    pos += 12 + n
bpp = 4 if ctype == 6 else 3
raw = zlib.decompress(idat)
stride = w * bpp
rows, prev = [], bytearray(stride)
for y in range(h):
    f = raw[y * (stride + 1)]
    line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        if f == 1: line[i] = (line[i] + a) & 255
        elif f == 2: line[i] = (line[i] + b) & 255
        elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    prev = line
def lit(x, y):
    r = rows[y]
    return sum(r[x * bpp:x * bpp + 3]) > 30
mid = h // 2
assert lit(w // 2, mid), "centre is black"
assert not lit(2, 2), "corner is not black"
assert not lit(w - 3, mid), "the square fills the whole width"
PY
echo "view scene: ok"
