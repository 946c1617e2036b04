// Custom profiles and the Options dialog's handlers, over a fresh program
// folder with the name prompt scripted.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Errors.h"
#include "Forms.h"
#include "OptionLogic.h"
#include "Ports.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"
#include "Unprivileged.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// The name prompt answers from a script: a text to confirm, or nothing for
// Cancel. Every box the logic shows is recorded.
class ScriptedMessages : public IMessages {
  public:
    struct Prompt {
        std::string caption, prompt, proposed;
    };
    bool ShowMsg(const std::string& text, int kind) override {
        shown.push_back(std::to_string(kind) + " " + text);
        return true;
    }
    int ShowInfoMsg(const std::string& text, int) override {
        ADD_FAILURE() << "unexpected box: " << text;
        return mbNone;
    }
    bool AskYesNo(const std::string& text) override {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        prompts.push_back({caption, prompt, value});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected prompt";
            return false;
        }
        const std::optional<std::string> answer = answers.front();
        answers.pop_front();
        if (!answer) return false;
        value = *answer;
        return true;
    }
    void ShowError(const std::string& text) override { ADD_FAILURE() << "error report: " << text; }

    std::deque<std::optional<std::string>> answers;
    std::vector<Prompt> prompts;
    std::vector<std::string> shown;
};

