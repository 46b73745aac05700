#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "app/Look.h"
#include "app/MainWindow.h"
#include "app/Queries.h"
#include "web/PendingMessages.h"
#include "web/WebRequest.h"

using namespace tovrenic;

namespace {

// A server on 127.0.0.1 that takes connections (through its backlog) and never answers.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd_, 16) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      qFatal("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  Text url() const { return Text("http://127.0.0.1:" + std::to_string(port_) + "/"); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace

class QueryTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    ApplyApplicationLook();
    InstallRequestHooks();
  }

  // Closing the window while a fetch hangs ends the query and the event loop promptly, and the
  // fetches still to come are never made.
  void closingTheWindowAbandonsAHangingQuery() {
    SilentServer server;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const Text newsBefore = window.panelText(Panel::News);
    int fetches = 0;
    bool queryEnded = false;
    QElapsedTimer sinceClose;
    QTimer::singleShot(0, &window, [&] {
      RunQuery(window, [&] {
        QueryNews(window, Text(kDomesticNews), [&](const Text&) {
          ++fetches;
          return WebRequest(server.url());
        });
      });
      queryEnded = true;
    });
    QTimer::singleShot(500, &window, [&] {
      sinceClose.start();
      window.close();
    });
    QCoreApplication::exec();
    const qint64 closeToExit = sinceClose.elapsed();
    qInfo("from close to the end of the event loop: %lld ms", closeToExit);

    QVERIFY(queryEnded);
    QCOMPARE(fetches, 1);
    QVERIFY2(closeToExit < 3000, qPrintable(QString::number(closeToExit)));
    QVERIFY(window.panelText(Panel::News) == newsBefore);
    QVERIFY(!GiveUpRequested());  // the window forgets it once its queries have ended
  }
};

QTEST_MAIN(QueryTest)
#include "QueryTest.moc"
