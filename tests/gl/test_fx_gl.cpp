#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>

#include "fx/kgl_2d_flash.h"
#include "fx/kgl_wavegrid.h"
#include "k2d_test_file.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_lensflare.h"
#include "scene/kgl_particle_emit.h"
#include "scene/kgl_scene3d.h"
#include "tests/gl/kgl_test_pixels.h"
#include "tests/unit/kgl_test_files.h"

namespace {

using kgl_test::Pixel;
using kgl_test::readPixel;

class FxGL : public ::testing::Test {
protected:
    static constexpr int kSide = 128;
    void SetUp() override {
        kgl::setMessageBoxesInteractive(false);
        ASSERT_TRUE(gl.create(kSide, kSide));
        dir = kgl_test::MakeTempDir("kgl_fx_");
        ASSERT_FALSE(dir.empty());
        glViewport(0, 0, kSide, kSide);
        glClearColor(0, 0, 1, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // A black picture seen through a 60-degree perspective from the origin, looking down -z.
    static void clearToPerspective() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 1.0, 0.1, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir + "'";
        (void)!std::system(cmd.c_str());
    }
    kgl::HeadlessGL gl;
    std::string dir;
};

}  // namespace

TEST_F(FxGL, FlashAtFullAlphaCoversThePictureWithItsColour) {
    kgl::ScreenFlash flash;
    flash.setup(kSide, kSide);
    flash.setColour(1.0f, 0.5f, 0.0f);
    flash.start();
    flash.alpha = 1.0f;
    flash.draw();
    for (int p : {1, 64, 126}) {
        Pixel c = readPixel(p, p);
        EXPECT_EQ(c.r, 255);
        EXPECT_NEAR(c.g, 128, 1);
        EXPECT_EQ(c.b, 0);
    }
    flash.stop();
    glClear(GL_COLOR_BUFFER_BIT);
    flash.draw();  // idle: draws nothing
    EXPECT_EQ(readPixel(64, 64).b, 255);
}

TEST_F(FxGL, FlashPicturesLoadThroughTheK2DWalk) {
    const std::string one = kgl_test::writeK2D(dir, "one.k2d", {{16, 8, 255, 0, 0, 0}});
    const std::string two =
        kgl_test::writeK2D(dir, "two.k2d", {{16, 16, 0, 255, 0, 0}, {16, 16, 255, 255, 255, 1}});
    kgl::ScreenFlash image;
    image.setup(kSide, kSide);
    image.setColour(1, 1, 1);
    ASSERT_TRUE(image.loadImage(one));
    EXPECT_EQ(image.textured, 1);
    EXPECT_EQ(image.masked, 0);
    EXPECT_EQ(image.colourWidth, 16);
    EXPECT_EQ(image.colourHeight, 8);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    image.start();
    image.alpha = 1.0f;
    image.draw();
    Pixel c = readPixel(64, 64);
    EXPECT_GT(c.r, 240);  // additive red picture over black
    EXPECT_LT(c.g, 15);

    kgl::ScreenFlash masked;
    masked.setup(kSide, kSide);
    ASSERT_TRUE(masked.loadMaskedImage(two));
    EXPECT_EQ(masked.textured, 0);
    EXPECT_EQ(masked.masked, 1);
    EXPECT_EQ(masked.maskWidth, 16);
    EXPECT_NE(masked.maskTexture, masked.colourTexture);
    // White mask keeps the picture below; the green picture adds (1 - alpha) of itself.
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    masked.start();
    masked.alpha = 0.5f;
    masked.draw();
    Pixel m = readPixel(64, 64);
    EXPECT_NEAR(m.g, 128, 8);
    EXPECT_EQ(m.b, 255);

    kgl::ScreenFlash missing;
    EXPECT_FALSE(missing.loadImage(dir + "/absent.k2d"));
    EXPECT_EQ(missing.textured, 0);
    EXPECT_FALSE(missing.loadMaskedImage(one));  // one picture is not enough for a masked overlay
    EXPECT_EQ(missing.masked, 0);
}

TEST_F(FxGL, ParticleSpritesAreBoundedAndReloadsReplace) {
    kgl::SceneLight light;
    light.position = {1, 2, 3, 1};
    const std::string good = kgl_test::writeK2D(dir, "part.k2d", {{32, 32, 200, 200, 200, 0}});
    const std::string big = kgl_test::writeK2D(dir, "big.k2d", {{64, 32, 200, 200, 200, 0}});
    auto ps = std::make_unique<kgl::ParticleSystem>();
    ASSERT_TRUE(ps->Load(good, 50, &light, 1));
    EXPECT_EQ(ps->Count(), 50);
    EXPECT_EQ(ps->imageCount, 1);
    EXPECT_TRUE(glIsTexture(ps->textures[0]));
    ASSERT_TRUE(ps->Load(big, 20, &light, 2));  // the oversized sprite is refused, particles still made
    EXPECT_EQ(ps->Count(), 20);
    EXPECT_FALSE(ps->Load(dir + "/absent.k2d", 20, &light, 1));
    EXPECT_EQ(ps->Count(), 0);
    EXPECT_EQ(ps->inUse, 1);
    ps->Update();
    ps->Draw();

    kgl::Scene3D scene;
    scene.lights.resize(1);
    auto systems = std::make_unique<kgl::ParticleSystem[]>(kgl::kParticleSlots);
    ASSERT_TRUE(kgl::LoadSceneParticles(scene, systems.get(), kgl::kParticleSlots, good, 3, 10, 0, 1));
    EXPECT_EQ(scene.particlesInUse, 1);
    EXPECT_EQ(systems[3].inUse, 1);
    EXPECT_EQ(systems[3].Count(), 10);
}

TEST_F(FxGL, ParticlesDrawAsSpritesAtTheirEyePositions) {
    kgl::SceneLight light;
    light.position = {0, 0, -10, 1};
    light.diffuse = {1, 0, 0, 1};
    auto ps = std::make_unique<kgl::ParticleSystem>();
    ps->CreateParticles(1, &light, 1);
    ps->Update();
    ps->particles[0].life = 1.0f;
    ps->SetSize(1.0f);
    clearToPerspective();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    ps->Draw();
    EXPECT_GT(readPixel(64, 64).r, 240);
    EXPECT_EQ(readPixel(2, 2).r, 0);
    ps->started = 0;
    glClear(GL_COLOR_BUFFER_BIT);
    ps->Draw();
    EXPECT_EQ(readPixel(64, 64).r, 0);
}

TEST_F(FxGL, LensFlareLoadsItsImages) {
    kgl::SceneLight light;
    light.diffuse = {1, 1, 1, 1};
    auto flare = std::make_unique<kgl::LensFlare>();
    EXPECT_FALSE(flare->Load(light, dir + "/absent.k2d"));
    EXPECT_EQ(flare->imagesLoaded, 0);
    EXPECT_EQ(light.lensFlareOn, 0);
    const std::string lens = kgl_test::writeK2D(
        dir, "lens.k2d", {{128, 128, 255, 255, 255, 0}, {64, 32, 255, 0, 0, 3}, {16, 16, 0, 0, 0, 12}});
    ASSERT_TRUE(flare->Load(light, lens));
    EXPECT_EQ(flare->imagesLoaded, 1);
    EXPECT_EQ(light.lensFlareOn, 1);
    glBindTexture(GL_TEXTURE_2D, flare->textures[3]);
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 128);
    // The 64 x 32 picture sits in the first rows and columns, the rest is cleared.
    const uint8_t* second = flare->images.data() + kgl::LensFlare::kImageBytes;
    EXPECT_GT(second[(10 * 128 + 10) * 3], 200);
    EXPECT_EQ(second[(10 * 128 + 100) * 3], 0);
    EXPECT_EQ(second[(60 * 128 + 10) * 3], 0);
    flare->SetOn(light, 0);
    EXPECT_EQ(light.lensFlareOn, 0);
}

