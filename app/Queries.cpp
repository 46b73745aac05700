#include "app/Queries.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>

#include <thread>

#include "app/MainWindow.h"
#include "web/PendingMessages.h"

namespace tovrenic {
namespace {

void WaitKeepingTheWindowAlive(const std::function<void()>& transfer) {
  QEventLoop loop;
  std::thread worker([&transfer, &loop] {
    transfer();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  // The loop also ends early when the application quits; the transfer then ends soon after,
  // since closing the window asked it to give up.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
}

}  // namespace

void InstallRequestHooks() {
  SetTransferWaiter(WaitKeepingTheWindowAlive);
  SetPendingMessagesHook([] {
    QCoreApplication::processEvents();
    return true;
  });
}

void RunQuery(MainWindow& window, const std::function<void()>& query) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  window.queryStarted();
  query();
  window.queryEnded();
  QGuiApplication::restoreOverrideCursor();
}

}  // namespace tovrenic
