// TCustomProc: the shared object that holds the batch state and the
// preview's playing flag, and carries the operations behind the windows'
// handlers. Its operations are grouped by subject over several files:
//   UnitCustomProc.cpp     catalogue filling and profile application
//   CommandLine.cpp        building the encoder command line
//   ConvertBatch.cpp       the batch driver
//   CustomProfiles.cpp     adding, saving and deleting custom profiles
//   SourceFiles.cpp        the remembered folder of the open dialog
//   Preview.cpp            the preview player
//   Trim.cpp               the trim markers
#pragma once

#include <string>
#include <vector>

#include "Forms.h"
#include "Unit_CommonLib.h"

class TConvertingLogic;

// The batch's fixed pauses. Tests pass shorter ones; the program uses these.
struct TBatchPauses {
    static constexpr int kBeforeEncoderMs = 2000;
    static constexpr int kAfterEncoderMs = 3000;
    static constexpr int kProcessPollMs = 100;
    int BeforeEncoderMs = kBeforeEncoderMs;
    int AfterEncoderMs = kAfterEncoderMs;
    int ProcessPollMs = kProcessPollMs;
};

class TCustomProc {
public:
    TCustomProc(TCommonLib& lib, TForms& forms);

    // Fields, in the designed order.
    int CurIndex = 0;
    bool IsPlaying = false;
    std::string StartTime;
    std::string Duration;
    int RowCount = 0;
    int RefreshCount = 0;
    std::string CommandLine;

    TBatchPauses Pauses;

    // Program-wide state of the preview and the trim markers.
    int SelFileDuration = 0;
    std::string EndTimeText;
    bool MarkersLoaded = false;

    // --- Catalogue filling: each appends the catalogue's items to its
    // control and selects the default.
    void FillAllLists();
    void FillOutputTypeList(TSettingsList& list);
    void FillProfileList(TSettingsList& list);
    void FillAspectRatioList(TSettingsList& list);
    void FillVideoBitrateList(TSettingsList& list);
    void FillAudioBitrateList(TSettingsList& list);
    void FillAudioChannelsList(TSettingsList& list);
    void FillFrameRateList(TSettingsList& list);
    void FillAudioSampleList(TSettingsList& list);
    void FillVolumeGainList(TSettingsList& list);
    void FillVideoSizeList(TSettingsList& list);

    // --- Profile application.
    void ApplyProfile();
    void GetCustomProfileRow(std::string& row);
    void ApplyCustomProfile();

    // --- Custom profiles. Add and Save return false when they stored
    // nothing (a refused name, or a cancelled prompt whose proposed name is
    // taken).
    bool AddCustomProfile();
    bool SaveCustomProfile();
    void DeleteCustomProfile();

    // --- The open dialog's remembered folder.
    std::string ReadInitDir();
    void SaveInitDir();

    // --- What the source list's user actions do, so each view handler is
    // one call. Those that remove rows stop the preview afterwards.
    static constexpr int kVkDelete = 46;
    void btnOpenFileClick();
    void WMDropFiles(const std::vector<std::string>& paths);
    void btnRemoveFileClick();
    void btnClearFileClick();
    // key: a virtual key code; only kVkDelete does anything.
    void dxTreeSourceFileInfoKeyDown(int key);
    // A drag that started in the list ended, on the list itself or elsewhere.
    void dxTreeSourceFileInfoEndDrag(bool droppedOnList);
    // No cell is ever edited in place.
    static bool dxTreeSourceFileInfoEditing() { return false; }

    // --- Preview.
    void OpenVideo(const std::string& path);
    void PlayVideo();
    void PauseVideo();
    void StopVideo();

    // --- Trim.
    int GetCutLength(const std::string& path);

    // --- Command line.
    std::string BuildParameters(const std::string& sourceFile);
    std::string GetStartTime(const std::string& sourceFile);
    std::string GetConvertDuration(const std::string& sourceFile);
    std::string PrepareOutputFolder();

    // --- Batch.
    void ConvertFiles(TSourceList& list);
    void EncoderOutputProc(const std::string& chunk);
    // The progress window's logic, whose refresh EncoderOutputProc runs.
    TConvertingLogic* ConvertingLogic = nullptr;
    // Ends the running batch after its current file: CurIndex moves past the
    // last row, and nothing more is converted even if rows are added or
    // CurIndex is reset before the batch has finished its waits.
    void StopBatch();
    bool BatchRunning() const { return batchRunning_; }
    bool BatchStopped() const { return batchStopped_; }

    TCommonLib& Lib() { return lib_; }
    TForms& Forms() { return forms_; }

private:
    TCommonLib& lib_;
    TForms& forms_;
    bool batchRunning_ = false;
    bool batchStopped_ = false;
};
