// The weather and news queries against a local HTTPS stand-in for the two sites, beside the
// same 14 pages fetched by bare libcurl with a fresh handle each, in the same run.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <map>
#include <string>

#include "bench/LocalSite.h"
#include "scrapers/Briefing.h"
#include "text/TextConversion.h"

namespace tovrenic::bench {
namespace {

class Form : public BriefingForm {
 public:
  Text townText() const override { return Utf16StringToText(u"北京"); }
  void setPanelText(Panel panel, const Text& text) override { panels[panel] = text; }
  std::map<Panel, Text> panels;
};

LocalSite& Site() {
  static LocalSite site(/*secure=*/true);
  return site;
}

void BM_BriefingQueries(benchmark::State& state) {
  Form form;
  const PageFetch local = [](const Text& url) {
    return FetchPage(Text(Site().LocalUrl(url.str())));
  };
  for (auto _ : state) {
    QueryWeather(form, local);
    QueryNews(form, Text(kDomesticNews), local);
  }
  if (form.panels[Panel::News].size() < 100) state.SkipWithError("the news block came out empty");
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

void BareGet(const std::string& url) {
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
}

void BM_BareCurlFetches(benchmark::State& state) {
  const std::string weather = Site().Origin() + "/beijing";
  const std::string news = Site().Origin() + "/guonei";
  for (auto _ : state) {
    for (int i = 0; i < 5; ++i) BareGet(weather);
    for (int i = 0; i < 9; ++i) BareGet(news);
  }
}

BENCHMARK(BM_BareCurlFetches)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_BriefingQueries)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

// Prints the ratio of the two in one line after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double bare = times_["BM_BareCurlFetches/min_time:2.000/real_time"];
    const double ours = times_["BM_BriefingQueries/min_time:2.000/real_time"];
    if (bare > 0) {
      std::printf("briefing: weather + news queries %.1f ms vs 14 bare libcurl fetches %.1f ms = "
                  "%.2fx (goal <= 1.10x)\n", ours, bare, ours / bare);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace
}  // namespace tovrenic::bench

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  benchmark::Initialize(&argc, argv);
  tovrenic::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  curl_global_cleanup();
}