// The shared objects at their start-up state over a program folder with an
// empty Config folder.
class CustomProfile : public ::testing::Test {
  protected:
    CustomProfile() {
        std::string pattern = (fs::temp_directory_path() / "orv-profiles-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        appDir = pattern + "/";
        fs::create_directory(appDir + "Config");
        ports.Messages = &messages;
        lib = std::make_unique<TCommonLib>(appDir, ports);
        proc = std::make_unique<TCustomProc>(*lib, forms);
        logic = std::make_unique<TOptionLogic>(*proc);
        proc->FillAllLists();
        proc->ApplyProfile();
    }
    ~CustomProfile() override {
        std::error_code ec;
        fs::permissions(appDir + "Config", fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(appDir, ec);
    }

    std::string ProfileFile() const { return appDir + "Config/UserProfileInfo.ini"; }
    std::string CountFile() const { return appDir + "Config/UserProfileCount.ini"; }
    TOptionFormModel& Options() { return forms.frmOption; }
    TEditableList& Profiles() { return forms.frmOption.cbbCustomProfile; }
    std::vector<std::string> Items() { return Profiles().Items(); }

    // Add as the user does it: a name to confirm, or nothing for Cancel.
    void Add(std::optional<std::string> answer) {
        messages.answers.push_back(std::move(answer));
        logic->btnAddClick();
    }
    void Save(const std::string& typed) {
        Profiles().UserTyped(typed);
        logic->btnSaveClick();
    }
    // Picks a listed profile as the user does: it is applied.
    void Pick(int index) {
        Profiles().SetItemIndex(index);
        logic->cbbCustomProfileChange();
    }
    void Delete(const std::string& name) {
        Profiles().UserTyped(name);
        logic->btnDelClick();
    }
    std::vector<std::string> Proposals() const {
        std::vector<std::string> proposed;
        for (const auto& p : messages.prompts) proposed.push_back(p.proposed);
        return proposed;
    }
    // The six stored selections, as Add and Save write them.
    std::string CurrentRow() {
        TOptionFormModel& o = Options();
        std::string row;
        for (const TSettingsList* l : {&o.cbbVideoSize, &o.cbbFramerate, &o.cbbVideoBitrate,
                                       &o.cbbAudioBitrate, &o.cbbAudioChannels, &o.cbbAudioSample})
            row += (row.empty() ? "" : "|") + std::to_string(l->ItemIndex());
        return row;
    }

    std::string appDir;
    ScriptedMessages messages;
    TPorts ports;
    TForms forms;
    std::unique_ptr<TCommonLib> lib;
    std::unique_ptr<TCustomProc> proc;
    std::unique_ptr<TOptionLogic> logic;
};

TEST_F(CustomProfile, FirstAddStoresTheStartupSettingsUnderTheProposedName) {
    logic->FormShow();
    Add("UserProfileInfo1");

    ASSERT_EQ(messages.prompts.size(), 1u);
    EXPECT_EQ(messages.prompts[0].caption, "Orvanel");
    EXPECT_EQ(messages.prompts[0].prompt, "Plese input a name");
    EXPECT_EQ(messages.prompts[0].proposed, "UserProfileInfo1");
    EXPECT_EQ(ReadAll(ProfileFile()), "\r\n[UserProfileInfo1]\r\nUserProfileInfo1=1|4|2|5|1|2\r\n");
    EXPECT_EQ(ReadAll(CountFile()), "\r\n[count]\r\ncount=1\r\n");
    EXPECT_EQ(Items(), std::vector<std::string>{"UserProfileInfo1"});
    EXPECT_EQ(Profiles().ItemIndex(), 0);
    EXPECT_EQ(Profiles().EditText(), "UserProfileInfo1");
}

TEST_F(CustomProfile, ProposalsCountAdditionsNotStoredProfiles) {
    Add("Mine");
    Add(std::nullopt);  // a cancelled prompt stores under the proposed name
    Delete("UserProfileInfo2");
    Add("Other");

    EXPECT_EQ(Proposals(), (std::vector<std::string>{"UserProfileInfo1", "UserProfileInfo2",
                                                     "UserProfileInfo3"}));
    EXPECT_EQ(Items(), (std::vector<std::string>{"Mine", "Other"}));
    EXPECT_EQ(ReadAll(CountFile()), "\r\n[count]\r\ncount=3\r\n");
}

TEST_F(CustomProfile, CancelledPromptNeverReplacesAStoredProfile) {
    // Sections are found whatever the letter case, so both spellings are taken.
    for (const char* stored : {"UserProfileInfo1", "USERPROFILEINFO1"}) {
        SCOPED_TRACE(stored);
        fs::remove(CountFile());
        const std::string kept =
            "\r\n[" + std::string(stored) + "]\r\n" + stored + "=0|0|0|0|0|0\r\n";
        WriteAll(ProfileFile(), kept);
        logic->FormShow();
        Pick(0);
        Options().cbbFramerate.SetItemIndex(3);

        Add(std::nullopt);

        EXPECT_EQ(ReadAll(ProfileFile()), kept);
        EXPECT_EQ(ReadAll(CountFile()), "\r\n[count]\r\ncount=1\r\n");
        EXPECT_EQ(Profiles().ItemIndex(), 0);
    }
}

TEST_F(CustomProfile, AddingAnExistingNameReplacesItsRowInPlace) {
    Add("A");
    Add("B");
    Options().cbbFramerate.SetItemIndex(0);
    Options().cbbAudioSample.SetItemIndex(0);
    const std::string changed = CurrentRow();

    Add("A");

    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Profiles().ItemIndex(), 1);
    EXPECT_EQ(lib->ReadConfigValue("UserProfileInfo.ini", "A"), changed);
    EXPECT_EQ(lib->ReadConfigValue("UserProfileInfo.ini", "B"), "1|4|2|5|1|2");
}

TEST_F(CustomProfile, NamesAreTrimmedAndRefusedWhenTheFileCouldNotHoldThem) {
    const struct {
        const char* typed;
        const char* stored;  // nullptr: refused
    } cases[] = {
        {"  Travel \t", "Travel"},    {"\r\nEnds broken\r\n", "Ends broken"},
        {"Inner\tTab", "Inner\tTab"}, {"a=b", nullptr},
        {"two\nlines", nullptr},      {"two\rlines", nullptr},
    };
    const std::string kWarning = "1 Please enter a profile name without = or line breaks.";
    for (const auto& c : cases) {
        for (const bool viaAdd : {true, false}) {
            SCOPED_TRACE(std::string(viaAdd ? "Add " : "Save ") + c.typed);
            WriteAll(ProfileFile(), "\r\n[Kept]\r\nKept=0|0|0|0|0|0\r\n");
            const std::string before = ReadAll(ProfileFile());
            logic->FormShow();
            messages.shown.clear();

            if (viaAdd)
                Add(c.typed);
            else
                Save(c.typed);

            if (c.stored) {
                EXPECT_TRUE(messages.shown.empty());
                EXPECT_EQ(Items(), (std::vector<std::string>{"Kept", c.stored}));
                EXPECT_EQ(lib->ReadConfigValue("UserProfileInfo.ini", c.stored), CurrentRow());
            } else {
                EXPECT_EQ(messages.shown, std::vector<std::string>{kWarning});
                EXPECT_EQ(ReadAll(ProfileFile()), before);
                EXPECT_EQ(Items(), std::vector<std::string>{"Kept"});
                // Left as typed, so the user can mend it.
                if (!viaAdd) {
                    EXPECT_EQ(Profiles().EditText(), c.typed);
                }
            }
        }
    }
}

TEST_F(CustomProfile, SaveStoresUnderTheEditTextAndSelectsTheLastProfile) {
    Add("A");
    Add("B");
    Add("C");
    fs::remove(CountFile());

    Pick(0);
    Options().cbbVideoSize.SetItemIndex(0);
    logic->btnSaveClick();
    EXPECT_EQ(lib->ReadConfigValue("UserProfileInfo.ini", "A"), CurrentRow());
    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(Profiles().ItemIndex(), 2);
    EXPECT_EQ(Profiles().EditText(), "C");

    Save("New");
    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "B", "C", "New"}));
    EXPECT_EQ(Profiles().ItemIndex(), 3);
    EXPECT_FALSE(fs::exists(CountFile()));
    EXPECT_EQ(messages.prompts.size(), 3u);  // Save asks nothing
}

