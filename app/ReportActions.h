#pragma once

#include "text/Text.h"

namespace tovrenic {

class MainWindow;

// The click routines of the daily message and the two outputs. Each reads the panels at the
// moment of the click and keeps nothing.
void PreviewDailyMessage(MainWindow& window);
Text BuildReportText(const MainWindow& window);
void WriteReportFile(const MainWindow& window);
void CopyReport(const MainWindow& window);
void ShowPlaceholderNotice();

// The MIME type under which the clipboard also carries the report's exact GBK bytes.
inline constexpr char kGbkTextMimeType[] = "text/plain;charset=GBK";

}  // namespace tovrenic
