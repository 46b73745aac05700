#include "cli/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "scrapers/Briefing.h"

namespace tovrenic {
namespace {

// The news sections by the names of their paths.
constexpr std::array<std::pair<std::string_view, const char*>, 3> kSections = {{
    {"guonei", kDomesticNews},
    {"guoji", kWorldNews},
    {"finance", kFinanceNews},
}};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

CommandLine Problem(std::string problem) {
  CommandLine line;
  line.action = CommandLine::Action::BadUsage;
  line.problem = std::move(problem);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  BriefingOptions& options = line.options;
  bool sectionGiven = false;
  bool encodingGiven = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (!argument.starts_with("--")) {
      return Problem(argument.starts_with("-") && argument.size() > 1
                         ? "unknown option " + argument
                         : "unexpected argument \"" + argument + "\"");
    }
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    std::optional<std::string> inlineValue;
    if (equals != std::string::npos) inlineValue = argument.substr(equals + 1);

    if (name == "--progress") {
      if (inlineValue) return Problem("--progress takes no value");
      options.progress = true;
      continue;
    }

    std::optional<std::string>* slot = nullptr;
    bool* given = nullptr;
    if (name == "--town") {
      slot = &options.town;
    } else if (name == "--message") {
      slot = &options.message;
    } else if (name == "--message-file") {
      slot = &options.messageFile;
    } else if (name == "--output") {
      slot = &options.outputFile;
    } else if (name == "--news") {
      given = &sectionGiven;
    } else if (name == "--encoding") {
      given = &encodingGiven;
    } else {
      return Problem("unknown option " + name);
    }

    std::string value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return Problem(name + " needs a value");
    }
    if ((slot != nullptr && slot->has_value()) || (given != nullptr && *given)) {
      return Problem(name + " is given twice");
    }

    if (slot != nullptr) {
      *slot = std::move(value);
    } else if (name == "--news") {
      const auto* section = std::find_if(kSections.begin(), kSections.end(),
                                         [&](const auto& s) { return s.first == value; });
      if (section == kSections.end()) {
        return Problem("--news must be guonei, guoji or finance, not \"" + value + "\"");
      }
      options.sectionPath = section->second;
      sectionGiven = true;
    } else {
      const std::string encoding = Lower(value);
      if (encoding == "gbk") {
        options.encoding = OutputEncoding::Gbk;
      } else if (encoding == "utf-8" || encoding == "utf8") {
        options.encoding = OutputEncoding::Utf8;
      } else {
        return Problem("--encoding must be gbk or utf-8, not \"" + value + "\"");
      }
      encodingGiven = true;
    }
  }

  if (options.message && options.messageFile) {
    return Problem("--message and --message-file exclude each other");
  }
  return line;
}

std::string UsageText() {
  return "Usage: tovrenic-briefing [--town TOWN] [--news guonei|guoji|finance]\n"
         "                         [--message TEXT | --message-file FILE] [--output FILE]\n"
         "                         [--encoding gbk|utf-8] [--progress]\n";
}

std::string HelpText() {
  return UsageText() +
         "\n"
         "Fetches the weather of TOWN and nine headlines of a news section, exactly as the\n"
         "Tovrenic window's 查天气 and news buttons do, and writes the briefing: the weather\n"
         "block, the news block and, when a message is given, the daily-message block. The text\n"
         "is byte for byte what the window's 生成文本 writes to wx.txt.\n"
         "\n"
         "  --town TOWN          the town whose weather is fetched (default 石家庄)\n"
         "  --news SECTION       guonei (national, the default), guoji (world) or finance\n"
         "  --message TEXT       the daily message; its line breaks become CR LF\n"
         "  --message-file FILE  the daily message read from FILE, or from standard input for -\n"
         "  --output FILE        replace FILE with the briefing (through a temporary file and a\n"
         "                       rename, as wx.txt) instead of writing to standard output\n"
         "  --encoding ENC       gbk (default: the bytes of wx.txt) or utf-8\n"
         "  --progress           show the 14 fetches on one line of standard error (the default\n"
         "                       when standard error is a terminal)\n"
         "  -h, --help           show this help\n"
         "\n"
         "TOWN, TEXT and the message file are read in the locale's encoding (UTF-8 in the C\n"
         "locale). Standard error gets one line per fetch: the URL, the status or the failure\n"
         "text, the bytes received, and the fields that came out empty with the marker the page\n"
         "lacked.\n"
         "\n"
         "Exit status: 0 every field found; 3 some fields empty; 4 every fetch failed;\n"
         "1 the briefing could not be written; 2 bad usage. The briefing is written in every\n"
         "case but 1 and 2.\n"
         "\n"
         "Example crontab line, the briefing ready at 6:30 every morning:\n"
         "  30 6 * * * tovrenic-briefing --town 北京 --message-file $HOME/message.txt"
         " --output $HOME/briefing.txt 2>>$HOME/briefing.log\n";
}

}  // namespace tovrenic
