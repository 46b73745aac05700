#include "web/WebRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "regex/RegexObject.h"
#include "text/TextConversion.h"
#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"
#include "web/RequestHeaders.h"
#include "web/ResponseDecoding.h"

namespace tovrenic {

// Lowers the response body limit so that tests reach it without a 256 MiB body; 0 restores the
// real limit. Declared by the request tests only.
void SetResponseBodyLimitForTesting(std::size_t limit);

namespace {

using Clock = std::chrono::steady_clock;

// A body is read into memory up to this size; a larger one ends as a failed read that keeps
// what was read.
constexpr std::size_t kResponseBodyLimit = std::size_t{256} << 20;
std::atomic<std::size_t> responseBodyLimit{kResponseBodyLimit};

constexpr long long kDefaultTimeoutMs = 30000;
constexpr int kMaxRedirects = 10;
// The transfer loop looks at the give-up flag at least this often, even if a wake-up were lost.
constexpr Clock::duration kLongestPoll = std::chrono::milliseconds(250);

// The failure texts, in pipeline order; there is no 706.
enum class Failure {
  kPlatform,
  kUrl,
  kSession,
  kTimeouts,
  kConnection,
  kRequest,
  kCredentials,
  kCertificates,
  kCookies,
  kRedirects,
  kHeaders,
  kSend,
  kReceive,
  kRead,
};

const Text& FailureText(Failure failure) {
  // The program's texts are GBK; these sources are UTF-8, so the texts are converted once.
  static const Text texts[] = {
      Utf16StringToText(u"700 当前系统不支持WinHttp服务!"),
      Utf16StringToText(u"701 解析URL地址失败!"),
      Utf16StringToText(u"702 创建WinHttp会话失败!"),
      Utf16StringToText(u"705 设置超时时间失败!"),
      Utf16StringToText(u"703 创建WinHttp连接失败!"),
      Utf16StringToText(u"704 创建WinHttp请求失败!"),
      Utf16StringToText(u"707 设置代理凭证失败!"),
      // Two blanks before the last two characters and a full-width exclamation mark.
      Utf16StringToText(u"忽略错误/证书错误  失败！"),
      Utf16StringToText(u"708 禁止自动设置Cookies失败!"),
      Utf16StringToText(u"709 重定向设置失败!"),
      Utf16StringToText(u"710 设置协议头失败!"),
      Utf16StringToText(u"711 发送请求失败!"),
      Utf16StringToText(u"712 服务器未响应!"),
      Utf16StringToText(u"713 读取数据失败!"),
  };
  return texts[static_cast<int>(failure)];
}

template <auto Release>
struct Releaser {
  template <typename T>
  void operator()(T* resource) const {
    Release(resource);
  }
};
using EasyHandle = std::unique_ptr<CURL, Releaser<&curl_easy_cleanup>>;
using MultiHandle = std::unique_ptr<CURLM, Releaser<&curl_multi_cleanup>>;
using UrlHandle = std::unique_ptr<CURLU, Releaser<&curl_url_cleanup>>;
using HeaderList = std::unique_ptr<curl_slist, Releaser<&curl_slist_free_all>>;
using CurlString = std::unique_ptr<char, Releaser<&curl_free>>;

constexpr bool Ok(CURLcode code) {
  return code == CURLE_OK;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         CompareText(Text(text.substr(0, prefix.size())), Text(prefix), false) == 0;
}

// The client library is set up once per process, whichever thread asks first; the check holds
// when it speaks both http and https.
bool PlatformReady() {
  static const bool ready = [] {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (info == nullptr || info->protocols == nullptr) return false;
    bool http = false;
    bool https = false;
    for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
      http = http || std::string_view(*protocol) == "http";
      https = https || std::string_view(*protocol) == "https";
    }
    return http && https;
  }();
  return ready;
}

struct CrackedUrl {
  bool secure = false;
  // What the client is given: scheme, host and port with the object path behind them, so that
  // exactly the object path stands on the request line, directly or through a proxy.
  std::string requestUrl;
};

std::optional<std::string> UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, flags) != CURLUE_OK) return std::nullopt;
  const CurlString owned(value);
  return std::string(value);
}

