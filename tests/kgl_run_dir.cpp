// Every test process runs in a fresh temporary folder of its own, so the logs the loaders and
// effects write beside the show ("VERTEXS.LOG", "BEZIER1.LOG", "debug.log", "lissa<N>.bin") never
// land in the source tree or the build folder. The folder goes away when the process ends.
#include <gtest/gtest.h>

#include <memory>

#include "tests/unit/kgl_test_files.h"

namespace {

class RunInTempDir : public ::testing::Environment {
public:
    void SetUp() override {
        dir_ = std::make_unique<kgl_test::TempCwd>("kglrun");
        ASSERT_TRUE(dir_->ok());
    }
    void TearDown() override { dir_.reset(); }

private:
    std::unique_ptr<kgl_test::TempCwd> dir_;
};

::testing::Environment* const gRunDir = ::testing::AddGlobalTestEnvironment(new RunInTempDir);

}  // namespace
