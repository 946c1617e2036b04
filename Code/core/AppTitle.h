// The application's title: the caption of the main window, of every message
// box and of the input box.
#pragma once

inline constexpr const char* kAppTitle = "Orvanel";
