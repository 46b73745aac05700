// Start-up benchmark: how long the program takes from process start to its first painted
// window, and how much memory it peaks at on the way, against a bare Qt window of the same size.
//
// Both subjects run as children of this process, started from this same executable with a
// hidden argument, so that they load exactly the same libraries and differ only in what they
// build. A child reports its first paint by writing one byte to a pipe inherited from the
// parent; the parent times spawn-to-byte and takes the child's peak resident memory from wait4.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QPushButton>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/MainWindow.h"
#include "app/Program.h"

namespace {

constexpr int kRounds = 10;
constexpr double kGoalRatio = 1.30;
// A child that has not painted by then is stuck (no usable display, for one).
constexpr int kChildTimeoutMs = 60'000;
constexpr int kChildFailure = 2;

constexpr std::string_view kChildArgument = "--child=";
constexpr std::string_view kNotifyArgument = "--notify-fd=";

// ---------------------------------------------------------------------------------------------
// Child side

// Without a window system Qt gives up with a fatal message while the application object is
// built; end with a failure status instead of aborting, so the parent can tell what happened.
void ChildMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::_Exit(kChildFailure);
}

// Waits for the first paint event of the watched top-level window, then, once the event loop
// is back (the whole paint pass, children included, has been drawn and flushed), tells the
// parent and ends the event loop.
class FirstPaintNotifier : public QObject {
 public:
  explicit FirstPaintNotifier(int fd) : fd_(fd) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!notified_ && event->type() == QEvent::Paint) {
      notified_ = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            const char byte = 'p';
            ssize_t written;
            do {
              written = ::write(fd_, &byte, 1);
            } while (written < 0 && errno == EINTR);
            ::close(fd_);
            QCoreApplication::exit(written == 1 ? 0 : kChildFailure);
          },
          Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  int fd_;
  bool notified_ = false;
};

// The program's own run, with the first-paint notifier on its window.
int RunProgramChild(int argc, char* argv[], int fd) {
  FirstPaintNotifier notifier(fd);
  return tovrenic::RunProgram(argc, argv,
                              [&notifier](QWidget& window) { window.installEventFilter(&notifier); });
}

// The least a Qt Widgets program shows: one top-level of the program's outer size with one
// button on it, in Qt's default look.
int RunBareChild(int argc, char* argv[], int fd) {
  QtMessageHandler previous = qInstallMessageHandler(ChildMessageHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);

  FirstPaintNotifier notifier(fd);
  QWidget window;
  window.resize(tovrenic::MainWindow::kOuterWidth, tovrenic::MainWindow::kOuterHeight);
  QPushButton button(QStringLiteral("OK"), &window);
  button.setGeometry(40, 448, 80, 32);
  window.installEventFilter(&notifier);
  window.show();
  if (!window.windowHandle()) return kChildFailure;
  return QApplication::exec();
}

// ---------------------------------------------------------------------------------------------
// Parent side

struct Subject {
  const char* mode;   // the value of --child=
  const char* label;  // how the results name it
};

constexpr Subject kProgram{"app", "tovrenic"};
constexpr Subject kBare{"bare", "bare Qt window"};

struct Sample {
  double firstPaintMs = 0;
  double peakRssMiB = 0;
};

