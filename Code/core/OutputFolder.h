// The output folder chooser's pieces that its tests look at on their own.
#pragma once

#include <string>

// The folder created and removed again to learn whether files can be made
// in folder: folder + "/test", without doubling a trailing "/".
std::string OutputProbeFolder(const std::string& folder);

// Whether files can be made in folder. An entry named "test" that was there
// already is never touched: a folder of that name passes when the folder
// itself is writable, anything else fails.
bool OutputFolderWritable(const std::string& folder);