TEST_F(FxGL, LensFlareOnTheRightOrTopEdgeDrawsNothingAndKeepsItsAlphas) {
    kgl::SceneLight light;
    light.diffuse = {1, 1, 1, 1};
    auto flare = std::make_unique<kgl::LensFlare>();
    flare->SetDefaults(light);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kSide, 0, kSide, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);  // everything would count as hidden
    const float edges[2][2] = {{kSide, 64}, {64, kSide}};
    for (const auto& e : edges) {
        light.position = {e[0], e[1], 0, 1};
        flare->Draw(light, {64, 64, 5}, {64, 64, -5});
        EXPECT_FLOAT_EQ(flare->elements[0].a, 1.0f);
        EXPECT_EQ(flare->glowFrozen, 0);
    }
    light.position = {kSide - 1, 64, 0, 1};  // just inside: hidden by the depth buffer
    flare->Draw(light, {64, 64, 5}, {64, 64, -5});
    EXPECT_NEAR(flare->elements[0].a, 0.95f, 1e-6f);
    EXPECT_EQ(flare->glowFrozen, 1);
}

TEST_F(FxGL, LensFlareShowsWhileVisibleAndFadesWhenHidden) {
    kgl::SceneLight light;
    light.diffuse = {1, 1, 1, 1};
    light.position = {0.5f, 0.3f, -5.0f, 1};
    auto flare = std::make_unique<kgl::LensFlare>();
    flare->SetDefaults(light);
    clearToPerspective();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    flare->Draw(light, {0, 0, 0}, {0, 0, -10});
    EXPECT_FLOAT_EQ(flare->elements[4].a, 0.7f);
    EXPECT_EQ(flare->glowFrozen, 0);
    EXPECT_GT(readPixel(64, 64).r, 100);  // element 4 sits on the view centre
    EXPECT_EQ(readPixel(2, 120).r, 0);

    glDepthMask(GL_TRUE);
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);  // now something covers the light
    flare->Draw(light, {0, 0, 0}, {0, 0, -10});
    EXPECT_NEAR(flare->elements[4].a, 0.65f, 1e-6f);
    EXPECT_EQ(flare->glowFrozen, 1);

    light.position = {0.5f, 0.3f, 5.0f, 1};  // behind the eye: hidden, nothing drawn
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    flare->Draw(light, {0, 0, 0}, {0, 0, -10});
    EXPECT_EQ(flare->glowFrozen, 1);
}