// Scheme, host, port, path and query. Only http and https with a host are taken. The object
// path is "/" when the URL has no path, even beside a query; otherwise the path followed by
// the query with its "?". The path is kept as written (no dot segments removed); blanks and
// bytes above 0x7F are percent-encoded. User name, password and fragment are not used.
std::optional<CrackedUrl> CrackUrl(const Text& url) {
  const UrlHandle handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.data(),
                              CURLU_PATH_AS_IS | CURLU_URLENCODE) != CURLUE_OK) {
    return std::nullopt;
  }
  const std::optional<std::string> scheme = UrlPart(handle.get(), CURLUPART_SCHEME);
  const std::optional<std::string> host = UrlPart(handle.get(), CURLUPART_HOST);
  const std::optional<std::string> port = UrlPart(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  const std::optional<std::string> path = UrlPart(handle.get(), CURLUPART_PATH);
  const std::optional<std::string> query = UrlPart(handle.get(), CURLUPART_QUERY);
  if (!scheme || (*scheme != "http" && *scheme != "https") || !host || host->empty() || !port ||
      !path) {
    return std::nullopt;
  }

  // The parser lends an empty path a "/" and reads "http:///x" as the host x, so the authority
  // is looked at as written: it runs from "//" to the first "/", "?" or "#".
  const std::string_view written = url.view();
  const std::size_t slashes = written.find("//");
  if (slashes == std::string_view::npos) return std::nullopt;
  const std::size_t authorityStart = slashes + 2;
  const std::size_t authorityEnd = written.find_first_of("/?#", authorityStart);
  if (authorityEnd == authorityStart) return std::nullopt;
  const bool hasPath = authorityEnd != std::string_view::npos && written[authorityEnd] == '/';

  std::string objectPath = "/";
  if (hasPath) {
    objectPath = *path;
    if (query) objectPath += "?" + *query;
  }
  CrackedUrl cracked;
  cracked.secure = *scheme == "https";
  cracked.requestUrl = *scheme + "://" + *host + ":" + *port + objectPath;
  return cracked;
}

const char* Verb(int method) {
  static constexpr const char* kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                           "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  return method >= 0 && method < 8 ? kVerbs[method] : "GET";
}

constexpr int kPostMethod = 1;
constexpr int kHeadMethod = 2;

// What the callbacks learn while the transfer runs. It lives in the request's frame and only the
// transfer touches it until the transfer has ended.
struct Exchange {
  bool followRedirects = false;
  bool tunnels = false;  // through a proxy, where a CONNECT may open a tunnel
  std::size_t bodyLimit = kResponseBodyLimit;
  curl_off_t bodySize = 0;  // the request body's size

  // The response block under way: its header lines, each ending in CR LF.
  std::string headers;
  bool headersDone = false;      // its empty line has arrived
  bool connectResponse = false;  // it answers a proxy's CONNECT
  bool sawLocation = false;
  bool redirectPending = false;  // a 3xx with a Location that the client goes on to follow
  int statusCode = 0;
  std::string body;

  bool connectSent = false;  // a CONNECT went out; the next block answers it
  bool requestOut = false;   // the request line and headers went out
  curl_off_t bodySent = 0;
  bool requestSent = false;  // request line, headers and the whole body went out
  Clock::time_point lastActivity = Clock::now();
};

int StatusCode(std::string_view statusLine) {
  const std::size_t blank = statusLine.find(' ');
  int code = 0;
  for (std::size_t i = blank + 1; blank != std::string_view::npos && i < statusLine.size() &&
                                  i < blank + 4 && statusLine[i] >= '0' && statusLine[i] <= '9';
       ++i) {
    code = code * 10 + (statusLine[i] - '0');
  }
  return code;
}

bool HasValue(std::string_view headerLine) {
  const std::size_t colon = headerLine.find(':');
  return colon != std::string_view::npos &&
         headerLine.find_first_not_of(" \t", colon + 1) != std::string_view::npos;
}

