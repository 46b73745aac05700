#include "net/TestServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/pem.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace tovrenic::testnet {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void ReplaceAll(std::string& text, std::string_view from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tovrenic-net-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temp dir");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TestCertificate::TestCertificate() {
  key_.reset(EVP_EC_gen("P-256"));
  cert_.reset(X509_new());
  if (!key_ || !cert_) throw std::runtime_error("cannot make a test certificate");
  X509* cert = cert_.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
  X509_set_pubkey(cert, key_.get());
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  if (X509_sign(cert, key_.get(), EVP_sha256()) == 0) {
    throw std::runtime_error("cannot sign the test certificate");
  }
}

void TestCertificate::WritePem(const std::string& certPath, const std::string& keyPath) const {
  FILE* certFile = std::fopen(certPath.c_str(), "w");
  FILE* keyFile = std::fopen(keyPath.c_str(), "w");
  if (certFile) PEM_write_X509(certFile, cert_.get());
  if (keyFile) PEM_write_PrivateKey(keyFile, key_.get(), nullptr, nullptr, 0, nullptr, nullptr);
  if (certFile) std::fclose(certFile);
  if (keyFile) std::fclose(keyFile);
}

std::string RecordedRequest::Header(const std::string& name) const {
  const auto found = headers.find(name);
  return found == headers.end() ? std::string() : found->second;
}

HttpTestServer::HttpTestServer(bool secure) : secure_(secure) {
  if (secure) {
    certificate_ = std::make_unique<TestCertificate>();
    server_ = std::make_unique<httplib::SSLServer>(certificate_->cert(), certificate_->key());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  // Recorded after the body was read and before the answer is written, so a test that got its
  // answer finds the request here.
  server_->set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::lock_guard lock(mutex_);
    requests_.push_back({request.method, request.target, request.headers, request.body});
  });
}

HttpTestServer::~HttpTestServer() {
  if (thread_.joinable()) {
    // stop() only takes effect once the server runs.
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!server_->is_running() && Clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(5));
    }
    server_->stop();
    thread_.join();
  }
}

void HttpTestServer::Start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("http test server: cannot listen on 127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
}

std::string HttpTestServer::Url(std::string_view pathAndQuery) const {
  return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
         std::string(pathAndQuery);
}

std::vector<RecordedRequest> HttpTestServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& logPath) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

bool ChildProcess::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) {
    pid_ = -1;
    return false;
  }
  return true;
}

ChildProcess::~ChildProcess() {
  if (!Running()) return;
  ::kill(pid_, SIGTERM);
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < end) {
    if (!Running()) return;
    std::this_thread::sleep_for(milliseconds(10));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return port;
}

bool WaitForListener(int port, ChildProcess& process) {
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < end && process.Running()) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (connected) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return false;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool ProgramExists(const std::string& path) {
  return ::access(path.c_str(), X_OK) == 0;
}

NginxServer::NginxServer(const std::string& locationsHttps, const std::string& locationsHttp) {
  if (!ProgramExists(kBinary)) return;
  TestCertificate certificate;
  certificate.WritePem(dir_.File("cert.pem"), dir_.File("key.pem"));
  // A port taken by someone else between choosing and binding makes nginx exit: try again.
  for (int attempt = 0; attempt < 3 && !process_; ++attempt) {
    httpPort_ = FreePort();
    httpsPort_ = FreePort();
    std::string config = R"(daemon off;
master_process off;
worker_processes 1;
pid {DIR}/nginx.pid;
error_log {DIR}/error.log info;
events { worker_connections 64; }
http {
  access_log {DIR}/access.log;
  client_body_temp_path {DIR}/client_body;
  proxy_temp_path {DIR}/proxy;
  fastcgi_temp_path {DIR}/fastcgi;
  uwsgi_temp_path {DIR}/uwsgi;
  scgi_temp_path {DIR}/scgi;
  default_type text/plain;
  server {
    listen 127.0.0.1:{HTTPS_PORT} ssl;
    ssl_certificate {DIR}/cert.pem;
    ssl_certificate_key {DIR}/key.pem;
)" + locationsHttps + R"(
  }
  server {
    listen 127.0.0.1:{HTTP_PORT};
)" + locationsHttp + R"(
  }
}
)";
    ReplaceAll(config, "{DIR}", dir_.path());
    ReplaceAll(config, "{HTTP_PORT}", std::to_string(httpPort_));
    ReplaceAll(config, "{HTTPS_PORT}", std::to_string(httpsPort_));
    WriteFile(dir_.File("nginx.conf"), config);
    auto process = std::make_unique<ChildProcess>(
        std::vector<std::string>{kBinary, "-p", dir_.path(), "-c", dir_.File("nginx.conf"), "-e",
                                 dir_.File("error.log")},
        dir_.File("output.log"));
    if (WaitForListener(httpsPort_, *process) && WaitForListener(httpPort_, *process)) {
      process_ = std::move(process);
    }
  }
}

NginxServer::~NginxServer() {
  process_.reset();
}

std::string NginxServer::errorLog() const {
  return ReadFile(dir_.File("output.log")) + ReadFile(dir_.File("error.log"));
}

TinyProxy::TinyProxy(bool requireAuth) {
  if (!ProgramExists(kBinary)) return;
  for (int attempt = 0; attempt < 3 && !process_; ++attempt) {
    port_ = FreePort();
    std::string config = "Port " + std::to_string(port_) +
                         "\nListen 127.0.0.1\nTimeout 30\nMaxClients 16\nLogLevel Info\n"
                         "LogFile \"" +
                         dir_.File("tinyproxy.log") + "\"\n";
    if (requireAuth) {
      config += std::string("BasicAuth ") + kUser + " " + kPassword + "\n";
    }
    WriteFile(dir_.File("tinyproxy.conf"), config);
    auto process = std::make_unique<ChildProcess>(
        std::vector<std::string>{kBinary, "-d", "-c", dir_.File("tinyproxy.conf")},
        dir_.File("output.log"));
    if (WaitForListener(port_, *process)) process_ = std::move(process);
  }
}

TinyProxy::~TinyProxy() {
  process_.reset();
}

}  // namespace tovrenic::testnet
