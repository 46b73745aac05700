#include "net/RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "net/TestServers.h"

namespace tovrenic::testnet {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kReadLimit{5000};
constexpr milliseconds kAcceptPoll{50};
constexpr std::chrono::seconds kLifetime{120};

// Waits up to `limit` for fd to become readable; false on time-out or error.
bool Readable(int fd, milliseconds limit) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, static_cast<int>(limit.count())) > 0;
}

std::size_t ContentLength(std::string_view head) {
  std::size_t at = 0;
  while ((at = head.find("\r\n", at)) != std::string_view::npos) {
    at += 2;
    constexpr std::string_view kName = "content-length:";
    if (head.size() - at < kName.size()) break;
    bool same = true;
    for (std::size_t i = 0; i < kName.size() && same; ++i) {
      char c = head[at + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      same = c == kName[i];
    }
    if (same)
      return std::strtoul(std::string(head.substr(at + kName.size(), 20)).c_str(), nullptr, 10);
  }
  return 0;
}

}  // namespace

long RawServer::Connection::Receive(char* buffer, std::size_t size) {
  if (ssl_ == nullptr) return static_cast<long>(::recv(fd_, buffer, size, 0));
  return SSL_read(ssl_, buffer, static_cast<int>(size));
}

std::string RawServer::Connection::ReadRequest(bool withBody) {
  std::string request;
  const auto deadline = Clock::now() + kReadLimit;
  std::size_t wanted = std::string::npos;
  char buffer[16384];
  while (request.size() < wanted) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    const bool buffered = ssl_ != nullptr && SSL_pending(ssl_) > 0;
    if (left.count() <= 0 || (!buffered && !Readable(fd_, left))) return {};
    const long n = Receive(buffer, sizeof buffer);
    if (n <= 0) return {};
    request.append(buffer, static_cast<std::size_t>(n));
    if (wanted == std::string::npos) {
      const std::size_t headEnd = request.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        wanted = headEnd + 4;
        if (withBody) wanted += ContentLength(std::string_view(request).substr(0, headEnd + 2));
      }
    }
  }
  std::lock_guard lock(server_.mutex_);
  server_.requests_.push_back(request);
  return request;
}

bool RawServer::Connection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const long n = ssl_ != nullptr
                       ? SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()))
                       : static_cast<long>(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL));
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool RawServer::Connection::Wait(milliseconds duration) {
  std::unique_lock lock(server_.mutex_);
  return !server_.stopping_.wait_for(lock, duration, [this] { return server_.stop_; });
}

RawServer::RawServer(Handler handler, bool secure, int maxConnections)
    : handler_(std::move(handler)) {
  if (secure) {
    const TestCertificate certificate;
    tls_ = SSL_CTX_new(TLS_server_method());
    if (tls_ == nullptr || SSL_CTX_use_certificate(tls_, certificate.cert()) != 1 ||
        SSL_CTX_use_PrivateKey(tls_, certificate.key()) != 1) {
      SSL_CTX_free(tls_);
      throw std::runtime_error("raw test server: cannot set up TLS");
    }
  }
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener_ >= 0) ::close(listener_);
    SSL_CTX_free(tls_);
    throw std::runtime_error("raw test server: cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, maxConnections] { Serve(maxConnections); });
}

RawServer::~RawServer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopping_.notify_all();
  thread_.join();
  ::close(listener_);
  SSL_CTX_free(tls_);
}

std::string RawServer::Url(std::string_view pathAndQuery) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
         std::string(pathAndQuery);
}

std::vector<std::string> RawServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RawServer::Serve(int maxConnections) {
  // A TLS write to a client that hung up raises SIGPIPE. Blocked on this thread it stays here,
  // so it can neither end the test process nor hide a SIGPIPE the client under test raises.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

  const auto end = Clock::now() + kLifetime;
  while (connections_ < maxConnections && Clock::now() < end) {
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
    }
    if (!Readable(listener_, kAcceptPoll)) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections_;
    SSL* ssl = nullptr;
    if (tls_ != nullptr) {
      // The handshake must not wait for ever on a client that never starts it.
      const timeval limit{5, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      ssl = SSL_new(tls_);
      if (ssl == nullptr || SSL_set_fd(ssl, fd) != 1 || SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        ::close(fd);
        continue;
      }
    }
    Connection connection(*this, fd, ssl);
    handler_(connection);
    SSL_free(ssl);
    ::close(fd);
  }
}

RawServer::Handler Answer(std::string response) {
  return [response = std::move(response)](RawServer::Connection& connection) {
    if (!connection.ReadRequest().empty()) connection.Send(response);
  };
}

RawServer::Handler HangUpAfterTheHead() {
  return [](RawServer::Connection& connection) { connection.ReadRequest(false); };
}

RawServer::Handler Silent() {
  return [](RawServer::Connection& connection) {
    connection.ReadRequest();
    connection.Wait(std::chrono::minutes(1));
  };
}

}  // namespace tovrenic::testnet
