#pragma once

// The command line of tovrenic-briefing. Parsing only looks at the words: the town and the
// message stay as the bytes given, in the locale's encoding, until the briefing is prepared.

#include <optional>
#include <string>
#include <vector>

namespace tovrenic {

enum class OutputEncoding { Gbk, Utf8 };

struct BriefingOptions {
  std::optional<std::string> town;
  std::string sectionPath = "/guonei";
  std::optional<std::string> message;
  std::optional<std::string> messageFile;  // "-" is standard input
  std::optional<std::string> outputFile;
  OutputEncoding encoding = OutputEncoding::Gbk;
  bool progress = false;
};

struct CommandLine {
  enum class Action { Run, Help, BadUsage };
  Action action = Action::Run;
  BriefingOptions options;
  std::string problem;  // with BadUsage: what is wrong, in one line
};

// The arguments behind the program name, left to right; the first problem or --help decides.
// Options take their value as the next argument or behind "=".
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The short usage shown beside a problem, and the whole help with its crontab example. Both
// are UTF-8.
std::string UsageText();
std::string HelpText();

}  // namespace tovrenic
