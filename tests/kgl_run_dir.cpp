// Every test process runs in a fresh temporary folder of its own, so the logs the loaders and
// effects write beside the show ("VERTEXS.LOG", "BEZIER1.LOG", "debug.log", "lissa<N>.bin") never
// land in the source tree or the build folder. The folder goes away when the process ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class RunInTempDir : public ::testing::Environment {
public:
    void SetUp() override {
        std::string tmpl = ::testing::TempDir() + "kglrunXXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        ASSERT_NE(mkdtemp(buf.data()), nullptr);
        dir_ = buf.data();
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override {
        if (dir_.empty()) return;
        std::error_code ec;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
        std::filesystem::remove_all(dir_, ec);
    }

private:
    std::string dir_;
};

::testing::Environment* const gRunDir = ::testing::AddGlobalTestEnvironment(new RunInTempDir);

}  // namespace
