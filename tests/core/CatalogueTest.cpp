#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "UnitCustomProc.h"
#include "Unit_ConfigInfo.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines kSoundRows = {"none|none|none|2|0|0", "none|none|none|4|1|1", "none|none|none|5|1|2",
                          "none|none|none|7|1|2", "none|none|none|8|1|3"};

// The texts are the contract with the windows, the command line and the
// user's eyes: each must stand exactly as it is shown or passed on.
TEST(CatalogueLists, AccessorsReturnTheExactTexts) {
    const struct {
        const char* name;
        Lines (*get)();
        Lines expected;
    } cases[] = {
        {"output types",
         GetOutputTypeList,
         {"PSP MPEG-4 Video Files (*.mp4)", "AAC Advanced Audio Coding (*.aac)",
          "M4A MPEG Audio Files (*.m4a)", "MP3 Files (*.mp3)", "0"}},
        {"quality",
         GetQualityList,
         {"Low Quality", "Acceptable Quality", "Normal Quality", "Excellent Quality",
          "Superb Quality", "2"}},
        {"video size", GetVideoSizeList, {"160x112", "320x240", "368x208", "0"}},
        {"video bitrate", GetVideoBitrateList, {"256", "512", "768", "1000", "1500", "3"}},
        {"frame rate",
         GetFrameRateList,
         {"14.985", "15", "23.967", "24", "25", "29.97", "30", "4"}},
        {"aspect ratio", GetAspectRatioList, {"4:3", "16:9", "0"}},
        {"audio bitrate",
         GetAudioBitrateList,
         {"16", "32", "48", "64", "80", "128", "160", "192", "224", "2"}},
        {"audio sample", GetAudioSampleList, {"22050", "32000", "44100", "48000", "3"}},
        {"volume", GetVolumeGainList, {"0",   "25",  "50",  "75",  "100", "125", "150", "175",
                                       "200", "225", "250", "275", "300", "325", "350", "375",
                                       "400", "425", "450", "475", "500", "8"}},
        {"channels", GetAudioChannelsList, {"1 channel, Mono", "2 channels, Stereo", "1"}},
        {"codec options",
         GetCodecOptionList,
         {"-vcodec mpeg4 -acodec aac", "-acodec aac -vn", "-acodec aac -vn", "-acodec mp3 -vn"}},
        {"extensions", GetExtensionList, {".mp4", ".aac", ".m4a", ".mp3"}},
        {"forced formats", GetForcedFormatList, {"none", "none", "none", "none"}},
        {"mp4 rows",
         GetMp4PresetList,
         {"1|1|0|2|0|0", "1|2|1|4|1|1", "1|4|2|5|1|2", "1|5|3|7|1|2", "1|6|4|8|1|3"}},
        {"aac rows", GetAacPresetList, kSoundRows},
        {"m4a rows", GetM4aPresetList, kSoundRows},
        {"mp3 rows", GetMp3PresetList, kSoundRows},
    };
    for (const auto& c : cases) EXPECT_EQ(c.get(), c.expected) << c.name;
}

// A program folder of its own, with or without a Config folder.
class CatalogueFill : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orv-cat-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
    }
    void TearDown() override { fs::remove_all(dir_); }
    void WriteProfiles(const std::string& bytes) {
        fs::create_directories(dir_ + "Config");
        std::ofstream(dir_ + "Config/UserProfileInfo.ini", std::ios::binary) << bytes;
    }
    Lines ItemsOf(Lines (*get)()) {
        Lines items = get();
        items.pop_back();
        return items;
    }

    std::string dir_;
    TPorts ports_;
    TForms forms_;
};

TEST_F(CatalogueFill, FillAllListsGivesEveryListItsItemsAndDefault) {
    TCommonLib lib(dir_, ports_);
    TCustomProc proc(lib, forms_);
    proc.FillAllLists();
    TMainFormModel& main = forms_.FrmMainForm;
    TOptionFormModel& options = forms_.frmOption;
    const struct {
        const char* name;
        const TSettingsList& list;
        Lines (*get)();
        int selected;
    } cases[] = {
        {"output type", main.cbbOutputFiletype, GetOutputTypeList, 0},
        {"profile", main.cbbProfile, GetQualityList, 2},
        {"aspect ratio", options.cbbAspectratio, GetAspectRatioList, 0},
        {"video bitrate", options.cbbVideoBitrate, GetVideoBitrateList, 3},
        {"audio bitrate", options.cbbAudioBitrate, GetAudioBitrateList, 2},
        {"channels", options.cbbAudioChannels, GetAudioChannelsList, 1},
        {"frame rate", options.cbbFramerate, GetFrameRateList, 4},
        {"sample rate", options.cbbAudioSample, GetAudioSampleList, 3},
        {"volume", options.cbbAudioVolumeGain, GetVolumeGainList, 8},
        {"video size", options.cbbVideoSize, GetVideoSizeList, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.list.Items(), ItemsOf(c.get)) << c.name;
        EXPECT_EQ(c.list.ItemIndex(), c.selected) << c.name;
    }
    EXPECT_EQ(options.cbbAudioVolumeGain.SelectedText(), "200");
    EXPECT_EQ(main.cbbProfile.SelectedText(), "Normal Quality");
    EXPECT_EQ(options.cbbCustomProfile.Count(), 0);
}

// Custom profiles follow the five quality levels in the order of the file's
// sections, duplicates and odd headers included; the default stays selected.
TEST_F(CatalogueFill, ProfileListAppendsCustomProfilesInFileOrder) {
    const struct {
        const char* name;
        std::optional<std::string> file;  // nullopt: no Config folder at all
        Lines custom;
    } cases[] = {
        {"no Config folder", std::nullopt, {}},
        {"no sections", "B=1|1|1|1|1|1\r\n", {}},
        {"two profiles B then A",
         "\r\n[B]\r\nB=1|1|1|1|1|1\r\n\r\n[A]\r\nA=0|0|0|0|0|0\r\n",
         {"B", "A"}},
        {"a name stored twice is listed twice",
         "[B]\r\n[A]\r\n[b]\r\n[B]\r\n",
         {"B", "A", "b", "B"}},
        {"an empty name", "[]\r\n", {""}},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir_ + "Config");
        if (c.file) WriteProfiles(*c.file);
        TCommonLib lib(dir_, ports_);
        TCustomProc proc(lib, forms_);
        TSettingsList profiles;
        proc.FillProfileList(profiles);
        Lines expected = ItemsOf(GetQualityList);
        expected.insert(expected.end(), c.custom.begin(), c.custom.end());
        EXPECT_EQ(profiles.Items(), expected) << c.name;
        EXPECT_EQ(profiles.SelectedText(), "Normal Quality") << c.name;
    }
}

// Filling does not empty the list first: refilling callers clear it.
TEST_F(CatalogueFill, FillingAFullListAppendsASecondCopy) {
    TCommonLib lib(dir_, ports_);
    TCustomProc proc(lib, forms_);
    TSettingsList list;
    proc.FillAspectRatioList(list);
    list.SetItemIndex(1);
    proc.FillAspectRatioList(list);
    EXPECT_EQ(list.Items(), (Lines{"4:3", "16:9", "4:3", "16:9"}));
    EXPECT_EQ(list.ItemIndex(), 0);
}

}  // namespace
