// Throughput of the text scans over a realistic page: ASCII markup with GBK headlines, the kind
// of text the scrapers cut their fields from. The searches run beside memmem over the same bytes
// (the floor for a byte search) and report their time relative to it as the counter vs_memmem.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "text/TextPrimitives.h"

namespace tovrenic {
namespace {

constexpr const char* kAbsentNeedle = "<div class=\"weather-now\">";
constexpr const char* kLastMarker = "<span id=\"last\">";

// One GBK character: a lead byte from B0 to D7 (the common hanzi) and a trail byte from A1 to FE.
std::string RandomHanzi(std::mt19937& random, int count) {
  std::uniform_int_distribution<int> lead(0xB0, 0xD7);
  std::uniform_int_distribution<int> trail(0xA1, 0xFE);
  std::string out;
  for (int i = 0; i < count; ++i) {
    out += static_cast<char>(lead(random));
    out += static_cast<char>(trail(random));
  }
  return out;
}

// A news list page of exactly `size` bytes whose last field is <span id="last">...</span>.
const Text& Page(std::size_t size) {
  static std::map<std::size_t, Text> pages;
  if (auto it = pages.find(size); it != pages.end()) return it->second;
  std::mt19937 random(42);
  std::uniform_int_distribution<int> words(6, 20);
  std::uniform_int_distribution<int> article(100000, 999999);
  std::string page = "<!DOCTYPE html>\r\n<html><head><meta charset=\"gbk\"><title>" +
                     RandomHanzi(random, 4) +
                     "</title></head>\r\n<body><div class=\"list\"><ul>\r\n";
  const std::string tail = "</ul></div>" + std::string(kLastMarker) + RandomHanzi(random, 3) +
                           "</span></body></html>\r\n";
  while (page.size() + tail.size() < size) {
    page += "<li><a href=\"https://news.example.com/a/" + std::to_string(article(random)) +
            ".html\" target=\"_blank\" class=\"title\">" + RandomHanzi(random, words(random)) +
            "</a><span class=\"time\">2024-06-11 08:" + std::to_string(10 + article(random) % 50) +
            "</span></li>\r\n";
  }
  page.resize(size - tail.size(), ' ');
  page += tail;
  return pages.emplace(size, Text(std::move(page))).first->second;
}

double SecondsOfMemmem(const Text& page, const char* needle, benchmark::IterationCount n) {
  const std::size_t length = std::strlen(needle);
  const auto begin = std::chrono::steady_clock::now();
  for (benchmark::IterationCount i = 0; i < n; ++i) {
    benchmark::DoNotOptimize(memmem(page.data(), page.size(), needle, length));
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void Finish(benchmark::State& state, const Text& page, const char* needle, double seconds) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["vs_memmem"] = seconds / SecondsOfMemmem(page, needle, state.iterations());
}

void BM_Memmem(benchmark::State& state, const char* needle) {
  const Text& page = Page(static_cast<std::size_t>(state.range(0)));
  const std::size_t length = std::strlen(needle);
  for (auto _ : state) {
    benchmark::DoNotOptimize(memmem(page.data(), page.size(), needle, length));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_FindText(benchmark::State& state, const char* needle) {
  const Text& page = Page(static_cast<std::size_t>(state.range(0)));
  const Text wanted(needle);
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(FindText(page, wanted));
  Finish(state, page, needle,
         std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
}

void BM_FindTextReverse(benchmark::State& state, const char* needle) {
  const Text& page = Page(static_cast<std::size_t>(state.range(0)));
  const Text wanted(needle);
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(FindTextReverse(page, wanted));
  Finish(state, page, needle,
         std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
}

// The left marker decides the cost: the right one lies a few bytes behind it.
void BM_TextBetween(benchmark::State& state, const char* leftMarker) {
  const Text& page = Page(static_cast<std::size_t>(state.range(0)));
  const Text left(leftMarker);
  const Text right("</span>");
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(TextBetween(page, left, right));
  Finish(state, page, leftMarker,
         std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
}

// Thousands of replacements per page: one per list line.
void BM_ReplaceText(benchmark::State& state) {
  const Text& page = Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ReplaceText(page, Text("<li>"), Text("<li class=\"x\">"), 1, -1, true));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_SplitText(benchmark::State& state) {
  const Text& page = Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(page, Text("\r\n")));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

constexpr std::int64_t kMiB = 1 << 20;

BENCHMARK_CAPTURE(BM_Memmem, absent, kAbsentNeedle)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK_CAPTURE(BM_FindText, absent, kAbsentNeedle)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK_CAPTURE(BM_Memmem, at_end, kLastMarker)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK_CAPTURE(BM_FindText, at_end, kLastMarker)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK_CAPTURE(BM_FindTextReverse, absent, kAbsentNeedle)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK_CAPTURE(BM_TextBetween, absent, kAbsentNeedle)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK_CAPTURE(BM_TextBetween, at_end, kLastMarker)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK(BM_ReplaceText)->Arg(kMiB)->Arg(8 * kMiB);
BENCHMARK(BM_SplitText)->Arg(kMiB)->Arg(8 * kMiB);

}  // namespace
}  // namespace tovrenic

BENCHMARK_MAIN();
