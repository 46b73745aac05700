#include "cli/BriefingCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "app/Report.h"
#include "text/TextConversion.h"
#include "text/TextPrimitives.h"

namespace tovrenic {
namespace {

// The window as far as the queries see it: the town, and the three panels.
class CommandForm : public BriefingForm {
 public:
  explicit CommandForm(Text town) : town_(std::move(town)) {}
  Text townText() const override { return town_; }
  void setPanelText(Panel panel, const Text& text) override {
    panels_[static_cast<std::size_t>(panel)] = text;
  }
  const Text& panelText(Panel panel) const { return panels_[static_cast<std::size_t>(panel)]; }

 private:
  Text town_;
  std::array<Text, 3> panels_;
};

Text Quoted(const Text& marker) {
  return ConcatText(Text("`"), marker, Text("`"));
}

// Why the field is empty, in a few words.
Text EmptyReason(const FieldReport& field) {
  if (field.sourceEmpty) return Text("the " + field.source + " is empty");
  switch (field.outcome) {
    case FieldOutcome::LeftMarkerMissing:
      return ConcatText(Text("no "), Quoted(field.leftMarker));
    case FieldOutcome::RightMarkerMissing:
      return ConcatText(Text("no "), Quoted(field.rightMarker), Text(" behind "),
                        Quoted(field.leftMarker));
    case FieldOutcome::FoundEmpty:
      return ConcatText(Text("nothing between "), Quoted(field.leftMarker), Text(" and "),
                        Quoted(field.rightMarker));
    case FieldOutcome::Found:
      break;
  }
  return Text();
}

}  // namespace

Text MessageWithWindowLineBreaks(const Text& message) {
  // CR and LF never occur inside a GBK double-byte character, so bytes can be looked at alone.
  std::string out;
  out.reserve(message.size());
  const std::string_view in = message.view();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r' || in[i] == '\n') {
      if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += in[i];
    }
  }
  return Text(std::move(out));
}

FileBytes ReadMessageFile(const std::string& path) {
  const bool standardInput = path == "-";
  const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {std::nullopt, std::strerror(errno)};
  std::string bytes;
  char buffer[4096];
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  if (!standardInput) ::close(fd);
  if (error != 0) return {std::nullopt, std::strerror(error)};
  return {std::move(bytes), {}};
}

PreparedRequest PrepareRequest(const BriefingOptions& options, const LocaleEncoding& locale,
                               const std::function<FileBytes(const std::string&)>& readFile) {
  const std::string encoding = " is not valid " + locale.charset() + " text";
  BriefingRequest request;
  request.sectionPath = Text(options.sectionPath);
  if (options.town) {
    std::optional<Text> town = locale.ToText(*options.town);
    if (!town) return {std::nullopt, "the town" + encoding};
    request.town = std::move(*town);
  } else {
    request.town = Utf16StringToText(u"石家庄");
  }

  std::optional<std::string> message = options.message;
  if (options.messageFile) {
    FileBytes file = readFile(*options.messageFile);
    if (!file.bytes) {
      return {std::nullopt,
              "cannot read the message file " + *options.messageFile + ": " + file.reason};
    }
    message = std::move(file.bytes);
  }
  if (message) {
    std::optional<Text> text = locale.ToText(*message);
    if (!text) return {std::nullopt, "the message" + encoding};
    request.message = MessageWithWindowLineBreaks(*text);
  }
  return {std::move(request), {}};
}

BriefingOutcome RunBriefing(const BriefingRequest& request, const FetchListener& listener,
                            const RequestRoutine& requestRoutine) {
  BriefingOutcome outcome;
  std::vector<FetchRecord>& fetches = outcome.fetches;
  // A fetch is finished once the next one starts or its query has returned: only then are all
  // its fields (for fetch 5 the range too) known.
  bool open = false;
  const auto finishOpen = [&] {
    if (open && listener.finished) listener.finished(fetches.back());
    open = false;
  };
  const PageFetch fetch = [&](const Text& url) {
    finishOpen();
    FetchRecord record;
    record.number = static_cast<int>(fetches.size()) + 1;
    record.url = url;
    if (listener.started) listener.started(record.number, url);
    WebRequestCall call;
    call.url = url;
    Text page = requestRoutine(call);
    record.statusText = call.statusText;
    record.bytes = call.responseBytes.size();
    record.failed = call.responseHeaders.empty();
    fetches.push_back(std::move(record));
    open = true;
    return page;
  };
  std::size_t firstOfQuery = 0;
  const FieldObserver observer = [&](const FieldReport& field) {
    const std::size_t index = firstOfQuery + static_cast<std::size_t>(field.fetch) - 1;
    if (index >= fetches.size()) return;
    FetchRecord& record = fetches[index];
    if (field.outcome == FieldOutcome::Found) {
      record.foundFields.push_back(field.name);
    } else {
      record.emptyFields.push_back(field);
    }
  };

  CommandForm form(request.town);
  QueryWeather(form, fetch, observer);
  finishOpen();
  firstOfQuery = fetches.size();
  QueryNews(form, request.sectionPath, fetch, observer);
  finishOpen();

  outcome.report = JoinReport(form.panelText(Panel::Weather), form.panelText(Panel::News),
                              request.message ? DailyMessageBlock(*request.message) : Text());
  bool anyAnswered = false;
  bool anyEmpty = false;
  for (const FetchRecord& record : fetches) {
    anyAnswered = anyAnswered || !record.failed;
    anyEmpty = anyEmpty || !record.emptyFields.empty();
  }
  outcome.exitStatus = !anyAnswered ? kEveryFetchFailed : anyEmpty ? kFieldsEmpty : kAllFieldsFound;
  return outcome;
}

Text DiagnosticLine(const FetchRecord& fetch) {
  Text line = ConcatText(
      Text("fetch " + std::to_string(fetch.number) + "/" + std::to_string(kFetchCount) + " "),
      fetch.url, Text(": "), fetch.statusText.empty() ? Text("no status") : fetch.statusText,
      Text(", " + std::to_string(fetch.bytes) + (fetch.bytes == 1 ? " byte" : " bytes")));
  if (!fetch.emptyFields.empty()) {
    line += Text("; empty: ");
    for (std::size_t i = 0; i < fetch.emptyFields.size(); ++i) {
      const FieldReport& field = fetch.emptyFields[i];
      line = ConcatText(std::move(line), Text(i == 0 ? "" : ", "), Text(field.name), Text(" ("),
                        EmptyReason(field), Text(")"));
    }
  }
  if (!fetch.foundFields.empty()) {
    line += Text("; found: ");
    for (std::size_t i = 0; i < fetch.foundFields.size(); ++i) {
      line = ConcatText(std::move(line), Text(i == 0 ? "" : ", "), Text(fetch.foundFields[i]));
    }
  }
  return line;
}

}  // namespace tovrenic
