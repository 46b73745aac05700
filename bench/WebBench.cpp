// Response decoding of a 1 MiB UTF-8 page beside its natural floor, a direct ICU conversion of
// the same bytes to code page 936, in the same run; prints the ratio of the two.

#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "regex/RegexObject.h"
#include "text/Text.h"
#include "web/ResponseDecoding.h"

namespace {

constexpr std::size_t kPageSize = 1 << 20;

// A news page: a head declaring UTF-8, then list items of Chinese headlines with their links.
const std::string& Utf8Page() {
  static const std::string page = [] {
    const char* const headlines[] = {
        "今日天气晴转多云，气温十八到二十六度，北风三到四级",
        "国务院常务会议部署进一步扩大内需的政策措施",
        "国际油价周二小幅上涨，市场关注库存数据与需求前景",
        "石家庄市发布最新城市规划，新建公园绿地二十余处",
        "财经观察：消费市场回暖，居民收入稳步增长",
    };
    std::string html =
        "<!DOCTYPE html>\n<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<title>新闻中心</title>\n</head>\n<body>\n<ul class=\"news-list\">\n";
    for (std::size_t i = 0;; ++i) {
      std::string item = "<li><a href=\"https://news.example.cn/article/" + std::to_string(i) +
                         ".html\" target=\"_blank\">" + headlines[i % 5] + "</a></li>\n";
      if (html.size() + item.size() + 32 > kPageSize) break;
      html += item;
    }
    html += "</ul>\n</body>\n</html>\n";
    html.resize(kPageSize, ' ');
    return html;
  }();
  return page;
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// The floor: the page converted straight from UTF-8 to code page 936 into a buffer of the page's
// size (UTF-8 never grows on the way to GBK), with the converters opened for the call.
std::string DirectConversion(const std::string& page) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> from(ucnv_open("utf-8", &status));
  std::unique_ptr<UConverter, ConverterCloser> to(ucnv_open("windows-936", &status));
  ucnv_setSubstChars(to.get(), "?", 1, &status);
  std::string out(page.size(), '\0');
  char* target = out.data();
  const char* source = page.data();
  ucnv_convertEx(to.get(), from.get(), &target, out.data() + out.size(), &source,
                 page.data() + page.size(), nullptr, nullptr, nullptr, nullptr, true, true,
                 &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(target - out.data()));
  return out;
}

void BM_DecodeResponseBody(benchmark::State& state) {
  const tovrenic::Bytes body(Utf8Page());
  {
    tovrenic::RegexObject regex;
    if (tovrenic::DecodeResponseBody(body, regex).str() != DirectConversion(Utf8Page())) {
      state.SkipWithError("the decoded page differs from the direct conversion");
    }
  }
  for (auto _ : state) {
    tovrenic::RegexObject regex;  // a request owns one object per call
    tovrenic::Text text = tovrenic::DecodeResponseBody(body, regex);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeResponseBody)->Unit(benchmark::kMillisecond);

void BM_IcuUtf8ToWindows936(benchmark::State& state) {
  const std::string& page = Utf8Page();
  for (auto _ : state) {
    std::string out = DirectConversion(page);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_IcuUtf8ToWindows936)->Unit(benchmark::kMillisecond);

// Passes everything to the console and keeps each benchmark's mean time for the ratio: the
// "mean" aggregate when repetitions are asked for, else the average of the plain runs.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      Times& times = times_[run.run_name.function_name];
      if (run.run_type == Run::RT_Iteration) {
        times.sum += run.GetAdjustedRealTime();
        ++times.count;
      } else if (run.aggregate_name == "mean") {
        times.mean = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  double Time(const std::string& name) const {
    auto it = times_.find(name);
    if (it == times_.end()) return 0.0;
    const Times& times = it->second;
    if (times.mean > 0) return times.mean;
    return times.count > 0 ? times.sum / times.count : 0.0;
  }

 private:
  struct Times {
    double sum = 0.0;
    int count = 0;
    double mean = 0.0;
  };
  std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(isatty(STDOUT_FILENO) ? RatioReporter::OO_Defaults
                                               : RatioReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double decode = reporter.Time("BM_DecodeResponseBody");
  double floor = reporter.Time("BM_IcuUtf8ToWindows936");
  if (decode > 0 && floor > 0) {
    std::printf("DecodeResponseBody / direct ICU conversion: %.2fx (goal: within 1.5x)\n",
                decode / floor);
  }
  benchmark::Shutdown();
  return 0;
}