TEST_F(CustomProfile, DeleteRemovesTheNamedProfileAndSelectsTheNewLast) {
    Add("A");
    Add("B");
    Add("C");

    Delete("B");
    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(Profiles().ItemIndex(), 1);
    EXPECT_EQ(Profiles().EditText(), "C");

    Delete("Not stored");
    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "C"}));

    Delete("C");
    Delete("A");
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(Profiles().ItemIndex(), -1);
    EXPECT_EQ(Profiles().EditText(), "");
}

TEST_F(CustomProfile, TypingClearsTheSelectionSoNothingIsApplied) {
    WriteAll(ProfileFile(), "\r\n[Zero]\r\nZero=0|0|0|0|0|0\r\n");
    logic->FormShow();
    Profiles().SetItemIndex(0);
    const std::string before = CurrentRow();

    Profiles().UserTyped("Zero");
    logic->cbbCustomProfileChange();

    EXPECT_EQ(Profiles().ItemIndex(), -1);
    EXPECT_EQ(CurrentRow(), before);
}

// The main window's list is rebuilt only by OK, the dialog's at every show,
// Add, Save and Delete: the custom profile is paired with its name.
TEST_F(CustomProfile, ProfileChosenInTheMainWindowIsFoundByName) {
    WriteAll(ProfileFile(), "\r\n[A]\r\nA=0|0|0|0|0|0\r\n\r\n[B]\r\nB=2|3|3|3|1|0\r\n");
    TSettingsList& mainList = forms.FrmMainForm.cbbProfile;
    mainList.Clear();
    proc->FillProfileList(mainList);
    ASSERT_EQ(mainList.Item(6), "B");

    // A is deleted elsewhere: the dialog's list holds B at item 0 only.
    WriteAll(ProfileFile(), "\r\n[B]\r\nB=2|3|3|3|1|0\r\n");
    logic->FormShow();
    mainList.SetItemIndex(6);
    proc->ApplyProfile();
    EXPECT_EQ(Profiles().ItemIndex(), 0);
    EXPECT_EQ(CurrentRow(), "2|3|3|3|1|0");

    // The show picks the same one when nothing is typed, none for a
    // quality level, and leaves a typed text alone.
    const struct {
        int mainIndex;
        const char* editText;
        int selected;
    } shows[] = {{6, "", 0}, {2, "", -1}, {6, "Typed", -1}, {5, "", -1}};
    for (const auto& s : shows) {
        SCOPED_TRACE(s.mainIndex);
        Profiles().UserTyped(s.editText);
        mainList.SetItemIndex(s.mainIndex);
        logic->FormShow();
        EXPECT_EQ(Profiles().ItemIndex(), s.selected);
        EXPECT_EQ(Profiles().EditText(), s.selected == 0 ? "B" : s.editText);
    }
}

TEST_F(CustomProfile, CancelRestoresTheSelectionsOfTheShow) {
    Add("A");
    Add("B");
    Add("C");
    TSettingsList& mainList = forms.FrmMainForm.cbbProfile;
    mainList.Clear();
    proc->FillProfileList(mainList);
    mainList.SetItemIndex(6);  // B
    Profiles().UserTyped("");
    logic->FormShow();
    ASSERT_EQ(Profiles().ItemIndex(), 1);
    const std::string row = CurrentRow();
    const int volume = Options().cbbAudioVolumeGain.ItemIndex();
    const int aspect = Options().cbbAspectratio.ItemIndex();

    Options().cbbFramerate.SetItemIndex(0);
    Options().cbbVideoSize.SetItemIndex(0);
    Options().cbbAudioVolumeGain.SetItemIndex(0);
    Options().cbbAspectratio.SetItemIndex(0);
    Delete("A");  // B moves to item 0; item 1 is now C
    logic->btnCancelClick();

    EXPECT_EQ(CurrentRow(), row);
    EXPECT_EQ(Options().cbbAudioVolumeGain.ItemIndex(), volume);
    EXPECT_EQ(Options().cbbAspectratio.ItemIndex(), aspect);
    EXPECT_EQ(Profiles().ItemIndex(), 0);
    EXPECT_EQ(Profiles().EditText(), "B");

    // Deleted meanwhile: nothing is selected, so nothing is applied later.
    Profiles().UserTyped("");
    logic->FormShow();
    ASSERT_EQ(Profiles().SelectedText(), "B");
    Delete("B");
    ASSERT_EQ(Profiles().SelectedText(), "C");
    logic->btnCancelClick();
    EXPECT_EQ(Profiles().ItemIndex(), -1);
}

