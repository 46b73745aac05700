#include "bench/LocalSite.h"

#include <unicode/ustring.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "text/TextConversion.h"

namespace tovrenic::bench {

std::string NewsPageGbk() {
  // The fixture is kept in UTF-8; the portal sends GBK.
  const std::string utf8 = ReadFixture("news-guonei.html");
  std::u16string units(utf8.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(units.data()), static_cast<int32_t>(units.size()),
                &length, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
  units.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return Utf16StringToText(units).str();
}

namespace {

void Serve(httplib::Server& server, std::chrono::milliseconds slowBy) {
  const std::string weather = WeatherPage();
  const std::string news = NewsPageGbk();
  auto page = [slowBy](const std::string& body) {
    return [body, slowBy](const httplib::Request&, httplib::Response& response) {
      if (slowBy.count() == 0) {
        response.set_content(body, "text/html");
        return;
      }
      // Half the page at once, the rest after the delay.
      response.set_chunked_content_provider(
          "text/html", [body, slowBy, sent = std::size_t{0}](std::size_t, httplib::DataSink& sink) mutable {
            if (sent == 0) {
              sent = body.size() / 2;
              return sink.write(body.data(), sent);
            }
            std::this_thread::sleep_for(slowBy);
            sink.write(body.data() + sent, body.size() - sent);
            sink.done();
            return true;
          });
    };
  };
  // Every news section gets the news page; any other path is a town's weather page.
  server.Get("/(guonei|guoji|finance)", page(news));
  server.Get("/[a-z]*", page(weather));
}

}  // namespace

LocalSite::LocalSite(bool secure, std::chrono::milliseconds slowBy) {
  if (secure) {
    char pattern[] = "/tmp/tovrenic-bench-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    dir_ = pattern;
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -keyout " +
        (dir_ / "key.pem").string() + " -out " + (dir_ / "cert.pem").string() + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl");
    server_ = std::make_unique<httplib::SSLServer>((dir_ / "cert.pem").c_str(),
                                                   (dir_ / "key.pem").c_str());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  server_->set_tcp_nodelay(true);
  Serve(*server_, slowBy);
  const int port = server_->bind_to_any_port("127.0.0.1");
  if (port <= 0) throw std::runtime_error("bind");
  origin_ = std::string(secure ? "https" : "http") + "://127.0.0.1:" + std::to_string(port);
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalSite::~LocalSite() {
  server_->stop();
  thread_.join();
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

std::string LocalSite::LocalUrl(const std::string& siteUrl) const {
  const std::size_t host = siteUrl.find("://");
  const std::size_t path = siteUrl.find('/', host == std::string::npos ? 0 : host + 3);
  return origin_ + (path == std::string::npos ? "/" : siteUrl.substr(path));
}

}  // namespace tovrenic::bench
