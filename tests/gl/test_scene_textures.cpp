#include <GL/gl.h>
#include <gtest/gtest.h>

#include "common/kgl_bytes.h"
#include "image/kgl_texture.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_textures.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_scene.h"

using namespace kgl;
using namespace kgl_test;

namespace {

int BoundWidth(uint32_t name, int level = 0) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    return w;
}

}  // namespace

TEST(SceneTextures, SlotsFollowMaterialAndSubMaterialOrderAndSpritesTakeTheLastTwo) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.create(64, 64));
    TempCwd cwd;
    ASSERT_EQ(system("mkdir -p escena"), 0);
    ASSERT_TRUE(writeFile("escena/raw.dat", SolidJpeg(32, 32, 255, 255, 255)));
    // escena/raw2.dat is missing: the ring sprite becomes the checker.

    TestScene s;
    s.packed = true;
    TestObject o;
    o.material = 1;
    o.faces = {0, 1, 2, 2};
    s.objects = {o};
    TestMaterial a, b, c;
    a.packed = SolidJpeg(5, 3, 255, 0, 0);  // not a power of two: the mipmap build scales it
    b.multi = true;
    b.subs.resize(3);
    for (int i = 0; i < 3; ++i) b.subs[i].packed = SolidJpeg(4 << i, 4, 0, 255, 0);
    c.packed = SolidJpeg(16, 16, 0, 0, 255);
    s.materials = {a, b, c};
    Scene3D scene;
    scene.SetTexturePath("", true);
    SceneLoadOptions opt;
    opt.writeLogs = false;
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "tex.k3d", opt));
    testing::internal::CaptureStderr();
    UploadSceneTextures(scene);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("TEXTURE: [escena/raw2.dat]"), std::string::npos) << err;

    EXPECT_EQ(scene.materialTextureCount, 5);
    EXPECT_EQ(scene.materials[0].slots[0].tableIndex, 0);
    EXPECT_EQ(scene.materials[1].slots[0].tableIndex, 1);
    EXPECT_EQ(scene.materials[1].slots[1].tableIndex, 2);
    EXPECT_EQ(scene.materials[1].slots[2].tableIndex, 3);
    EXPECT_EQ(scene.materials[2].slots[0].tableIndex, 4);
    // Each sub-material keeps its own size.
    EXPECT_EQ(BoundWidth(scene.textureTable[1]), 4);
    EXPECT_EQ(BoundWidth(scene.textureTable[3]), 16);
    EXPECT_EQ(BoundWidth(scene.textureTable[0]), 4);     // 5 x 3 rescaled by the mipmap build
    EXPECT_GT(BoundWidth(scene.textureTable[0], 1), 0);  // mipmaps exist
    EXPECT_EQ(BoundWidth(scene.textureTable[kGlowTextureSlot]), 32);
    EXPECT_EQ(BoundWidth(scene.textureTable[kRingTextureSlot]), kPlaceholderSize);
    EXPECT_NE(scene.textureTable[kGlowTextureSlot], 0u);

    const SceneObject& obj = scene.objects[0];
    EXPECT_EQ(obj.material, &scene.materials[1]);
    EXPECT_EQ(obj.faces[0].materialId, 2);
    EXPECT_EQ(obj.textureTable, scene.textureTable);
    // The extensions are probed once per object while loading, not on every scene preparation.
    EXPECT_EQ(obj.multitexture, 1);
    scene.objects[0].multitexture = 0;
    scene.PrepareGL();
    EXPECT_EQ(obj.multitexture, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
