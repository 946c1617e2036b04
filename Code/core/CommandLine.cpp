// The encoder command line: its fragments, the start time and length of a
// source, the output folder and the whole line.
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "ArgumentRules.h"
#include "FuncObjects.h"
#include "TextConvert.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"
#include "Unit_ConfigInfo.h"

namespace {

// The catalogue element at index, or an empty text outside the list.
std::string ElementOrEmpty(const std::vector<std::string>& list, int index) {
    if (index < 0 || index >= static_cast<int>(list.size())) return {};
    return list[static_cast<size_t>(index)];
}

std::string OrFallback(const std::string& text, const std::string& prefix,
                       const std::string& fallback) {
    return text.empty() ? fallback : prefix + text;
}

// The text that goes between the two double quotes of a path. The runner
// splits the line by the quoting rules, so a path holding a quote, or
// ending in a backslash that would escape the closing quote, is escaped;
// any other path stands as it is.
std::string QuotedPathText(const std::string& path) {
    if (path.find('"') == std::string::npos && (path.empty() || path.back() != '\\')) return path;
    return EscapeQuotedArgument(path);
}

// h:m:s in seconds, each piece a decimal integer; false when the text does
// not have three pieces.
bool TimeTextSeconds(const std::string& text, int64_t& seconds) {
    const std::vector<std::string> pieces = TCommonLib::SplitText(text, ':');
    if (pieces.size() != 3) return false;
    seconds = int64_t{StrToInt(pieces[0])} * 3600 + int64_t{StrToInt(pieces[1])} * 60 +
              StrToInt(pieces[2]);
    return true;
}

}  // namespace

std::string TCommonLib::GetCodecParam(const TSettingsList&, int index) const {
    return OrFallback(ElementOrEmpty(GetCodecOptionList(), index), " ",
                      " -vcodec xvid -acodec mp3");
}

std::string TCommonLib::GetFormatParam(const TSettingsList&, int index) const {
    const std::string format = ElementOrEmpty(GetForcedFormatList(), index);
    return format == "none" ? std::string() : " -f " + format;
}

std::string TCommonLib::GetOutputExt(const TSettingsList&, int index) const {
    const std::string ext = ElementOrEmpty(GetExtensionList(), index);
    return ext.empty() ? ".avi" : ext;
}

std::string TCommonLib::GetVideoBitrateParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -b ", " -b 512");
}

std::string TCommonLib::GetVideoSizeParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -s ", " -s 320x240");
}

std::string TCommonLib::GetFrameRateParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -r ", " -r 25");
}

std::string TCommonLib::GetAspectParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -aspect ", " -aspect 4:3");
}

std::string TCommonLib::GetAudioBitrateParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -ab ", " -ab 64");
}

std::string TCommonLib::GetVolumeParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -vol ", " ");
}

std::string TCommonLib::GetAudioChannelsParam(const TSettingsList& list, int index) const {
    // "2 channels, Stereo": the count is the item's first character.
    return OrFallback(list.ItemOrEmpty(index).substr(0, 1), " -ac ", " -ac 2");
}

std::string TCommonLib::GetAudioSampleParam(const TSettingsList& list, int index) const {
    return OrFallback(list.ItemOrEmpty(index), " -ar ", " -ar 44100");
}

std::string TCustomProc::GetStartTime(const std::string& sourceFile) {
    const TSourceList& rows = forms_.FrmMainForm.dxTreeSourceFileInfo;
    std::string result;
    for (int row = 0; row < rows.RowCount(); ++row) {
        // Paths compare exactly: names that differ in letter case are two files.
        if (rows.Text(row, colFileName) != sourceFile) continue;
        result = rows.Text(row, colStartTime);
        ApplyCustomProfile();
    }
    return result;
}

