#!/usr/bin/env bash
# The show generator: two runs give the same bytes, the folder holds every file the set-up
# loads, the configuration names the music, the music carries its LAME/Xing tag with a
# gapless length that covers every cue, and the action track uses every action but 8-11, 22, 66.
# Usage: bash showgen_determinism.sh KGL_BINARY BUILD_DIR
set -euo pipefail
build=${2:?build dir}
gen="$build/showgen"
if [ ! -x "$gen" ]; then
  echo "SKIP: no show generator at $gen"
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$gen" "$tmp/a" >/dev/null
"$gen" "$tmp/b" >/dev/null
diff -r "$tmp/a" "$tmp/b" >/dev/null || fail "two runs differ"
cd "$tmp/a"

# Every file the engine set-up loads.
for f in Config.ini actions.bin load.k2d gr1.k2d gr2.k2d heart1.k2d alpha_1.k2d Lens.k2d part2.k2d \
         raw.dat raw2.dat scripts/korvo.txt scripts/fx01.txt scripts/test01.txt scripts/test02.txt \
         scripts/test03.txt scripts/test04.txt scripts/fx05.txt scripts/fx02.txt; do
  [ -s "escena/$f" ] || fail "missing escena/$f"
done

# Configuration: keys in reading order, music and actions on, the name right after "MP3:".
expected=$'KEYBOARD: 0\nRENDERACTIONS: 1\nLOADACTIONS: 1\nSAVEACTIONS: 0\nUSEMP3: 1\nMP3STARTOFFSET: 0\nMP3STARTSECONDS: 0'
[ "$(head -n 7 escena/Config.ini)" = "$expected" ] || fail "Config.ini keys"
mp3=$(sed -n 's/^MP3:\(.*\)$/\1/p' escena/Config.ini)
[ -s "$mp3" ] || fail "music file '$mp3' missing"

# Scripts: each converts an ASE export that exists, and every bitmap it names is in the maps folder.
packed=0; ondisk=0
for s in escena/scripts/*.txt; do
  ase=$(sed -n '/^IMPORT:/,/^}/s/^INFILE:"\(.*\)"$/\1/p' "$s")
  [ -s "$ase" ] || fail "$s: ASE '$ase' missing"
  grep -q '^K3D: 1' "$s" || fail "$s: no K3D block"
  if grep -q '^USETXTPACK: 1' "$s"; then packed=1; else ondisk=1; fi
  for t in $(sed -n 's/.*\*BITMAP "maps\\\(.*\)"/\1/p' "$ase" | sort -u); do
    [ -s "escena/maps/$t" ] || fail "$ase: texture $t missing"
  done
  # The scene file's camera section is found by the first "Camera": it must be the first camera.
  first=$(grep -o -m1 'NODE_NAME "Camera[0-9]*"' "$ase" || true)
  [ -n "$first" ] || fail "$ase: no camera named Camera.."
done
[ $packed = 1 ] && [ $ondisk = 1 ] || fail "need scripts with packed and with on-disk textures"

# Names the director and the set-up address.
need() { for n in "${@:2}"; do grep -q "\*NODE_NAME \"$n\"" "escena/ase/$1.ase" || fail "$1: object $n missing"; done; }
need korvo bluezin bluezin01 a b c d e f g h i j k l m n blue bola02 h01 h02 orvo Box01 bola03 INIMAGE
need fx01 Box01 Box02 Box03 Box04 Box05 QUADS QUADS01
need test01 INNER OUTER STAR Box01
need test02 BACK GAMUT Drooler DroolerW5 DroolerW6
need test03 roots roots01 roots02 roots03 roots04 OUT IN
need test04 COVA CENTRE
need fx05 PORRA1 PORRA2 PORRA3
need fx02 CD1 CD2 CD3 CD4
grep -q '\*MESH_ANIMATION {' escena/ase/test02.ase || fail "GAMUT has no mesh animation"
last=$(sed -n 's/.*\*SCENE_LASTFRAME \([0-9]*\).*/\1/p' escena/ase/test02.ase)
[ "$last" -ge 190 ] || fail "test02 runs $last frames; GAMUT's clocks reach frame 188"

