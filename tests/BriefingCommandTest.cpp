// tovrenic-briefing below its main(): the command line, the message as the window would hold
// it, the locale's encoding, the fourteen fetches with their records, the exit status and the
// diagnostics lines. The requests are fakes; the end-to-end test runs the real command.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Report.h"
#include "cli/BriefingCommand.h"
#include "cli/CommandLine.h"
#include "cli/LocaleText.h"
#include "text/TextConversion.h"

namespace tovrenic {
namespace {

Text Gbk(std::u16string_view text) {
  return Utf16StringToText(text);
}

// ---- The command line -------------------------------------------------------------------

TEST(BriefingCommandLine, DefaultsAndEveryOptionInBothSpellings) {
  const CommandLine none = ParseCommandLine({});
  ASSERT_EQ(none.action, CommandLine::Action::Run);
  EXPECT_FALSE(none.options.town);
  EXPECT_EQ(none.options.sectionPath, "/guonei");
  EXPECT_FALSE(none.options.message);
  EXPECT_FALSE(none.options.messageFile);
  EXPECT_FALSE(none.options.outputFile);
  EXPECT_EQ(none.options.encoding, OutputEncoding::Gbk);
  EXPECT_FALSE(none.options.progress);

  const std::vector<std::vector<std::string>> spellings = {
      {"--town", "北京", "--news", "finance", "--message", "-- hi --", "--output", "b.txt",
       "--encoding", "UTF-8", "--progress"},
      {"--progress", "--encoding=utf8", "--output=b.txt", "--message=-- hi --", "--news=finance",
       "--town=北京"},
  };
  for (const auto& arguments : spellings) {
    SCOPED_TRACE(arguments.front());
    const CommandLine line = ParseCommandLine(arguments);
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.problem;
    EXPECT_EQ(line.options.town, "北京");
    EXPECT_EQ(line.options.sectionPath, "/finance");
    EXPECT_EQ(line.options.message, "-- hi --");  // a value may start with dashes
    EXPECT_EQ(line.options.outputFile, "b.txt");
    EXPECT_EQ(line.options.encoding, OutputEncoding::Utf8);
    EXPECT_TRUE(line.options.progress);
  }

  EXPECT_EQ(ParseCommandLine({"--news", "guoji"}).options.sectionPath, "/guoji");
  EXPECT_EQ(ParseCommandLine({"--message-file", "-"}).options.messageFile, "-");
  // An empty message is a message: the window's 预览 then shows the header alone.
  EXPECT_EQ(ParseCommandLine({"--message="}).options.message, "");
}

TEST(BriefingCommandLine, HelpUnlessAProblemComesFirst) {
  EXPECT_EQ(ParseCommandLine({"--help"}).action, CommandLine::Action::Help);
  EXPECT_EQ(ParseCommandLine({"--town", "北京", "-h"}).action, CommandLine::Action::Help);
  EXPECT_EQ(ParseCommandLine({"--news", "sport", "--help"}).action, CommandLine::Action::BadUsage);
  EXPECT_NE(HelpText().find("30 6 * * * tovrenic-briefing --town 北京"), std::string::npos);
  EXPECT_EQ(HelpText().rfind(UsageText(), 0), 0u);
}

TEST(BriefingCommandLine, ProblemsAreNamed) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--bogus=1"}, "unknown option --bogus"},
      {{"-t", "x"}, "unknown option -t"},
      {{"北京"}, "unexpected argument \"北京\""},
      {{"-"}, "unexpected argument \"-\""},
      {{"--town"}, "--town needs a value"},
      {{"--town", "a", "--output"}, "--output needs a value"},
      {{"--news", "sport"}, "--news must be guonei, guoji or finance, not \"sport\""},
      {{"--news", "/guonei"}, "--news must be guonei, guoji or finance, not \"/guonei\""},
      {{"--encoding", "gb2312"}, "--encoding must be gbk or utf-8, not \"gb2312\""},
      {{"--progress=yes"}, "--progress takes no value"},
      {{"--town", "a", "--town=b"}, "--town is given twice"},
      {{"--news", "guoji", "--news", "guoji"}, "--news is given twice"},
      {{"--message", "a", "--message-file", "f"},
       "--message and --message-file exclude each other"},
  };
  for (const auto& [arguments, problem] : cases) {
    SCOPED_TRACE(arguments.front());
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.action, CommandLine::Action::BadUsage);
    EXPECT_EQ(line.problem, problem);
  }
}