std::string TCustomProc::GetConvertDuration(const std::string& sourceFile) {
    const TSourceList& rows = forms_.FrmMainForm.dxTreeSourceFileInfo;
    int64_t start = 0, end = 0;
    std::string result;
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (rows.Text(row, colFileName) != sourceFile) continue;
        TimeTextSeconds(rows.Text(row, colStartTime), start);
        TimeTextSeconds(rows.Text(row, colEndTime), end);
        result = std::to_string(end - start);
    }
    return result;
}

std::string TCustomProc::PrepareOutputFolder() {
    std::string folder = forms_.FrmMainForm.edtOutputFolder.Text();
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // A folder that is still missing (a file in its place, say) is as much
    // a failure as an error from the creation itself.
    std::error_code statError;
    if (error || !std::filesystem::is_directory(folder, statError))
        AppFunc->WriteLog("Output directory error. ->" + folder);
    else
        AppFunc->WriteLog("Output directory " + folder);
    return folder;
}

std::string TCustomProc::BuildParameters(const std::string& sourceFile) {
    TConvertParameterStruct& p = lib_.ConvertParam;
    const TMainFormModel& main = forms_.FrmMainForm;
    const TOptionFormModel& options = forms_.frmOption;

    StartTime = GetStartTime(sourceFile);
    Duration = GetConvertDuration(sourceFile);
    p.TimeRange = !StartTime.empty() && !Duration.empty() ? " -ss " + StartTime + " -t " + Duration
                                                          : std::string();
    p.EncoderPath = lib_.AppPath + kEncoderName;
    p.SourceFile = sourceFile;
    const int type = main.cbbOutputFiletype.ItemIndex();
    p.CodecOptions = lib_.GetCodecParam(main.cbbOutputFiletype, type);
    p.VideoBitrate =
        lib_.GetVideoBitrateParam(options.cbbVideoBitrate, options.cbbVideoBitrate.ItemIndex());
    p.VideoSize = lib_.GetVideoSizeParam(options.cbbVideoSize, options.cbbVideoSize.ItemIndex());
    p.FrameRate = lib_.GetFrameRateParam(options.cbbFramerate, options.cbbFramerate.ItemIndex());
    p.AspectRatio = lib_.GetAspectParam(options.cbbAspectratio, options.cbbAspectratio.ItemIndex());
    p.AudioBitrate =
        lib_.GetAudioBitrateParam(options.cbbAudioBitrate, options.cbbAudioBitrate.ItemIndex());
    p.Volume =
        lib_.GetVolumeParam(options.cbbAudioVolumeGain, options.cbbAudioVolumeGain.ItemIndex());
    p.AudioChannels =
        lib_.GetAudioChannelsParam(options.cbbAudioChannels, options.cbbAudioChannels.ItemIndex());
    p.AudioSample =
        lib_.GetAudioSampleParam(options.cbbAudioSample, options.cbbAudioSample.ItemIndex());
    p.ForcedFormat = lib_.GetFormatParam(main.cbbOutputFiletype, type);
    p.OutputFolder = PrepareOutputFolder();
    p.OutputBaseName = FileFunc->GetFileNameNoExt(sourceFile);
    p.OutputExt = lib_.GetOutputExt(main.cbbOutputFiletype, type);

    // Every catalogue codec text starts with one of these two words; the
    // sound line leaves the video options out.
    const bool video = TrimControls(p.CodecOptions).compare(0, 7, "-vcodec") == 0;
    const std::string output =
        FileFunc->GetUniqueFileName(p.OutputFolder + p.OutputBaseName + p.OutputExt);

    std::string line =
        p.EncoderPath + " -y -i \"" + QuotedPathText(p.SourceFile) + "\"" + p.CodecOptions;
    if (video) line += p.VideoBitrate + p.VideoSize + p.FrameRate + p.AspectRatio;
    line += p.AudioBitrate + p.Volume + p.AudioChannels + p.AudioSample;
    line += p.ForcedFormat + p.TimeRange;
    line += " \"" + QuotedPathText(output) + "\"";
    return line;
}
