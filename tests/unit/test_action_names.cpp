// Action names and the director's action ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "engine/kgl_action_names.h"

TEST(ActionNames, FromTheDirectorsTables) {
    const struct {
        int action;
        const char* name;
    } rows[] = {
        {0, "scene 0"},
        {3, "scene 3"},
        {11, "scene 11"},
        {6, "overlay scene 6"},
        {12, "flash 8"},
        {13, "flash 26 toggle"},
        {64, "flash 1"},
        {27, "dark dst up"},
        {44, "camera 2"},
        {54, "blur preset"},
        {61, "clock 117-138 / particles 1+2"},
        {63, "particles 5"},
        {69, "morph roots01 v15"},
        {83, "harm Drooler"},
        {86, "trail 1"},
        {90, "overlay camera 3"},
        {22, "unused"},
        {66, "unused"},
        {-1, "unknown"},
        {91, "unknown"},
    };
    for (const auto& r : rows) EXPECT_STREQ(kgl::ActionName(r.action), r.name) << r.action;
}

TEST(ActionNames, EveryActionHasAShortPrintableName) {
    for (int a = kgl::kFirstAction; a <= kgl::kLastAction; ++a) {
        const std::string name = kgl::ActionName(a);
        EXPECT_FALSE(name.empty()) << a;
        EXPECT_LT(name.size(), 32u) << a;
        EXPECT_EQ(name.find_first_of("#\n\t"), std::string::npos) << a;
        EXPECT_EQ(name == "unused", kgl::ActionKindOf(a) == kgl::ActionKind::kUnused) << a;
    }
}