// ---- The message and the locale's encoding ----------------------------------------------

TEST(BriefingMessage, EveryLineBreakBecomesCrLfAsInTheWindowsInputBox) {
  const std::pair<Text, Text> cases[] = {
      {Text(""), Text("")},
      {Text("a\nb"), Text("a\r\nb")},
      {Text("a\r\nb"), Text("a\r\nb")},
      {Text("a\rb"), Text("a\r\nb")},
      {Text("a\n\r\n\r\rb"), Text("a\r\n\r\n\r\n\r\nb")},
      {Text("a\n"), Text("a\r\n")},  // a final line break stays
      {Text("\r"), Text("\r\n")},
      {Gbk(u"早\n安"), Gbk(u"早\r\n安")},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in.str());
    EXPECT_EQ(MessageWithWindowLineBreaks(in), out);
  }
}

TEST(BriefingLocale, ArgumentsInTheLocalesEncodingBecomeGbk) {
  const LocaleEncoding utf8("UTF-8");
  EXPECT_EQ(utf8.ToText("北京 ok"), Gbk(u"北京 ok"));
  EXPECT_EQ(utf8.ToText("晴\xF0\x9F\x98\x80"), Gbk(u"晴?"));  // GBK has no emoji
  EXPECT_EQ(utf8.ToText("\xB1\xB1\xBE\xA9"), std::nullopt);   // GBK bytes are no UTF-8
  EXPECT_EQ(utf8.ToText(std::string_view("a\0b", 3)), std::nullopt);
  EXPECT_EQ(utf8.ToText(""), Text());

  // The C locale's ASCII, and a charset ICU does not know, read as UTF-8.
  for (const char* charset : {"ANSI_X3.4-1968", "no-such-charset"}) {
    EXPECT_EQ(LocaleEncoding(charset).charset(), "UTF-8");
  }

  const LocaleEncoding gb18030("GB18030");
  EXPECT_EQ(gb18030.ToText("\xB1\xB1\xBE\xA9"), Gbk(u"北京"));
  EXPECT_EQ(gb18030.FromText(Gbk(u"北京")), "\xB1\xB1\xBE\xA9");
  EXPECT_EQ(gb18030.FromUtf8("北京"), "\xB1\xB1\xBE\xA9");
  EXPECT_EQ(utf8.FromText(Gbk(u"711 发送请求失败!")), "711 发送请求失败!");
  EXPECT_EQ(TextToUtf8(Gbk(u"早报\r\n━")), "早报\r\n━");
}

TEST(BriefingRequestFromOptions, TownAndMessageConvertedTheFileReadAsItIs) {
  const LocaleEncoding utf8("UTF-8");
  std::map<std::string, FileBytes> files = {
      {"crlf.txt", {"Good morning\r\nStay warm\r\n", {}}},
      {"gbk.txt", {"\xD4\xE7", {}}},
      {"locked.txt", {std::nullopt, "Permission denied"}},
  };
  const auto read = [&](const std::string& path) { return files.at(path); };
  const auto prepare = [&](const std::vector<std::string>& arguments) {
    return PrepareRequest(ParseCommandLine(arguments).options, utf8, read);
  };

  PreparedRequest defaults = prepare({});
  ASSERT_TRUE(defaults.request);
  EXPECT_EQ(defaults.request->town, Gbk(u"石家庄"));
  EXPECT_EQ(defaults.request->sectionPath, Text("/guonei"));
  EXPECT_FALSE(defaults.request->message);

  PreparedRequest given = prepare({"--town", "北京", "--news", "guoji", "--message", "早\n安"});
  ASSERT_TRUE(given.request);
  EXPECT_EQ(given.request->town, Gbk(u"北京"));
  EXPECT_EQ(given.request->sectionPath, Text("/guoji"));
  EXPECT_EQ(given.request->message, Gbk(u"早\r\n安"));

  PreparedRequest file = prepare({"--message-file", "crlf.txt"});
  ASSERT_TRUE(file.request);
  EXPECT_EQ(file.request->message, Text("Good morning\r\nStay warm\r\n"));

  const std::pair<std::vector<std::string>, std::string> problems[] = {
      {{"--town", "\xB1\xB1"}, "the town is not valid UTF-8 text"},
      {{"--message-file", "gbk.txt"}, "the message is not valid UTF-8 text"},
      {{"--message-file", "locked.txt"},
       "cannot read the message file locked.txt: Permission denied"},
  };
  for (const auto& [arguments, problem] : problems) {
    SCOPED_TRACE(problem);
    PreparedRequest failed = prepare(arguments);
    EXPECT_FALSE(failed.request);
    EXPECT_EQ(failed.problem, problem);
  }

  const FileBytes missing = ReadMessageFile("/nonexistent/message.txt");
  EXPECT_FALSE(missing.bytes);
  EXPECT_EQ(missing.reason, "No such file or directory");
}

