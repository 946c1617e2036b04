// A row trimmed with the markers, through the strip's handlers, converts
// through the real encoder to a file of just the chosen range.
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
#include "ProcessTable.h"
#include "TrimLogic.h"
#include "UnitCustomProc.h"

namespace fs = std::filesystem;

namespace {

using integration::RecordingMessages;
using integration::SleepingPump;

TEST(IntegrationTrim, MarkersSetTheRangeTheEncoderConverts) {
    const char* appDirText = std::getenv("ORV_APP_DIR");
    ASSERT_NE(appDirText, nullptr);
    const std::string appDir = appDirText;
    ASSERT_TRUE(IsExecutableFile(appDir + kEncoderName)) << appDir;
    TempFolder tmp("orv trim ");
    const std::string clip = tmp.path + "ten seconds.mkv";
    const auto [made, madeText] =
        MakeClip(clip, "160x120", "10", {"-c:v", "mpeg4", "-c:a", "aac", "-shortest"});
    ASSERT_EQ(made, 0) << madeText;

    SleepingPump pump;
    RecordingMessages messages;
    TAdvanceSystem runner(appDir, 10);
    TProcessTable processes;
    TPorts ports;
    ports.Pump = &pump;
    ports.Messages = &messages;
    ports.Runner = &runner;
    ports.Processes = &processes;
    TAppFunc::SetAppPath(tmp.path);
    InitFuncObjects();
    TSysFunc::Processes = &processes;
    TForms forms;
    TCommonLib lib(appDir, ports);
    TCustomProc proc(lib, forms);
    TConvertingLogic converting(proc);
    proc.ConvertingLogic = &converting;
    proc.Pauses = {10, 10, 10};
    proc.FillAllLists();
    proc.ApplyProfile();
    forms.FrmMainForm.edtOutputFolder.SetText(tmp.path + "out");

    TSourceList& list = forms.FrmMainForm.dxTreeSourceFileInfo;
    const int row = list.Append({"True", clip, "", "00:00:10", "00:00:00", "00:00:10", "00:00:10"});
    list.FocusAndSelect(row);
    TTrimLogic trim(proc);
    TTrimStrip& strip = forms.FrmMainForm.Panel1;
    trim.actDxTreeListOnClickExecute();
    // The start marker dragged 50 pixels in: 50 * 121 div 260 = 23 %, 2 s.
    strip.SetPanel2Width(51);
    trim.Splitter1Moved();
    // The end marker nudged 90 pixels back with Shift and the right button:
    // 217 - 91 = 126, 126 * 121 div 260 = 58 %, 5 s.
    for (int i = 0; i < 9; ++i) trim.Panel3MouseDown(TMouseButton::Right, ssShift | ssRight);
    EXPECT_EQ(list.Text(row, colStartTime), "00:00:02");
    EXPECT_EQ(list.Text(row, colEndTime), "00:00:05");
    EXPECT_EQ(list.Text(row, colCutTime), "00:00:03");

    proc.CurIndex = 0;
    proc.ConvertFiles(list);
    TSysFunc::Processes = nullptr;
    TAppFunc::SetAppPath("");

    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    const std::string output = tmp.path + "out/ten seconds.mp4";
    ASSERT_TRUE(fs::is_regular_file(output));
    const auto [probed, probe] = ProbeEntries(output, "format=duration", false);
    ASSERT_EQ(probed, 0) << probe;
    EXPECT_NEAR(std::stod(probe), 3.0, 0.3) << probe;
}

}  // namespace
