#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ArgumentRules.h"
#include "EngineTestKit.h"
#include "Errors.h"

namespace fs = std::filesystem;
using engine_test::EngineFixture;
using engine_test::TEngineWorld;

namespace {

// The line's expected text: program, source, options, output.
std::string Line(const TEngineWorld& w, const std::string& source, const std::string& options,
                 const std::string& output) {
    return w.appDir + "kodra -y -i \"" + source + "\" " + options + " \"" + w.outDir + "/" +
           output + "\"";
}

void SelectOutputType(TEngineWorld& w, int type) {
    w.forms.FrmMainForm.cbbOutputFiletype.SetItemIndex(type);
    w.proc->ApplyProfile();
}

class CommandLine : public EngineFixture {
  protected:
    std::string Line(const std::string& source, const std::string& options,
                     const std::string& output) const {
        return ::Line(*this, source, options, output);
    }
};

const char* const kNormalVideo =
    "-vcodec mpeg4 -acodec aac -b 768 -s 320x240 -r 25 -aspect 4:3 -ab 128 -vol 200 -ac 2 -ar "
    "44100";
const char* const kNormalSound = "-ab 128 -vol 200 -ac 2 -ar 44100";

TEST(CommandLineTable, ComposesTheExactLineForEachSettingAndRow) {
    const struct {
        const char* name;
        std::function<void(TEngineWorld&)> settings;
        std::string start, end;
        std::string options;
        std::string output;
    } cases[] = {
        {"video, normal quality", nullptr, "00:00:00", "00:02:00",
         std::string(kNormalVideo) + " -ss 00:00:00 -t 120", "party.mp4"},
        {"aac", [](TEngineWorld& w) { SelectOutputType(w, 1); }, "00:00:00", "00:02:00",
         std::string("-acodec aac -vn ") + kNormalSound + " -ss 00:00:00 -t 120", "party.aac"},
        {"m4a", [](TEngineWorld& w) { SelectOutputType(w, 2); }, "00:00:00", "00:02:00",
         std::string("-acodec aac -vn ") + kNormalSound + " -ss 00:00:00 -t 120", "party.m4a"},
        {"mp3", [](TEngineWorld& w) { SelectOutputType(w, 3); }, "00:00:00", "00:02:00",
         std::string("-acodec mp3 -vn ") + kNormalSound + " -ss 00:00:00 -t 120", "party.mp3"},
        {"trimmed: start as text, length in seconds", nullptr, "00:01:00", "00:03:30",
         std::string(kNormalVideo) + " -ss 00:01:00 -t 150", "party.mp4"},
        {"end equals start", nullptr, "00:01:00", "00:01:00",
         std::string(kNormalVideo) + " -ss 00:01:00 -t 0", "party.mp4"},
        {"end before start passes the negative length on", nullptr, "00:02:00", "00:01:00",
         std::string(kNormalVideo) + " -ss 00:02:00 -t -60", "party.mp4"},
        {"a start time not of three pieces counts as 0", nullptr, "01:00", "00:01:40",
         std::string(kNormalVideo) + " -ss 01:00 -t 100", "party.mp4"},
        {"hours beyond 99", nullptr, "100:00:00", "100:00:30",
         std::string(kNormalVideo) + " -ss 100:00:00 -t 30", "party.mp4"},
        {"no option selected: every fallback, two blanks for the volume",
         [](TEngineWorld& t) {
             TOptionFormModel& o = t.forms.frmOption;
             for (TSettingsList* l : {&o.cbbVideoSize, &o.cbbVideoBitrate, &o.cbbFramerate,
                                      &o.cbbAspectratio, &o.cbbAudioBitrate, &o.cbbAudioSample,
                                      &o.cbbAudioVolumeGain, &o.cbbAudioChannels})
                 l->SetItemIndex(-1);
         },
         "00:00:00", "00:02:00",
         "-vcodec mpeg4 -acodec aac -b 512 -s 320x240 -r 25 -aspect 4:3 -ab 64  -ac 2 -ar 44100 "
         "-ss 00:00:00 -t 120",
         "party.mp4"},
        {"no output type: codec, format and extension fallbacks",
         [](TEngineWorld& t) { t.forms.FrmMainForm.cbbOutputFiletype.SetItemIndex(-1); },
         "00:00:00", "00:02:00",
         "-vcodec xvid -acodec mp3 -b 768 -s 320x240 -r 25 -aspect 4:3 -ab 128 -vol 200 -ac 2 "
         "-ar 44100 -f  -ss 00:00:00 -t 120",
         "party.avi"},
        {"mono: only the channel item's first character",
         [](TEngineWorld& t) { t.forms.frmOption.cbbAudioChannels.SetItemIndex(0); }, "00:00:00",
         "00:02:00",
         "-vcodec mpeg4 -acodec aac -b 768 -s 320x240 -r 25 -aspect 4:3 -ab 128 -vol 200 -ac 1 "
         "-ar 44100 -ss 00:00:00 -t 120",
         "party.mp4"},
    };
    const std::string source = "/clips/party.avi";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TEngineWorld w;
        if (c.settings) c.settings(w);
        w.AddRow(source, c.start, c.end);
        EXPECT_EQ(w.proc->BuildParameters(source), Line(w, source, c.options, c.output));
    }
}

