// Every kind of file the source list accepts, from the drop to the
// converted file: probed with the real probe, converted by the real encoder
// with the default MP4 profile.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AdvanceSystem.h"
#include "ArgumentRules.h"
#include "ConvertingLogic.h"
#include "FuncObjects.h"
#include "IntegrationDoubles.h"
#include "MediaFixtures.h"
#include "MediaProbe.h"
#include "ProcessTable.h"
#include "UnitCustomProc.h"

namespace fs = std::filesystem;

namespace {

using integration::RecordingMessages;
using integration::SleepingPump;

class NoShutdown : public IShutdown {
  public:
    bool PowerOff() override { return false; }
};

TEST(IntegrationSourceKinds, EveryAcceptedKindIsAddedAndConverted) {
    const char* appDir = std::getenv("ORV_APP_DIR");
    ASSERT_NE(appDir, nullptr);
    ASSERT_TRUE(IsExecutableFile(std::string(appDir) + kEncoderName)) << appDir;
    TempFolder tmp("orv kinds ");

    std::vector<std::string> clips;
    for (const ClipKind& kind : AcceptedClipKinds()) {
        // Upper-case names: the extension test ignores letter case.
        std::string ext = kind.ext;
        for (char& c : ext) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        const std::string clip = tmp.path + "kind " + (kind.ext + 1) + ext;
        ASSERT_EQ(MakeClip(clip, "160x128", "2", kind.output).first, 0)
            << "ffmpeg could not make " << clip;
        clips.push_back(clip);
    }

    TAppFunc::SetAppPath(tmp.path);
    InitFuncObjects();
    SleepingPump pump;
    RecordingMessages messages;
    NoShutdown shutdown;
    TAdvanceSystem runner(appDir, 20);
    TProcessTable processes;
    TMediaProbe probe;
    TSysFunc::Processes = &processes;
    TPorts ports;
    ports.Pump = &pump;
    ports.Messages = &messages;
    ports.Runner = &runner;
    ports.Processes = &processes;
    ports.Shutdown = &shutdown;
    ports.Probe = &probe;
    TForms forms;
    TCommonLib lib(appDir, ports);
    TCustomProc proc(lib, forms);
    TConvertingLogic logic(proc);
    proc.ConvertingLogic = &logic;
    proc.Pauses = {20, 20, 20};
    proc.FillAllLists();
    proc.ApplyProfile();
    const std::string outFolder = tmp.path + "out";
    forms.FrmMainForm.edtOutputFolder.SetText(outFolder);
    forms.FrmMainForm.chkShowOutputDirectory.SetChecked(false);

    // Dropped all at once, the way a file manager hands them over.
    proc.WMDropFiles(clips);
    TSourceList& list = forms.FrmMainForm.dxTreeSourceFileInfo;
    ASSERT_EQ(list.RowCount(), static_cast<int>(clips.size()));
    for (int row = 0; row < list.RowCount(); ++row) {
        EXPECT_EQ(list.Text(row, colFileName), clips[static_cast<size_t>(row)]);
        EXPECT_EQ(list.Text(row, colDuration), "00:00:02") << clips[static_cast<size_t>(row)];
    }

    proc.CurIndex = 0;
    proc.ConvertFiles(list);
    TAppFunc::SetAppPath("");
    TSysFunc::Processes = nullptr;

    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    for (const ClipKind& kind : AcceptedClipKinds()) {
        const std::string output = outFolder + "/kind " + (kind.ext + 1) + ".mp4";
        SCOPED_TRACE(output);
        ASSERT_TRUE(fs::is_regular_file(output));
        const auto [status, probed] =
            ProbeEntries(output, "stream=codec_name,width,height:format=duration");
        ASSERT_EQ(status, 0) << probed;
        EXPECT_NE(probed.find("codec_name=mpeg4"), std::string::npos) << probed;
        EXPECT_NE(probed.find("codec_name=aac"), std::string::npos) << probed;
        EXPECT_NE(probed.find("width=320\nheight=240"), std::string::npos) << probed;
        const size_t at = probed.find("duration=");
        ASSERT_NE(at, std::string::npos) << probed;
        EXPECT_NEAR(std::stod(probed.substr(at + 9)), 2.0, 0.3) << probed;
    }
}

}  // namespace
