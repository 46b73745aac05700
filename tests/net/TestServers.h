#pragma once

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tovrenic::testnet {

// A folder under /tmp that is removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// A self-signed certificate for 127.0.0.1 with its P-256 key, made in memory.
class TestCertificate {
 public:
  TestCertificate();
  X509* cert() const { return cert_.get(); }
  EVP_PKEY* key() const { return key_.get(); }
  // Writes both as PEM files (for servers that read files).
  void WritePem(const std::string& certPath, const std::string& keyPath) const;

 private:
  struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
  };
  struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  };
  std::unique_ptr<EVP_PKEY, KeyFree> key_;
  std::unique_ptr<X509, CertFree> cert_;
};

// One request as an HTTP server saw it.
struct RecordedRequest {
  std::string method;
  std::string target;  // path and query as on the request line
  httplib::Headers headers;
  std::string body;

  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const { return headers.count(name) > 0; }
};

// cpp-httplib in this process on 127.0.0.1 and a free port, over HTTP or over HTTPS with a
// certificate made for the run. Register handlers through server(), then Start(). Every
// request is recorded before its answer goes out.
class HttpTestServer {
 public:
  explicit HttpTestServer(bool secure);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  httplib::Server& server() { return *server_; }
  void Start();
  int port() const { return port_; }
  std::string Url(std::string_view pathAndQuery = "/") const;
  std::vector<RecordedRequest> requests() const;

 private:
  bool secure_;
  std::unique_ptr<TestCertificate> certificate_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
};

// A program started by a test and ended with it: SIGTERM, then SIGKILL if it lingers. Its
// output goes to logPath.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::string& logPath);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool started() const { return pid_ > 0; }
  bool Running();

 private:
  pid_t pid_ = -1;
};

// A port on 127.0.0.1 that was free a moment ago (for programs that cannot report the port
// they bound).
int FreePort();
// Waits up to a few seconds until something accepts on 127.0.0.1:port.
bool WaitForListener(int port, ChildProcess& process);
std::string ReadFile(const std::string& path);
bool ProgramExists(const std::string& path);

// nginx in the foreground, one process, with its own configuration, logs and temporary files
// in a temporary folder: HTTPS on httpsPort() with a certificate made for the run, plain HTTP
// on httpPort(). The server blocks are the test's, with the placeholders {HTTP_PORT} and
// {HTTPS_PORT} replaced.
class NginxServer {
 public:
  static constexpr const char* kBinary = "/usr/sbin/nginx";
  explicit NginxServer(const std::string& locationsHttps, const std::string& locationsHttp);
  ~NginxServer();
  bool running() const { return process_ != nullptr; }
  int httpPort() const { return httpPort_; }
  int httpsPort() const { return httpsPort_; }
  std::string errorLog() const;

 private:
  TempDir dir_;
  int httpPort_ = 0;
  int httpsPort_ = 0;
  std::unique_ptr<ChildProcess> process_;
};

// tinyproxy in the foreground with its own configuration: listens on 127.0.0.1 and port(),
// asks for Basic credentials user/pass when requireAuth.
class TinyProxy {
 public:
  static constexpr const char* kBinary = "/usr/bin/tinyproxy";
  static constexpr const char* kUser = "user";
  static constexpr const char* kPassword = "pass";
  explicit TinyProxy(bool requireAuth);
  ~TinyProxy();
  bool running() const { return process_ != nullptr; }
  int port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  TempDir dir_;
  int port_ = 0;
  std::unique_ptr<ChildProcess> process_;
};

}  // namespace tovrenic::testnet
