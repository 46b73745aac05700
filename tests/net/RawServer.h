#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tovrenic::testnet {

// A TCP server on 127.0.0.1 and a free port for exchanges that must be exact to the byte or
// must break HTTP: it records each request as received and answers with whatever bytes the
// test's handler sends, in the clear or, when secure, over TLS with a certificate made for it.
// Connections are served one after the other on one thread; the connection is closed when the
// handler returns. Everything is bounded: at most maxConnections connections, reads and waits
// with time limits, and the destructor stops it at once.
class RawServer {
 public:
  class Connection {
   public:
    // One request: the bytes up to the empty line after the headers, then (withBody) as many
    // body bytes as its Content-Length names. Recorded in requests(). Empty when the peer
    // closed first or nothing came within a few seconds.
    std::string ReadRequest(bool withBody = true);
    // Sends all bytes; false when the peer is gone.
    bool Send(std::string_view bytes);
    // Waits for the given time; returns false early when the server is being stopped.
    bool Wait(std::chrono::milliseconds duration);

   private:
    friend class RawServer;
    Connection(RawServer& server, int fd, SSL* ssl) : server_(server), fd_(fd), ssl_(ssl) {}
    long Receive(char* buffer, std::size_t size);
    RawServer& server_;
    int fd_;
    SSL* ssl_;  // null in the clear
  };
  using Handler = std::function<void(Connection&)>;

  explicit RawServer(Handler handler, bool secure = false, int maxConnections = 32);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  // The http or https URL of this server.
  std::string Url(std::string_view pathAndQuery = "/") const;
  std::vector<std::string> requests() const;
  int connections() const { return connections_; }

 private:
  void Serve(int maxConnections);

  Handler handler_;
  SSL_CTX* tls_ = nullptr;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::condition_variable stopping_;
  bool stop_ = false;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Common handlers.
// Reads the request and answers with response, then closes.
RawServer::Handler Answer(std::string response);
// Reads the request and stays silent until the server stops (at most a minute).
RawServer::Handler Silent();
// Reads the request line and headers, then hangs up without reading the body.
RawServer::Handler HangUpAfterTheHead();

}  // namespace tovrenic::testnet
