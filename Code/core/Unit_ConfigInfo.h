// The built-in catalogue: output types, quality levels, the items of the
// eight advanced option lists and the profile rows. Every accessor returns
// a new list the caller owns.
//
// A selection list holds a control's items in display order followed by
// one more element, the decimal index of the item selected by default.
// The codec option, extension and forced format lists are indexed by the
// output type. A profile row is six fields joined by "|": the indexes of
// video size, frame rate, video bitrate, audio bitrate, channels and sample
// rate, or "none" for a list the row leaves alone; the rows of a type are
// indexed by quality.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> GetOutputTypeList();
std::vector<std::string> GetQualityList();
std::vector<std::string> GetVideoSizeList();
std::vector<std::string> GetVideoBitrateList();
std::vector<std::string> GetFrameRateList();
std::vector<std::string> GetAspectRatioList();
std::vector<std::string> GetAudioBitrateList();
std::vector<std::string> GetAudioSampleList();
std::vector<std::string> GetVolumeGainList();
std::vector<std::string> GetAudioChannelsList();

std::vector<std::string> GetCodecOptionList();
std::vector<std::string> GetExtensionList();
std::vector<std::string> GetForcedFormatList();

std::vector<std::string> GetMp4PresetList();
std::vector<std::string> GetAacPresetList();
std::vector<std::string> GetM4aPresetList();
std::vector<std::string> GetMp3PresetList();
