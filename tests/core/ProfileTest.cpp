#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <optional>

#include "Errors.h"
#include "UnitCustomProc.h"

namespace {

namespace fs = std::filesystem;
using Six = std::array<int, 6>;  // size, frame rate, video bitrate, audio bitrate, channels, sample

// The lists after start-up, with a custom profile file in the program's
// Config folder when a test writes one.
class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orv-prof-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
        lib_.emplace(dir_, ports_);
        proc_.emplace(*lib_, forms_);
        proc_->FillAllLists();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteProfiles(const std::string& bytes) {
        fs::create_directories(dir_ + "Config");
        std::ofstream(dir_ + "Config/UserProfileInfo.ini", std::ios::binary) << bytes;
    }
    std::array<TSettingsList*, 6> RowLists() {
        TOptionFormModel& o = forms_.frmOption;
        return {&o.cbbVideoSize,    &o.cbbFramerate,     &o.cbbVideoBitrate,
                &o.cbbAudioBitrate, &o.cbbAudioChannels, &o.cbbAudioSample};
    }
    std::array<TSettingsList*, 4> VideoLists() {
        TOptionFormModel& o = forms_.frmOption;
        return {&o.cbbAspectratio, &o.cbbFramerate, &o.cbbVideoBitrate, &o.cbbVideoSize};
    }
    void Select(const Six& indexes) {
        for (size_t i = 0; i < 6; ++i) RowLists()[i]->SetItemIndex(indexes[i]);
    }
    Six Selected() {
        Six result{};
        for (size_t i = 0; i < 6; ++i) result[i] = RowLists()[i]->ItemIndex();
        return result;
    }
    void SetVideoEnabled(bool enabled) {
        for (TSettingsList* list : VideoLists()) list->SetEnabled(enabled);
    }
    // True or false when all four agree; nullopt when they differ.
    std::optional<bool> VideoEnabled() {
        const bool first = VideoLists()[0]->Enabled();
        for (TSettingsList* list : VideoLists()) {
            if (list->Enabled() != first) return std::nullopt;
        }
        return first;
    }
    // Aspect ratio and volume belong to no profile: the tests park them on
    // other items than their defaults and expect them there afterwards.
    void ParkUntouchables() {
        forms_.frmOption.cbbAspectratio.SetItemIndex(1);
        forms_.frmOption.cbbAudioVolumeGain.SetItemIndex(20);
    }
    void ExpectUntouchablesParked(const std::string& where) {
        EXPECT_EQ(forms_.frmOption.cbbAspectratio.ItemIndex(), 1) << where;
        EXPECT_EQ(forms_.frmOption.cbbAudioVolumeGain.ItemIndex(), 20) << where;
    }
    void Choose(int outputType, int profile) {
        forms_.FrmMainForm.cbbOutputFiletype.SetItemIndex(outputType);
        forms_.FrmMainForm.cbbProfile.SetItemIndex(profile);
        proc_->ApplyProfile();
    }

    std::string dir_;
    TPorts ports_;
    TForms forms_;
    std::optional<TCommonLib> lib_;
    std::optional<TCustomProc> proc_;
};

using ProfileApply = ProfileTest;
using ProfileCustom = ProfileTest;

TEST_F(ProfileApply, StartUpShowsTheNormalVideoProfile) {
    proc_->ApplyProfile();
    const TOptionFormModel& o = forms_.frmOption;
    EXPECT_EQ(o.cbbVideoSize.SelectedText(), "320x240");
    EXPECT_EQ(o.cbbFramerate.SelectedText(), "25");
    EXPECT_EQ(o.cbbVideoBitrate.SelectedText(), "768");
    EXPECT_EQ(o.cbbAspectratio.SelectedText(), "4:3");
    EXPECT_EQ(o.cbbAudioBitrate.SelectedText(), "128");
    EXPECT_EQ(o.cbbAudioSample.SelectedText(), "44100");
    EXPECT_EQ(o.cbbAudioVolumeGain.SelectedText(), "200");
    EXPECT_EQ(o.cbbAudioChannels.SelectedText(), "2 channels, Stereo");
    EXPECT_EQ(VideoEnabled(), true);
}

