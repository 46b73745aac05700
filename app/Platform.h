#pragma once

// What differs between the systems Tovrenic is built for lives in one file per system,
// PlatformPosix.cpp and PlatformWindows.cpp: ExecutableDirectory (RunDirectory.h),
// WriteFileReplacing (Report.h) and the change of the current directory below. The clipboard's
// extra formats are the window's side of the same split (ClipboardFormats.h).

#include <string>

namespace tovrenic {

// Makes directory the current directory (the root folder when it is empty); a failure is
// ignored.
void ChangeCurrentDirectory(const std::string& directory);

}  // namespace tovrenic
