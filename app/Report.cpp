#include "app/Report.h"

#include <string>
#include <utility>

namespace tovrenic {

const Text kDailyMessageHeader(
    "\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5"
    "\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5\xA9\xA5"
    "\r\n\xC3\xBF\xC8\xD5\xBC\xC4\xD3\xEF\r\n");

Text DailyMessageBlock(const Text& message) {
  return kDailyMessageHeader + message;
}

Text JoinReport(const Text& weather, const Text& news, const Text& dailyMessage) {
  std::string joined;
  joined.reserve(weather.size() + news.size() + dailyMessage.size());
  joined.append(weather.view()).append(news.view()).append(dailyMessage.view());
  return Text(std::move(joined));
}

std::string ReportFilePath(const std::string& runDirectory) {
  return runDirectory + "/wx.txt";
}

// WriteFileReplacing is written once per system: PlatformPosix.cpp, PlatformWindows.cpp.

}  // namespace tovrenic
