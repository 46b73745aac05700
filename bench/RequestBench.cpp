// A GET over local HTTPS through WebRequest beside its natural floor, a bare libcurl GET with a
// fresh easy handle to the same server, interleaved in the same run: each iteration makes one
// call of each, and the counter vs_bare_curl is the ratio of their summed times (vs_sized_curl
// against a floor that sizes its buffer up front). Bodies of
// 300 KB, 1 MiB and 64 MiB; ms_per_MiB shows whether the time per MiB stays flat. The server
// is nginx, started for the run with a certificate made for it.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "net/TestServers.h"
#include "text/Text.h"
#include "web/WebRequest.h"

namespace {

using Clock = std::chrono::steady_clock;
using tovrenic::testnet::NginxServer;
using tovrenic::testnet::TempDir;

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

// Plain page bytes without a character-set declaration, as a GBK page arrives.
std::string PageOfSize(std::int64_t size) {
  const std::string line = "<li><a href=\"/news/0001.html\">headline text of the day</a></li>\n";
  std::string page;
  page.reserve(static_cast<std::size_t>(size));
  while (static_cast<std::int64_t>(page.size()) + static_cast<std::int64_t>(line.size()) <= size) {
    page += line;
  }
  page.resize(static_cast<std::size_t>(size), ' ');
  return page;
}

// nginx serving the three pages from a folder of its own, for the whole run.
class PageServer {
 public:
  PageServer() {
    for (std::int64_t size : {300 * kKiB, 1 * kMiB, 64 * kMiB}) {
      std::ofstream(pages_.File(std::to_string(size)), std::ios::binary) << PageOfSize(size);
    }
    nginx_ = std::make_unique<NginxServer>("location / { root " + pages_.path() + "; }", "");
  }
  bool running() const { return nginx_->running(); }
  std::string Url(std::int64_t size) const {
    return "https://127.0.0.1:" + std::to_string(nginx_->httpsPort()) + "/" + std::to_string(size);
  }

 private:
  TempDir pages_;
  std::unique_ptr<NginxServer> nginx_;
};

PageServer& Server() {
  static PageServer server;
  return server;
}

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// The floor: what any libcurl client does for one GET of a self-signed HTTPS page. The stricter
// floor also sizes its buffer for the whole body up front, as WebRequest does from the
// Content-Length, so that growing the buffer is not counted in the floor's favour.
std::size_t BareCurlGet(const std::string& url, std::size_t reserve = 0) {
  std::string body;
  body.reserve(reserve);
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
  curl_easy_perform(easy);
  curl_easy_cleanup(easy);
  return body.size();
}

void BM_WebRequestGet(benchmark::State& state) {
  if (!Server().running()) {
    state.SkipWithError("nginx could not be started");
    return;
  }
  const std::int64_t size = state.range(0);
  const std::string url = Server().Url(size);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  if (static_cast<std::int64_t>(BareCurlGet(url)) != size) {
    state.SkipWithError("the bare GET did not fetch the page");
    return;
  }
  double webSeconds = 0;
  double bareSeconds = 0;
  double sizedSeconds = 0;
  for (auto _ : state) {
    tovrenic::WebRequestCall call;
    call.url = tovrenic::Text(url);
    const auto start = Clock::now();
    const tovrenic::Text text = tovrenic::WebRequest(call);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    webSeconds += seconds;
    if (static_cast<std::int64_t>(text.size()) != size) {
      state.SkipWithError("WebRequest did not fetch the page");
      return;
    }
    const auto bareStart = Clock::now();
    benchmark::DoNotOptimize(BareCurlGet(url));
    bareSeconds += std::chrono::duration<double>(Clock::now() - bareStart).count();
    const auto sizedStart = Clock::now();
    benchmark::DoNotOptimize(BareCurlGet(url, static_cast<std::size_t>(size)));
    sizedSeconds += std::chrono::duration<double>(Clock::now() - sizedStart).count();
  }
  const double iterations = static_cast<double>(state.iterations());
  const double mebibytes = static_cast<double>(size) / static_cast<double>(kMiB);
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["vs_bare_curl"] = webSeconds / bareSeconds;
  state.counters["vs_sized_curl"] = webSeconds / sizedSeconds;
  state.counters["ms_per_MiB"] = webSeconds * 1000 / iterations / mebibytes;
  state.counters["bare_ms_per_MiB"] = bareSeconds * 1000 / iterations / mebibytes;
}
BENCHMARK(BM_WebRequestGet)
    ->Arg(300 * kKiB)
    ->Arg(1 * kMiB)
    ->Arg(64 * kMiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
