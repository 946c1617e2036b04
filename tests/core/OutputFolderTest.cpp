// The output folder chooser, with the folder browser scripted, over real
// folders in a temporary place.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "OutputFolder.h"
#include "Ports.h"
#include "Unit_CommonLib.h"
#include "Unprivileged.h"

namespace {

namespace fs = std::filesystem;

class ScriptedBrowser : public IFileDialogs {
  public:
    std::vector<std::string> OpenFiles(const std::string&,
                                       const std::vector<TFileFilter>&) override {
        ADD_FAILURE() << "unexpected open dialog";
        return {};
    }
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        titles.push_back(title);
        return choice;
    }
    std::optional<std::string> choice;
    std::vector<std::string> titles;
};

class RecordedMessages : public IMessages {
  public:
    bool ShowMsg(const std::string& text, int kind) override {
        shown.push_back(std::to_string(kind) + " " + text);
        return true;
    }
    int ShowInfoMsg(const std::string&, int) override { return mbNone; }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string&) override {}
    std::vector<std::string> shown;
};

class OutputFolder : public ::testing::Test {
  protected:
    OutputFolder() {
        std::string pattern = (fs::temp_directory_path() / "orv-folders-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        root = pattern;
        // Reachable for the unprivileged user of the read-only cases.
        fs::permissions(root, fs::perms(0755));
        current = root + "/orvanel";
        ports.Dialogs = &browser;
        ports.Messages = &messages;
    }
    ~OutputFolder() override {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root, ec))
            if (entry.is_directory())
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }

    std::string Choose(const std::optional<std::string>& choice) {
        browser.choice = choice;
        return lib.SelectOutputFolder(current);
    }

    std::string root;
    std::string current;
    ScriptedBrowser browser;
    RecordedMessages messages;
    TPorts ports;
    TCommonLib lib{"/nonexistent/", ports};
};

TEST_F(OutputFolder, CancelKeepsTheTextAndMakesItsFolderExist) {
    current = root + "/first/start/orvanel";

    EXPECT_EQ(Choose(std::nullopt), current);

    EXPECT_TRUE(fs::is_directory(current));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(browser.titles, std::vector<std::string>{"Please select output folder:"});
}

TEST_F(OutputFolder, WritableChoiceIsTakenAndLeavesNoProbeBehind) {
    fs::create_directories(root + "/plain");
    fs::create_directories(root + "/slash");
    // A "test" folder of the user's own is neither needed nor touched.
    fs::create_directories(root + "/owned/test");
    std::ofstream(root + "/owned/test/keep.txt") << "mine";

    const struct {
        std::string chosen;
        bool probeExisted;
    } cases[] = {{root + "/plain", false}, {root + "/slash/", false}, {root + "/owned", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        EXPECT_EQ(Choose(c.chosen), c.chosen);
        EXPECT_EQ(fs::exists(OutputProbeFolder(c.chosen)), c.probeExisted);
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(fs::exists(root + "/owned/test/keep.txt"));
}

TEST_F(OutputFolder, RefusedChoiceWarnsAndKeepsThePreviousFolder) {
    const std::string invalid = "1 The path is invalid.";
    const std::string readOnly = "1 This is a read-only path.";
    fs::create_directories(root + "/blocked");
    std::ofstream(root + "/blocked/test") << "a file, not a folder";
    std::ofstream(root + "/file.txt") << "x";
    fs::create_directories(root + "/locked");
    fs::create_directories(root + "/lockedtest/test");
    fs::permissions(root + "/locked", fs::perms(0555));
    fs::permissions(root + "/lockedtest", fs::perms(0555));

    const struct {
        std::string chosen;
        std::string message;
        bool needsUnprivileged;
    } cases[] = {
        {root + "/vanished", invalid, false}, {"", invalid, false},
        {root + "/file.txt", invalid, false}, {root + "/blocked", readOnly, false},
        {root + "/locked", readOnly, true},   {root + "/lockedtest", readOnly, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        messages.shown.clear();
        std::optional<TUnprivileged> unprivileged;
        if (c.needsUnprivileged) {
            unprivileged.emplace();
            if (!TUnprivileged::Effective())
                GTEST_SKIP() << "cannot drop root's rights, so no folder is read-only";
        }
        EXPECT_EQ(Choose(c.chosen), current);
        EXPECT_EQ(messages.shown, std::vector<std::string>{c.message});
    }
    EXPECT_FALSE(fs::exists(root + "/vanished"));
    EXPECT_TRUE(fs::is_regular_file(root + "/blocked/test"));
    EXPECT_FALSE(fs::exists(root + "/locked/test"));
    EXPECT_TRUE(fs::is_directory(root + "/lockedtest/test"));
}

TEST(OutputFolderProbe, AddsTestWithoutDoublingTheSeparator) {
    const struct {
        const char* folder;
        const char* probe;
    } cases[] = {{"/", "/test"}, {"/media/usb/", "/media/usb/test"}, {"/home/u", "/home/u/test"}};
    for (const auto& c : cases) EXPECT_EQ(OutputProbeFolder(c.folder), c.probe) << c.folder;
}

}  // namespace
