#include <gtest/gtest.h>

#include "tests/TextPrinters.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "net/RawServer.h"
#include "net/TestServers.h"
#include "text/TextConversion.h"
#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"
#include "web/WebRequest.h"

namespace tovrenic {

// Defined by the request routine: lowers its body limit (0 restores 256 MiB).
void SetResponseBodyLimitForTesting(std::size_t limit);

namespace {

using testnet::HttpTestServer;
using testnet::NginxServer;
using testnet::RawServer;
using testnet::TinyProxy;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

Text Gbk(std::u16string_view text) {
  return Utf16StringToText(text);
}

// The failure texts as GBK bytes.
const Text kFailedUrl = Gbk(u"701 解析URL地址失败!");
const Text kFailedHeaders = Gbk(u"710 设置协议头失败!");
const Text kFailedSend = Gbk(u"711 发送请求失败!");
const Text kFailedReceive = Gbk(u"712 服务器未响应!");
const Text kFailedRead = Gbk(u"713 读取数据失败!");

const std::string kDefaultLines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache\r\n";

WebRequestCall Call(const std::string& url) {
  WebRequestCall call;
  call.url = Text(url);
  return call;
}

// Marks every out-parameter, so that a test sees which ones a call wrote.
void MarkOutFields(WebRequestCall& call) {
  call.responseHeaders = "headers before";
  call.redirectLocation = "location before";
  call.responseBytes = Bytes(std::string_view("bytes before"));
  call.receivedCookies = "before=1";
  call.statusText = "status before";
}

void ExpectOutFieldsUnwritten(const WebRequestCall& call) {
  EXPECT_EQ(call.responseHeaders, Text("headers before"));
  EXPECT_EQ(call.redirectLocation, Text("location before"));
  EXPECT_EQ(call.responseBytes, Bytes(std::string_view("bytes before")));
  EXPECT_EQ(call.receivedCookies, Text("before=1"));
}

std::string Response(std::string_view status, std::string_view headers, std::string_view body) {
  return "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(headers) +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

std::string HostLine(int port) {
  return "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
}

int Occurrences(std::string_view text, std::string_view needle) {
  int count = 0;
  for (std::size_t at = text.find(needle); at != std::string_view::npos;
       at = text.find(needle, at + needle.size())) {
    ++count;
  }
  return count;
}

std::string FirstLine(const std::string& request) {
  return request.substr(0, request.find("\r\n"));
}

std::string BodyOf(const std::string& request) {
  const std::size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : request.substr(end + 4);
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Sets environment variables for one test and restores them after.
class ScopedEnvironment {
 public:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first, it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first);
      }
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// Leaves the routine's global hooks as it found them: no hook, no waiter, no give-up, the real
// body limit.
class WebRequestTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetPendingMessagesHook(nullptr);
    SetTransferWaiter(nullptr);
    ResetGiveUp();
    SetResponseBodyLimitForTesting(0);
  }
};

// ---------------------------------------------------------------------------------------------
// The request as it goes out

TEST_F(WebRequestTest, ScraperCallSendsTheDefaultBlockAndNothingButHost) {
  RawServer server(testnet::Answer(Response("200 OK", "", "hello")));
  EXPECT_EQ(WebRequest(Text(server.Url("/"))), Text("hello"));

  // Host is the one line the client adds: HTTP/1.1 requires it. No Accept, Expect, Connection
  // or Proxy-Connection of the client's own, and the block's last line gets its CR LF.
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET / HTTP/1.1\r\n" + HostLine(server.port()) + kDefaultLines + "\r\n");
}

TEST_F(WebRequestTest, RequestLineCarriesTheObjectPath) {
  struct Case {
    std::string urlTail;
    std::string target;
  };
  const Case cases[] = {
      {"", "/"},
      {"/", "/"},
      {"/a/b?x=1", "/a/b?x=1"},
      {"?x=1", "/"},  // no path: "/" alone, the query is dropped
      {"#top", "/"},
      {"/p?", "/p?"},
      {"/p?x=1#top", "/p?x=1"},  // the fragment never goes out
      {"/a/../b", "/a/../b"},    // the path is kept as written
      {"/a b", "/a%20b"},
  };
  RawServer server(testnet::Answer(Response("200 OK", "", "")));
  for (const Case& c : cases) {
    SCOPED_TRACE("URL tail \"" + c.urlTail + "\"");
    WebRequestCall call = Call("http://127.0.0.1:" + std::to_string(server.port()) + c.urlTail);
    WebRequest(call);
    EXPECT_EQ(call.statusText, Text("200 OK"));
    const std::string request = server.requests().back();
    EXPECT_EQ(FirstLine(request), "GET " + c.target + " HTTP/1.1");
    EXPECT_NE(request.find("\r\n" + HostLine(server.port())), std::string::npos);
  }
  EXPECT_EQ(server.requests().size(), std::size(cases));
}

TEST_F(WebRequestTest, UrlsOtherThanHttpAndHttpsFailToCrack) {
  const char* const urls[] = {
      "ftp://127.0.0.1/file",
      "file:///etc/passwd",
      "gopher://127.0.0.1/",
      "http://",
      "http:///path",
      "127.0.0.1/path",
      "not a url",
      "",
      "http://127.0.0.1:99999/",
  };
  for (const char* url : urls) {
    SCOPED_TRACE(url);
    WebRequestCall call = Call(url);
    MarkOutFields(call);
    EXPECT_EQ(WebRequest(call), Text());
    EXPECT_EQ(call.statusText, kFailedUrl);
    ExpectOutFieldsUnwritten(call);
  }
}

TEST_F(WebRequestTest, MethodNumbersChooseTheVerbAndTheBodyGoesWhateverTheVerb) {
  struct Case {
    int method;
    std::string postText;
    std::string postBytes;
    std::string verb;
    std::string sentBody;  // also the Content-Length expected, when a body goes out
    bool sendsLength;
  };
  const Case cases[] = {
      {0, "", "", "GET", "", false},
      {1, "a=1&b=2", "", "POST", "a=1&b=2", true},
      {1, "", "", "POST", "", true},
      {3, "data", "", "PUT", "data", true},
      {4, "", "", "OPTIONS", "", false},
      {5, "", "", "DELETE", "", false},
      {6, "", "", "TRACE", "", false},
      {8, "", "", "GET", "", false},
      {-1, "", "", "GET", "", false},
      {0, "q=1", "", "GET", "q=1", true},  // a GET may carry a body
      {1, "ignored", std::string("b\0y", 3), "POST", std::string("b\0y", 3), true},
  };
  RawServer server(testnet::Answer(Response("200 OK", "", "ok")));
  for (const Case& c : cases) {
    SCOPED_TRACE("method " + std::to_string(c.method) + " body \"" + c.sentBody + "\"");
    WebRequestCall call = Call(server.Url("/"));
    call.method = c.method;
    call.postText = Text(c.postText);
    call.postBytes = Bytes(c.postBytes);
    EXPECT_EQ(WebRequest(call), Text("ok"));
    const std::string request = server.requests().back();
    EXPECT_EQ(FirstLine(request), c.verb + " / HTTP/1.1");
    EXPECT_EQ(BodyOf(request), c.sentBody);
    EXPECT_EQ(Occurrences(request, "\r\nContent-Length: " + std::to_string(c.sentBody.size())),
              c.sendsLength ? 1 : 0);
    // Only POST brings a Content-Type, the block's own; the client adds none.
    EXPECT_EQ(Occurrences(request, "Content-Type"), c.method == 1 ? 1 : 0);
    EXPECT_EQ(Occurrences(request, "\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
              c.method == 1 ? 1 : 0);
    EXPECT_EQ(Occurrences(request, "Expect"), 0);
    EXPECT_EQ(Occurrences(request, "\r\nAccept: "), 1);
  }
}

TEST_F(WebRequestTest, HeadReturnsWithoutWaitingForABody) {
  // The answer announces 1000 bytes and the connection then stays open: a client that waited for
  // a body would wait for the whole 30 s time-out.
  RawServer server([](RawServer::Connection& connection) {
    connection.ReadRequest();
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    connection.Wait(std::chrono::minutes(1));
  });
  WebRequestCall call = Call(server.Url("/"));
  call.method = 2;
  const auto start = Clock::now();
  EXPECT_EQ(WebRequest(call), Text());
  EXPECT_LT(SecondsSince(start), 10.0);
  EXPECT_EQ(call.statusText, Text("200 OK"));
  EXPECT_EQ(FirstLine(server.requests().at(0)), "HEAD / HTTP/1.1");
}

TEST_F(WebRequestTest, HeaderBlockGoesOutAsBuilt) {
  struct Case {
    std::string name;
    std::string extraHeaders;
    bool completeHeaders;
    bool normalizeHeaderNames;
    std::string sendCookies;
    std::string linesAfterHost;  // empty optional: the call fails with 710
    bool fails;
  };
  const Case cases[] = {
      {"empty block", "", false, true, "", "", false},
      {"caller's Accept only", "accept: text/plain", false, true, "", "Accept: text/plain\r\n",
       false},
      {"caller's lines in order", "X-B: 2\r\nX-A: 1", false, false, "", "X-B: 2\r\nX-A: 1\r\n",
       false},
      {"empty value still sent", "X-Empty: ", false, false, "", "X-Empty:\r\n", false},
      {"cookie line", "", false, true, "a=1; b=2", "Cookie: a=1; b=2\r\n", false},
      {"defaults after the caller's", "X-Requested-With: x", true, true, "",
       "X-Requested-With: x\r\n" + kDefaultLines, false},
      {"line without a colon", "no colon here", false, false, "", "", true},
  };
  RawServer server(testnet::Answer(Response("200 OK", "", "ok")));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = server.requests().size();
    WebRequestCall call = Call(server.Url("/"));
    call.extraHeaders = Text(c.extraHeaders);
    call.completeHeaders = c.completeHeaders;
    call.normalizeHeaderNames = c.normalizeHeaderNames;
    call.sendCookies = Text(c.sendCookies);
    MarkOutFields(call);
    const Text result = WebRequest(call);
    if (c.fails) {
      EXPECT_EQ(result, Text());
      EXPECT_EQ(call.statusText, kFailedHeaders);
      ExpectOutFieldsUnwritten(call);
      EXPECT_EQ(server.requests().size(), before);
      continue;
    }
    EXPECT_EQ(result, Text("ok"));
    ASSERT_EQ(server.requests().size(), before + 1);
    EXPECT_EQ(server.requests().back(),
              "GET / HTTP/1.1\r\n" + HostLine(server.port()) + c.linesAfterHost + "\r\n");
  }
}

TEST_F(WebRequestTest, ServerCredentialsOnlyWithBothHalves) {
  struct Case {
    std::string user;
    std::string password;
    bool sent;
  };
  const Case cases[] = {{"u", "p", true}, {"u", "", false}, {"", "p", false}};
  RawServer server(testnet::Answer(Response("200 OK", "", "ok")));
  for (const Case& c : cases) {
    SCOPED_TRACE("user \"" + c.user + "\" password \"" + c.password + "\"");
    WebRequestCall call = Call(server.Url("/"));
    call.userName = Text(c.user);
    call.password = Text(c.password);
    EXPECT_EQ(WebRequest(call), Text("ok"));
    const std::string request = server.requests().back();
    EXPECT_EQ(Occurrences(request, "Authorization"), c.sent ? 1 : 0);
    if (c.sent) {
      EXPECT_NE(request.find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The response as it comes back

TEST_F(WebRequestTest, ResponseHeadersStatusAndBody) {
  struct Case {
    std::string name;
    std::string answer;
    std::string headers;
    std::string status;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"LF line ends become CR LF", "HTTP/1.1 200 OK\nX-A: 1\nContent-Length: 2\n\nhi",
       "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n\r\n", "200 OK", "hi", "hi"},
      {"a 1xx before the final answer",
       "HTTP/1.1 100 Continue\r\n\r\n" + Response("200 OK", "X-B: 2\r\n", "hi"),
       "HTTP/1.1 200 OK\r\nX-B: 2\r\nContent-Length: 2\r\n\r\n", "200 OK", "hi", "hi"},
      {"chunked, trailer left out",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhi\r\n1\r\n!\r\n0\r\n"
       "X-Trailer: t\r\n\r\n",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "200 OK", "hi!", "hi!"},
      {"404 with its page", Response("404 Not Found", "", "no such page"),
       "HTTP/1.1 404 Not Found\r\nContent-Length: 12\r\n\r\n", "404 Not Found", "no such page",
       "no such page"},
      {"HTTP/1.0 body up to the close", "HTTP/1.0 200 OK\r\n\r\nuntil close",
       "HTTP/1.0 200 OK\r\n\r\n", "200 OK", "until close", "until close"},
      {"reason with blanks", Response("299 Fine And Dandy", "", ""),
       "HTTP/1.1 299 Fine And Dandy\r\nContent-Length: 0\r\n\r\n", "299 Fine And Dandy", "", ""},
      {"zero byte in the body", Response("200 OK", "", std::string("ab\0cd", 5)),
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", "200 OK", std::string("ab\0cd", 5), "ab"},
      {"GBK body without a declaration", Response("200 OK", "", "\xCC\xEC\xC6\xF8"),
       "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n", "200 OK", "\xCC\xEC\xC6\xF8",
       "\xCC\xEC\xC6\xF8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawServer server(testnet::Answer(c.answer));
    WebRequestCall call = Call(server.Url("/"));
    MarkOutFields(call);
    EXPECT_EQ(WebRequest(call), Text(c.text));
    EXPECT_EQ(call.responseHeaders, Text(c.headers));
    EXPECT_EQ(call.statusText, Text(c.status));
    EXPECT_EQ(call.responseBytes, Bytes(c.bytes));
    EXPECT_EQ(call.redirectLocation, Text("location before"));  // no Location line
    EXPECT_EQ(call.receivedCookies, Text("before=1"));          // nothing appended
  }
}

TEST_F(WebRequestTest, FailedBodyReadKeepsWhatWasReadAndStatusComesFromTheHeaders) {
  const std::string page(5000, 'x');
  struct Case {
    std::string name;
    RawServer::Handler handler;
    std::size_t limit;
    std::string kept;
  };
  const Case cases[] = {
      {"cut halfway",
       testnet::Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(40, 'a')), 0,
       std::string(40, 'a')},
      {"over the body limit", testnet::Answer(Response("200 OK", "", page)), 1000,
       page.substr(0, 1000)},
      {"exactly the body limit", testnet::Answer(Response("200 OK", "", page)), 5000, page},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetResponseBodyLimitForTesting(c.limit);
    RawServer server(c.handler);
    WebRequestCall call = Call(server.Url("/"));
    EXPECT_EQ(WebRequest(call), Text(c.kept));
    EXPECT_EQ(call.responseBytes, Bytes(c.kept));
    // The read failure's text is overwritten by the status text.
    EXPECT_EQ(call.statusText, Text("200 OK"));
  }
}

TEST_F(WebRequestTest, FailuresBeforeTheResponseWriteOnlyTheStatus) {
  const std::string redirectToSelf = Response("302 Found", "Location: /again\r\n", "");
  const std::string bigBody(8 << 20, 'x');
  struct Case {
    std::string name;
    std::optional<RawServer::Handler> handler;  // none: nothing listens
    bool tlsServer;
    bool httpsUrl;
    std::string body;
    Text failure;
    int expectedRequests;  // -1: not checked
  };
  const Case cases[] = {
      {"connection refused", std::nullopt, false, false, "", kFailedSend, -1},
      {"TLS handshake never answered", testnet::Silent(), false, true, "", kFailedSend, -1},
      // Also: no SIGPIPE may end the program when the peer is gone, in the clear or over TLS.
      {"hang-up while the body goes out", testnet::HangUpAfterTheHead(), false, false, bigBody,
       kFailedSend, 1},
      {"hang-up while the body goes out over TLS", testnet::HangUpAfterTheHead(), true, true,
       bigBody, kFailedSend, 1},
      {"request read, never answered", testnet::Silent(), false, false, "", kFailedReceive, 1},
      {"request read over TLS, never answered", testnet::Silent(), true, true, "q=1",
       kFailedReceive, 1},
      {"closed without an answer",
       [](RawServer::Connection& connection) { connection.ReadRequest(); }, false, false, "",
       kFailedReceive, 1},
      {"not HTTP", testnet::Answer("hello\r\n\r\n"), false, false, "", kFailedReceive, 1},
      {"header line of 200 KB",
       testnet::Answer("HTTP/1.1 200 OK\r\nX-Big: " + std::string(200 * 1024, 'b') +
                       "\r\nContent-Length: 2\r\n\r\nhi"),
       false, false, "", kFailedReceive, 1},
      {"redirect loop", testnet::Answer(redirectToSelf), false, false, "", kFailedReceive, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<RawServer> server;
    int port = testnet::FreePort();
    if (c.handler) port = server.emplace(*c.handler, c.tlsServer).port();
    WebRequestCall call = Call(std::string(c.httpsUrl ? "https" : "http") +
                               "://127.0.0.1:" + std::to_string(port) + "/");
    call.timeoutSeconds = 1;
    call.postText = Text(c.body);
    MarkOutFields(call);
    EXPECT_EQ(WebRequest(call), Text());
    EXPECT_EQ(call.statusText, c.failure);
    ExpectOutFieldsUnwritten(call);
    if (c.expectedRequests >= 0) {
      EXPECT_EQ(server->requests().size(), static_cast<std::size_t>(c.expectedRequests));
    }
  }
}

// The time-out limits each wait for progress, not the whole transfer.
struct TimeoutCase {
  const char* name;
  int timeoutSeconds;
  int silenceMs;     // before the answer
  int trickleBytes;  // then body bytes one at a time, 0.5 s apart
  bool succeeds;
};

void PrintTo(const TimeoutCase& c, std::ostream* os) {
  *os << c.name;
}

class WebRequestTimeoutTest : public WebRequestTest,
                              public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(WebRequestTimeoutTest, TimeoutIsAnIdleLimit) {
  const TimeoutCase c = GetParam();
  const std::string body = std::string("abcdefgh").substr(0, c.trickleBytes);
  RawServer server([&c, body](RawServer::Connection& connection) {
    connection.ReadRequest();
    if (!connection.Wait(milliseconds(c.silenceMs))) return;
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                    "\r\n\r\n");
    for (char byte : body) {
      if (!connection.Wait(milliseconds(500)) || !connection.Send(std::string(1, byte))) return;
    }
  });
  WebRequestCall call = Call(server.Url("/"));
  call.timeoutSeconds = c.timeoutSeconds;
  const Text result = WebRequest(call);
  if (c.succeeds) {
    EXPECT_EQ(call.statusText, Text("200 OK"));
    EXPECT_EQ(result, Text(body));
  } else {
    EXPECT_EQ(call.statusText, kFailedReceive);
    EXPECT_EQ(result, Text());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Silences, WebRequestTimeoutTest,
    ::testing::Values(TimeoutCase{"OneSecondAgainstTwoSilent", 1, 2000, 0, false},
                      TimeoutCase{"OneSecondAgainstATrickleOfThree", 1, 0, 6, true},
                      TimeoutCase{"ZeroMeansThirty", 0, 1500, 0, true},
                      TimeoutCase{"NegativeMeansThirty", -5, 1500, 0, true},
                      TimeoutCase{"ThreeSecondsAgainstOneAndAHalfSilent", 3, 1500, 0, true}),
    [](const ::testing::TestParamInfo<TimeoutCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Pending messages, giving up, and the transfer on another thread

TEST_F(WebRequestTest, WindowHandlesMessagesPerHeaderLineAfterDecodingAndOnTheWayOut) {
  int calls = 0;
  SetPendingMessagesHook([&calls] {
    ++calls;
    return true;
  });
  RawServer server(testnet::Answer(Response("200 OK", "X-A: 1\r\n", "<p>page</p>")));

  WebRequestCall call = Call(server.Url("/"));
  EXPECT_EQ(WebRequest(call), Text("<p>page</p>"));
  // One per header line (status line and empty last line included), one after the character
  // set step, one on the way out.
  EXPECT_EQ(calls, static_cast<int>(SplitText(call.responseHeaders, Text("\r\n")).size()) + 2);
  EXPECT_EQ(calls, 6);

  // A failure before the response: only the call on the way out.
  calls = 0;
  WebRequestCall refused = Call("http://127.0.0.1:" + std::to_string(testnet::FreePort()) + "/");
  WebRequest(refused);
  EXPECT_EQ(refused.statusText, kFailedSend);
  EXPECT_EQ(calls, 1);

  calls = 0;
  WebRequestCall badUrl = Call("ftp://127.0.0.1/");
  WebRequest(badUrl);
  EXPECT_EQ(calls, 1);
}

TEST_F(WebRequestTest, WindowAskingToGiveUpFailsTheCall) {
  SetPendingMessagesHook([] { return false; });
  RawServer server(testnet::Answer(Response("200 OK", "", "page")));
  WebRequestCall call = Call(server.Url("/"));
  EXPECT_EQ(WebRequest(call), Text());
  EXPECT_EQ(call.statusText, kFailedRead);
  EXPECT_EQ(call.responseHeaders, Text("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n"));
}

TEST_F(WebRequestTest, TransferRunsThroughTheWaiterOnAnotherThread) {
  int waits = 0;
  std::thread::id transferThread;
  SetTransferWaiter([&](const std::function<void()>& transfer) {
    ++waits;
    std::thread worker([&] {
      transferThread = std::this_thread::get_id();
      transfer();
    });
    worker.join();
  });
  RawServer server(
      testnet::Answer(Response("200 OK", "Set-Cookie: sid=abc; Path=/\r\n", "from a worker")));
  WebRequestCall call = Call(server.Url("/"));
  EXPECT_EQ(WebRequest(call), Text("from a worker"));
  EXPECT_EQ(waits, 1);
  EXPECT_NE(transferThread, std::this_thread::get_id());
  EXPECT_EQ(call.statusText, Text("200 OK"));
  EXPECT_EQ(call.receivedCookies, Text("sid=abc"));
}

class WebRequestGiveUpTest : public WebRequestTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      SetTransferWaiter([](const std::function<void()>& transfer) {
        std::thread worker(transfer);
        worker.join();
      });
    }
  }
};

TEST_P(WebRequestGiveUpTest, GivingUpStopsATransferOnASilentServer) {
  // The window gives up once the request has arrived and the transfer waits for an answer.
  std::promise<void> arrived;
  bool signalled = false;  // only the server's thread touches it
  RawServer server([&arrived, &signalled](RawServer::Connection& connection) {
    connection.ReadRequest();
    if (!std::exchange(signalled, true)) arrived.set_value();
    connection.Wait(std::chrono::minutes(1));
  });
  WebRequestCall call = Call(server.Url("/"));
  MarkOutFields(call);
  Clock::time_point asked;
  std::thread window([&asked, request = arrived.get_future()] {
    if (request.wait_for(std::chrono::seconds(20)) == std::future_status::ready) {
      std::this_thread::sleep_for(milliseconds(100));
    }
    asked = Clock::now();
    RequestGiveUp();
  });
  const Text result = WebRequest(call);
  const auto returned = Clock::now();
  window.join();
  const double latency = std::chrono::duration<double>(returned - asked).count();
  RecordProperty("give_up_latency_ms", std::to_string(static_cast<int>(latency * 1000)));
  std::printf("give-up latency: %.1f ms\n", latency * 1000);
  EXPECT_LT(latency, 5.0);
  EXPECT_EQ(result, Text());
  EXPECT_EQ(call.statusText, kFailedReceive);
  ExpectOutFieldsUnwritten(call);

  // Still given up: the next call fails before anything goes out.
  RawServer untouched(testnet::Answer(Response("200 OK", "", "page")));
  WebRequestCall next = Call(untouched.Url("/"));
  EXPECT_EQ(WebRequest(next), Text());
  EXPECT_EQ(next.statusText, kFailedSend);
  EXPECT_EQ(untouched.connections(), 0);

  ResetGiveUp();
  EXPECT_EQ(WebRequest(Text(untouched.Url("/"))), Text("page"));
}

INSTANTIATE_TEST_SUITE_P(Waiters, WebRequestGiveUpTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "OnAWorkerThread" : "Inline";
                         });

// ---------------------------------------------------------------------------------------------
// HTTPS, credentials, cookies and redirects against cpp-httplib

TEST_F(WebRequestTest, HttpsWithASelfSignedCertificateAndBasicCredentials) {
  HttpTestServer https(true);
  https.server().Get("/secret", [](const httplib::Request& request, httplib::Response& response) {
    if (request.get_header_value("Authorization") != "Basic dTpw") {
      response.status = 401;
      response.set_content("who are you", "text/plain");
      return;
    }
    // A UTF-8 page that says so: it comes back as GBK.
    response.set_content(
        "<html><head><meta charset=\"utf-8\"></head><body>\xE5\xA4\xA9\xE6\xB0\x94</body></html>",
        "text/html");
  });
  https.Start();

  WebRequestCall anonymous = Call(https.Url("/secret?x=1"));
  EXPECT_EQ(WebRequest(anonymous), Text("who are you"));
  EXPECT_EQ(anonymous.statusText, Text("401 Unauthorized"));

  WebRequestCall call = Call(https.Url("/secret?x=1"));
  call.userName = "u";
  call.password = "p";
  const Text page = WebRequest(call);
  EXPECT_EQ(call.statusText, Text("200 OK"));
  EXPECT_NE(FindText(page, Gbk(u"天气")), -1);

  ASSERT_EQ(https.requests().size(), 2u);
  EXPECT_EQ(https.requests()[1].method, "GET");
  EXPECT_EQ(https.requests()[1].target, "/secret?x=1");
}

// /login sets a cookie and redirects to /home, which sets another and shows the Cookie line
// it received.
class WebRequestCookieTest : public WebRequestTest {
 protected:
  void SetUp() override {
    http_.server().Get("/login", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Set-Cookie", "sid=abc; Path=/; HttpOnly");
      response.set_redirect("/home");
      response.set_content("moved", "text/plain");
    });
    http_.server().Get("/home", [](const httplib::Request& request, httplib::Response& response) {
      response.set_header("Set-Cookie", "lang=zh");
      std::string lines;
      for (std::size_t i = 0; i < request.get_header_value_count("Cookie"); ++i) {
        lines += (i > 0 ? " | " : "") + request.get_header_value("Cookie", i);
      }
      response.set_content("cookies: " + lines, "text/plain");
    });
    http_.server().Get("/away", [](const httplib::Request& request, httplib::Response& response) {
      response.set_redirect(request.get_param_value("to"));
      response.set_content("not followed", "text/plain");
    });
    http_.Start();
  }
  HttpTestServer http_{false};
};

TEST_F(WebRequestCookieTest, WithCookiesToSendTheClientKeepsCookiesAcrossItsRedirects) {
  WebRequestCall call = Call(http_.Url("/login"));
  call.sendCookies = "a=1";
  const Text page = WebRequest(call);
  EXPECT_EQ(call.statusText, Text("200 OK"));
  // The caller's cookie line and the client's own line for the cookie set on the way.
  EXPECT_NE(FindText(page, Text("a=1")), -1);
  EXPECT_NE(FindText(page, Text("sid=abc")), -1);
  // Headers and cookies of the final response only, merged with the ones sent.
  EXPECT_EQ(TextLeft(call.responseHeaders, 17), Text("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(FindText(call.responseHeaders, Text("Location")), -1);
  EXPECT_EQ(call.receivedCookies, Text("lang=zh; a=1"));
  EXPECT_EQ(call.sendCookies, Text("lang=zh; a=1"));
  EXPECT_EQ(call.redirectLocation, Text());
}

TEST_F(WebRequestCookieTest, WithoutCookiesToSendNoCookieTravels) {
  WebRequestCall call = Call(http_.Url("/login"));
  EXPECT_EQ(WebRequest(call), Text("cookies: "));
  EXPECT_EQ(call.receivedCookies, Text("lang=zh"));
  EXPECT_EQ(call.sendCookies, Text());
  EXPECT_FALSE(http_.requests().back().HasHeader("Cookie"));
}

TEST_F(WebRequestCookieTest, NoRedirectReturnsTheRedirectItself) {
  WebRequestCall call = Call(http_.Url("/login"));
  call.noRedirect = true;
  EXPECT_EQ(WebRequest(call), Text("moved"));
  EXPECT_EQ(call.statusText, Text("302 Found"));
  EXPECT_EQ(call.redirectLocation, Text("/home"));
  EXPECT_EQ(call.receivedCookies, Text("sid=abc"));
  EXPECT_EQ(http_.requests().size(), 1u);
}

TEST_F(WebRequestCookieTest, RedirectsToOtherSchemesAreNotFollowed) {
  for (const char* target : {"file:///etc/passwd", "ftp://127.0.0.1:1/file"}) {
    SCOPED_TRACE(target);
    WebRequestCall call = Call(http_.Url("/away?to=") + target);
    const Text result = WebRequest(call);
    EXPECT_EQ(FindText(result, Text("root:")), -1);
    EXPECT_EQ(call.statusText, Text("302 Found"));
    EXPECT_EQ(call.redirectLocation, Text(target));
  }
}

// ---------------------------------------------------------------------------------------------
// nginx: TLS, redirects and cookies as a real server sends them

TEST_F(WebRequestTest, NginxRedirectsCookiesAndNoDowngradeToHttp) {
  if (!testnet::ProgramExists(NginxServer::kBinary)) {
    GTEST_SKIP() << "nginx is not installed (" << NginxServer::kBinary << ")";
  }
  NginxServer nginx(R"(
    location = /a { add_header Set-Cookie "first=1; Path=/"; return 301 /b; }
    location = /b {
      add_header Set-Cookie "sid=abc; Path=/; HttpOnly";
      add_header Set-Cookie "lang=zh";
      return 200 "page b";
    }
    location = /down { return 302 http://127.0.0.1:{HTTP_PORT}/b; }
  )",
                    R"(
    location = /b { return 200 "plain b"; }
    location = /up { return 302 https://127.0.0.1:{HTTPS_PORT}/b; }
  )");
  ASSERT_TRUE(nginx.running()) << nginx.errorLog();
  const std::string origin = "https://127.0.0.1:" + std::to_string(nginx.httpsPort());

  WebRequestCall followed = Call(origin + "/a");
  MarkOutFields(followed);
  EXPECT_EQ(WebRequest(followed), Text("page b"));
  EXPECT_EQ(followed.statusText, Text("200 OK"));
  EXPECT_EQ(TextLeft(followed.responseHeaders, 17), Text("HTTP/1.1 200 OK\r\n"));
  EXPECT_NE(FindText(followed.responseHeaders, Text("\r\nServer: nginx")), -1);
  EXPECT_EQ(TextRight(followed.responseHeaders, 4), Text("\r\n\r\n"));
  EXPECT_EQ(followed.receivedCookies, Text("before=1sid=abc; lang=zh"));
  EXPECT_EQ(followed.redirectLocation, Text("location before"));

  WebRequestCall stopped = Call(origin + "/a");
  stopped.noRedirect = true;
  WebRequest(stopped);
  EXPECT_EQ(stopped.statusText, Text("301 Moved Permanently"));
  EXPECT_EQ(stopped.redirectLocation, Text(origin + "/b"));
  EXPECT_EQ(stopped.receivedCookies, Text("first=1"));

  WebRequestCall down = Call(origin + "/down");
  EXPECT_NE(WebRequest(down), Text("plain b"));
  EXPECT_EQ(down.statusText, Text("302 Moved Temporarily"));
  EXPECT_EQ(down.redirectLocation,
            Text("http://127.0.0.1:" + std::to_string(nginx.httpPort()) + "/b"));

  // From http up to https is followed.
  WebRequestCall up = Call("http://127.0.0.1:" + std::to_string(nginx.httpPort()) + "/up");
  EXPECT_EQ(WebRequest(up), Text("page b"));
  EXPECT_EQ(up.statusText, Text("200 OK"));
}

// ---------------------------------------------------------------------------------------------
// Proxies

TEST_F(WebRequestTest, ProxyCarriesHttpAndHttpsWithBasicCredentialsOnlyWhenBothAreGiven) {
  if (!testnet::ProgramExists(TinyProxy::kBinary)) {
    GTEST_SKIP() << "tinyproxy is not installed (" << TinyProxy::kBinary << ")";
  }
  TinyProxy proxy(true);
  ASSERT_TRUE(proxy.running());
  HttpTestServer http(false);
  HttpTestServer https(true);
  for (HttpTestServer* server : {&http, &https}) {
    server->server().Get("/", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("through", "text/plain");
    });
    server->Start();
  }

  struct Case {
    bool secure;
    std::string user;
    std::string password;
    std::string status;
  };
  const Case cases[] = {
      {false, "", "", "407 Proxy Authentication Required"},
      {false, TinyProxy::kUser, "", "407 Proxy Authentication Required"},
      {false, "", TinyProxy::kPassword, "407 Proxy Authentication Required"},
      {false, TinyProxy::kUser, TinyProxy::kPassword, "200 OK"},
      // A refused tunnel comes back as the proxy's answer.
      {true, "", "", "407 Proxy Authentication Required"},
      {true, TinyProxy::kUser, TinyProxy::kPassword, "200 OK"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.secure ? "https" : "http") + " user \"" + c.user + "\" password \"" +
                 c.password + "\"");
    HttpTestServer& target = c.secure ? https : http;
    const std::size_t before = target.requests().size();
    WebRequestCall call = Call(target.Url("/"));
    call.proxy = Text(proxy.Address());
    call.proxyUser = Text(c.user);
    call.proxyPassword = Text(c.password);
    const Text result = WebRequest(call);
    EXPECT_EQ(call.statusText, Text(c.status));
    const bool through = c.status == "200 OK";
    EXPECT_EQ(result == Text("through"), through);
    ASSERT_EQ(target.requests().size(), before + (through ? 1 : 0));
    if (through && !c.secure) {
      // The proxy forwarded it and says so.
      EXPECT_NE(target.requests().back().Header("Via").find("tinyproxy"), std::string::npos);
    }
  }

  // The tunnel stands but the far end never answers the TLS handshake: the request never went
  // out, and the proxy's "200 Connection established" is no response.
  RawServer silent(testnet::Silent());
  WebRequestCall call = Call("https://127.0.0.1:" + std::to_string(silent.port()) + "/");
  call.proxy = Text(proxy.Address());
  call.proxyUser = TinyProxy::kUser;
  call.proxyPassword = TinyProxy::kPassword;
  call.timeoutSeconds = 1;
  MarkOutFields(call);
  EXPECT_EQ(WebRequest(call), Text());
  EXPECT_EQ(call.statusText, kFailedSend);
  ExpectOutFieldsUnwritten(call);
}

TEST_F(WebRequestTest, ProxyGetsTheAbsoluteUrlWithTheObjectPath) {
  // A raw server standing in for the proxy sees the request byte for byte. Nothing listens on
  // the target's port: only the proxy is contacted.
  RawServer proxy(testnet::Answer(Response("200 OK", "", "via proxy")));
  const std::string target = "127.0.0.1:" + std::to_string(testnet::FreePort());
  struct Case {
    std::string urlTail;
    std::string user;
    std::string password;
    std::string requestLine;
    std::string credentialsLine;
  };
  const Case cases[] = {
      {"/a?x=1", "", "", "GET http://" + target + "/a?x=1 HTTP/1.1", ""},
      {"?x=1", "", "", "GET http://" + target + "/ HTTP/1.1", ""},
      {"/", "user", "pass", "GET http://" + target + "/ HTTP/1.1",
       "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.requestLine);
    WebRequestCall call = Call("http://" + target + c.urlTail);
    call.proxy = Text("127.0.0.1:" + std::to_string(proxy.port()));
    call.proxyUser = Text(c.user);
    call.proxyPassword = Text(c.password);
    EXPECT_EQ(WebRequest(call), Text("via proxy"));
    EXPECT_EQ(proxy.requests().back(), c.requestLine + "\r\nHost: " + target + "\r\n" +
                                           c.credentialsLine + kDefaultLines + "\r\n");
  }
}

TEST_F(WebRequestTest, ProxiesConfiguredInTheEnvironmentAreIgnored) {
  if (!testnet::ProgramExists(TinyProxy::kBinary)) {
    GTEST_SKIP() << "tinyproxy is not installed (" << TinyProxy::kBinary << ")";
  }
  RawServer trap(testnet::Answer(Response("200 OK", "", "trapped")));
  HttpTestServer target(false);
  target.server().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("direct", "text/plain");
  });
  target.Start();
  ScopedEnvironment environment;
  const std::string trapAddress = "http://127.0.0.1:" + std::to_string(trap.port());
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    environment.Set(name, trapAddress);
  }
  environment.Set("no_proxy", "127.0.0.1,localhost");
  environment.Set("NO_PROXY", "127.0.0.1,localhost");

  // No proxy given: a direct connection, whatever the environment names.
  EXPECT_EQ(WebRequest(Text(target.Url("/"))), Text("direct"));

  // A proxy given is used, even for hosts the environment exempts.
  TinyProxy proxy(false);
  ASSERT_TRUE(proxy.running());
  WebRequestCall call = Call(target.Url("/"));
  call.proxy = Text(proxy.Address());
  EXPECT_EQ(WebRequest(call), Text("direct"));
  EXPECT_NE(target.requests().back().Header("Via").find("tinyproxy"), std::string::npos);

  EXPECT_EQ(trap.connections(), 0);
}

}  // namespace
}  // namespace tovrenic
