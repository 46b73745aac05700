#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scrapers/Briefing.h"
#include "text/TextConversion.h"
#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"

namespace tovrenic {
namespace {

Text Gbk(std::u16string_view text) { return Utf16StringToText(text); }

class FakeForm : public BriefingForm {
 public:
  Text town = Gbk(u"石家庄");
  std::map<Panel, Text> panels;
  int townReads = 0;

  Text townText() const override {
    ++const_cast<FakeForm*>(this)->townReads;
    return town;
  }
  void setPanelText(Panel panel, const Text& text) override { panels[panel] = text; }
};

// Serves the pages in turn (the last one again when they run out) and records the URLs.
struct FakeSite {
  std::vector<Text> pages;
  std::vector<std::string> urls;
  std::function<void(int call)> onFetch;

  PageFetch fetch() {
    return [this](const Text& url) {
      urls.push_back(url.str());
      if (onFetch) onFetch(static_cast<int>(urls.size()));
      if (pages.empty()) return Text();
      return pages[std::min(urls.size(), pages.size()) - 1];
    };
  }
};

const Text kWeatherPage = Gbk(
    u"<html><head><meta content=\"天气网（www.tianqi.com）石家庄天气预报\"></head>"
    u"<dl><dd class=\"week\">2026年12月11日　星期五</dd></dl>"
    u"<p class=\"now\"><b>3</b><i>℃</i></p>"
    u"<span><b>晴</b>-4 ~ 6℃</span>");

const Text kSkeletonTail = Gbk(u"℃\r\n━━━━━━━━━━━━━━\r\n");

class Briefing : public ::testing::Test {
 protected:
  void TearDown() override { ResetGiveUp(); }
  FakeForm form;
  FakeSite site;
};

TEST_F(Briefing, WeatherBlockTakesOneFieldFromEachOfFiveFetches) {
  site.pages = {kWeatherPage};
  QueryWeather(form, site.fetch());
  EXPECT_EQ(site.urls, std::vector<std::string>(5, "https://www.tianqi.com/shijiazhuang"));
  EXPECT_EQ(form.townReads, 5);
  EXPECT_EQ(form.panels[Panel::Weather],
            Gbk(u"石家庄早报\r\n2026年12月11日　星期五\r\n平均气温：3℃ 晴\r\n最低最高：-4 ~ 6" +
                std::u16string(u"℃\r\n━━━━━━━━━━━━━━\r\n")));
}

TEST_F(Briefing, WeatherFieldsComeFromTheirOwnFetchOnly) {
  // Each page holds only the markers of one field; a field looked for in another copy would
  // come out empty.
  site.pages = {Gbk(u"<meta content=\"天气网（www.tianqi.com）A天气预报"),
                Text("d class=\"week\">B</dd"), Text("class=\"now\"><b>C</b><i"),
                Text("<span><b>D</b"), Text("<span><b>E</b>F")};
  site.pages.back() += Gbk(u"℃</span>");
  QueryWeather(form, site.fetch());
  EXPECT_EQ(form.panels[Panel::Weather],
            ConcatText(Gbk(u"A早报\r\nB\r\n平均气温：C℃ D\r\n最低最高：F"), kSkeletonTail));
}

TEST_F(Briefing, WeatherBlockIsWholeWhateverIsMissing) {
  struct Case {
    const char* what;
    Text page;
    Text block;
  };
  const Case cases[] = {
      {"every fetch fails", Text(),
       ConcatText(Gbk(u"早报\r\n\r\n平均气温：℃ \r\n最低最高："), kSkeletonTail)},
      {"no </span>: a condition but no range", Text("<span><b>X</b>1"),
       ConcatText(Gbk(u"早报\r\n\r\n平均气温：℃ X\r\n最低最高："), kSkeletonTail)},
      {"a range span without b>", Gbk(u"<span><b>Y</span>"),
       ConcatText(Gbk(u"早报\r\n\r\n平均气温：℃ \r\n最低最高："), kSkeletonTail)},
      {"an error page without the heading marker", Text("<h1>404</h1>"),
       ConcatText(Gbk(u"早报\r\n\r\n平均气温：℃ \r\n最低最高："), kSkeletonTail)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeForm fresh;
    fresh.panels[Panel::Weather] = Text("old text");
    FakeSite pages;
    pages.pages = {c.page};
    QueryWeather(fresh, pages.fetch());
    EXPECT_EQ(fresh.panels[Panel::Weather], c.block);
  }
}

TEST_F(Briefing, WeatherUrlFollowsTheTownAsItIsTypedMeanwhile) {
  form.town = Text();
  site.onFetch = [this](int call) {
    if (call == 2) form.town = Gbk(u"北京");
  };
  QueryWeather(form, site.fetch());
  EXPECT_EQ(site.urls, (std::vector<std::string>{
                           "https://www.tianqi.com/", "https://www.tianqi.com/",
                           "https://www.tianqi.com/beijing", "https://www.tianqi.com/beijing",
                           "https://www.tianqi.com/beijing"}));
}

Text NewsPage(std::initializer_list<int> numbers) {
  Text page("<ul>");
  for (int n : numbers) {
    page += Text("<li><a href=\"/x?t=1&amp;a=2&pn=" + std::to_string(n) + "\" target=\"_blank\">");
    page += Gbk(u"标题") + Text(std::to_string(n)) + Text("</a></li>");
  }
  return page;
}

TEST_F(Briefing, NewsBlockNumbersNineHeadlinesFromNineFetches) {
  site.pages = {NewsPage({5, 3, 1, 4, 2})};  // the order in the page does not matter
  QueryNews(form, Text(kWorldNews), site.fetch());
  EXPECT_EQ(site.urls, std::vector<std::string>(9, "https://news.baidu.com/guoji"));
  EXPECT_EQ(form.panels[Panel::News],
            Gbk(u"1.标题1\r\n2.标题2\r\n3.标题3\r\n4.标题4\r\n5.标题5\r\n6.\r\n7.\r\n8.\r\n9.\r\n"));
}

TEST_F(Briefing, NewsHeadlinesStayAsCutAndEachClickReplacesTheBlock) {
  site.pages = {Text("&amp;a=2&pn=1\" target=\"_blank\">a\r\n<b>&amp;</b></a></li>")};
  QueryNews(form, Text(kDomesticNews), site.fetch());
  EXPECT_EQ(form.panels[Panel::News], Text("1.a\r\n<b>&amp;</b>\r\n2.\r\n3.\r\n4.\r\n5.\r\n6.\r\n7."
                                           "\r\n8.\r\n9.\r\n"));
  FakeSite failing;
  QueryNews(form, Text(kFinanceNews), failing.fetch());
  EXPECT_EQ(failing.urls.front(), "https://news.baidu.com/finance");
  EXPECT_EQ(form.panels[Panel::News], Text("1.\r\n2.\r\n3.\r\n4.\r\n5.\r\n6.\r\n7.\r\n8.\r\n9.\r\n"));
}

TEST_F(Briefing, GivingUpAbandonsTheRemainingFetchesAndLeavesThePanel) {
  form.panels[Panel::Weather] = Text("before");
  form.panels[Panel::News] = Text("before");
  site.onFetch = [](int call) {
    if (call == 2) RequestGiveUp();
  };
  QueryWeather(form, site.fetch());
  EXPECT_EQ(site.urls.size(), 2u);
  EXPECT_EQ(form.panels[Panel::Weather], Text("before"));

  site.urls.clear();
  QueryNews(form, Text(kDomesticNews), site.fetch());
  EXPECT_TRUE(site.urls.empty());
  EXPECT_EQ(form.panels[Panel::News], Text("before"));
}

}  // namespace
}  // namespace tovrenic