// One header line as the client gives it, line end included. A status line after a finished
// block starts a new block (a 1xx, a CONNECT answer or a redirect came before); the line ends
// become CR LF. Lines after a finished block that are no status line are trailers: not kept.
void TakeHeaderLine(Exchange& exchange, CURL* easy, std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  const bool statusLine = line.substr(0, 5) == "HTTP/";
  if (exchange.headersDone || exchange.headers.empty()) {
    if (exchange.headersDone && !statusLine) return;
    exchange.headers.clear();
    exchange.body.clear();
    exchange.headersDone = false;
    exchange.sawLocation = false;
    exchange.redirectPending = false;
    exchange.connectResponse = exchange.connectSent;
    exchange.connectSent = false;
    exchange.statusCode = StatusCode(line);
  }
  exchange.headers.append(line);
  exchange.headers.append("\r\n");
  if (!line.empty()) {
    if (StartsWithIgnoringCase(line, "Location:") && HasValue(line)) exchange.sawLocation = true;
    return;
  }
  exchange.headersDone = true;
  const int code = exchange.statusCode;
  exchange.redirectPending = exchange.followRedirects && !exchange.connectResponse && code >= 300 &&
                             code < 400 && exchange.sawLocation;
  curl_off_t length = -1;
  if (code >= 200 && !exchange.connectResponse && !exchange.redirectPending &&
      Ok(curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length)) && length > 0) {
    exchange.body.reserve(std::min(static_cast<std::size_t>(length), exchange.bodyLimit));
  }
}

struct CallbackContext {
  Exchange* exchange;
  CURL* easy;
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* context = static_cast<CallbackContext*>(user);
  context->exchange->lastActivity = Clock::now();
  try {
    TakeHeaderLine(*context->exchange, context->easy, std::string_view(data, size * count));
  } catch (const std::exception&) {
    return 0;  // out of memory: the transfer fails
  }
  return size * count;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  Exchange& exchange = *static_cast<Exchange*>(user);
  exchange.lastActivity = Clock::now();
  const std::size_t n = size * count;
  try {
    if (exchange.body.size() + n > exchange.bodyLimit) {
      exchange.body.append(data, exchange.bodyLimit - exchange.body.size());
      return 0;  // stops the transfer: a failed read that keeps what was read
    }
    exchange.body.append(data, n);
  } catch (const std::exception&) {
    return 0;
  }
  return n;
}

// The client reports here what it sends: this is how the transfer knows whether the request went
// out whole (a later failure is then the receive step's) and which block answers a CONNECT.
// Everything it reports also counts as activity for the idle limit.
int OnTrace(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
  Exchange& exchange = *static_cast<Exchange*>(user);
  exchange.lastActivity = Clock::now();
  if (type == CURLINFO_HEADER_OUT) {
    if (exchange.tunnels && std::string_view(data, size).substr(0, 8) == "CONNECT ") {
      exchange.connectSent = true;
    } else {
      exchange.requestOut = true;
      exchange.bodySent = 0;
      if (exchange.bodySize == 0) exchange.requestSent = true;
    }
  } else if (type == CURLINFO_DATA_OUT && exchange.requestOut) {
    exchange.bodySent += static_cast<curl_off_t>(size);
    if (exchange.bodySent >= exchange.bodySize) exchange.requestSent = true;
  }
  return 0;
}

struct TransferEnd {
  CURLcode result = CURLE_OK;
  bool stopped = false;  // ended here: idle limit, giving up, or the multi handle failed
  bool gaveUp = false;
};

// Removes the easy handle from the multi handle before either is cleaned up.
class Attachment {
 public:
  Attachment(CURLM* multi, CURL* easy)
      : multi_(multi), easy_(easy), attached_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
  ~Attachment() {
    if (attached_) curl_multi_remove_handle(multi_, easy_);
  }
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;
  bool attached() const { return attached_; }

 private:
  CURLM* multi_;
  CURL* easy_;
  bool attached_;
};

