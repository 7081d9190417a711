// Scene update maths without GL: frame counter wrap, director moves, tracks with their modulo and
// reset rules, own clocks, cameras, lights and glow limits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene/kgl_materials.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_anim.h"
#include "tests/unit/kgl_test_files.h"

using namespace kgl;

namespace {

void nameObject(SceneObject& o, const char* name) {
    std::strncpy(o.name, name, kObjectNameSize - 1);
}

// A scene with L = 100, one camera and one object named "box".
void makeScene(Scene3D& s, int cameras = 1) {
    s.lastFrame = 100;
    s.cameras.resize(cameras);
    s.objects.resize(1);
    nameObject(s.objects[0], "box");
    s.drawOrder = {0};
}

}  // namespace

TEST(FrameCounter, ForwardWrapsFromLastMinusTwoToFirstPlusOne) {
    Scene3D s;
    makeScene(s, 0);
    for (int i = 1; i <= 98; ++i) {
        s.Update();
        ASSERT_EQ(static_cast<int>(s.currentFrame), i);
    }
    s.Update();
    EXPECT_EQ(s.currentFrame, 1.0f);
}

TEST(FrameCounter, BackwardsWrapsFromOneToLastMinusTwo) {
    Scene3D s;
    makeScene(s, 0);
    s.currentFrame = 1.0f;
    s.SetForward(0);
    s.Update();
    EXPECT_EQ(s.currentFrame, 98.0f);
    s.Update();
    EXPECT_EQ(s.currentFrame, 97.0f);
}

TEST(FrameCounter, DirectorMovesWrapToFirstPlusOne) {
    Scene3D s;
    makeScene(s);
    s.firstFrame = 10;
    s.currentFrame = 90.0f;
    s.AdvanceFrames(5.0f);
    EXPECT_EQ(s.currentFrame, 95.0f);
    s.AdvanceFrames(5.0f);  // 100 > 98
    EXPECT_EQ(s.currentFrame, 11.0f);
    s.currentFrame = 14.0f;
    s.RewindFrames(2.0f);
    EXPECT_EQ(s.currentFrame, 12.0f);
    s.RewindFrames(1.0f);  // 11 < 12
    EXPECT_EQ(s.currentFrame, 11.0f);
}

TEST(ObjectTracks, RotationPastItsKeysResetsAndUsesTheModulo) {
    SceneObject o;
    o.rotationFlag = 1;
    o.rotationKeys.resize(103);
    o.rotationKeyCount = 10;
    for (int i = 0; i < 10; ++i) o.rotationKeys[i] = RotationKey{Vec3{0, 1, 0}, float(i)};
    o.initialRotation[0] = RotationKey{Vec3{1, 0, 0}, 100.0f};
    o.initialRotation[1] = o.initialRotation[0];
    o.rotationAngle = 7.0f;
    o.UpdateAnimation(3);  // within the keys: the angle accumulates
    EXPECT_FLOAT_EQ(o.rotationAngle, 10.0f);
    o.UpdateAnimation(15);  // past them: reset to the initial rotation, then key 5
    EXPECT_FLOAT_EQ(o.rotationAngle, 105.0f);
    EXPECT_EQ(o.rotationAxis.y, 1.0f);
}

TEST(ObjectTracks, PositionModuloCarriesIntoTheLaterTracks) {
    SceneObject o;
    o.positionFlag = 1;
    o.scaleFlag = 1;
    o.positionKeys.resize(20);
    o.scaleKeys.resize(20);
    o.positionKeyCount = 4;
    o.scaleKeyCount = 20;
    for (int i = 0; i < 20; ++i) {
        o.positionKeys[i] = Vec3{float(i), 0, 0};
        o.scaleKeys[i] = Vec3{float(i), 1, 1};
    }
    o.UpdateAnimation(4);  // a frame equal to the key count is past the last key
    EXPECT_EQ(o.pivot.x, 0.0f);
    EXPECT_EQ(o.scale.x, 0.0f);
    o.UpdateAnimation(7);
    EXPECT_EQ(o.pivot.x, 3.0f);
    EXPECT_EQ(o.scale.x, 3.0f);
}

TEST(ObjectTracks, TracksFlaggedPresentWithoutKeysAreSkipped) {
    SceneObject o;
    o.positionFlag = o.rotationFlag = o.scaleFlag = 1;
    o.pivot = Vec3{1, 2, 3};
    o.rotationAngle = 9.0f;
    o.UpdateAnimation(15);
    EXPECT_EQ(o.pivot.y, 2.0f);
    EXPECT_EQ(o.rotationAngle, 9.0f);
    EXPECT_EQ(o.scale.x, 1.0f);
}