TEST_F(FxGL, SceneLoadsAndDrawsItsEffects) {
    kgl::Scene3D scene;
    scene.lights.resize(2);
    scene.lights[1].position = {0.0f, 0.0f, -10.0f, 1.0f};  // dead ahead: the elements stack on the centre
    scene.lights[1].diffuse = {1, 1, 1, 1};
    const std::string lens = kgl_test::writeK2D(dir, "lens.k2d", {{128, 128, 255, 255, 255, 0}});
    const std::string part = kgl_test::writeK2D(dir, "part.k2d", {{16, 16, 255, 255, 255, 0}});
    ASSERT_TRUE(scene.LoadLensFlare(1, lens));
    EXPECT_EQ(scene.lights[1].lensFlareOn, 1);
    ASSERT_TRUE(scene.LoadParticles(part, 4, 5, 1, 1));
    EXPECT_EQ(scene.particlesInUse, 1);

    clearToPerspective();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    scene.flares[1].Draw(scene.lights[1], {0, 0, 0}, {0, 0, -10});
    EXPECT_FLOAT_EQ(scene.LensFlareOf(1)->elements[0].a, 0.7f);
    EXPECT_GT(readPixel(64, 64).r, 100);
    EXPECT_FALSE(scene.flares[1].glowFrozen);

    glClear(GL_COLOR_BUFFER_BIT);
    scene.particles[4].Update();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    scene.particles[4].Draw();
    EXPECT_GT(readPixel(64, 64).r, 10);  // five sprites at life 0.1 on the light
}

TEST_F(FxGL, WaveGridCoversTheWholePicture) {
    char oldDir[PATH_MAX] = {};
    ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);  // setup writes its wave-table dump here
    auto grid = std::make_unique<kgl::WaveGrid>();
    grid->setup(0, 0, kSide, kSide, 64, 64);
    ASSERT_EQ(chdir(oldDir), 0);
    const unsigned char white[3] = {255, 255, 255};
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    grid->update();
    grid->setAlpha(0.5f);
    grid->draw();
    for (int p : {2, 64, 125}) {
        EXPECT_NEAR(readPixel(p, p).r, 128, 3) << p;  // (source alpha, source alpha) over black
        EXPECT_NEAR(readPixel(p, kSide - 1 - p).g, 128, 3) << p;
    }
    glDeleteTextures(1, &tex);
}