TEST_F(CommandLine, KeepsThePartsOfTheLineForTheRestOfTheBatch) {
    AddRow("/clips/my.party.avi", "00:00:05", "00:00:45");
    proc->BuildParameters("/clips/my.party.avi");
    const TConvertParameterStruct& p = lib->ConvertParam;
    EXPECT_EQ(p.EncoderPath, appDir + "kodra");
    EXPECT_EQ(p.SourceFile, "/clips/my.party.avi");
    EXPECT_EQ(p.CodecOptions, " -vcodec mpeg4 -acodec aac");
    EXPECT_EQ(p.Volume, " -vol 200");
    EXPECT_EQ(p.ForcedFormat, "");
    EXPECT_EQ(p.TimeRange, " -ss 00:00:05 -t 40");
    EXPECT_EQ(p.OutputFolder, outDir + "/");
    EXPECT_EQ(p.OutputBaseName, "my.party");
    EXPECT_EQ(p.OutputExt, ".mp4");
    EXPECT_EQ(proc->StartTime, "00:00:05");
    EXPECT_EQ(proc->Duration, "40");
}

TEST_F(CommandLine, TakesAFreeOutputNameWhateverTheExistingExtension) {
    AddRow("/clips/party.avi");
    fs::create_directories(outDir);
    std::ofstream(outDir + "/party.avi") << "x";
    std::ofstream(outDir + "/party_1.txt") << "x";
    EXPECT_EQ(proc->BuildParameters("/clips/party.avi"),
              Line("/clips/party.avi", std::string(kNormalVideo) + " -ss 00:00:00 -t 120",
                   "party_2.mp4"));
}

TEST_F(CommandLine, ASourceListedTwiceTakesTheLastRowsTrimButCaseMakesAnotherFile) {
    AddRow("/clips/party.avi", "00:00:10", "00:00:40");
    AddRow("/clips/Party.avi", "00:00:20", "00:00:25");
    AddRow("/clips/party.avi", "00:01:00", "00:01:30");
    EXPECT_EQ(proc->GetStartTime("/clips/party.avi"), "00:01:00");
    EXPECT_EQ(proc->GetConvertDuration("/clips/party.avi"), "30");
    EXPECT_EQ(proc->GetStartTime("/clips/Party.avi"), "00:00:20");
    EXPECT_EQ(proc->GetConvertDuration("/clips/Party.avi"), "5");
    // A path in no row: no time range, the whole file is converted.
    EXPECT_EQ(proc->GetStartTime("/clips/other.avi"), "");
    EXPECT_EQ(proc->GetConvertDuration("/clips/other.avi"), "");
    const std::string line = proc->BuildParameters("/clips/other.avi");
    EXPECT_EQ(line.find(" -ss "), std::string::npos) << line;
}