TEST(ObjectTracks, MorphTrackSetsEveryWorkingVertex) {
    SceneObject o;
    o.morphFlag = 1;
    o.vertexCount = 2;
    o.vertices.resize(2);
    o.morphKeys.resize(3 * 2);
    o.morphKeys[2] = Vec3{5, 6, 7};
    o.morphKeys[3] = Vec3{8, 9, 10};
    o.UpdateAnimation(1);
    EXPECT_EQ(o.vertices[0].pos.x, 5.0f);
    EXPECT_EQ(o.vertices[1].pos.z, 10.0f);
    o.UpdateAnimation(50);  // beyond the stored frames: holds the last one, no stray read
    EXPECT_EQ(o.vertices[0].pos.x, 0.0f);
}

TEST(OwnClock, LoopsOrClampsBetweenFirstAndLast) {
    EXPECT_EQ(StepOwnClock(5, 2, 5, true), 2);
    EXPECT_EQ(StepOwnClock(5, 2, 5, false), 5);
    EXPECT_EQ(StepOwnClock(0, 2, 5, false), 2);
    EXPECT_EQ(StepOwnClock(3, 2, 5, true), 4);

    Scene3D s;
    makeScene(s);
    SceneObject& o = s.objects[0];
    o.positionFlag = 1;
    o.positionKeys.resize(10);
    o.positionKeyCount = 10;
    for (int i = 0; i < 10; ++i) o.positionKeys[i] = Vec3{float(i), 0, 0};
    s.SetObjectClock("bo", 3.7f, 5.2f, 1);  // a prefix is not the exact name
    EXPECT_EQ(o.clockOn, 0);
    s.SetObjectClock("box", 3.7f, 5.2f, 1);
    EXPECT_EQ(o.clockKey, 3);
    s.Update();
    EXPECT_EQ(o.pivot.x, 4.0f);
    s.Update();
    s.Update();  // 6 > 5 wraps to 3
    EXPECT_EQ(o.pivot.x, 3.0f);
}

TEST(Cameras, ActiveCameraIsClampedAndFovNeedsAValidIndex) {
    Scene3D s;
    makeScene(s, 3);
    s.SetActiveCamera(7);
    EXPECT_EQ(s.activeCamera, 2);
    s.SetActiveCamera(1);
    EXPECT_EQ(s.activeCamera, 1);
    s.SetCameraFov(60.0f, 3);
    s.SetCameraFov(30.0f, 0);
    EXPECT_EQ(s.cameras[0].fov, 30.0f);
    EXPECT_EQ(s.cameras[2].fov, 45.0f);
}

TEST(Cameras, TracksFollowTheFrame) {
    Scene3D s;
    makeScene(s);
    SceneCamera& c = s.cameras[0];
    c.positionFlag = 1;
    c.positionKeyCount = 5;
    c.positionKeys.resize(5);
    for (int i = 0; i < 5; ++i) c.positionKeys[i].pos = Vec3{float(i), 0, 0};
    c.fovFlag = 1;
    c.fovKeys.assign(101, 50.0f);
    s.Update();
    EXPECT_EQ(c.eye.x, 1.0f);
    EXPECT_EQ(c.fov, 50.0f);
    s.currentFrame = 9.0f;
    s.Update();  // frame 10 is past the five keys: the last one holds
    EXPECT_EQ(c.eye.x, 4.0f);
}

TEST(SceneUpdate, WithoutCamerasNothingButTheCounterMoves) {
    Scene3D s;
    makeScene(s, 0);
    SceneObject& o = s.objects[0];
    o.positionFlag = 1;
    o.positionKeys.assign(10, Vec3{5, 5, 5});
    o.positionKeyCount = 10;
    s.lights.resize(1);
    s.lights[0].positionFlag = 1;
    s.lights[0].positionKeys.assign(10, Vec4{});
    s.lights[0].positionKeyCount = 10;
    s.Update();
    EXPECT_EQ(s.currentFrame, 1.0f);
    EXPECT_EQ(o.pivot.x, 0.0f);
    EXPECT_EQ(s.lights[0].glowAngle, 0.0f);
}

TEST(Lights, GlowPulsatesOnlyWithAPositionTrack) {
    Scene3D s;
    makeScene(s);
    s.lights.resize(2);
    for (SceneLight& l : s.lights) l.SetGlowLimits(50, 30, 20, 10);
    SceneLight& moving = s.lights[0];
    moving.positionFlag = 1;
    moving.positionKeys.assign(10, Vec4{1, 2, 3, 0});
    moving.positionKeyCount = 10;
    s.Update();
    EXPECT_EQ(moving.position.y, 2.0f);
    EXPECT_EQ(moving.position.w, 1.0f);
    EXPECT_EQ(moving.ringAngle, -3.0f);
    EXPECT_EQ(moving.glowAngle, 5.0f);
    EXPECT_EQ(moving.glowSize1, 63.0f);  // rises first, then is above 50 and turns
    EXPECT_EQ(moving.glowRising1, 0);
    s.Update();
    EXPECT_EQ(moving.glowSize1, 62.0f);
    EXPECT_EQ(s.lights[1].glowSize1, 62.0f);
    EXPECT_EQ(s.lights[1].glowAngle, 0.0f);
}