// Each case starts from all six lists on item 0 and the video lists in the
// opposite enabled state, so every change a row makes shows.
TEST_F(ProfileApply, BuiltInRowSetsSixListsAndTheTypeSetsTheVideoLists) {
    const struct {
        int type, quality;
        Six expected;
        bool videoEnabled;
    } cases[] = {
        {0, 0, {1, 1, 0, 2, 0, 0}, true},
        {0, 1, {1, 2, 1, 4, 1, 1}, true},
        {0, 2, {1, 4, 2, 5, 1, 2}, true},
        {0, 3, {1, 5, 3, 7, 1, 2}, true},
        {0, 4, {1, 6, 4, 8, 1, 3}, true},
        // Sound only: the video lists keep their selections, disabled.
        {1, 0, {0, 0, 0, 2, 0, 0}, false},
        {1, 4, {0, 0, 0, 8, 1, 3}, false},
        {2, 1, {0, 0, 0, 4, 1, 1}, false},
        {3, 2, {0, 0, 0, 5, 1, 2}, false},
        {3, 3, {0, 0, 0, 7, 1, 2}, false},
    };
    for (const auto& c : cases) {
        const std::string where = std::to_string(c.type) + "/" + std::to_string(c.quality);
        Select({0, 0, 0, 0, 0, 0});
        SetVideoEnabled(!c.videoEnabled);
        ParkUntouchables();
        Choose(c.type, c.quality);
        EXPECT_EQ(Selected(), c.expected) << where;
        EXPECT_EQ(VideoEnabled(), c.videoEnabled) << where;
        ExpectUntouchablesParked(where);
    }
    // Audio lists are never disabled.
    EXPECT_TRUE(forms_.frmOption.cbbAudioBitrate.Enabled());
    EXPECT_TRUE(forms_.frmOption.cbbAudioSample.Enabled());
}

TEST_F(ProfileApply, AacLowKeepsTheVideoSelectionsAndGoingBackToMp4SetsThemAgain) {
    Choose(0, 4);
    Choose(1, 0);
    const TOptionFormModel& o = forms_.frmOption;
    EXPECT_EQ(o.cbbAudioBitrate.SelectedText(), "48");
    EXPECT_EQ(o.cbbAudioChannels.SelectedText(), "1 channel, Mono");
    EXPECT_EQ(o.cbbAudioSample.SelectedText(), "22050");
    EXPECT_EQ(o.cbbFramerate.SelectedText(), "30");  // from the Superb video row
    EXPECT_EQ(VideoEnabled(), false);
    Choose(0, 0);
    EXPECT_EQ(Selected(), (Six{1, 1, 0, 2, 0, 0}));
    EXPECT_EQ(VideoEnabled(), true);
}

// Without a selected output type or quality there is no row: nothing is
// selected differently and nothing fails.
TEST_F(ProfileApply, NothingSelectedChangesNothing) {
    const Six before{2, 3, 4, 5, 0, 1};
    const struct {
        const char* name;
        int type, quality;
        bool enabledBefore, enabledAfter;
    } cases[] = {
        {"no output type keeps the video lists enabled", -1, 0, true, true},
        {"no output type keeps the video lists disabled", -1, 0, false, false},
        {"no quality, sound type", 1, -1, true, false},
        {"no quality, video type", 0, -1, false, true},
    };
    for (const auto& c : cases) {
        Select(before);
        SetVideoEnabled(c.enabledBefore);
        EXPECT_NO_THROW(Choose(c.type, c.quality)) << c.name;
        EXPECT_EQ(Selected(), before) << c.name;
        EXPECT_EQ(VideoEnabled(), c.enabledAfter) << c.name;
    }
}