TEST_F(CommandLine, AnUnreadableTimeTextIsAnError) {
    AddRow("/clips/party.avi", "00:x1:00", "00:02:00");
    EXPECT_THROW(proc->BuildParameters("/clips/party.avi"), EConvertError);
}

TEST_F(CommandLine, ASelectedCustomProfileIsAppliedAgainBeforeTheListsAreRead) {
    std::ofstream(appDir + "Config/UserProfileInfo.ini", std::ios::binary)
        << "[Mine]\r\nMine=2|6|4|8|0|3\r\n";
    forms.frmOption.cbbCustomProfile.ReplaceItems({"Mine"});
    forms.frmOption.cbbCustomProfile.SetItemIndex(0);
    // Changed by hand after the profile was chosen; the batch sets them back.
    forms.frmOption.cbbVideoSize.SetItemIndex(0);
    forms.frmOption.cbbAudioBitrate.SetItemIndex(0);
    AddRow("/clips/party.avi");
    EXPECT_EQ(proc->BuildParameters("/clips/party.avi"),
              Line("/clips/party.avi",
                   "-vcodec mpeg4 -acodec aac -b 1500 -s 368x208 -r 30 -aspect 4:3 -ab 224 -vol "
                   "200 -ac 1 -ar 48000 -ss 00:00:00 -t 120",
                   "party.mp4"));
}

// The runner splits the line by the quoting rules; whatever a path holds,
// the encoder must get exactly that path.
TEST(CommandLinePaths, AnyPathReachesTheEncoderIntact) {
    for (const std::string name :
         {"say \"hi\".avi", "back\\\"slash.avi", "ends in\\", "$HOME; rm -rf *.avi"}) {
        SCOPED_TRACE(name);
        TEngineWorld w;
        const std::string source = "/clips/" + name;
        w.AddRow(source);
        const std::vector<std::string> args = SplitArguments(w.proc->BuildParameters(source));
        ASSERT_GE(args.size(), 4u);
        EXPECT_EQ(args[3], source);
        const std::string base =
            name.substr(0, name.rfind('.') == std::string::npos ? name.size() : name.rfind('.'));
        EXPECT_EQ(args.back(), w.outDir + "/" + base + ".mp4");
    }
    // An ordinary path is quoted as it stands.
    TEngineWorld w;
    w.AddRow("/clips/a b\\c.avi");
    EXPECT_NE(w.proc->BuildParameters("/clips/a b\\c.avi").find("\"/clips/a b\\c.avi\""),
              std::string::npos);
}

TEST_F(CommandLine, PreparesTheOutputFolderAndLogsTheOutcome) {
    // Missing parents are created; a trailing "/" is added once.
    forms.FrmMainForm.edtOutputFolder.SetText(appDir + "a/b/c");
    EXPECT_EQ(proc->PrepareOutputFolder(), appDir + "a/b/c/");
    EXPECT_TRUE(fs::is_directory(appDir + "a/b/c"));
    forms.FrmMainForm.edtOutputFolder.SetText(appDir + "a/b/c/");
    EXPECT_EQ(proc->PrepareOutputFolder(), appDir + "a/b/c/");

    // A file where the folder should be: logged as a failure, the text still returned.
    std::ofstream(appDir + "plain") << "x";
    forms.FrmMainForm.edtOutputFolder.SetText(appDir + "plain");
    EXPECT_EQ(proc->PrepareOutputFolder(), appDir + "plain/");
    forms.FrmMainForm.edtOutputFolder.SetText(appDir + "plain/sub");
    EXPECT_EQ(proc->PrepareOutputFolder(), appDir + "plain/sub/");

    EXPECT_EQ(LogMessages(), (std::vector<std::string>{
                                 "Output directory " + appDir + "a/b/c/",
                                 "Output directory " + appDir + "a/b/c/",
                                 "Output directory error. ->" + appDir + "plain/",
                                 "Output directory error. ->" + appDir + "plain/sub/",
                             }));
}

}  // namespace