TEST(Lights, GlowLimitsInWholeNumbers) {
    GlowLimitValues v = ComputeGlowLimits(50, 30, 20, 10);
    EXPECT_EQ(v.size1, 62);
    EXPECT_EQ(v.size2, 25);
    EXPECT_EQ(v.upStep, 1);
    EXPECT_EQ(v.downStep, 1);
    EXPECT_FLOAT_EQ(v.shrinkStep, 40.0f);
    v = ComputeGlowLimits(10, 5, 10, 5);
    EXPECT_EQ(v.upStep, 0);
    EXPECT_EQ(v.downStep, 0);
    v = ComputeGlowLimits(50.9f, 70.2f, 0, 0);  // |trunc(-19.3)| = 19
    EXPECT_EQ(v.upStep, 1);
    EXPECT_EQ(v.upper1, 50);
}

TEST(Projection, FarPlaneAndAspect) {
    const float eye[3] = {0, 0, 0};
    const float target[3] = {0, 0, 10};
    EXPECT_FLOAT_EQ(FarPlaneDistance(eye, target, 8.0f), 80.0f);
    const float near[3] = {0.7f, 0.7f, 0.0f};  // each square 0.49 truncates to 0
    EXPECT_FLOAT_EQ(FarPlaneDistance(eye, near, 8.0f), 0.0f);
    Scene3D s;
    s.aspect = 1.5f;
    s.SetAspect(30.0f);
    EXPECT_EQ(s.aspect, 1.5f);
    s.SetAspect(0.1f);
    EXPECT_EQ(s.aspect, 1.5f);
    s.SetAspect(2.0f);
    EXPECT_EQ(s.aspect, 2.0f);
}

TEST(BlendTable, OutOfRangeValuesAreRefusedAndTwinsMatch) {
    BlendFactors a{}, b{};
    EXPECT_FALSE(BlendFactorsFor(-1, &a));
    EXPECT_FALSE(BlendFactorsFor(11, &a));
    ASSERT_TRUE(BlendFactorsFor(2, &a));
    ASSERT_TRUE(BlendFactorsFor(5, &b));
    EXPECT_EQ(a.src, b.src);
    EXPECT_EQ(a.dst, b.dst);
    ASSERT_TRUE(BlendFactorsFor(7, &a));
    ASSERT_TRUE(BlendFactorsFor(9, &b));
    EXPECT_EQ(a.dst, b.dst);
    ASSERT_TRUE(BlendFactorsFor(10, &a));
    EXPECT_EQ(a.src, static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(a.dst, static_cast<GLenum>(GL_SRC_ALPHA));
}

TEST(LineTrails, SetUpAtAVertexAndFollowTheHead) {
    kgl_test::TempCwd cwd("kgl_trail_");  // the set-up writes its "lissa" dumps
    ASSERT_TRUE(cwd.ok());
    Scene3D s;
    makeScene(s);
    SceneObject& o = s.objects[0];
    o.restPositions = {Vec3{1, 2, 3}, Vec3{4, 5, 6}};
    s.SetLineTrail("box", 5, 0, 1);  // no vertex 5: nothing
    s.SetLineTrail("box", 1, 8, 1);  // no slot 8: nothing
    EXPECT_EQ(s.lineTrails[0].inUse, 0);
    s.SetLineTrail("box", 1, 2, 1);
    LineTrail& t = s.lineTrails[2];
    EXPECT_EQ(t.inUse, 1);
    EXPECT_EQ(t.stripCount, 54);
    EXPECT_EQ(t.pointsPerStrip, 126);
    EXPECT_EQ(t.offset.y, 5.0f);
    ASSERT_EQ(o.trailCount, 1);
    EXPECT_EQ(o.trails[0], &t);
    s.SetLineTrail("box", 1, 2, 1);  // attached once
    EXPECT_EQ(o.trailCount, 1);
    for (const Vec3& d : t.drift) EXPECT_LE(std::fabs(d.x), 655.4f);
    s.Update();
    float hx = t.trigo.x[0][t.trigo.cursor[0]];
    EXPECT_FLOAT_EQ(t.strip(0)[0].x, hx + 4.0f);  // object space: head + offset
    // A point moves toward its predecessor (weights sum to one, plus the drift).
    EXPECT_NEAR(t.strip(0)[1].x, (15000.3f * t.strip(0)[0].x) / 15001.3f + 0.002f * t.drift[0].x, 1e-3);
}
