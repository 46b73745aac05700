#pragma once

#include <functional>
#include <string>

#include "text/Text.h"

namespace tovrenic {

// The three preview panels of the window; the report joins them in this order.
enum class Panel { Weather, News, DailyMessage };

// What the briefing queries need of the window: the town typed in, and the panels.
class BriefingForm {
 public:
  virtual ~BriefingForm() = default;
  virtual Text townText() const = 0;
  virtual void setPanelText(Panel panel, const Text& text) = 0;
};

// Fetches one page and returns its text, empty after a failure.
using PageFetch = std::function<Text(const Text& url)>;

// The request routine with the URL alone.
Text FetchPage(const Text& url);

// How one field came out of the text it is cut from. A field is empty unless Found.
enum class FieldOutcome {
  Found,               // text between the two markers
  FoundEmpty,          // both markers there, nothing between them
  LeftMarkerMissing,   // the left marker is nowhere in the text
  RightMarkerMissing,  // the left marker is there, the right one not behind it
};

struct FieldReport {
  int fetch = 0;       // the query's fetch (from 1) whose page the field comes from
  std::string name;    // "heading", "week text", ..., "range", "headline 1" ... "headline 9"
  std::string source;  // what was searched: "page", or "range span" for the range
  bool sourceEmpty = false;
  Text leftMarker{};
  Text rightMarker{};
  FieldOutcome outcome = FieldOutcome::Found;
};

// Told about every field as it is cut, so that a caller can say which markers a changed page
// lacks. The queries work the same with or without one.
using FieldObserver = std::function<void(const FieldReport&)>;

// The weather site's host: it names the weather root URL and the page heading's marker alike.
inline constexpr char kWeatherHost[] = "www.tianqi.com";
inline constexpr char kNewsRootUrl[] = "https://news.baidu.com";

// The section paths of the three news buttons.
inline constexpr char kDomesticNews[] = "/guonei";
inline constexpr char kWorldNews[] = "/guoji";
inline constexpr char kFinanceNews[] = "/finance";

Text WeatherRootUrl();
Text WeatherHeadingMarker();

// Five fetches of the town's weather page, one field from each, then the five-line weather
// block into the weather panel. The town is read before every fetch. The range, cut from the
// range span, counts as a field of fetch 5.
void QueryWeather(BriefingForm& form, const PageFetch& fetch = FetchPage,
                  const FieldObserver& observer = {});

// Nine fetches of one news section page, headline N from fetch N, then the nine numbered lines
// into the news panel.
void QueryNews(BriefingForm& form, const Text& sectionPath, const PageFetch& fetch = FetchPage,
               const FieldObserver& observer = {});

}  // namespace tovrenic
