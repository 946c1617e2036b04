// The application's title: the caption of the main window and of every
// message box. The application's display name stays unset, since Qt would
// append it to every window title.
#pragma once

inline constexpr const char* kAppTitle = "Orvanel";
