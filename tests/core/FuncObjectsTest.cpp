#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuncObjects.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards; the log points back at the
// program folder when the test ends.
class FuncObjectsFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        InitFuncObjects();
        std::string pattern = (fs::temp_directory_path() / "orv-func-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
    }
    void TearDown() override {
        TAppFunc::SetAppPath("");
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    void Touch(const std::string& name) { std::ofstream(dir_ + name) << "x"; }
    void MakeDir(const std::string& name, fs::perms perms = fs::perms::owner_all) {
        fs::create_directory(dir_ + name);
        fs::permissions(dir_ + name, perms);
    }
    std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> Sorted(std::vector<std::string> list) {
        std::sort(list.begin(), list.end());
        return list;
    }
    std::string dir_;
};

TEST(FuncObjectsStrings, GetLastPartTakesTheTextAfterTheLastSeparator) {
    TStrFunc f;
    const struct {
        std::string text, separator, part;
    } cases[] = {
        {"my.clip.avi", ".", "avi"}, {"clip_12", "_", "12"}, {"clip", "_", "clip"},
        {"clip.", ".", ""},          {"", ".", ""},          {"a--b--c", "--", "c"},
        {"abc", "", "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.GetLastPart(c.text, c.separator), c.part) << c.text << " / " << c.separator;
    EXPECT_EQ(f.GetLastPart("clip_3_1", '_'), "1");
}

TEST(FuncObjectsStrings, PathPartsUseSlashAloneAsSeparator) {
    TFileFunc f;
    const struct {
        std::string path, folder, baseName;
    } cases[] = {
        {"/v/clip.avi", "/v/", "clip"},
        {"/v/my.clip.avi", "/v/", "my.clip"},
        {"/v/clip.", "/v/", "clip"},
        {"/v/.avi", "/v/", ""},
        {"/v/clip", "/v/", "clip"},
        {"/v.d/clip", "/v.d/", "clip"},      // a dot in the folder is no extension
        {"/v/C:clip.avi", "/v/", "C:clip"},  // ":" may stand in a file name
        {"clip.avi", "", "clip"},
        {"/", "/", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.GetFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(f.GetFileNameNoExt(c.path), c.baseName) << c.path;
    }
}

TEST_F(FuncObjectsFolder, ListsFilesLinksAndMarkedFoldersButNotPlainFolders) {
    Touch("a.mp4");
    Touch("a.MP4");
    Touch("noext");
    MakeDir("plain");
    MakeDir(".hidden");
    MakeDir("readonly", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directory_symlink(dir_ + "plain", dir_ + "link");
    ASSERT_EQ(mkfifo((dir_ + "pipe").c_str(), 0600), 0);

    EXPECT_EQ(Sorted(FileFunc->GetFileList(dir_, "")),
              Sorted({dir_ + ".hidden", dir_ + "a.MP4", dir_ + "a.mp4", dir_ + "link",
                      dir_ + "noext", dir_ + "pipe", dir_ + "readonly"}));
    EXPECT_EQ(FileFunc->GetFileList(dir_, ".mp4"), std::vector<std::string>{dir_ + "a.mp4"});
    EXPECT_TRUE(FileFunc->GetFileList(dir_ + "missing/", "").empty());
}

TEST_F(FuncObjectsFolder, UniqueNameCountsUpPastEveryTakenBaseName) {
    const struct {
        std::vector<std::string> files;
        std::vector<std::string> folders;
        std::string requested, expected;
    } cases[] = {
        {{}, {}, "clip.mp4", "clip.mp4"},
        {{"other.mp4", "clip2.mp4"}, {}, "clip.mp4", "clip.mp4"},
        {{"clip.avi"}, {}, "clip.mp4", "clip_1.mp4"},  // the extension plays no part
        {{"clip.mp4", "clip_1.avi", "clip_2.txt"}, {}, "clip.mp4", "clip_3.mp4"},
        {{"clip.avi", "clip_1.avi"}, {}, "clip.mp4", "clip_2.mp4"},
        {{"clip_3.mp4"}, {}, "clip_3.mp4", "clip_3_1.mp4"},  // a requested number stays
        {{"clip_3.mp4", "clip_3_1.m4a"}, {}, "clip_3.mp4", "clip_3_2.mp4"},
        {{"my.clip.avi"}, {}, "my.clip.mp4", "my.clip_1.mp4"},
        {{}, {"clip"}, "clip.mp4", "clip.mp4"},  // a plain folder does not count
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string sub = "case" + std::to_string(n++) + "/";
        MakeDir(sub);
        for (const std::string& name : c.files) Touch(sub + name);
        for (const std::string& name : c.folders) MakeDir(sub + name);
        EXPECT_EQ(FileFunc->GetUniqueFileName(dir_ + sub + c.requested), dir_ + sub + c.expected)
            << "case " << sub;
    }
}

TEST_F(FuncObjectsFolder, UniqueNameTreatsAMarkedFolderAsTaken) {
    MakeDir("clip", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(FileFunc->GetUniqueFileName(dir_ + "clip.mp4"), dir_ + "clip_1.mp4");
}

TEST_F(FuncObjectsFolder, UniqueNameInAMissingFolderIsTheRequestItself) {
    EXPECT_EQ(FileFunc->GetUniqueFileName(dir_ + "missing/clip.mp4"), dir_ + "missing/clip.mp4");
}

TEST_F(FuncObjectsFolder, UniqueNameStartsAfreshForEachRequest) {
    Touch("clip.mp4");
    Touch("movie.mp4");
    EXPECT_EQ(FileFunc->GetUniqueFileName(dir_ + "clip.mp4"), dir_ + "clip_1.mp4");
    EXPECT_EQ(FileFunc->GetUniqueFileName(dir_ + "movie.mp4"), dir_ + "movie_1.mp4");
    EXPECT_EQ(FileFunc->FBaseName, "movie");
}

// A clash the folder listing cannot show (on a case-blind memory card the
// listed name differs in case; here the folder may be entered but not read)
// still takes the name, so the encoder never overwrites that file.
TEST_F(FuncObjectsFolder, UniqueNameSkipsAnEntryTheListingDoesNotShow) {
    MakeDir("dropbox");
    Touch("dropbox/clip.mp4");
    fs::permissions(dir_ + "dropbox", fs::perms::owner_write | fs::perms::owner_exec |
                                          fs::perms::others_write | fs::perms::others_exec);
    fs::permissions(dir_, fs::perms::others_exec, fs::perm_options::add);
    const std::string requested = dir_ + "dropbox/clip.mp4";
    const std::string expected = dir_ + "dropbox/clip_1.mp4";

    // Root reads every folder, so the check runs as an ordinary user.
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
            if (!FileFunc->GetFileList(dir_ + "dropbox/", "").empty()) _exit(3);
            _exit(FileFunc->GetUniqueFileName(requested) == expected ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The date and time texts of an entry written between two clock readings.
std::vector<std::string> StampsBetween(std::time_t first, std::time_t last) {
    std::vector<std::string> stamps;
    for (std::time_t t = first; t <= last; ++t) {
        char date[64], time[64];
        std::strftime(date, sizeof date, "%x", std::localtime(&t));
        std::strftime(time, sizeof time, "%X", std::localtime(&t));
        stamps.push_back(std::string(date) + " " + time);
    }
    return stamps;
}

TEST_F(FuncObjectsFolder, LogAppendsOneStampedCrLfLinePerEntry) {
    TAppFunc::SetAppPath(dir_);
    EXPECT_EQ(AppFunc->GetAppPath(), dir_);
    std::ofstream(dir_ + "log.txt", std::ios::binary) << "earlier run\r\n";

    const std::time_t before = std::time(nullptr);
    AppFunc->WriteLog("x");
    AppFunc->WriteLog("parameter: kodra -y -i \"a b.avi\"");
    const std::time_t after = std::time(nullptr);

    std::string text = ReadFile(dir_ + "log.txt");
    ASSERT_EQ(text.rfind("earlier run\r\n", 0), 0u) << "the log only grows";
    text.erase(0, 13);
    const std::vector<std::string> messages = {"x", "parameter: kodra -y -i \"a b.avi\""};
    for (const std::string& message : messages) {
        const size_t end = text.find("\r\n");
        ASSERT_NE(end, std::string::npos) << text;
        const std::string line = text.substr(0, end);
        text.erase(0, end + 2);
        bool matched = false;
        for (const std::string& stamp : StampsBetween(before, after))
            matched |= line == "Castemir Soft " + stamp + "|" + message;
        EXPECT_TRUE(matched) << line;
    }
    EXPECT_EQ(text, "");
}

TEST_F(FuncObjectsFolder, LogCreatesTheFileOnTheFirstEntry) {
    TAppFunc::SetAppPath(dir_.substr(0, dir_.size() - 1));  // the "/" is added
    AppFunc->WriteLog("first");
    const std::string text = ReadFile(dir_ + "log.txt");
    EXPECT_EQ(text.rfind("Castemir Soft ", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 8), "|first\r\n");
}

TEST_F(FuncObjectsFolder, LogThatCannotBeWrittenReportsOneLineAndCarriesOn) {
    Touch("plainfile");
    // A folder under a regular file fails for root as well.
    TAppFunc::SetAppPath(dir_ + "plainfile/");
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(AppFunc->WriteLog("lost"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(dir_ + "plainfile/log.txt"), std::string::npos) << err;
}

TEST_F(FuncObjectsFolder, LogThatIsAPipeWithoutReaderDoesNotHang) {
    ASSERT_EQ(mkfifo((dir_ + "log.txt").c_str(), 0600), 0);
    TAppFunc::SetAppPath(dir_);
    ::testing::internal::CaptureStderr();
    AppFunc->WriteLog("nobody listens");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("log.txt"), std::string::npos);
}

TEST(FuncObjectsShared, AppPathIsTheProgramFolder) {
    InitFuncObjects();
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(AppFunc->GetAppPath(), exe.parent_path().string() + "/");
}

TEST(FuncObjectsShared, InitAgainKeepsTheSameInstances) {
    InitFuncObjects();
    TFileFunc* const fileFunc = FileFunc;
    TAppFunc* const appFunc = AppFunc;
    InitFuncObjects();
    EXPECT_EQ(FileFunc, fileFunc);
    EXPECT_EQ(AppFunc, appFunc);
    EXPECT_NE(SysFunc, nullptr);
    EXPECT_NE(StrFunc, nullptr);
}

}  // namespace
