#!/usr/bin/env bash
# "kgl view" on a small scene file written here (a red square sliding across the camera's view,
# one omni light): batch run with capture; the frames are not black and the square is in the
# middle of the picture. Also the viewer's refusals: no file, a missing file.
set -uo pipefail
KGL="$1"
source "$(dirname "${BASH_SOURCE[0]}")/kgl_e2e.bash"
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

PYTHONPATH="$HERE" python3 - cap/frame-000003.png <<'PY' || fail "captured frame is wrong"
import sys
from kgl_png import read_rows
w, h, bpp, rows = read_rows(sys.argv[1])
def lit(x, y):
    r = rows[y]
    return sum(r[x * bpp:x * bpp + 3]) > 30
mid = h // 2
assert lit(w // 2, mid), "centre is black"
assert not lit(2, 2), "corner is not black"
assert not lit(w - 3, mid), "the square fills the whole width"
PY
echo "view scene: ok"
