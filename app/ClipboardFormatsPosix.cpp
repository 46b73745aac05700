#include <QByteArray>
#include <QLatin1String>
#include <QMimeData>

#include "app/ClipboardFormats.h"
#include "app/ReportActions.h"

namespace tovrenic {

// X11 and Wayland clipboards offer MIME types: the GBK bytes go under a type of their own.
void AddGbkTextFormats(QMimeData& data, const Text& report) {
  data.setData(QLatin1String(kGbkTextMimeType), QByteArray::fromStdString(report.str()));
}

}  // namespace tovrenic