# Vertex and face counts of an object: the first mesh counts after its name.
counts() {
  awk -v n="\"$2\"" '$1 == "*NODE_NAME" && $2 == n && !seen { seen = 1; want = 2 }
    want && $1 == "*MESH_NUMVERTEX" { v = $2; want-- }
    want && $1 == "*MESH_NUMFACES" { f = $2; want--; if (!want) { print v, f; exit } }' "escena/ase/$1.ase"
}
same() { # morph sources and targets share their vertex count
  local ref; ref=$(counts "$1" "$2" | cut -d' ' -f1)
  for n in "${@:3}"; do [ "$(counts "$1" "$n" | cut -d' ' -f1)" = "$ref" ] || fail "$1: $n differs from $2"; done
}
same test03 roots roots01 roots02 roots03 roots04
same test02 Drooler DroolerW5 DroolerW6
read -r cv cf <<< "$(counts test04 CENTRE)"
[ "$cv" -ge 32 ] && [ "$cf" -ge 64 ] || fail "CENTRE has $cv vertices and $cf faces"
read -r gv gf <<< "$(counts test02 GAMUT)"
[ "$(counts test02 Drooler)" != "$gv $gf" ] || fail "GAMUT shares its counts with Drooler"
# Packed textures lie before the cameras in the scene file, which is searched for "Camera".
! grep -l Camera escena/maps/*.jpg >/dev/null || fail "a texture contains the bytes Camera"

# Pictures: K2D entry counts (byte 29) of the lens flare and the masked overlays.
count() { od -A n -t u1 -j 29 -N 1 "$1" | tr -d ' '; }
[ "$(count escena/Lens.k2d)" = 5 ] || fail "Lens.k2d needs five elements"
[ "$(count escena/heart1.k2d)" = 2 ] || fail "heart1.k2d needs colour and mask"
[ "$(count escena/alpha_1.k2d)" = 2 ] || fail "alpha_1.k2d needs colour and mask"
for f in raw.dat raw2.dat maps/korvo_nebula.jpg; do
  [ "$(od -A n -t x1 -N 2 "escena/$f" | tr -d ' ')" = ffd8 ] || fail "$f is not a JPEG stream"
done

# Music: the first frame is the Info tag with the LAME encoder delay and padding; the gapless
# length (frames x 1152 - delay - padding) in bytes of 16-bit stereo must cover every cue.
u8() { od -A n -t u1 -j "$2" -N 1 "$1" | tr -d ' '; }
[ "$(dd if="$mp3" bs=1 skip=36 count=4 2>/dev/null)" = Info ] || fail "no Info tag"
[ "$(dd if="$mp3" bs=1 skip=156 count=4 2>/dev/null)" = LAME ] || fail "no LAME tag"
frames=$(( ($(u8 "$mp3" 44) << 24) | ($(u8 "$mp3" 45) << 16) | ($(u8 "$mp3" 46) << 8) | $(u8 "$mp3" 47) ))
b0=$(u8 "$mp3" 177); b1=$(u8 "$mp3" 178); b2=$(u8 "$mp3" 179)
samples=$(( frames * 1152 - ((b0 << 4) | (b1 >> 4)) - (((b1 & 15) << 8) | b2) ))
seconds=$(( samples / 44100 ))
[ $seconds -ge 150 ] && [ $seconds -le 210 ] || fail "music is $seconds s long"
length=$(( samples * 4 ))

# Action track: 9-byte records, ascending positions inside the music, the expected action set.
size=$(stat -c %s escena/actions.bin)
[ $(( size % 9 )) = 0 ] || fail "actions.bin is not a sequence of 9-byte records"
records=$(od -A n -v -t u1 escena/actions.bin | tr -s ' ' '\n' | grep -v '^$' | awk '
  { b[n % 9] = $1; n++
    if (n % 9 == 0) {
      pos = b[0] + b[1] * 256 + b[2] * 65536 + b[3] * 16777216
      act = b[4] + b[5] * 256 + b[6] * 65536 + b[7] * 16777216
      if (act >= 2147483648) act -= 4294967296
      print pos, act
    } }')
prev=0
declare -A used
while read -r pos act; do
  [ "$pos" -ge "$prev" ] || fail "positions not ascending at $pos"
  [ "$pos" -lt "$length" ] || fail "cue at $pos after the end of the music ($length)"
  prev=$pos
  used[$act]=1
done <<< "$records"
for a in $(seq 0 90); do
  case $a in
    8|9|10|11|22|66) [ -z "${used[$a]:-}" ] || fail "action $a must not be used" ;;
    *) [ -n "${used[$a]:-}" ] || fail "action $a never used" ;;
  esac
done
first_action=$(echo "$records" | head -n 1 | awk '{print $2}')
[ "$first_action" = 0 ] || fail "the show must open on slot 0"

# A preview from 100 s starts the music a little earlier and keeps every cue, the replayed ones
# between the music start and 100 s.
"$gen" "$tmp/p" --from 100 >/dev/null
start=$(sed -n 's/^MP3STARTSECONDS: //p' "$tmp/p/escena/Config.ini")
{ [ "$start" -gt 80 ] && [ "$start" -lt 100 ]; } || fail "preview music starts at $start s"
actions_of() { od -A n -v -t u1 "$1" | tr -s ' ' '\n' | grep -v '^$' |
  awk '{ b[n % 9] = $1; n++; if (n % 9 == 0) print b[4] + b[5] * 256 }' | sort -n; }
[ "$(actions_of escena/actions.bin)" = "$(actions_of "$tmp/p/escena/actions.bin")" ] ||
  fail "the preview track does not keep every action"

total=$(du -sk escena | awk '{print $1}')
[ "$total" -lt 20480 ] || fail "show folder is ${total} KB"
echo "PASS: show generated twice identically, ${total} KB, music ${seconds} s, $(( size / 9 )) cues"
