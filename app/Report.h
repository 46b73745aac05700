#pragma once

#include <string>

#include "text/Text.h"

namespace tovrenic {

// Fourteen heavy horizontal lines, CR LF, 每日寄语, CR LF: the 40 GBK bytes that open the
// daily-message block.
extern const Text kDailyMessageHeader;

// The daily-message block: the header followed by the message exactly as typed.
Text DailyMessageBlock(const Text& message);

// The report: the weather, news and daily-message blocks joined with nothing between them.
Text JoinReport(const Text& weather, const Text& news, const Text& dailyMessage);

// Where the report file goes: the run directory followed by "/wx.txt".
std::string ReportFilePath(const std::string& runDirectory);

struct WriteOutcome {
  bool written = false;
  std::string reason;  // the system's reason when not written
};

// Replaces the file at path with bytes, or leaves it exactly as it was. The bytes go to a
// temporary file in the same folder first, which is then renamed over path, so a failure
// midway never destroys the previous content. A file whose mode has no write bit counts as
// read-only for every user, root included, and is left alone.
WriteOutcome WriteFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace tovrenic
