// Deformers without GL: morph-to steps and flights, face sorting, the wave and harmonic programs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "scene/kgl_deform.h"
#include "scene/kgl_scene3d.h"
#include "tests/unit/kgl_test_files.h"

using namespace kgl;

namespace {

void nameObject(SceneObject& o, const char* name) {
    std::strncpy(o.name, name, kObjectNameSize - 1);
}

void setVertices(SceneObject& o, std::initializer_list<Vec3> ps) {
    o.vertexCount = static_cast<int>(ps.size());
    o.vertices.clear();
    for (const Vec3& p : ps) {
        ObjectVertex v;
        v.pos = p;
        o.vertices.push_back(v);
    }
    o.restPositions = std::vector<Vec3>(ps);
    o.absolutePositions = o.restPositions;
}

// A strip of `n` faces over 3n vertices, face i centred at (x[i], 0, z[i]).
void makeFaces(SceneObject& o, int n, const float* xs, const float* zs) {
    o.vertices.clear();
    o.restPositions.clear();
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < 3; ++k) {
            ObjectVertex v;
            v.pos = Vec3{xs[i], float(k), zs[i]};
            o.vertices.push_back(v);
            o.restPositions.push_back(v.pos);
        }
        ObjectFace f;
        f.a = uint16_t(3 * i);
        f.b = uint16_t(3 * i + 1);
        f.c = uint16_t(3 * i + 2);
        f.materialId = uint16_t(i);
        f.normal = Vec3{float(i), 0, 0};
        o.faces.push_back(f);
        TextureFace t;
        t.t[0] = uint16_t(i);
        o.texFaces.push_back(t);
    }
    o.vertexCount = 3 * n;
    o.faceCount = n;
}

}  // namespace

TEST(MorphTo, StepsFollowTheIntegerRule) {
    EXPECT_EQ(MorphAxisStep(100.0f, 0.0f, 10), 10.0f);
    EXPECT_EQ(MorphAxisStep(0.0f, 99.9f, 10), 9.0f);  // |trunc(-99.9)| / 10 = 99 / 10
    EXPECT_EQ(MorphAxisStep(7.5f, 0.0f, 10), 0.0f);
    EXPECT_EQ(MorphAxisStep(5.0f, 0.0f, 0), 5.0f);  // steps 0 taken as 1
}

TEST(MorphTo, DifferentVertexCountsDoNothing) {
    Scene3D s;
    s.objects.resize(2);
    nameObject(s.objects[0], "a");
    nameObject(s.objects[1], "b");
    setVertices(s.objects[0], {{0, 0, 0}});
    setVertices(s.objects[1], {{1, 0, 0}, {2, 0, 0}});
    s.MorphObjectTo("a", "b", 0, 10);
    EXPECT_EQ(s.objects[0].morphToOn, 0);
}

TEST(MorphTo, FliesOutWithinTheSlackAndBackHome) {
    Scene3D s;
    s.objects.resize(2);
    nameObject(s.objects[0], "a");
    nameObject(s.objects[1], "b");
    setVertices(s.objects[0], {{0, 0, 0}, {0, 5, 0}});
    setVertices(s.objects[1], {{100, 0, 0}, {0, 5, -37}});
    SceneObject& a = s.objects[0];
    s.MorphObjectTo("a", "b", 1, 10);
    ASSERT_EQ(a.morphToOn, 1);
    EXPECT_EQ(a.morphMode, 1);
    EXPECT_EQ(a.morphActive, 0);  // left as it was
    a.MorphToStep();
    EXPECT_EQ(a.vertices[0].pos.x, 0.0f);
    s.SetMorphActive("a", 1, 1);
    a.MorphToStep();
    EXPECT_EQ(a.vertices[0].pos.x, 10.0f);
    EXPECT_EQ(a.vertices[1].pos.z, -3.0f);
    for (int i = 0; i < 20; ++i) a.MorphToStep();
    EXPECT_EQ(a.vertices[0].pos.x, 100.0f);
    EXPECT_EQ(a.morphMoving[0], 0);
    // 37 / 10 = 3 per frame: stops at 36, within 2.11 of the goal.
    EXPECT_EQ(a.vertices[1].pos.z, -36.0f);
    EXPECT_EQ(a.morphMoving[1], 0);
    s.SetMorphActive("a", 1, 0);
    for (int i = 0; i < 20; ++i) a.MorphToStep();
    EXPECT_EQ(a.vertices[0].pos.x, 0.0f);
    EXPECT_EQ(a.vertices[1].pos.z, 0.0f);
    EXPECT_EQ(a.morphMoving[0], 1);
    EXPECT_EQ(a.morphMoving[1], 1);
}

