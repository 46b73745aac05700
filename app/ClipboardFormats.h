#pragma once

#include "text/Text.h"

class QMimeData;

namespace tovrenic {

// Adds, beside the Unicode text, whatever carries the report's exact GBK bytes on this system's
// clipboard. One file per system: ClipboardFormatsPosix.cpp, ClipboardFormatsWindows.cpp.
void AddGbkTextFormats(QMimeData& data, const Text& report);

}  // namespace tovrenic
