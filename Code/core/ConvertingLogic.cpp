#include "ConvertingLogic.h"

#include <cstdint>

#include "Errors.h"
#include "FuncObjects.h"
#include "TextConvert.h"
#include "UnitCustomProc.h"

namespace {

// Sound-only output types put the time into another "=" piece of the
// encoder's progress line than the video type does.
bool IsSoundOnly(const std::string& codecOptions) {
    return TrimControls(codecOptions).compare(0, 7, "-acodec") == 0;
}

int ClampToInt(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

}  // namespace

TConvertingLogic::TConvertingLogic(TCustomProc& proc) : proc_(proc) {}

void TConvertingLogic::FormShow() {
    TProgressFormModel& form = proc_.Forms().frmConverting;
    AnimStep = 0;
    for (TCheckValue& dot : form.imgDots) dot.SetChecked(false);
    form.tmrChanging.SetChecked(true);
    InitFuncObjects();
    form.lblCurFileName.SetText(proc_.Lib().ConvertParam.SourceFile);
    form.lblPersent.SetText("Current: 1, Total: " + std::to_string(proc_.RowCount));
    form.ProgressBar1.SetMax(1);
    form.ProgressBar1.SetPosition(0);
    form.pbTotal.SetMax(1);
    form.pbTotal.SetPosition(0);
}

void TConvertingLogic::tmrChangingTimer() {
    TProgressFormModel& form = proc_.Forms().frmConverting;
    proc_.Lib().Ports().Pump->ProcessMessages();
    const int before = AnimStep < 1 ? 6 : AnimStep;
    AnimStep = AnimStep >= 6 ? 1 : AnimStep + 1;
    form.imgDots[static_cast<size_t>(before - 1)].SetChecked(false);
    form.imgDots[static_cast<size_t>(AnimStep - 1)].SetChecked(true);
}

void TConvertingLogic::actRefreshProgressExecute() {
    TProgressFormModel& form = proc_.Forms().frmConverting;
    // The first chunk of a file only shows; the bars move from the second on.
    if (++proc_.RefreshCount <= 1) return;

    // The overall bar gives every row 100 units plus the current file's
    // percentage as the previous refresh left it.
    form.pbTotal.SetMax(ClampToInt(int64_t{proc_.RowCount} * 100));
    if (form.ProgressBar1.Max() != 0) {
        const int64_t percent =
            int64_t{form.ProgressBar1.Position()} * 100 / form.ProgressBar1.Max();
        form.pbTotal.SetPosition(ClampToInt(percent + int64_t{proc_.CurIndex} * 100));
        form.lblPersent.SetText("Current: " + std::to_string(int64_t{proc_.CurIndex} + 1) +
                                " , Total: " + std::to_string(proc_.RowCount) + ".");
    }

    // A negative length leaves the bar an empty range (the model keeps the
    // maximum at the minimum) instead of failing.
    CurFileSeconds = StrToInt(proc_.Duration);
    form.ProgressBar1.SetMin(0);
    form.ProgressBar1.SetMax(CurFileSeconds);

    const std::string chunk = form.statState.Text();
    if (chunk.empty()) return;
    const std::vector<std::string> pieces = TCommonLib::SplitText(chunk, '=');
    const bool sound = IsSoundOnly(proc_.Lib().ConvertParam.CodecOptions);
    const size_t wanted = sound ? 2 : 4;
    const size_t required = sound ? 4 : 5;
    if (pieces.size() < required) return;
    const std::vector<std::string> seconds = TCommonLib::SplitText(pieces[wanted], '.');
    if (seconds.empty() || seconds[0] == kUnknownTime) return;
    double value = 0;
    try {
        value = TCommonLib::TextToNumber(seconds[0]);
    } catch (const EConvertError&) {
        // The encoder's output is not ours to trust: a piece without a
        // number leaves the bar where it was, like any other odd chunk.
        return;
    }
    form.ProgressBar1.SetPositionF(value);
}

void TConvertingLogic::StopBatch() {
    TPorts& ports = proc_.Lib().Ports();
    ports.Windows->HideProgressWindow();
    ports.Windows->SetMainWindowEnabled(true);
    proc_.StopBatch();
}

void TConvertingLogic::btnStop1Click() {
    TPorts& ports = proc_.Lib().Ports();
    if (!ports.Messages->AskYesNo(kStopQuestion)) return;
    StopBatch();
    proc_.Lib().StopEncoder(proc_.Lib().ConvertParam.EncoderPath);
    proc_.Lib().StopEncoder(kEncoderName);

    TProgressFormModel& form = proc_.Forms().frmConverting;
    form.ProgressBar1.SetPosition(0);
    form.pbTotal.SetMax(0);
    form.pbTotal.SetPosition(0);
    form.lblPersent.SetText(kIdleCounter);
}

bool TConvertingLogic::FormClose() {
    TPorts& ports = proc_.Lib().Ports();
    if (!ports.Messages->AskYesNo(kCloseQuestion)) return false;
    StopBatch();
    proc_.Lib().StopEncoder(proc_.Lib().ConvertParam.EncoderPath);
    return true;
}
