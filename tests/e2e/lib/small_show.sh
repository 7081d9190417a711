# The engine test's small show, built in ./show of the current folder: two scenes converted from
# generated ASE exports, a few K2D pictures, a 3-second 44.1 kHz stereo MP3, an empty action track.
# Sourced by the tests; needs KGL, SHOWGEN, UNIT and a fail function. Leaves the caller in ./show.
make_small_show() {
    "$SHOWGEN" gen >/dev/null 2>&1 || fail "showgen failed"
    mkdir -p show/escena/scripts show/escena/maps
    cd show
    cp ../gen/escena/maps/* escena/maps/
    for f in gr1 gr2 heart1 alpha_1 load; do cp "../gen/escena/$f.k2d" escena/; done
    "$KGL" convert ../gen/escena/ase/test01.ase escena/test01.k3d --texdir escena/maps/ >/dev/null \
        || fail "convert test01"
    "$KGL" convert ../gen/escena/ase/fx01.ase escena/fx01.k3d --texdir escena/maps/ --pack >/dev/null \
        || fail "convert fx01"
    script() {  # name, packed
        printf 'K3D: 1\n{\nTXTPATH:"escena/maps/"\nUSETXTPACK: %s\nINFILE:"escena/%s.k3d"\n}\n' "$2" "$1" \
            >"escena/scripts/$1.txt"
    }
    script test01 0
    script fx01 1

    KGL_MP3_OUT="$PWD/escena/music.mp3" KGL_MP3_SECONDS=3 "$UNIT" --gtest_also_run_disabled_tests \
        --gtest_filter=Mp3Fixture.DISABLED_Write >/dev/null || fail "cannot write the test MP3"
    printf 'KEYBOARD: 0\r\nRENDERACTIONS: 1\r\nLOADACTIONS: 1\r\nSAVEACTIONS: 0\r\nUSEMP3: 1\r\n' >escena/Config.ini
    printf 'MP3STARTOFFSET: 0\r\nMP3STARTSECONDS: 0\r\nMP3:escena/music.mp3\r\n' >>escena/Config.ini
    : >escena/actions.bin
}