// Send, receive and read the body: the blocking part of a request, run through RunTransfer, so
// it may run on another thread. It touches nothing but its arguments. It ends when the client
// is done, when nothing moved for idleLimit (the send and receive time-outs), or when giving up
// is asked for, which wakes the poll at once.
TransferEnd Transfer(CURL* easy, Exchange& exchange, Clock::duration idleLimit) {
  TransferEnd end;
  const MultiHandle multi(curl_multi_init());
  if (!multi) {
    end.stopped = true;
    return end;
  }
  const Attachment attachment(multi.get(), easy);
  if (!attachment.attached()) {
    end.stopped = true;
    return end;
  }
  const GiveUpWaker waker([handle = multi.get()] { curl_multi_wakeup(handle); });

  exchange.lastActivity = Clock::now();
  for (;;) {
    if (GiveUpRequested()) {
      end.stopped = end.gaveUp = true;
      return end;
    }
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      end.stopped = true;
      return end;
    }
    if (running == 0) break;
    const Clock::duration idle = Clock::now() - exchange.lastActivity;
    if (idle >= idleLimit) {
      end.stopped = true;
      return end;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(std::min(idleLimit - idle, kLongestPoll));
    curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);
  }
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
    if (message->msg == CURLMSG_DONE) end.result = message->data.result;
  }
  return end;
}

enum class Phase { kComplete, kSend, kReceive, kRead };

// Where the transfer stood when it ended. A failure before the request went out whole is the
// send step's (resolve, connect, TLS handshake, proxy tunnel, send); after that, until the
// final response's headers are complete, the receive step's (redirects the client follows are
// part of receiving); after that, the body read's.
Phase TransferPhase(const Exchange& exchange, const TransferEnd& end) {
  if (!end.stopped) {
    if (end.result == CURLE_OK) return Phase::kComplete;
    // A response that the client stops at instead of going past: a redirect to a scheme it may
    // not follow (file:, ftp:, https to http), or a proxy refusing the tunnel. That response is
    // the final one, as the client gives it (its body unread).
    if (exchange.headersDone &&
        ((exchange.redirectPending && end.result == CURLE_UNSUPPORTED_PROTOCOL) ||
         (exchange.connectResponse && (exchange.statusCode < 200 || exchange.statusCode >= 300)))) {
      return Phase::kComplete;
    }
  }
  if (exchange.headersDone && !exchange.connectResponse && !exchange.redirectPending &&
      exchange.statusCode >= 200) {
    return Phase::kRead;
  }
  return exchange.requestSent ? Phase::kReceive : Phase::kSend;
}

// How a call leaves the pipeline: through its end (step 23, with the message handling on the way
// out) or at once (the early exits).
enum class Leave { kThroughEnd, kAtOnce };

struct PipelineEnd {
  Leave leave = Leave::kThroughEnd;
  bool answered = false;  // the response headers were read (step 18 ran)
};

PipelineEnd FailThroughEnd(WebRequestCall& call, Failure failure) {
  call.statusText = FailureText(failure);
  return {};
}

PipelineEnd FailAtOnce(WebRequestCall& call, Failure failure) {
  call.statusText = FailureText(failure);
  return {Leave::kAtOnce, false};
}

// Splits the header block into the client's header list, line by line as built. The entries
// with an empty value after them keep the client from adding lines of its own (Accept, Expect,
// a form Content-Type, Proxy-Connection); where the block has such a line, its own comes first
// and wins. A line whose value is empty is passed in the client's "Name;" form so that it is
// still sent. A line without a colon cannot be added.
std::optional<HeaderList> HeaderListFromBlock(const Text& block) {
  HeaderList list;
  auto append = [&list](const std::string& entry) {
    curl_slist* head = curl_slist_append(list.get(), entry.c_str());
    if (head == nullptr) return false;
    (void)list.release();
    list.reset(head);
    return true;
  };
  for (const Text& line : SplitText(block, Text("\r\n"))) {
    if (line.empty()) continue;
    const std::size_t colon = line.view().find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    std::string entry = line.str();
    if (!HasValue(entry)) entry = entry.substr(0, colon) + ";";
    if (!append(entry)) return std::nullopt;
  }
  for (const char* suppressed : {"Accept:", "Expect:", "Content-Type:", "Proxy-Connection:"}) {
    if (!append(suppressed)) return std::nullopt;
  }
  return list;
}

