#include "Unit_ConfigInfo.h"

namespace {

// The three sound-only types share their rows; the video fields stay "none"
// so choosing a sound type keeps the video selections.
std::vector<std::string> SoundPresetList() {
    return {"none|none|none|2|0|0", "none|none|none|4|1|1", "none|none|none|5|1|2",
            "none|none|none|7|1|2", "none|none|none|8|1|3"};
}

}  // namespace

std::vector<std::string> GetOutputTypeList() {
    return {"PSP MPEG-4 Video Files (*.mp4)", "AAC Advanced Audio Coding (*.aac)",
            "M4A MPEG Audio Files (*.m4a)", "MP3 Files (*.mp3)", "0"};
}

std::vector<std::string> GetQualityList() {
    return {"Low Quality",       "Acceptable Quality", "Normal Quality",
            "Excellent Quality", "Superb Quality",     "2"};
}

std::vector<std::string> GetVideoSizeList() {
    return {"160x112", "320x240", "368x208", "0"};
}

std::vector<std::string> GetVideoBitrateList() {
    return {"256", "512", "768", "1000", "1500", "3"};
}

std::vector<std::string> GetFrameRateList() {
    return {"14.985", "15", "23.967", "24", "25", "29.97", "30", "4"};
}

std::vector<std::string> GetAspectRatioList() {
    return {"4:3", "16:9", "0"};
}

std::vector<std::string> GetAudioBitrateList() {
    return {"16", "32", "48", "64", "80", "128", "160", "192", "224", "2"};
}

std::vector<std::string> GetAudioSampleList() {
    return {"22050", "32000", "44100", "48000", "3"};
}

std::vector<std::string> GetVolumeGainList() {
    std::vector<std::string> list;
    for (int percent = 0; percent <= 500; percent += 25) list.push_back(std::to_string(percent));
    list.push_back("8");
    return list;
}

std::vector<std::string> GetAudioChannelsList() {
    return {"1 channel, Mono", "2 channels, Stereo", "1"};
}

std::vector<std::string> GetCodecOptionList() {
    return {"-vcodec mpeg4 -acodec aac", "-acodec aac -vn", "-acodec aac -vn", "-acodec mp3 -vn"};
}

std::vector<std::string> GetExtensionList() {
    return {".mp4", ".aac", ".m4a", ".mp3"};
}

std::vector<std::string> GetForcedFormatList() {
    return {"none", "none", "none", "none"};
}

std::vector<std::string> GetMp4PresetList() {
    return {"1|1|0|2|0|0", "1|2|1|4|1|1", "1|4|2|5|1|2", "1|5|3|7|1|2", "1|6|4|8|1|3"};
}

std::vector<std::string> GetAacPresetList() {
    return SoundPresetList();
}

std::vector<std::string> GetM4aPresetList() {
    return SoundPresetList();
}

std::vector<std::string> GetMp3PresetList() {
    return SoundPresetList();
}
