// The batch driver: converts the checked rows of the source list one after
// another, feeds the progress window and runs the end-of-batch actions.
#include <exception>
#include <string>
#include <vector>

#include "ConvertingLogic.h"
#include "FuncObjects.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

namespace {

constexpr const char* kEmptyListMessage =
    "Please add media files you want to convert into the list.";
constexpr const char* kFailedFilesMessage = "Files converting error! Please check these files:";

// Marks the batch as running for as long as ConvertFiles is on the stack,
// whichever way it leaves.
class TRunningFlag {
  public:
    explicit TRunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~TRunningFlag() { flag_ = false; }
    TRunningFlag(const TRunningFlag&) = delete;
    TRunningFlag& operator=(const TRunningFlag&) = delete;

  private:
    bool& flag_;
};

}  // namespace

bool TCommonLib::ShowEmptyListMsg() {
    return ShowMsg(kEmptyListMessage, 1);
}

void TCustomProc::StopBatch() {
    CurIndex = forms_.FrmMainForm.dxTreeSourceFileInfo.RowCount();
    batchStopped_ = true;
}

void TCustomProc::EncoderOutputProc(const std::string& chunk) {
    TProgressFormModel& form = forms_.frmConverting;
    lib_.Ports().Pump->ProcessMessages();
    form.statState.SetText(chunk);
    form.lblCurFileName.SetText(lib_.ConvertParam.SourceFile);
    if (ConvertingLogic) ConvertingLogic->actRefreshProgressExecute();
}

void TCustomProc::ConvertFiles(TSourceList& list) {
    // Stop gives the main window back while the batch still finishes its
    // waits; a Convert pressed then must not start a batch inside this one.
    if (batchRunning_) return;
    TRunningFlag running(batchRunning_);
    batchStopped_ = false;

    TPorts& ports = lib_.Ports();
    const auto endBatch = [&ports] {
        ports.Windows->HideProgressWindow();
        ports.Windows->SetMainWindowEnabled(true);
    };

    CurIndex = 0;
    RowCount = list.RowCount();
    if (list.RowCount() == 0) {
        lib_.ShowEmptyListMsg();
        endBatch();
        return;
    }

    std::vector<std::string> failed;
    try {
        while (!batchStopped_ && CurIndex < list.RowCount()) {
            if (list.Text(CurIndex, colCheck) != "True") {
                ++CurIndex;
                continue;
            }
            const std::string source = list.Text(CurIndex, colFileName);
            CommandLine = BuildParameters(source);
            AppFunc->WriteLog("parameter: " + CommandLine);
            RefreshCount = 0;
            forms_.frmConverting.ProgressBar1.SetPosition(0);
            ports.Windows->ShowProgressWindow();
            ports.Windows->SetMainWindowEnabled(false);

            ports.Pump->ProcessMessages();
            ports.Pump->Sleep(Pauses.BeforeEncoderMs);
            ports.Pump->ProcessMessages();

            // A stop confirmed during the pause means the encoder never starts.
            if (!batchStopped_) {
                // An error in the refresh must not cross the runner, which
                // has the encoder and its pipes open: it is kept, the
                // encoder is stopped, and the error ends the batch below.
                std::exception_ptr callbackError;
                const TRunResult result = ports.Runner->RunProcess(
                    lib_.ConvertParam.EncoderPath, CommandLine,
                    [this, &callbackError](const std::string& chunk) {
                        if (callbackError) return;
                        try {
                            EncoderOutputProc(chunk);
                        } catch (...) {
                            callbackError = std::current_exception();
                            lib_.StopEncoder(lib_.ConvertParam.EncoderPath);
                        }
                    });
                if (callbackError) std::rethrow_exception(callbackError);
                // A file the user stopped is not a failure.
                if (!result.Succeeded() && !batchStopped_) {
                    failed.push_back(source);
                    AppFunc->WriteLog("Convert error. ->" + source);
                }

                ports.Pump->ProcessMessages();
                ports.Pump->Sleep(Pauses.AfterEncoderMs);
                // After a stop the stop itself has waited for the encoder as
                // long as it could; waiting on here might never end.
                while (!batchStopped_ && SysFunc->ProcessExists(kEncoderName) != 0) {
                    ports.Pump->Sleep(Pauses.ProcessPollMs);
                    ports.Pump->ProcessMessages();
                }
            }
            ++CurIndex;
        }

        if (forms_.FrmMainForm.chkShowOutputDirectory.Checked())
            lib_.OpenFolder(lib_.ConvertParam.OutputFolder);
        if (forms_.FrmMainForm.chkShutdown.Checked()) {
            // An unattended shutdown is never held by a message: failures
            // stay in the log.
            lib_.ShutDownComputer();
            ports.Windows->EndProgram();
            return;
        }
        if (!failed.empty()) {
            std::string message = kFailedFilesMessage;
            for (const std::string& path : failed) message += "\n" + path;
            lib_.ShowMsg(message, 1);
        }
    } catch (...) {
        // Whatever went wrong inside a file's steps, the batch ends with the
        // main window usable and the progress window gone; the error goes on
        // to the handler's error report.
        endBatch();
        throw;
    }
    endBatch();
}
