#pragma once

// A local stand-in for the weather site and the news portal, for the briefing benchmarks: an
// in-process server on 127.0.0.1 that serves the test fixtures, over HTTPS with a certificate
// made at start-up, or over HTTP with every page sent slowly.

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

namespace tovrenic::bench {

inline std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(TOVRENIC_FIXTURES_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The weather page as the site sends it (UTF-8) and the news page in GBK.
inline std::string WeatherPage() { return ReadFixture("weather-beijing.html"); }
std::string NewsPageGbk();

class LocalSite {
 public:
  // secure: HTTPS with a fresh self-signed certificate; slowBy: how long each page takes.
  explicit LocalSite(bool secure, std::chrono::milliseconds slowBy = {});
  ~LocalSite();
  LocalSite(const LocalSite&) = delete;
  LocalSite& operator=(const LocalSite&) = delete;

  // The local URL that stands for a URL of the real site: same path, local scheme and port.
  std::string LocalUrl(const std::string& siteUrl) const;
  std::string Origin() const { return origin_; }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::string origin_;
};

}  // namespace tovrenic::bench
