// tovrenic-briefing: the window's briefing for schedulers, on standard output or into a file.

#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/Report.h"
#include "cli/BriefingCommand.h"
#include "cli/CommandLine.h"
#include "cli/LocaleText.h"

namespace tovrenic {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Standard error: the diagnostics lines, and with progress one line that is redrawn in place
// and wiped before anything else is written.
class ErrorStream {
 public:
  ErrorStream(const LocaleEncoding& locale, bool progress) : locale_(locale), progress_(progress) {}

  void line(std::string_view localeText) {
    wipe();
    WriteAll(STDERR_FILENO, std::string(localeText) + "\n");
  }

  void fetchStarted(int number, const Text& url) {
    if (!progress_) return;
    std::string bar(static_cast<std::size_t>(kFetchCount), '.');
    bar.replace(0, static_cast<std::size_t>(number - 1), static_cast<std::size_t>(number - 1), '#');
    const std::string text = "[" + bar + "] " + std::to_string(number) + "/" +
                             std::to_string(kFetchCount) + " " + locale_.FromText(url);
    wipe();
    WriteAll(STDERR_FILENO, "\r" + text);
    shown_ = text.size();
  }

  void wipe() {
    if (shown_ == 0) return;
    std::string blank(shown_ + 2, ' ');
    blank.front() = '\r';
    blank.back() = '\r';
    WriteAll(STDERR_FILENO, blank);
    shown_ = 0;
  }

 private:
  const LocaleEncoding& locale_;
  bool progress_;
  std::size_t shown_ = 0;
};

int BadUsage(const LocaleEncoding& locale, const std::string& problem) {
  WriteAll(STDERR_FILENO, locale.FromUtf8("tovrenic-briefing: " + problem + "\n" + UsageText() +
                                          "Run tovrenic-briefing --help for more.\n"));
  return kBadUsage;
}

int Run(const std::vector<std::string>& arguments) {
  const LocaleEncoding locale = LocaleEncoding::Current();
  const CommandLine command = ParseCommandLine(arguments);
  if (command.action == CommandLine::Action::Help) {
    return WriteAll(STDOUT_FILENO, locale.FromUtf8(HelpText())) ? kAllFieldsFound : kNotWritten;
  }
  if (command.action == CommandLine::Action::BadUsage) return BadUsage(locale, command.problem);

  const BriefingOptions& options = command.options;
  const PreparedRequest prepared = PrepareRequest(options, locale);
  if (!prepared.request) return BadUsage(locale, prepared.problem);

  ErrorStream errors(locale, options.progress || ::isatty(STDERR_FILENO) == 1);
  FetchListener listener;
  listener.started = [&](int number, const Text& url) { errors.fetchStarted(number, url); };
  listener.finished = [&](const FetchRecord& fetch) {
    errors.line(locale.FromText(DiagnosticLine(fetch)));
  };
  const BriefingOutcome outcome = RunBriefing(*prepared.request, listener);
  errors.wipe();

  const std::string bytes =
      options.encoding == OutputEncoding::Utf8 ? TextToUtf8(outcome.report) : outcome.report.str();
  if (options.outputFile) {
    const WriteOutcome written = WriteFileReplacing(*options.outputFile, bytes);
    if (!written.written) {
      errors.line(locale.FromUtf8("tovrenic-briefing: cannot write " + *options.outputFile + ": " +
                                  written.reason));
      return kNotWritten;
    }
  } else if (!WriteAll(STDOUT_FILENO, bytes)) {
    errors.line(locale.FromUtf8(std::string("tovrenic-briefing: cannot write the briefing: ") +
                                std::strerror(errno)));
    return kNotWritten;
  }
  return outcome.exitStatus;
}

}  // namespace
}  // namespace tovrenic

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
  return tovrenic::Run(std::vector<std::string>(argv + 1, argv + argc));
}
