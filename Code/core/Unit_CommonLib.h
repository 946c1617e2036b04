// TCommonLib: the shared object that holds the program folder, the parts of
// the current encoder command line and the file loaded in the preview, and
// carries the operations that the windows and the batch share. Its
// operations are grouped by subject over several source files:
//   Unit_CommonLib.cpp     text and time helpers, Config/ readers
//   CommandLine.cpp        the command-line fragments
//   ProcessStop.cpp        process lookup and stopping the encoder
//   SystemActions.cpp      message box, memory trim, shutdown, opening a folder
//   ConfigReaders.cpp      the readers of the Config/ folder
//   SourceFiles.cpp        adding, probing and removing source files
//   OutputFolder.cpp       the output folder chooser
//   Preview.cpp            seeking the preview
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Models.h"
#include "Ports.h"

// The name of the encoder front end's file, in the program folder.
inline constexpr const char* kEncoderName = "kodra";

// The seventeen text parts of one encoder command line, each a ready-made
// fragment with its own leading blank where it has one.
struct TConvertParameterStruct {
    std::string EncoderPath;
    std::string SourceFile;
    std::string CodecOptions;
    std::string VideoBitrate;
    std::string VideoSize;
    std::string FrameRate;
    std::string AspectRatio;
    std::string Reserved;  // never written or read
    std::string AudioBitrate;
    std::string Volume;
    std::string AudioChannels;
    std::string AudioSample;
    std::string ForcedFormat;
    std::string TimeRange;
    std::string OutputFolder;
    std::string OutputBaseName;
    std::string OutputExt;
};

class TCommonLib {
public:
    // appPath: the program folder with its trailing "/".
    TCommonLib(std::string appPath, TPorts& ports);

    // Fields.
    std::string AppPath;
    TConvertParameterStruct ConvertParam;
    std::string PlayFileName;
    // The open dialog's current file name: the first file of its last
    // successful use (empty before the first).
    std::string DialogFileName;

    TPorts& Ports() { return ports_; }

    // --- Text and time helpers (they depend on nothing but their arguments).
    static std::vector<std::string> SplitText(const std::string& text, char separator);
    // Lenient number reading; throws EConvertError when there is no digit to read.
    static double TextToNumber(const std::string& text);
    static std::string SecondsToTimeText(int64_t seconds);
    static std::string FormatFileSize(int64_t bytes);

    // --- Readers of the Config/ folder.
    std::vector<std::string> ReadConfigSections(const std::string& fileName) const;
    std::string ReadConfigValue(const std::string& fileName, const std::string& name) const;

    // --- Command-line fragments. The eight option operations read the
    // item of the list at the index; the three output-type operations read
    // the catalogue element at the index.
    std::string GetCodecParam(const TSettingsList& outputTypes, int index) const;
    std::string GetFormatParam(const TSettingsList& outputTypes, int index) const;
    std::string GetOutputExt(const TSettingsList& outputTypes, int index) const;
    std::string GetVideoBitrateParam(const TSettingsList& list, int index) const;
    std::string GetVideoSizeParam(const TSettingsList& list, int index) const;
    std::string GetFrameRateParam(const TSettingsList& list, int index) const;
    std::string GetAspectParam(const TSettingsList& list, int index) const;
    std::string GetAudioBitrateParam(const TSettingsList& list, int index) const;
    std::string GetVolumeParam(const TSettingsList& list, int index) const;
    std::string GetAudioChannelsParam(const TSettingsList& list, int index) const;
    std::string GetAudioSampleParam(const TSettingsList& list, int index) const;

    // --- Source files.
    void AddSourceFiles(TSourceList& list, const std::vector<std::string>& paths);
    // Whole seconds; 0 when the file cannot be probed.
    int64_t GetVideoDuration(const std::string& path);
    // Bytes; -1 when the size cannot be read.
    int64_t GetSourceFileSize(const std::string& path);
    std::vector<std::string> SelectSourceFiles(bool removeDuplicates, const std::string& initDir);
    static std::vector<std::string> RemoveDuplicates(const std::vector<std::string>& texts);
    void RemoveSelectedRows(TSourceList& list);
    bool ClearSourceList(TSourceList& list);
    // The open dialog's eleven filter entries, in order. The patterns match
    // both letter cases (such as "*.[aA][vV][iI]"), as the extension test
    // does; a view shows the descriptions alone.
    static std::vector<TFileFilter> SourceFileFilters();
    // The extension test: the text from the last "." of the file name is one
    // of the fifteen accepted extensions, letter case aside.
    static bool IsAcceptedSourceFile(const std::string& path);

    // --- Output folder.
    std::string SelectOutputFolder(const std::string& current);

    // --- Preview.
    void SeekVideo(int64_t ms);

    // --- Batch.
    // Warns that the list is empty; returns whether the box was shown.
    bool ShowEmptyListMsg();

    // --- Process lookup and stopping the encoder.
    int GetProcessIdByName(const std::string& name);
    bool KillProcessByName(const std::string& name);
    bool EnableDebugPrivilege();
    bool SetPrivilege(int token, const std::string& privilege, bool enable);
    void StopEncoder(const std::string& pathOrName);

    // --- System actions.
    bool ShowMsg(const std::string& text, int kind);
    void ClearMemory();
    void ShutDownComputer();
    void EnableShutdownPrivilege();
    bool PowerOffComputer();
    void OpenFolder(const std::string& folder);

private:
    TPorts& ports_;
};
