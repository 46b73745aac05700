#include "app/Program.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

#include "app/Look.h"
#include "app/MainWindow.h"
#include "app/Queries.h"
#include "app/RunDirectory.h"

namespace tovrenic {
namespace {

constexpr int kStartFailure = -1;

// Without a window system Qt gives up with a fatal message while the application object is
// built; end the way any failed start ends instead of aborting.
void StartUpMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "Tovrenic: the window could not be created.\n");
    std::_Exit(kStartFailure);
  }
}

}  // namespace

int RunProgram(int argc, char* argv[], const std::function<void(QWidget&)>& beforeShow) {
  FixRunDirectory(ExecutableDirectory());

  QtMessageHandler previous = qInstallMessageHandler(StartUpMessageHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  ApplyApplicationLook();
  InstallRequestHooks();

  MainWindow window;
  if (beforeShow) beforeShow(window);
  window.show();
  if (!window.windowHandle()) {
    QMessageBox::critical(nullptr, QStringLiteral("Tovrenic"), QStringLiteral("主窗口创建失败。"));
    return kStartFailure;
  }
  return QApplication::exec();
}

}  // namespace tovrenic
