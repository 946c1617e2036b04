// A temporary program folder with a blank in its path, holding the
// stand-in encoder under the encoder's name, and helpers the platform
// tests share.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace platform_test {

namespace fs = std::filesystem;

// The descriptors this process holds, to show that a run leaks none.
inline std::vector<std::string> OpenFds() {
    std::vector<std::string> list;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return list;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' || std::atoi(e->d_name) == dirfd(dir)) continue;
        list.push_back(e->d_name);
    }
    closedir(dir);
    return list;
}

class ProgramFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orv run XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern + "/";
        folder_ = root_ + "my app/";
        fs::create_directory(folder_);
        encoder_ = folder_ + "kodra";
        fs::copy_file(ORV_FAKE_ENCODER, encoder_);
        fdsBefore_ = OpenFds();
    }
    void TearDown() override {
        EXPECT_EQ(OpenFds(), fdsBefore_) << "a descriptor was left open";
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    std::string root_;     // ends with "/"
    std::string folder_;   // the program folder, root_ + "my app/"
    std::string encoder_;  // folder_ + "kodra"
    std::vector<std::string> fdsBefore_;
};

}  // namespace platform_test