TEST(MorphTo, ArrivalUsesTheManhattanSlack) {
    float p[3] = {0, 0, 0};
    const float step[3] = {1, 1, 1};
    const float within[3] = {1.0f, 1.1f, 0.0f};  // 2.1: arrived
    EXPECT_TRUE(MorphVertexStep(p, within, step));
    const float beyond[3] = {1.0f, 1.2f, 0.0f};  // 2.2: moves
    EXPECT_FALSE(MorphVertexStep(p, beyond, step));
    EXPECT_EQ(p[0], 1.0f);
    EXPECT_EQ(p[2], -1.0f);  // goal <= coordinate: decreases
}

TEST(FaceSort, SmallestZFirstThenSmallestX) {
    SceneObject o;
    const float xs[] = {5, 1, 3, 0, 2};
    const float zs[] = {2, 1, 1, 3, 0};
    makeFaces(o, 5, xs, zs);
    o.SortFaces();
    const int expected[] = {4, 1, 2, 0, 3};  // z 0; z 1 (x 1, x 3); z 2; z 3
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(o.faces[i].materialId, expected[i]) << i;
        EXPECT_EQ(o.texFaces[i].t[0], expected[i]) << i;
        EXPECT_EQ(o.faces[i].a, 3 * expected[i]) << i;
        EXPECT_EQ(o.faces[i].normal.x, float(expected[i])) << i;
    }
}

TEST(HarmProgram, FewerThan64FacesMoveNothingButTheTermsOscillate) {
    kgl_test::TempCwd tmp;  // the programs write "lissa" dumps
    Scene3D s;
    s.objects.resize(1);
    nameObject(s.objects[0], "h");
    SceneObject& o = s.objects[0];
    float xs[10], zs[10];
    for (int i = 0; i < 10; ++i) xs[i] = zs[i] = float(i);
    makeFaces(o, 10, xs, zs);
    float p[33] = {};
    for (int j = 0; j < 8; ++j) {
        p[j] = 2;           // m
        p[8 + 3 * j] = 1;   // rising
        p[9 + 3 * j] = 30;  // up
        p[10 + 3 * j] = 1;  // down
    }
    s.RunVertexProgram("h", "R3_HARM_PRG", p, 33);
    ASSERT_EQ(o.harmProgramOn, 1);
    const std::vector<ObjectVertex> before = o.vertices;
    o.UpdateAnimation(1);
    EXPECT_EQ(o.harmM[0], 32);
    o.UpdateAnimation(2);
    EXPECT_EQ(o.harmM[0], 62);
    o.UpdateAnimation(3);  // 92 > 64: stops rising
    EXPECT_EQ(o.harmM[0], 92);
    EXPECT_EQ(o.harmRising[0], 0);
    o.UpdateAnimation(4);
    EXPECT_EQ(o.harmM[0], 91);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(o.vertices[i].pos.x, before[i].pos.x);
    s.RunVertexProgram("h", "R3_HARM_PRG", p, 33);  // second call stops it
    EXPECT_EQ(o.harmProgramOn, 0);
}

