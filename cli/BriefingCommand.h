#pragma once

// The briefing without the window: the two queries run with the window's own routines, the
// report joined as the window joins its panels, and a record of every fetch for diagnostics.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/LocaleText.h"
#include "scrapers/Briefing.h"
#include "text/Text.h"
#include "web/WebRequest.h"

namespace tovrenic {

// Exit statuses of tovrenic-briefing.
inline constexpr int kAllFieldsFound = 0;
inline constexpr int kNotWritten = 1;
inline constexpr int kBadUsage = 2;
inline constexpr int kFieldsEmpty = 3;
inline constexpr int kEveryFetchFailed = 4;

// What the queries are run with, in GBK.
struct BriefingRequest {
  Text town;
  Text sectionPath;
  std::optional<Text> message;  // with line breaks as CR LF; no daily-message block without
};

// The message as the window's input box hands it over: every line break (CR LF, a lone LF,
// a lone CR) as CR LF, nothing else changed, a final line break included.
Text MessageWithWindowLineBreaks(const Text& message);

// Reads the message file ("-" is standard input) into bytes; on failure, the system's reason.
struct FileBytes {
  std::optional<std::string> bytes;
  std::string reason;
};
FileBytes ReadMessageFile(const std::string& path);

// The request the options ask for: town and message converted from the locale's encoding
// (the town defaults to 石家庄). On failure, a problem for the usage message.
struct PreparedRequest {
  std::optional<BriefingRequest> request;
  std::string problem;
};
PreparedRequest PrepareRequest(
    const BriefingOptions& options, const LocaleEncoding& locale,
    const std::function<FileBytes(const std::string&)>& readFile = ReadMessageFile);

// One fetch of the fourteen: weather 1 to 5, then news 6 to 14.
struct FetchRecord {
  int number = 0;
  Text url;
  Text statusText;  // the status line's code and reason, or the failure text
  std::size_t bytes = 0;
  bool failed = false;  // no response came
  std::vector<std::string> foundFields;
  std::vector<FieldReport> emptyFields;
};

inline constexpr int kFetchCount = 14;

// Told when a fetch starts, and when everything about it is known (its fields included).
struct FetchListener {
  std::function<void(int number, const Text& url)> started;
  std::function<void(const FetchRecord&)> finished;
};

using RequestRoutine = std::function<Text(WebRequestCall&)>;

struct BriefingOutcome {
  Text report;
  std::vector<FetchRecord> fetches;
  int exitStatus = kAllFieldsFound;
};

// The weather query, then the news query, then the report: weather block, news block and the
// daily-message block when there is a message.
BriefingOutcome RunBriefing(
    const BriefingRequest& request, const FetchListener& listener = {},
    const RequestRoutine& requestRoutine = [](WebRequestCall& call) { return WebRequest(call); });

// The diagnostics line of one fetch, without a line end.
Text DiagnosticLine(const FetchRecord& fetch);

}  // namespace tovrenic
