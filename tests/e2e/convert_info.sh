#!/usr/bin/env bash
# "kgl convert" then "kgl info" on a small ASE export written here (one textured triangle with a
# material, a camera and an omni light): the scene file is written, "debug.log" appears in the
# working directory and info reads back what was converted. Also the converter's refusals: bad
# arguments (status 2), a missing input (status 1), an object without texture vertices (status -1).
set -uo pipefail
KGL="$1"
source "$(dirname "${BASH_SOURCE[0]}")/kgl_e2e.bash"

ase() {  # $1: number of texture vertices (0 or 3)
    printf '*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 2\n'
    printf '\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n'
    printf '*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME "Mat"\n'
    printf '\t\t*MATERIAL_CLASS "Standard"\n\t\t*MATERIAL_AMBIENT 0.1\t0.2\t0.3\n'
    printf '\t\t*MATERIAL_DIFFUSE 0.4\t0.5\t0.6\n\t\t*MATERIAL_SPECULAR 0.7\t0.8\t0.9\n'
    printf '\t\t*MATERIAL_SHINE 0.25\n\t\t*MATERIAL_SHINESTRENGTH 0.05\n\t\t*MATERIAL_TRANSPARENCY 0.0\n'
    printf '\t\t*MATERIAL_WIRESIZE 1.0\n\t\t*MATERIAL_SELFILLUM 0.0\n'
    printf '\t\t*MAP_DIFFUSE {\n\t\t\t*BITMAP "C:\\maps\\wood.jpg"\n\t\t}\n\t}\n}\n'
    printf '*GEOMOBJECT {\n\t*NODE_NAME "Tri01"\n\t*NODE_TM {\n\t\t*NODE_NAME "Tri01"\n'
    printf '\t\t*TM_POS 0.0\t0.0\t0.0\n\t}\n\t*MESH {\n\t\t*TIMEVALUE 0\n\t\t*MESH_NUMVERTEX 3\n'
    printf '\t\t*MESH_NUMFACES 1\n\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0\t0.0\t0.0\t0.0\n'
    printf '\t\t\t*MESH_VERTEX 1\t1.0\t0.0\t0.0\n\t\t\t*MESH_VERTEX 2\t0.0\t1.0\t0.0\n\t\t}\n'
    printf '\t\t*MESH_FACE_LIST {\n'
    printf '\t\t\t*MESH_FACE 0:\tA: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1\t*MESH_SMOOTHING 1\t*MESH_MTLID 0\n'
    printf '\t\t}\n\t\t*MESH_NUMTVERTEX %d\n' "$1"
    if [ "$1" -gt 0 ]; then
        printf '\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0\n\t\t\t*MESH_TVERT 1\t1.0\t0.0\t0.0\n'
        printf '\t\t\t*MESH_TVERT 2\t0.0\t1.0\t0.0\n\t\t}\n\t\t*MESH_NUMTVFACES 1\n'
        printf '\t\t*MESH_TFACELIST {\n\t\t\t*MESH_TFACE 0\t0\t1\t2\n\t\t}\n'
    fi
    printf '\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0\t0.0\t1.0\n'
    printf '\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0\t0.0\t1.0\n\t\t\t\t*MESH_VERTEXNORMAL 1\t0.0\t0.0\t1.0\n'
    printf '\t\t\t\t*MESH_VERTEXNORMAL 2\t0.0\t0.0\t1.0\n\t\t}\n\t}\n\t*MATERIAL_REF 0\n}\n'
    printf '*CAMERAOBJECT {\n\t*NODE_NAME "Camera01"\n\t*CAMERA_TYPE Target\n\t*NODE_TM {\n'
    printf '\t\t*NODE_NAME "Camera01"\n\t\t*TM_POS 0.0\t-50.0\t10.0\n\t\t*TM_ROTAXIS 1.0\t0.0\t0.0\n'
    printf '\t\t*TM_ROTANGLE 1.5\n\t}\n\t*NODE_TM {\n\t\t*NODE_NAME "Camera01.Target"\n'
    printf '\t\t*TM_POS 0.0\t0.0\t0.0\n\t}\n\t*CAMERA_SETTINGS {\n\t\t*TIMEVALUE 0\n'
    printf '\t\t*CAMERA_FOV 0.7854\n\t\t*CAMERA_TDIST 50.0\n\t}\n}\n'
    printf '*LIGHTOBJECT {\n\t*NODE_NAME "Omni01"\n\t*LIGHT_TYPE Omni\n\t*NODE_TM {\n'
    printf '\t\t*NODE_NAME "Omni01"\n\t\t*TM_POS 5.0\t6.0\t7.0\n\t}\n\t*LIGHT_SETTINGS {\n'
    printf '\t\t*TIMEVALUE 0\n\t\t*LIGHT_COLOR 1.0\t0.5\t0.25\n\t\t*LIGHT_INTENS 1.5\n\t}\n}\n'
}

ase 3 > tri.ase
ase 0 > notex.ase

"$KGL" convert tri.ase tri.k3d > out.txt 2> err.txt; rc=$?
[ $rc -eq 0 ] || { cat err.txt; fail "convert: expected status 0, got $rc"; }
[ -s tri.k3d ] || fail "convert: no scene file written"
[ -s debug.log ] || fail "convert: no debug.log in the working directory"
grep -q "1 objects, 1 materials, 1 cameras, 1 lights, 0 shapes" out.txt || { cat out.txt; fail "convert: counts"; }

"$KGL" info tri.k3d > info.txt 2> err.txt; rc=$?
[ $rc -eq 0 ] || { cat err.txt; fail "info: expected status 0, got $rc"; }
grep -qx "objects 1" info.txt || { cat info.txt; fail "info: object count"; }
grep -qx "cameras 1" info.txt || fail "info: camera count"
grep -qx "lights 1" info.txt || fail "info: light count"
grep -qx "lastframe 2" info.txt || fail "info: last frame"
grep -q '^object "Tri01" vertices 3 faces 1' info.txt || { cat info.txt; fail "info: the object"; }

"$KGL" convert tri.ase 2>/dev/null; [ $? -eq 2 ] || fail "one argument: expected status 2"
"$KGL" convert tri.ase x.k3d --bogus 2>/dev/null; [ $? -eq 2 ] || fail "unknown option: expected status 2"
"$KGL" convert missing.ase x.k3d 2>err.txt; [ $? -eq 1 ] || fail "missing input: expected status 1"
[ -s err.txt ] || fail "missing input: no message"
"$KGL" convert notex.ase notex.k3d 2>err.txt; rc=$?
[ $rc -eq 255 ] || fail "no texture vertices: expected status -1 (255), got $rc"
grep -q "texture vertices" err.txt || { cat err.txt; fail "no texture vertices: no message"; }
echo "PASS"