// Steps 3 to 22. The handles live in this frame, so they are closed before the call returns,
// on every path.
PipelineEnd RunPipeline(WebRequestCall& call, RegexObject& regex, Text& result) {
  // 3. Crack the URL.
  const std::optional<CrackedUrl> target = CrackUrl(call.url);
  if (!target) return FailThroughEnd(call, Failure::kUrl);

  // 4. Session: a named proxy, or a direct connection that ignores proxies configured in the
  // environment. For an http URL the proxy list is "http=" and the proxy, for https the proxy
  // itself: either way the one proxy carries the request. No user agent of the client's own.
  const EasyHandle handle(curl_easy_init());
  CURL* const easy = handle.get();
  const bool direct = call.proxy.empty();
  if (!easy || !Ok(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L)) ||
      !Ok(curl_easy_setopt(easy, CURLOPT_PROXY, direct ? "" : call.proxy.data())) ||
      !Ok(curl_easy_setopt(easy, CURLOPT_NOPROXY, direct ? "*" : "")) ||
      !Ok(curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https"))) {
    return FailThroughEnd(call, Failure::kSession);
  }

  // 5. Time-outs: t for resolve and connect here; for sending and receiving the transfer loop
  // allows t without progress.
  const long long timeoutMs = call.timeoutSeconds > 0
                                  ? static_cast<long long>(call.timeoutSeconds) * 1000
                                  : kDefaultTimeoutMs;
  if (!Ok(curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs)))) {
    return FailThroughEnd(call, Failure::kTimeouts);
  }

  // 6. Connection: host and port as cracked.
  if (!Ok(curl_easy_setopt(easy, CURLOPT_URL, target->requestUrl.c_str())) ||
      !Ok(curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L))) {
    return FailThroughEnd(call, Failure::kConnection);
  }

  // 7. Request: the verb, HTTP/1.1, and the callbacks that collect the response. HEAD reads no
  // body. A POST is the client's own POST, so that a 301, 302 or 303 turns it into a GET;
  // other verbs that carry a body are named outright.
  const Bytes body = call.postBytes.empty() ? BytesFromText(call.postText) : call.postBytes;
  const bool sendsBody =
      call.method != kHeadMethod && (!body.empty() || call.method == kPostMethod);
  Exchange exchange;
  exchange.followRedirects = !call.noRedirect;
  exchange.tunnels = !direct && std::string_view(Verb(call.method)) != "CONNECT";
  exchange.bodyLimit = responseBodyLimit;
  exchange.bodySize = sendsBody ? static_cast<curl_off_t>(body.size()) : 0;
  CallbackContext headerContext{&exchange, easy};
  bool requestOk =
      Ok(curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1))) &&
      Ok(curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader)) &&
      Ok(curl_easy_setopt(easy, CURLOPT_HEADERDATA, &headerContext)) &&
      Ok(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody)) &&
      Ok(curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange)) &&
      Ok(curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, OnTrace)) &&
      Ok(curl_easy_setopt(easy, CURLOPT_DEBUGDATA, &exchange)) &&
      Ok(curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L));
  if (call.method == kHeadMethod) {
    requestOk = requestOk && Ok(curl_easy_setopt(easy, CURLOPT_NOBODY, 1L));
  } else if (call.method == kPostMethod) {
    requestOk = requestOk && Ok(curl_easy_setopt(easy, CURLOPT_POST, 1L));
  } else if (sendsBody || std::string_view(Verb(call.method)) != "GET") {
    requestOk = requestOk && Ok(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, Verb(call.method)));
  }
  if (!requestOk) return FailThroughEnd(call, Failure::kRequest);

  // 8. Server credentials, only with both halves.
  if (!call.userName.empty() && !call.password.empty() &&
      (!Ok(curl_easy_setopt(easy, CURLOPT_USERNAME, call.userName.data())) ||
       !Ok(curl_easy_setopt(easy, CURLOPT_PASSWORD, call.password.data())) ||
       !Ok(curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC))))) {
    return FailAtOnce(call, Failure::kCredentials);
  }

  // 9. Proxy credentials, only with both halves.
  if (!call.proxyUser.empty() && !call.proxyPassword.empty() &&
      (!Ok(curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, call.proxyUser.data())) ||
       !Ok(curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, call.proxyPassword.data())) ||
       !Ok(curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC))))) {
    return FailAtOnce(call, Failure::kCredentials);
  }

  // 10. Certificate errors are ignored on every request: unknown authority, wrong usage, wrong
  // name and expired or not yet valid certificates all pass.
  if (!Ok(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L)) ||
      !Ok(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L))) {
    return FailAtOnce(call, Failure::kCertificates);
  }

  // 11. Without cookies to send the client keeps no cookies at all, not even across the
  // redirects it follows. With them, an in-memory cookie store lives for this call, so cookies
  // set on the way through redirects are sent on.
  if (!call.sendCookies.empty() && !Ok(curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""))) {
    return FailAtOnce(call, Failure::kCookies);
  }

  // 12. Redirects: at most 10, over http and https only, and never from https down to http.
  const bool redirectsOk =
      call.noRedirect
          ? Ok(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L))
          : Ok(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L)) &&
                Ok(curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects))) &&
                Ok(curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR,
                                    target->secure ? "https" : "http,https"));
  if (!redirectsOk) return FailAtOnce(call, Failure::kRedirects);

  // 13. The header block, as built.
  const Text block = BuildRequestHeaders(call.extraHeaders, call.sendCookies, call.method,
                                         call.completeHeaders, call.normalizeHeaderNames);
  std::optional<HeaderList> headerList = HeaderListFromBlock(block);
  if (!headerList || !Ok(curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList->get()))) {
    return FailThroughEnd(call, Failure::kHeaders);
  }

  // 14 to 16. Send with the body, receive, read the body.
  if (sendsBody && (!Ok(curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, exchange.bodySize)) ||
                    !Ok(curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data())))) {
    return FailThroughEnd(call, Failure::kSend);
  }
  const Clock::duration idleLimit = std::chrono::milliseconds(timeoutMs);
  TransferEnd end;
  RunTransfer([&end, easy, &exchange, idleLimit] { end = Transfer(easy, exchange, idleLimit); });

  const Phase phase = TransferPhase(exchange, end);
  const Failure phaseFailure = phase == Phase::kSend      ? Failure::kSend
                               : phase == Phase::kReceive ? Failure::kReceive
                                                          : Failure::kRead;
  if (end.gaveUp || phase == Phase::kSend || phase == Phase::kReceive) {
    return FailThroughEnd(call, phaseFailure);
  }
  if (phase == Phase::kRead) call.statusText = FailureText(Failure::kRead);

  // 17. The raw headers of the final response; without them nothing more is written.
  if (!exchange.headersDone) return {};

  // 18, 19. The status text: from the 10th byte, behind "HTTP/1.1 ", to the line's end.
  PipelineEnd answered{Leave::kThroughEnd, true};
  call.responseHeaders = Text(std::move(exchange.headers));
  const int lineEnd = FindText(call.responseHeaders, Text("\r\n"), 10);
  call.statusText = lineEnd == -1 ? Text() : TextMid(call.responseHeaders, 10, lineEnd - 10);

  // 20. Cookies and the redirect target.
  ProcessResponseHeaders(call.responseHeaders, call.mergeCookies, call.receivedCookies,
                         call.redirectLocation, call.sendCookies);
  if (GiveUpRequested()) return answered;

  // 21, 22. The body bytes and the text decoded from them.
  call.responseBytes = Bytes(std::move(exchange.body));
  result = DecodeResponseBody(call.responseBytes, regex);
  return answered;
}

}  // namespace

void SetResponseBodyLimitForTesting(std::size_t limit) {
  responseBodyLimit = limit > 0 ? limit : kResponseBodyLimit;
}

Text WebRequest(WebRequestCall& call) {
  // 1. The request's own regular-expression object, used by the body decoding.
  RegexObject regex;

  // 2. Platform check.
  if (!PlatformReady()) {
    call.statusText = FailureText(Failure::kPlatform);
    return Text();
  }

  Text result;
  const PipelineEnd end = RunPipeline(call, regex, result);
  if (end.leave == Leave::kAtOnce) return Text();

  // 23. The handles are closed. On the way out the window may handle its pending messages; if
  // the request is to give up (also when that was asked for after the response headers were
  // read), the call ends as a failed read with no text.
  if (!HandlePendingMessages()) {
    if (end.answered) call.statusText = FailureText(Failure::kRead);
    return Text();
  }
  return result;
}

Text WebRequest(const Text& url) {
  WebRequestCall call;
  call.url = url;
  return WebRequest(call);
}

}  // namespace tovrenic
