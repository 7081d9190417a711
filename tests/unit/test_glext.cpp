#include <gtest/gtest.h>

#include "platform/kgl_glext.h"

TEST(ExtensionList, MatchesWholeTokensOnly) {
    const char* list = "GL_ARB_multitexture GL_EXT_fog_coord GL_ARB_texture_env_combine";
    EXPECT_TRUE(kgl::extensionListHas(list, "GL_ARB_multitexture"));
    EXPECT_TRUE(kgl::extensionListHas(list, "GL_ARB_texture_env_combine"));
    EXPECT_FALSE(kgl::extensionListHas(list, "GL_ARB_texture_env"));
    EXPECT_FALSE(kgl::extensionListHas(list, "fog_coord"));
    EXPECT_FALSE(kgl::extensionListHas(nullptr, "GL_EXT_fog_coord"));
    EXPECT_FALSE(kgl::extensionListHas(list, ""));
}