TEST_F(ProfileApply, CustomProfileChosenInTheMainListIsApplied) {
    WriteProfiles("\r\n[Mine]\r\nMine=0|0|0|0|0|0\r\n\r\n[Other]\r\nOther=2|6|4|8|0|3\r\n");
    forms_.frmOption.cbbCustomProfile.ReplaceItems({"Mine", "Other"});
    Choose(1, 0);  // a sound type: the video lists are disabled
    ParkUntouchables();
    forms_.FrmMainForm.cbbProfile.Clear();
    proc_->FillProfileList(forms_.FrmMainForm.cbbProfile);
    ASSERT_EQ(forms_.FrmMainForm.cbbProfile.Count(), 7);

    Choose(1, 6);
    EXPECT_EQ(forms_.frmOption.cbbCustomProfile.ItemIndex(), 1);
    EXPECT_EQ(Selected(), (Six{2, 6, 4, 8, 0, 3}));
    // Another output type applies the custom profile again and leaves the
    // enabled state alone, even for the video type.
    Select({1, 1, 1, 1, 1, 1});
    Choose(0, 6);
    EXPECT_EQ(Selected(), (Six{2, 6, 4, 8, 0, 3}));
    EXPECT_EQ(VideoEnabled(), false);
    ExpectUntouchablesParked("custom");

    // A profile the dialog does not list selects nothing there and applies nothing.
    Select({1, 1, 1, 1, 1, 1});
    forms_.FrmMainForm.cbbProfile.Add("Ghost");
    Choose(0, 7);
    EXPECT_EQ(forms_.frmOption.cbbCustomProfile.ItemIndex(), -1);
    EXPECT_EQ(Selected(), (Six{1, 1, 1, 1, 1, 1}));
}

// Stored rows count only whole; each field is an index, an empty field
// leaves its list alone, and a field that is no number stops the
// application with the fields before it applied.
TEST_F(ProfileCustom, StoredRowIsAppliedFieldByField) {
    const Six start{1, 1, 1, 1, 1, 1};
    const struct {
        const char* name;
        std::string row;
        Six expected;
        bool convertError;
    } cases[] = {
        {"six indexes", "0|0|0|0|0|0", {0, 0, 0, 0, 0, 0}, false},
        {"highest items", "2|6|4|8|1|3", {2, 6, 4, 8, 1, 3}, false},
        {"five fields", "0|0|0|0|0", start, false},
        {"seven fields", "0|0|0|0|0|0|0", start, false},
        {"a trailing separator leaves five parts", "0|0|0|0|0|", start, false},
        {"empty fields leave their lists alone", "|0||0|0|0", {1, 0, 1, 0, 0, 0}, false},
        {"indexes outside a list select nothing", "3|-1|0|9|0|0", {-1, -1, 0, -1, 0, 0}, false},
        {"'none' is no number in a custom row", "none|0|0|0|0|0", start, true},
        {"stops at the bad field", "0|0|x|0|0|0", {0, 0, 1, 1, 1, 1}, true},
        {"a sign alone", "0|-|0|0|0|0", {0, 1, 1, 1, 1, 1}, true},
    };
    for (const auto& c : cases) {
        WriteProfiles("[P]\r\nP=" + c.row + "\r\n");
        forms_.frmOption.cbbCustomProfile.ReplaceItems({"P"});
        forms_.frmOption.cbbCustomProfile.SetItemIndex(0);
        Select(start);
        ParkUntouchables();
        if (c.convertError) {
            EXPECT_THROW(proc_->ApplyCustomProfile(), EConvertError) << c.name;
        } else {
            EXPECT_NO_THROW(proc_->ApplyCustomProfile()) << c.name;
        }
        EXPECT_EQ(Selected(), c.expected) << c.name;
        ExpectUntouchablesParked(c.name);
    }
}

TEST_F(ProfileCustom, WithoutAStoredRowNothingChanges) {
    const Six start{2, 3, 4, 5, 0, 1};
    const struct {
        const char* name;
        std::optional<std::string> file;
        std::vector<std::string> items;
        int selected;
    } cases[] = {
        {"no profile file", std::nullopt, {"P"}, 0},
        {"nothing selected", "[P]\r\nP=0|0|0|0|0|0\r\n", {"P"}, -1},
        {"name not stored", "[P]\r\nP=0|0|0|0|0|0\r\n", {"Q"}, 0},
        {"key differs from the name", "[P]\r\nQ=0|0|0|0|0|0\r\n", {"P"}, 0},
        {"empty row", "[P]\r\nP=\r\n", {"P"}, 0},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir_ + "Config");
        if (c.file) WriteProfiles(*c.file);
        forms_.frmOption.cbbCustomProfile.ReplaceItems(c.items);
        forms_.frmOption.cbbCustomProfile.SetItemIndex(c.selected);
        Select(start);
        std::string row = "stale";
        proc_->GetCustomProfileRow(row);
        EXPECT_EQ(row, "") << c.name;
        EXPECT_NO_THROW(proc_->ApplyCustomProfile()) << c.name;
        EXPECT_EQ(Selected(), start) << c.name;
    }
}

}  // namespace