// ---- The fourteen fetches ---------------------------------------------------------------

const Text kWeatherPage =
    Gbk(u"<meta content=\"天气网（www.tianqi.com）北京天气预报\">"
        u"<dd class=\"week\">2026年12月11日　星期五</dd>"
        u"<p class=\"now\"><b>-2</b><i>℃</i></p><span><b>晴</b>-9 ~ 3℃</span>");

Text NewsPage() {
  Text page;
  for (int n = 1; n <= 9; ++n) {
    page += Text("<li><a href=\"/n?a=1&amp;a=2&pn=" + std::to_string(n) + "\" target=\"_blank\">H" +
                 std::to_string(n) + "</a></li>");
  }
  return page;
}

const Text kWeatherBlock =
    Gbk(u"北京早报\r\n2026年12月11日　星期五\r\n平均气温：-2℃ 晴\r\n最低最高：-9 ~ 3℃\r\n"
        u"━━━━━━━━━━━━━━\r\n");
const Text kNewsBlock("1.H1\r\n2.H2\r\n3.H3\r\n4.H4\r\n5.H5\r\n6.H6\r\n7.H7\r\n8.H8\r\n9.H9\r\n");

// Answers the URLs it has pages for; fetches listed as failing, or of unknown URLs, fail as a
// refused connection does. Counts the fetches.
struct FakeSite {
  std::map<std::string, Text> pages;
  std::vector<int> failing;  // fetch numbers, from 1
  std::vector<std::string> urls;

  RequestRoutine routine() {
    return [this](WebRequestCall& call) {
      urls.push_back(call.url.str());
      const int number = static_cast<int>(urls.size());
      const auto page = pages.find(call.url.str());
      if (page == pages.end() ||
          std::find(failing.begin(), failing.end(), number) != failing.end()) {
        call.statusText = Gbk(u"711 发送请求失败!");
        return Text();
      }
      call.responseHeaders = Text("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n");
      call.statusText = Text("200 OK");
      call.responseBytes = Bytes(page->second.str());
      return page->second;
    };
  }
};

FakeSite BeijingSite() {
  return {{{"https://www.tianqi.com/beijing", kWeatherPage},
           {"https://news.baidu.com/guonei", NewsPage()}},
          {},
          {}};
}

BriefingRequest Beijing(std::optional<Text> message = std::nullopt) {
  return {Gbk(u"北京"), Text(kDomesticNews), std::move(message)};
}

TEST(BriefingRun, TheWindowsReportFromFourteenFetchesWithStatus0) {
  FakeSite site = BeijingSite();
  std::vector<std::string> events;
  FetchListener listener;
  listener.started = [&](int number, const Text& url) {
    events.push_back("start " + std::to_string(number) + " " + url.str());
  };
  listener.finished = [&](const FetchRecord& fetch) {
    events.push_back("done " + std::to_string(fetch.number) + " " +
                     std::to_string(fetch.foundFields.size()));
  };
  const BriefingOutcome outcome =
      RunBriefing(Beijing(Text("Good morning\r\nStay warm")), listener, site.routine());

  EXPECT_EQ(outcome.report, JoinReport(kWeatherBlock, kNewsBlock,
                                       DailyMessageBlock(Text("Good morning\r\nStay warm"))));
  EXPECT_EQ(outcome.exitStatus, kAllFieldsFound);
  ASSERT_EQ(outcome.fetches.size(), 14u);
  EXPECT_EQ(outcome.fetches[13].url, Text("https://news.baidu.com/guonei"));
  EXPECT_EQ(outcome.fetches[13].bytes, NewsPage().size());

  // Each fetch is finished before the next starts, with all its fields: fetch 5 with the range.
  std::vector<std::string> expected;
  for (int n = 1; n <= 14; ++n) {
    expected.push_back(
        "start " + std::to_string(n) +
        (n <= 5 ? " https://www.tianqi.com/beijing" : " https://news.baidu.com/guonei"));
    expected.push_back("done " + std::to_string(n) + (n == 5 ? " 2" : " 1"));
  }
  EXPECT_EQ(events, expected);
}