TEST(HarmProgram, MovesFacesWithEnoughOfThem) {
    kgl_test::TempCwd tmp;  // the programs write "lissa" dumps
    SceneObject o;
    std::vector<float> xs(128), zs(128);
    for (int i = 0; i < 128; ++i) xs[i] = zs[i] = float(i);
    makeFaces(o, 128, xs.data(), zs.data());
    float p[33] = {};
    for (int j = 0; j < 8; ++j) p[j] = 1;
    p[32] = 1000;
    o.StartHarmProgram(p);
    const Vec3 rest = o.vertices[0].pos;
    o.RunHarmProgram();  // n = 2: faces 0..3 move by v
    const Vec3 moved = o.vertices[0].pos;
    EXPECT_TRUE(moved.x != rest.x || moved.y != rest.y || moved.z != rest.z);
    EXPECT_EQ(o.vertices[3 * 10].pos.x, 10.0f);  // face 10 is beyond n * n
}

TEST(DeformProgram, SecondCallStopsItAndTheFacesStaySorted) {
    kgl_test::TempCwd tmp;  // the programs write "lissa" dumps
    Scene3D s;
    s.objects.resize(1);
    nameObject(s.objects[0], "w");
    SceneObject& o = s.objects[0];
    const float xs[] = {0, 0, 0, 0, 0, 0, 0, 0};
    const float zs[] = {7, 6, 5, 4, 3, 2, 1, 0};
    makeFaces(o, 8, xs, zs);
    float p[19] = {};
    p[0] = 1;
    p[1] = 1;
    p[2] = 4;
    p[3] = 1;
    p[4] = 1;
    p[5] = 4;
    p[12] = 1;  // step
    p[16] = 2;  // amplitude
    p[18] = 0;  // wave mode
    s.RunVertexProgram("w", "R3_DEFORM_PRG", p, 19);
    ASSERT_EQ(o.deformProgramOn, 1);
    EXPECT_EQ(o.faces[0].materialId, 7);
    o.UpdateAnimation(1);
    // Row 0 moves faces 0..3 by +(dx, dy), row 1 faces 4..7 by -(dx, dy); nothing in z.
    const Vec3 r0 = o.restPositions[o.faces[0].a];
    const Vec3 w0 = o.vertices[o.faces[0].a].pos;
    const Vec3 r4 = o.restPositions[o.faces[4].a];
    const Vec3 w4 = o.vertices[o.faces[4].a].pos;
    EXPECT_FLOAT_EQ(w0.x - r0.x, -(w4.x - r4.x));
    EXPECT_FLOAT_EQ(w0.y - r0.y, -(w4.y - r4.y));
    EXPECT_EQ(w0.z, r0.z);
    EXPECT_TRUE(o.faces[0].done);
    s.RunVertexProgram("w", "R3_DEFORM_PRG", p, 19);
    EXPECT_EQ(o.deformProgramOn, 0);
    EXPECT_EQ(o.faces[0].materialId, 7);
}

TEST(DeformProgram, RowOffsetsByMode) {
    float dx = 9, dy = 9;
    ASSERT_TRUE(DeformRowOffsets(0, 0.0f, 0.0f, 0.0f, 2.0f, &dx, &dy));
    EXPECT_FLOAT_EQ(dy, 2.0f);
    EXPECT_FLOAT_EQ(dx, 0.0f);
    ASSERT_TRUE(DeformRowOffsets(1, 0.0f, 0.0f, 0.0f, 2.0f, &dx, &dy));
    EXPECT_FLOAT_EQ(dy, 0.0f);
    EXPECT_FLOAT_EQ(dx, 2.0f);
    EXPECT_FALSE(DeformRowOffsets(7, 0.0f, 0.0f, 0.0f, 2.0f, &dx, &dy));
    EXPECT_FLOAT_EQ(dx, 2.0f);  // unknown mode keeps the previous row's values
}

TEST(RestoreMorph, CopiesRestPositionsBack) {
    SceneObject o;
    setVertices(o, {{1, 2, 3}});
    o.vertices[0].pos = Vec3{9, 9, 9};
    o.RestoreMorph();
    EXPECT_EQ(o.vertices[0].pos.y, 2.0f);
}
