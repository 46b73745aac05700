// The field observer of the briefing queries: why each field came out empty, reported against
// the fetch whose page it was cut from, without changing what the queries write.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "scrapers/Briefing.h"
#include "text/TextConversion.h"

namespace tovrenic {
namespace {

Text Gbk(std::u16string_view text) {
  return Utf16StringToText(text);
}

class Form : public BriefingForm {
 public:
  Text townText() const override { return Gbk(u"北京"); }
  void setPanelText(Panel panel, const Text& text) override { panels[panel] = text; }
  std::map<Panel, Text> panels;
};

// Fetch k gets page k (the last one again when they run out).
PageFetch Pages(std::vector<Text> pages) {
  auto calls = std::make_shared<std::size_t>(0);
  return [pages = std::move(pages), calls](const Text&) {
    return pages[std::min((*calls)++, pages.size() - 1)];
  };
}

struct Seen {
  int fetch;
  std::string name;
  FieldOutcome outcome;
  bool sourceEmpty;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
  *out << seen.fetch << " " << seen.name << " " << static_cast<int>(seen.outcome)
       << (seen.sourceEmpty ? " source empty" : "");
}

struct Recorder {
  std::vector<Seen> seen;
  std::vector<FieldReport> reports;
  FieldObserver observer() {
    return [this](const FieldReport& r) {
      seen.push_back({r.fetch, r.name, r.outcome, r.sourceEmpty});
      reports.push_back(r);
    };
  }
};

using enum FieldOutcome;

TEST(BriefingFields, EachWeatherFieldSaysWhichMarkerItsPageLacked) {
  const std::vector<Text> pages = {
      Gbk(u"<meta content=\"天气网（www.tianqi.com）北京天气预报"),  // found
      Text("<dd class=\"weak\">x</dd>"),                             // left marker missing
      Text("<p class=\"now\"><b></b><i>"),                           // found, nothing between
      Text("<span><b>fine</B>"),                                     // right marker missing
      Gbk(u"<span><b>晴</b>-9 ~ 3℃</span>"),                         // range span and range
  };
  Form form;
  Recorder recorder;
  QueryWeather(form, Pages(pages), recorder.observer());
  EXPECT_EQ(recorder.seen, (std::vector<Seen>{{1, "heading", Found, false},
                                              {2, "week text", LeftMarkerMissing, false},
                                              {3, "now value", FoundEmpty, false},
                                              {4, "condition", RightMarkerMissing, false},
                                              {5, "range span", Found, false},
                                              {5, "range", Found, false}}));
  // The markers reported are the ones searched for.
  EXPECT_EQ(recorder.reports[1].leftMarker, Text("d class=\"week\">"));
  EXPECT_EQ(recorder.reports[3].rightMarker, Text("</b"));
  EXPECT_EQ(recorder.reports[5].source, "range span");
  EXPECT_EQ(recorder.reports[5].rightMarker, Gbk(u"℃"));
}

TEST(BriefingFields, TheRangeIsCutFromTheRangeSpanNotThePage) {
  struct Case {
    const char* what;
    Text page;
    std::vector<Seen> fetch5;
  };
  const Case cases[] = {
      {"no </span>: the range has nothing to search",
       Gbk(u"<span><b>晴</b>-9 ~ 3℃"),
       {{5, "range span", RightMarkerMissing, false}, {5, "range", LeftMarkerMissing, true}}},
      {"a span without b>",
       Gbk(u"<span><b>-9 ~ 3℃</span>"),
       {{5, "range span", Found, false}, {5, "range", LeftMarkerMissing, false}}},
      {"a span without ℃",
       Text("<span><b>x</b>-9 ~ 3</span>"),
       {{5, "range span", Found, false}, {5, "range", RightMarkerMissing, false}}},
      {"a failed fetch",
       Text(),
       {{5, "range span", LeftMarkerMissing, true}, {5, "range", LeftMarkerMissing, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Form form;
    Recorder recorder;
    QueryWeather(form, Pages({c.page}), recorder.observer());
    ASSERT_EQ(recorder.seen.size(), 6u);
    EXPECT_EQ(std::vector<Seen>(recorder.seen.begin() + 4, recorder.seen.end()), c.fetch5);
  }
}

TEST(BriefingFields, HeadlinesAreReportedAgainstTheirOwnFetch) {
  // Fetch 2 lacks every marker, fetch 3 has its marker but no end; the rest have all nine.
  Text full;
  for (int n = 1; n <= 9; ++n) {
    full += Text("&amp;a=2&pn=" + std::to_string(n) + "\" target=\"_blank\">h</a></li>");
  }
  Form form;
  Recorder recorder;
  QueryNews(
      form, Text(kDomesticNews),
      Pages({full, Text("<html>moved</html>"), Text("&amp;a=2&pn=3\" target=\"_blank\">h"), full}),
      recorder.observer());
  ASSERT_EQ(recorder.seen.size(), 9u);
  for (int n = 1; n <= 9; ++n) {
    SCOPED_TRACE(n);
    const FieldOutcome expected = n == 2 ? LeftMarkerMissing : n == 3 ? RightMarkerMissing : Found;
    EXPECT_EQ(recorder.seen[n - 1], (Seen{n, "headline " + std::to_string(n), expected, false}));
  }
}

TEST(BriefingFields, AnObserverChangesNothingTheQueriesWrite) {
  const std::vector<Text> weather = {Gbk(u"<meta content=\"天气网（www.tianqi.com）北京天气预报"),
                                     Text("<span><b>x</b>")};
  const Text news("&amp;a=2&pn=4\" target=\"_blank\">four</a></li>");
  Form plain;
  Form observed;
  Recorder recorder;
  QueryWeather(plain, Pages(weather));
  QueryWeather(observed, Pages(weather), recorder.observer());
  QueryNews(plain, Text(kWorldNews), Pages({news}));
  QueryNews(observed, Text(kWorldNews), Pages({news}), recorder.observer());
  EXPECT_EQ(observed.panels, plain.panels);
  EXPECT_EQ(recorder.seen.size(), 15u);
}

}  // namespace
}  // namespace tovrenic