// Starts one child of the given subject and waits for its first paint and its exit. Returns
// false, with the reason on stderr, when the child could not be started or did not paint.
bool RunOnce(const std::string& self, const Subject& subject, Sample& sample) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    std::perror("startup bench: pipe2");
    return false;
  }
  const int readEnd = fds[0];
  const int writeEnd = fds[1];

  // Everything the child needs is prepared before fork: after it, only exec-safe calls.
  std::string path = self;
  std::string childArgument = std::string(kChildArgument) + subject.mode;
  std::string notifyArgument = std::string(kNotifyArgument) + std::to_string(writeEnd);
  char* childArgv[] = {path.data(), childArgument.data(), notifyArgument.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("startup bench: fork");
    ::close(readEnd);
    ::close(writeEnd);
    return false;
  }
  if (pid == 0) {
    // Only the write end crosses exec; the read end stays close-on-exec.
    if (::fcntl(writeEnd, F_SETFD, 0) != 0) ::_exit(127);
    ::execv(path.c_str(), childArgv);
    ::_exit(127);
  }
  ::close(writeEnd);

  // The byte arrives at the first paint; end of file means the child died before painting.
  pollfd waitFor{readEnd, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&waitFor, 1, kChildTimeoutMs);
  } while (ready < 0 && errno == EINTR);
  char byte = 0;
  ssize_t got = 0;
  if (ready > 0) {
    do {
      got = ::read(readEnd, &byte, 1);
    } while (got < 0 && errno == EINTR);
  }
  const auto painted = std::chrono::steady_clock::now();
  ::close(readEnd);
  // A child that is stuck, or whose pipe failed, is not waited for.
  if (got != 1) ::kill(pid, SIGKILL);

  int status = 0;
  rusage usage{};
  pid_t waited;
  do {
    waited = ::wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid) {
    std::perror("startup bench: wait4");
    return false;
  }

  if (got != 1) {
    if (ready < 0) {
      std::perror("startup bench: poll");
    } else if (ready == 0) {
      std::fprintf(stderr, "startup bench: the %s child did not paint within %d ms\n",
                   subject.label, kChildTimeoutMs);
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
      std::fprintf(stderr, "startup bench: the %s child could not be started\n", subject.label);
    } else {
      std::fprintf(stderr, "startup bench: the %s child ended before its first paint (%s %d)\n",
                   subject.label, WIFSIGNALED(status) ? "signal" : "status",
                   WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
    }
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "startup bench: note: the %s child painted but then ended with %s %d\n",
                 subject.label, WIFSIGNALED(status) ? "signal" : "status",
                 WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
  }

  sample.firstPaintMs = std::chrono::duration<double, std::milli>(painted - start).count();
  // Linux reports ru_maxrss in KiB.
  sample.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  if (n == 0) return 0;
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct Summary {
  double paintMedian = 0, paintMin = 0, paintMax = 0;
  double rssMedian = 0, rssMin = 0, rssMax = 0;
};

Summary Summarise(const std::vector<Sample>& samples) {
  std::vector<double> paint;
  std::vector<double> rss;
  for (const Sample& s : samples) {
    paint.push_back(s.firstPaintMs);
    rss.push_back(s.peakRssMiB);
  }
  Summary summary;
  summary.paintMedian = Median(paint);
  summary.paintMin = *std::min_element(paint.begin(), paint.end());
  summary.paintMax = *std::max_element(paint.begin(), paint.end());
  summary.rssMedian = Median(rss);
  summary.rssMin = *std::min_element(rss.begin(), rss.end());
  summary.rssMax = *std::max_element(rss.begin(), rss.end());
  return summary;
}

void PrintSubject(const char* label, const Summary& s) {
  std::printf(
      "%-15s first paint median %.1f ms (min %.1f, max %.1f); "
      "peak RSS median %.1f MiB (min %.1f, max %.1f); %d runs\n",
      label, s.paintMedian, s.paintMin, s.paintMax, s.rssMedian, s.rssMin, s.rssMax, kRounds);
}

int RunParent() {
  // The children are this executable, started by its real path so that they see the same
  // program name and directory as when run by hand.
  std::error_code error;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) {
    std::fprintf(stderr, "startup bench: cannot find its own executable: %s\n",
                 error.message().c_str());
    return 1;
  }
  std::vector<Sample> program;
  std::vector<Sample> bare;
  // Alternating the subjects spreads whatever else the machine is doing over both alike.
  for (int round = 0; round < kRounds; ++round) {
    Sample sample;
    if (!RunOnce(self, kProgram, sample)) return 1;
    program.push_back(sample);
    if (!RunOnce(self, kBare, sample)) return 1;
    bare.push_back(sample);
  }

  const Summary p = Summarise(program);
  const Summary b = Summarise(bare);
  PrintSubject((std::string(kProgram.label) + ":").c_str(), p);
  PrintSubject((std::string(kBare.label) + ":").c_str(), b);
  const double paintRatio = b.paintMedian > 0 ? p.paintMedian / b.paintMedian : 0;
  const double rssRatio = b.rssMedian > 0 ? p.rssMedian / b.rssMedian : 0;
  std::printf(
      "startup: first paint %.1f ms vs bare %.1f ms = %.2fx (goal <= %.2fx); "
      "peak RSS %.1f MiB vs %.1f MiB = %.2fx (goal <= %.2fx)\n",
      p.paintMedian, b.paintMedian, paintRatio, kGoalRatio, p.rssMedian, b.rssMedian, rssRatio,
      kGoalRatio);
  return 0;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string_view mode;
  int fd = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (StartsWith(argument, kChildArgument)) {
      mode = argument.substr(kChildArgument.size());
    } else if (StartsWith(argument, kNotifyArgument)) {
      fd = std::atoi(std::string(argument.substr(kNotifyArgument.size())).c_str());
    }
  }
  if (mode.empty()) return RunParent();
  if (fd < 0) {
    std::fprintf(stderr, "startup bench: %s needs %s\n", argv[0], kNotifyArgument.data());
    return kChildFailure;
  }
  if (mode == kProgram.mode) return RunProgramChild(argc, argv, fd);
  if (mode == kBare.mode) return RunBareChild(argc, argv, fd);
  std::fprintf(stderr, "startup bench: unknown child mode\n");
  return kChildFailure;
}