TEST(BriefingRun, TheMessageBlockOnlyWithAMessageTheHeaderAloneForAnEmptyOne) {
  FakeSite site = BeijingSite();
  EXPECT_EQ(RunBriefing(Beijing(), {}, site.routine()).report, kWeatherBlock + kNewsBlock);
  EXPECT_EQ(RunBriefing(Beijing(Text()), {}, site.routine()).report,
            kWeatherBlock + kNewsBlock + kDailyMessageHeader);
}

TEST(BriefingRun, ExitStatusSaysWhetherFieldsAreEmptyOrEveryFetchFailed) {
  struct Case {
    const char* what;
    std::function<void(FakeSite&)> change;
    int status;
  };
  const Case cases[] = {
      {"all found", [](FakeSite&) {}, kAllFieldsFound},
      {"a page lacks a marker",
       [](FakeSite& s) { s.pages["https://news.baidu.com/guonei"] = Text("&amp;a=2&pn=1"); },
       kFieldsEmpty},
      {"one fetch failed", [](FakeSite& s) { s.failing = {7}; }, kFieldsEmpty},
      {"all but one failed",
       [](FakeSite& s) { s.failing = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}; }, kFieldsEmpty},
      {"every fetch failed", [](FakeSite& s) { s.pages.clear(); }, kEveryFetchFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSite site = BeijingSite();
    c.change(site);
    EXPECT_EQ(RunBriefing(Beijing(), {}, site.routine()).exitStatus, c.status);
  }

  // Every fetch failed: the window's skeletons, and each record says so.
  FakeSite down;
  const BriefingOutcome outcome = RunBriefing(Beijing(), {}, down.routine());
  EXPECT_EQ(outcome.report, Gbk(u"早报\r\n\r\n平均气温：℃ \r\n最低最高：℃\r\n━━━━━━━━━━━━━━\r\n") +
                                Text("1.\r\n2.\r\n3.\r\n4.\r\n5.\r\n6.\r\n7.\r\n8.\r\n9.\r\n"));
  for (const FetchRecord& fetch : outcome.fetches) {
    EXPECT_TRUE(fetch.failed);
    EXPECT_EQ(fetch.statusText, Gbk(u"711 发送请求失败!"));
  }
}

TEST(BriefingDiagnostics, OneLineNamesStatusBytesAndTheMissingMarkers) {
  const auto field = [](std::string name, FieldOutcome outcome, bool sourceEmpty = false,
                        std::string source = "page") {
    FieldReport report;
    report.name = std::move(name);
    report.source = std::move(source);
    report.sourceEmpty = sourceEmpty;
    report.leftMarker = Text("<L>");
    report.rightMarker = Text("</R>");
    report.outcome = outcome;
    return report;
  };
  FetchRecord fetch;
  fetch.number = 5;
  fetch.url = Text("https://www.tianqi.com/beijing");
  fetch.statusText = Text("200 OK");
  fetch.bytes = 1;
  fetch.foundFields = {"condition"};
  EXPECT_EQ(DiagnosticLine(fetch),
            Text("fetch 5/14 https://www.tianqi.com/beijing: 200 OK, 1 byte; found: condition"));

  fetch.bytes = 380;
  fetch.emptyFields = {field("week text", FieldOutcome::LeftMarkerMissing),
                       field("range span", FieldOutcome::RightMarkerMissing),
                       field("now value", FieldOutcome::FoundEmpty),
                       field("range", FieldOutcome::LeftMarkerMissing, true, "range span")};
  EXPECT_EQ(DiagnosticLine(fetch),
            Text("fetch 5/14 https://www.tianqi.com/beijing: 200 OK, 380 bytes; empty: week text "
                 "(no `<L>`), range span (no `</R>` behind `<L>`), now value (nothing between "
                 "`<L>` and `</R>`), range (the range span is empty); found: condition"));

  fetch.statusText = Text();
  fetch.foundFields.clear();
  fetch.emptyFields = {field("headline 1", FieldOutcome::LeftMarkerMissing, true)};
  EXPECT_EQ(DiagnosticLine(fetch),
            Text("fetch 5/14 https://www.tianqi.com/beijing: no status, 380 bytes; empty: "
                 "headline 1 (the page is empty)"));
}

}  // namespace
}  // namespace tovrenic
