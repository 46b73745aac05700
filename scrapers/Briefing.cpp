#include "scrapers/Briefing.h"

#include <array>
#include <string>

#include "scrapers/Pinyin.h"
#include "text/TextConversion.h"
#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"
#include "web/WebRequest.h"

namespace tovrenic {
namespace {

// GBK text of a literal written in the source's own encoding.
Text Gbk(std::u16string_view text) { return Utf16StringToText(text); }

struct WeatherField {
  const char* name;
  Text left;
  Text right;
};

// Heading, week text, now value, condition and range span, one per fetch, in fetch order.
const std::array<WeatherField, 5>& WeatherFields() {
  static const std::array<WeatherField, 5> fields = {{
      {"heading", WeatherHeadingMarker(), Gbk(u"天气预报")},
      {"week text", Text("d class=\"week\">"), Text("</dd")},
      {"now value", Text("class=\"now\"><b>"), Text("</b><i")},
      {"condition", Text("<span><b>"), Text("</b")},
      {"range span", Text("<span><b>"), Text("</span>")},
  }};
  return fields;
}

// The field is always TextBetween's; the observer is additionally told why it is empty, found
// with the same two searches TextBetween makes.
Text CutField(const Text& source, const Text& left, const Text& right, FieldReport report,
              const FieldObserver& observer) {
  Text field = TextBetween(source, left, right);
  if (!observer) return field;
  const int leftAt = FindText(source, left);
  if (leftAt == -1) {
    report.outcome = FieldOutcome::LeftMarkerMissing;
  } else if (FindText(source, right, leftAt + TextLength(left)) == -1) {
    report.outcome = FieldOutcome::RightMarkerMissing;
  } else {
    report.outcome = field.empty() ? FieldOutcome::FoundEmpty : FieldOutcome::Found;
  }
  report.sourceEmpty = source.empty();
  report.leftMarker = left;
  report.rightMarker = right;
  observer(report);
  return field;
}

Text NewsMarker(int n) {
  return Text("&amp;a=2&pn=" + std::to_string(n) + "\" target=\"_blank\">");
}

}  // namespace

Text FetchPage(const Text& url) { return WebRequest(url); }

Text WeatherRootUrl() { return Text(std::string("https://") + kWeatherHost + "/"); }

Text WeatherHeadingMarker() {
  return ConcatText(Text("<meta content=\""), Gbk(u"天气网（"), Text(kWeatherHost), Gbk(u"）"));
}

void QueryWeather(BriefingForm& form, const PageFetch& fetch, const FieldObserver& observer) {
  std::array<Text, 5> field;
  for (std::size_t k = 0; k < field.size(); ++k) {
    // Closing the window abandons the fetches still to come.
    if (GiveUpRequested()) return;
    const Text url = ConcatText(WeatherRootUrl(), TownToPinyinPath(form.townText()));
    const Text page = fetch(url);
    const WeatherField& cut = WeatherFields()[k];
    field[k] =
        CutField(page, cut.left, cut.right,
                 {.fetch = static_cast<int>(k) + 1, .name = cut.name, .source = "page"}, observer);
  }
  if (GiveUpRequested()) return;
  const Text range = CutField(field[4], Text("b>"), Gbk(u"℃"),
                              {.fetch = 5, .name = "range", .source = "range span"}, observer);
  static const Text kMorning = Gbk(u"早报\r\n");
  static const Text kAverage = Gbk(u"\r\n平均气温：");
  static const Text kDegreeBlank = Gbk(u"℃ ");
  static const Text kLowHigh = Gbk(u"\r\n最低最高：");
  static const Text kEnd = Gbk(u"℃\r\n━━━━━━━━━━━━━━\r\n");
  form.setPanelText(Panel::Weather, ConcatText(field[0], kMorning, field[1], kAverage, field[2],
                                               kDegreeBlank, field[3], kLowHigh, range, kEnd));
}

void QueryNews(BriefingForm& form, const Text& sectionPath, const PageFetch& fetch,
               const FieldObserver& observer) {
  const Text url = ConcatText(Text(kNewsRootUrl), sectionPath);
  Text block;
  for (int n = 1; n <= 9; ++n) {
    if (GiveUpRequested()) return;
    const Text page = fetch(url);
    const Text headline =
        CutField(page, NewsMarker(n), Text("</a></li>"),
                 {.fetch = n, .name = "headline " + std::to_string(n), .source = "page"}, observer);
    block = ConcatText(std::move(block), Text(n == 1 ? "" : "\r\n"),
                       Text(std::to_string(n) + "."), headline);
  }
  if (GiveUpRequested()) return;
  form.setPanelText(Panel::News, ConcatText(std::move(block), Text("\r\n")));
}

}  // namespace tovrenic