TEST_F(CustomProfile, OkRebuildsTheMainProfileListAndCancelDoesNot) {
    TSettingsList& mainList = forms.FrmMainForm.cbbProfile;
    logic->FormShow();
    Add("Mine");
    logic->btnCancelClick();
    EXPECT_EQ(mainList.Count(), 5);

    logic->FormShow();
    Options().cbbFramerate.SetItemIndex(0);
    const std::string row = CurrentRow();
    mainList.SetItemIndex(0);
    logic->btnApplyClick();

    EXPECT_EQ(mainList.Count(), 6);
    EXPECT_EQ(mainList.Item(5), "Mine");
    EXPECT_EQ(mainList.SelectedText(), "Normal Quality");
    EXPECT_EQ(CurrentRow(), row);  // OK applies no profile
}

TEST_F(CustomProfile, HandEditedFileIsListedAndAppliedByTheRules) {
    const std::string file =
        "[Short]\r\nShort=1|2|3\r\n"
        "[Far]\r\nFar=99|0|0|0|0|-1\r\n"
        "[Twice]\r\nTwice=0|0|0|0|0|0\r\n"
        "[Twice]\r\nTwice=1|1|1|1|1|1\r\n"
        "[Words]\r\nWords=2|x|3|4|5|6\r\n";
    WriteAll(ProfileFile(), file);
    logic->FormShow();
    EXPECT_EQ(Items(), (std::vector<std::string>{"Short", "Far", "Twice", "Twice", "Words"}));
    const std::string start = CurrentRow();
    Options().cbbAspectratio.SetItemIndex(0);
    Options().cbbAudioVolumeGain.SetItemIndex(0);

    Pick(0);
    EXPECT_EQ(CurrentRow(), start);
    Pick(1);
    EXPECT_EQ(CurrentRow(), "-1|0|0|0|0|-1");
    Pick(3);  // the first section of the name is the profile
    EXPECT_EQ(CurrentRow(), "0|0|0|0|0|0");
    EXPECT_THROW(Pick(4), EConvertError);
    EXPECT_EQ(CurrentRow(), "2|0|0|0|0|0");  // the fields before the bad one stay
    EXPECT_EQ(Options().cbbAspectratio.ItemIndex(), 0);
    EXPECT_EQ(Options().cbbAudioVolumeGain.ItemIndex(), 0);
    EXPECT_EQ(ReadAll(ProfileFile()), file);
}

TEST_F(CustomProfile, UnwritableConfigFailsNamingTheFileAndLosesNothing) {
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing Config" : "read-only Config");
        const std::string config = appDir + "Config";
        std::string kept;
        if (missing) {
            fs::remove_all(config);
        } else {
            fs::create_directories(config);
            kept = "\r\n[Kept]\r\nKept=0|0|0|0|0|0\r\n";
            WriteAll(ProfileFile(), kept);
            WriteAll(CountFile(), "\r\n[count]\r\ncount=4\r\n");
            fs::permissions(appDir, fs::perms(0755));
            fs::permissions(config, fs::perms(0555));
            fs::permissions(ProfileFile(), fs::perms(0444));
            fs::permissions(CountFile(), fs::perms(0444));
        }
        std::optional<TUnprivileged> unprivileged;
        if (!missing) {
            unprivileged.emplace();
            if (!TUnprivileged::Effective()) GTEST_SKIP() << "cannot drop root's rights";
        }

        logic->FormShow();
        try {
            logic->btnAddClick();
            ADD_FAILURE() << "Add did not fail";
        } catch (const EFCreateError& e) {
            EXPECT_NE(std::string(e.what()).find(CountFile()), std::string::npos) << e.what();
        }
        EXPECT_TRUE(messages.prompts.empty());
        try {
            Save("New");
            ADD_FAILURE() << "Save did not fail";
        } catch (const EFCreateError& e) {
            EXPECT_NE(std::string(e.what()).find(ProfileFile()), std::string::npos) << e.what();
        }
        if (missing) {
            EXPECT_FALSE(fs::exists(config));
        } else {
            EXPECT_EQ(ReadAll(ProfileFile()), kept);
            EXPECT_EQ(ReadAll(CountFile()), "\r\n[count]\r\ncount=4\r\n");
            EXPECT_EQ(std::distance(fs::directory_iterator(config), fs::directory_iterator()), 2);
        }
    }
}

}  // namespace
